// A card in the studio: a Map from the card-relative path ("Tarvo/skins/concept/Tarvo.skin") to the
// file's bytes (Uint8Array). This file turns what a folder or a zip holds into such a map and says
// how each file may be shown: as text to edit, as text to read only, as a picture, or not at all.

import { unsafeEntryReason } from './zipread.js';

// Thrown when what was opened is not a card; the message says why, for people.
export class CardError extends Error {}

// Files that are text whatever bytes they hold: the launcher's own text files and its logs, key
// scripts, notices and licences. Such a file may be Latin-1 (a skin saved by an old editor).
const TEXT_NAMES = new Set([
    'Tarvo.skin', 'Tarvo.cfg', 'Tarvo.dat', 'Tarvo.resume', 'Tarvo.recent', 'Tarvo.favourites',
    'Tarvo.log', 'autorun.gpu',
]);
const TEXT_EXTENSIONS = new Set(['.txt', '.keys', '.skin', '.cfg', '.dat', '.md', '.sh', '.ini']);
const PICTURE_TYPES = new Map([
    ['.png', 'image/png'], ['.jpg', 'image/jpeg'], ['.jpeg', 'image/jpeg'], ['.gif', 'image/gif'],
    ['.bmp', 'image/bmp'], ['.webp', 'image/webp'],
]);

export function baseName(path) {
    return path.slice(path.lastIndexOf('/') + 1);
}

function extension(path) {
    const name = baseName(path);
    const dot = name.lastIndexOf('.');
    return dot > 0 ? name.slice(dot).toLowerCase() : '';
}

export function isKnownTextName(path) {
    return TEXT_NAMES.has(baseName(path)) || TEXT_EXTENSIONS.has(extension(path));
}

export function pictureType(path) {
    return PICTURE_TYPES.get(extension(path)) || null;
}

// Turns a list of [path, bytes] from a folder or a zip into a card. What was opened may be the
// card itself (it holds "Tarvo/") or the one folder above it ("mycard/Tarvo/..."): that single top
// folder is dropped. The folders a Mac adds to its zips ("__MACOSX/", resource forks) are not the
// card's and are left out. Every path must stay inside the card.
export function makeCard(entries) {
    const files = new Map();
    for (const [path, bytes] of entries) {
        if (path.startsWith('__MACOSX/') || path.includes('/__MACOSX/'))
            continue;
        const unsafe = unsafeEntryReason(path);
        if (unsafe)
            throw new CardError(`The file "${path}" ${unsafe}: the card is not opened.`);
        files.set(path, bytes);
    }
    if (files.size === 0)
        throw new CardError('There are no files in what was opened.');
    const paths = [...files.keys()];
    if (paths.some((path) => path.startsWith('Tarvo/')))
        return files;
    const top = paths[0].split('/')[0];
    const single = paths.every((path) => path.startsWith(top + '/'));
    if (single && paths.some((path) => path.startsWith(`${top}/Tarvo/`))) {
        const card = new Map();
        for (const [path, bytes] of files)
            card.set(path.slice(top.length + 1), bytes);
        return card;
    }
    throw new CardError('This is not a card: it has no "Tarvo" folder at its top, nor one folder holding it.');
}

// How a file is shown:
//   { kind: 'text', text, lineSeparator }             editable; its text encodes to the same bytes
//   { kind: 'latin1', text, lineSeparator, reason }   shown read-only
//   { kind: 'picture', type }                         shown as a picture
//   { kind: 'binary', reason }                        not shown
// A file is text when it has no NUL byte and is valid UTF-8, or has no NUL byte and carries a
// known text name (then it is read as Latin-1, and editing it would change its other bytes).
export function classify(path, bytes) {
    const picture = pictureType(path);
    if (picture)
        return { kind: 'picture', type: picture };
    if (bytes.includes(0))
        return { kind: 'binary', reason: `${path} is not a text file: it is shown read-only.` };
    let text = null;
    try {
        // ignoreBOM keeps a byte-order mark in the text, so that the text writes back the same.
        text = new TextDecoder('utf-8', { fatal: true, ignoreBOM: true }).decode(bytes);
    } catch {
        text = null;
    }
    if (text !== null)
        return { kind: 'text', text, lineSeparator: lineSeparatorOf(text) };
    if (!isKnownTextName(path))
        return { kind: 'binary', reason: `${path} is not a text file: it is shown read-only.` };
    let latin1 = '';
    for (let i = 0; i < bytes.length; i++)
        latin1 += String.fromCharCode(bytes[i]);
    return {
        kind: 'latin1',
        text: latin1,
        lineSeparator: lineSeparatorOf(latin1),
        reason: `${path} is Latin-1 text, not UTF-8: it opens read-only, since saving it from here would change its bytes.`,
    };
}

// The editor splits lines at this separator only and keeps every other character, so that the
// text it gives back is the text it was given: CR LF for a file whose every line ends so, LF for
// the rest (a stray CR then stays in its line, shown as a special character).
function lineSeparatorOf(text) {
    const lf = (text.match(/\n/g) || []).length;
    const crlf = (text.match(/\r\n/g) || []).length;
    return lf > 0 && lf === crlf ? '\r\n' : '\n';
}

const encoder = new TextEncoder();

export function encodeText(text) {
    return encoder.encode(text);
}

export function sameBytes(a, b) {
    if (a.length !== b.length)
        return false;
    for (let i = 0; i < a.length; i++) {
        if (a[i] !== b[i])
            return false;
    }
    return true;
}
