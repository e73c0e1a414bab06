// The zip reader of the studio: walks a zip's central directory itself, refuses the whole zip when
// one entry could lead out of the card or is a link, and lets fflate inflate the entries.
//
// fflate's own unzip does not show the entries' external attributes, where a Unix zip marks a
// symbolic link, nor their "version made by", which says whether those attributes are Unix ones.
// So the central directory is read here, every entry is checked before any is inflated, and each
// entry's data is taken from its local header and handed to fflate's inflateSync. Every entry's
// size and CRC-32 are checked against the directory, so a card opened from a zip holds exactly
// the bytes that were zipped.

import { inflateSync } from 'fflate';

// Signatures of the records read (little-endian "PK" followed by two record bytes).
const END_OF_DIRECTORY = 0x06054b50;
const ZIP64_END_LOCATOR = 0x07064b50;
const ZIP64_END_OF_DIRECTORY = 0x06064b50;
const DIRECTORY_ENTRY = 0x02014b50;
const LOCAL_HEADER = 0x04034b50;

// "version made by" keeps the system whose attributes the entry carries in its high byte.
const MADE_BY_UNIX = 3;
// The type bits of a Unix mode, and the type of a symbolic link (S_IFMT, S_IFLNK).
const UNIX_TYPE_MASK = 0o170000;
const UNIX_SYMLINK = 0o120000;

// General purpose flags: bit 0 encrypted, bit 11 the name is UTF-8 (otherwise code page 437,
// read here as Latin-1, as fflate and most tools do).
const FLAG_ENCRYPTED = 0x0001;
const FLAG_UTF8 = 0x0800;

// The most a card may unpack to: far above any real card, low enough that a zip which claims
// gigabytes is refused before anything is allocated.
export const MAX_CARD_BYTES = 512 * 1024 * 1024;

// A refusal: the zip is not opened at all. The message names the entry when one is at fault.
export class ZipError extends Error {}

// Returns the reason a name must not be unpacked, or null when it lies inside the card.
// Both separators count: a "..\" from a Windows zip leads out as surely as "../".
export function unsafeEntryReason(name) {
    if (name.length === 0)
        return 'has an empty name';
    if (name.includes('\0'))
        return 'has a NUL byte in its name';
    if (name.startsWith('/') || name.startsWith('\\'))
        return 'is an absolute path';
    if (/^[A-Za-z]:/.test(name))
        return 'names a drive';
    if (name.split(/[/\\]/).some((part) => part === '..'))
        return 'leads out of the card ("..")';
    return null;
}

// CRC-32 as zip computes it (the reflected polynomial 0xEDB88320), with its table made once.
let crcTable = null;
function crc32(bytes) {
    if (!crcTable) {
        crcTable = new Uint32Array(256);
        for (let n = 0; n < 256; n++) {
            let c = n;
            for (let k = 0; k < 8; k++)
                c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
            crcTable[n] = c >>> 0;
        }
    }
    let crc = 0xffffffff;
    for (let i = 0; i < bytes.length; i++)
        crc = crcTable[(crc ^ bytes[i]) & 0xff] ^ (crc >>> 8);
    return (crc ^ 0xffffffff) >>> 0;
}

function decodeName(bytes, utf8) {
    if (utf8)
        return new TextDecoder('utf-8').decode(bytes);
    let text = '';
    for (let i = 0; i < bytes.length; i++)
        text += String.fromCharCode(bytes[i]);
    return text;
}

// Finds the end-of-central-directory record: the last one in the final 64 KiB + 22 bytes (its
// comment can be up to 65535 bytes long), and returns where the directory lies.
function findDirectory(zip, view) {
    const lowest = Math.max(0, zip.length - 22 - 0xffff);
    let end = -1;
    for (let i = zip.length - 22; i >= lowest; i--) {
        if (view.getUint32(i, true) === END_OF_DIRECTORY) {
            end = i;
            break;
        }
    }
    if (end < 0)
        throw new ZipError('This is not a zip file (it has no central directory).');
    let count = view.getUint16(end + 10, true);
    let size = view.getUint32(end + 12, true);
    let offset = view.getUint32(end + 16, true);
    // A zip64 archive keeps the true figures in a record found through the locator just before.
    if (count === 0xffff || size === 0xffffffff || offset === 0xffffffff) {
        const locator = end - 20;
        if (locator < 0 || view.getUint32(locator, true) !== ZIP64_END_LOCATOR)
            throw new ZipError('This zip is damaged: its zip64 directory record is missing.');
        const record = Number(view.getBigUint64(locator + 8, true));
        if (record + 56 > zip.length || view.getUint32(record, true) !== ZIP64_END_OF_DIRECTORY)
            throw new ZipError('This zip is damaged: its zip64 directory record is missing.');
        count = Number(view.getBigUint64(record + 32, true));
        size = Number(view.getBigUint64(record + 40, true));
        offset = Number(view.getBigUint64(record + 48, true));
    }
    if (offset + size > zip.length)
        throw new ZipError('This zip is damaged: its central directory lies past its end.');
    return { count, offset, end: offset + size };
}

// Reads the zip64 extra field (id 1) of a directory entry: it holds, in this order, those of the
// uncompressed size, the compressed size and the local header's offset that did not fit in 32 bits.
function applyZip64Extra(view, start, length, entry) {
    let at = start;
    while (at + 4 <= start + length) {
        const id = view.getUint16(at, true);
        const size = view.getUint16(at + 2, true);
        if (id === 0x0001) {
            let field = at + 4;
            const next = () => {
                if (field + 8 > at + 4 + size)
                    throw new ZipError(`The zip entry "${entry.name}" has a damaged zip64 field.`);
                const value = Number(view.getBigUint64(field, true));
                field += 8;
                return value;
            };
            if (entry.size === 0xffffffff)
                entry.size = next();
            if (entry.compressedSize === 0xffffffff)
                entry.compressedSize = next();
            if (entry.localOffset === 0xffffffff)
                entry.localOffset = next();
            return;
        }
        at += 4 + size;
    }
}

// Lists the central directory: one record per entry, in the zip's order. Throws a ZipError naming
// the first entry that is unsafe, a link, encrypted or named twice.
export function readDirectory(zip) {
    const view = new DataView(zip.buffer, zip.byteOffset, zip.byteLength);
    if (zip.length < 22)
        throw new ZipError('This is not a zip file (it is too short).');
    const directory = findDirectory(zip, view);
    const entries = [];
    const seen = new Set();
    let total = 0;
    let at = directory.offset;
    for (let n = 0; n < directory.count; n++) {
        if (at + 46 > directory.end || view.getUint32(at, true) !== DIRECTORY_ENTRY)
            throw new ZipError('This zip is damaged: its central directory ends early.');
        const madeBy = view.getUint16(at + 4, true);
        const flags = view.getUint16(at + 8, true);
        const nameLength = view.getUint16(at + 28, true);
        const extraLength = view.getUint16(at + 30, true);
        const commentLength = view.getUint16(at + 32, true);
        if (at + 46 + nameLength + extraLength + commentLength > directory.end)
            throw new ZipError('This zip is damaged: its central directory ends early.');
        const rawName = decodeName(zip.subarray(at + 46, at + 46 + nameLength), flags & FLAG_UTF8);
        const entry = {
            name: rawName,
            method: view.getUint16(at + 10, true),
            crc: view.getUint32(at + 16, true),
            compressedSize: view.getUint32(at + 20, true),
            size: view.getUint32(at + 24, true),
            localOffset: view.getUint32(at + 42, true),
        };
        applyZip64Extra(view, at + 46 + nameLength, extraLength, entry);

        const unsafe = unsafeEntryReason(rawName);
        if (unsafe)
            throw new ZipError(`The zip entry "${rawName}" ${unsafe}: the zip is not opened.`);
        const attributes = view.getUint32(at + 38, true);
        if (madeBy >> 8 === MADE_BY_UNIX && ((attributes >>> 16) & UNIX_TYPE_MASK) === UNIX_SYMLINK)
            throw new ZipError(`The zip entry "${rawName}" is a symbolic link: the zip is not opened.`);
        if (flags & FLAG_ENCRYPTED)
            throw new ZipError(`The zip entry "${rawName}" is encrypted: the zip is not opened.`);
        // A zip made on another system than Unix may separate folders with backslashes.
        if (madeBy >> 8 !== MADE_BY_UNIX)
            entry.name = rawName.replace(/\\/g, '/');
        entry.folder = entry.name.endsWith('/');
        if (!entry.folder) {
            // Two entries for one file: which bytes are the card's is anyone's guess.
            if (seen.has(entry.name))
                throw new ZipError(`The zip entry "${rawName}" appears twice: the zip is not opened.`);
            seen.add(entry.name);
            total += entry.size;
            if (total > MAX_CARD_BYTES)
                throw new ZipError(`The zip unpacks to more than ${MAX_CARD_BYTES >> 20} MiB (at "${rawName}"): the zip is not opened.`);
        }
        entries.push(entry);
        at += 46 + nameLength + extraLength + commentLength;
    }
    return entries;
}

// The bytes of one entry: located through its local header (whose name and extra field may differ
// in length from the directory's), stored or inflated, then checked against size and CRC-32.
function entryBytes(zip, view, entry) {
    const at = entry.localOffset;
    if (at + 30 > zip.length || view.getUint32(at, true) !== LOCAL_HEADER)
        throw new ZipError(`The zip entry "${entry.name}" is damaged (its header is missing).`);
    const start = at + 30 + view.getUint16(at + 26, true) + view.getUint16(at + 28, true);
    if (start + entry.compressedSize > zip.length)
        throw new ZipError(`The zip entry "${entry.name}" is damaged (its data lies past the end).`);
    const data = zip.subarray(start, start + entry.compressedSize);
    let bytes;
    if (entry.method === 0) {
        bytes = data.slice();
    } else if (entry.method === 8) {
        try {
            bytes = inflateSync(data, { out: new Uint8Array(entry.size) });
        } catch (error) {
            throw new ZipError(`The zip entry "${entry.name}" could not be unpacked: ${error.message}.`);
        }
    } else {
        throw new ZipError(`The zip entry "${entry.name}" uses compression method ${entry.method}, which the studio cannot unpack (only stored and deflated entries).`);
    }
    if (bytes.length !== entry.size || crc32(bytes) !== entry.crc)
        throw new ZipError(`The zip entry "${entry.name}" is damaged (its checksum does not match).`);
    return bytes;
}

// Unpacks a whole zip into a map from entry name to bytes. Folder entries are left out: a card is
// its files. Nothing is returned unless every entry passed the checks.
export function unzipCard(zip) {
    const view = new DataView(zip.buffer, zip.byteOffset, zip.byteLength);
    const entries = readDirectory(zip);
    const files = new Map();
    for (const entry of entries) {
        if (!entry.folder)
            files.set(entry.name, entryBytes(zip, view, entry));
    }
    return files;
}
