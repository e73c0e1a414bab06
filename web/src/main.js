// The skin studio in the browser: opens a card (the built-in demo card, a folder or a zip), shows
// its files in a tree and the picked one in an editor, runs the launcher (WebAssembly) on it in the
// screen canvas, and reloads the launcher whenever typing pauses, so that a skin can be written
// while it is watched. The card and its edits are kept in IndexedDB, so nothing is lost when the
// page is closed, and exported as zips.
//
// To understand the rest, start reading at `openCard` and `reloadAfterPause`; the test interface,
// window.tarvoStudio, is at the end.

import { zipSync } from 'fflate';
import { unzipCard, unsafeEntryReason, ZipError } from './zipread.js';
import { makeCard, classify, encodeText, sameBytes, pictureType, CardError } from './card.js';
import { readPickedFolder, readDrop } from './folders.js';
import { saveCard, saveEdits, loadSaved } from './store.js';
import { Editor } from './editor.js';
import { FileTree } from './tree.js';
import {
    Launcher, LauncherDied, PASS_FRAME, PASS_RELOAD, PASS_OVERLAY, PASS_SCREENSHOT,
    SCREEN_WIDTH, SCREEN_HEIGHT,
} from './launcher.js';

// How long typing must pause before the changed file goes to the launcher.
const TYPING_PAUSE_MS = 150;
// How much longer it must pause before the linter reads the whole card: the linter keeps the page
// busy for longer than a reload, and typing should not wait for it.
const CHECK_PAUSE_MS = 400;
// Passes of the launcher's loop per animation frame.
const PASSES_PER_FRAME = 4;
// The log keeps this many lines; older ones go.
const LOG_LINES = 5000;

const $ = (id) => document.getElementById(id);

// The studio's whole state. `original` is the card as opened; `edits` holds the files changed
// since, as the bytes their text encodes to. A file whose text comes back to what it was opened
// with leaves `edits`, so every export gives untouched files their opened bytes.
const studio = {
    name: '',
    original: new Map(),
    edits: new Map(),
    current: null,
    launcher: null,
    running: false,
    diagnostics: [],
    log: [],
    timings: { reloadMs: null, keystrokeToFrameMs: null },
    changedSinceReload: new Set(),
    pauseTimer: null,
    lastKeystroke: null,
    redrawWaiters: [],
    checkWaiters: [],
    checkTimer: null,
    savesPending: 0,
    saveFailed: false,
    pictureUrl: null,
    screenshotCount: 0,
    // Whether an edit was made since the card was last exported (or opened).
    editedSinceExport: false,
};

let announceReady;
const ready = new Promise((resolve) => {
    announceReady = resolve;
});

function files() {
    const all = new Map(studio.original);
    for (const [path, bytes] of studio.edits)
        all.set(path, bytes);
    return all;
}

// Messages -------------------------------------------------------------------------------------

// Shows a message above the studio. actions: [{ label, run }] become buttons beside it.
function showMessage(text, { error = false, actions = [] } = {}) {
    const box = document.createElement('div');
    box.className = error ? 'message error' : 'message';
    const span = document.createElement('span');
    span.className = 'text';
    span.textContent = text;
    box.append(span);
    for (const action of actions) {
        const button = document.createElement('button');
        button.type = 'button';
        button.textContent = action.label;
        button.addEventListener('click', () => {
            box.remove();
            action.run();
        });
        box.append(button);
    }
    const close = document.createElement('button');
    close.type = 'button';
    close.textContent = '\u00d7';
    close.title = 'Dismiss';
    close.addEventListener('click', () => box.remove());
    box.append(close);
    const messages = $('messages');
    messages.append(box);
    while (messages.children.length > 5)
        messages.firstElementChild.remove();
}

function clearMessages() {
    $('messages').replaceChildren();
}

// The log ------------------------------------------------------------------------------------

function addLog(line, stderr) {
    studio.log.push(line);
    const element = document.createElement('div');
    if (stderr)
        element.className = 'stderr';
    element.textContent = line;
    const log = $('log');
    const atBottom = log.scrollTop + log.clientHeight >= log.scrollHeight - 4;
    log.append(element);
    if (studio.log.length > LOG_LINES) {
        studio.log.splice(0, studio.log.length - LOG_LINES);
        log.firstElementChild.remove();
    }
    if (atBottom)
        log.scrollTop = log.scrollHeight;
}

// Opening a card ---------------------------------------------------------------------------------

const tree = new FileTree($('tree'), { onPick: (path) => openFile(path) });
const editor = new Editor($('editor'), { onChange: (path, text) => fileTyped(path, text) });

// The skin Tarvo.cfg picks (concept when it names none), as the launcher picks it.
function configuredSkin(card) {
    const config = card.get('Tarvo/Tarvo.cfg');
    let skin = 'concept';
    if (config) {
        const line = new TextDecoder().decode(config).split(/\r?\n/).find((text) => /^skin=/i.test(text));
        if (line)
            skin = line.slice(5);
    }
    return skin;
}

function skinNames(card) {
    const names = new Set();
    for (const path of card.keys()) {
        const match = /^Tarvo\/skins\/([^/]+)\//.exec(path);
        if (match)
            names.add(match[1]);
    }
    return [...names].sort();
}

// Shows a card: its tree, its configured skin's Tarvo.skin in the editor, and the launcher on it.
// `edits` are edits kept from an earlier visit; `fresh` says the card was just opened (and so is
// saved as it is, without edits).
async function openCard(name, card, { edits = new Map(), fresh = true } = {}) {
    studio.name = name;
    studio.original = card;
    studio.edits = edits;
    studio.editedSinceExport = edits.size > 0;
    studio.current = null;
    studio.changedSinceReload.clear();
    clearTimeout(studio.pauseTimer);
    studio.pauseTimer = null;
    editor.forget();
    tree.show([...card.keys()]);

    const skins = skinNames(card);
    $('skin-choice').replaceChildren(...skins.map((skin) => new Option(skin, skin)));
    const skin = configuredSkin(card);
    if (skins.includes(skin))
        $('skin-choice').value = skin;

    const first = [`Tarvo/skins/${skin}/Tarvo.skin`, 'Tarvo/Tarvo.cfg'].find((path) => card.has(path))
        || [...card.keys()].sort()[0];
    openFile(first);
    if (fresh)
        keep(saveCard(name, card));
    await startLauncher();
    announceReady();
}

async function openZipBytes(name, bytes) {
    const card = makeCard(unzipCard(bytes));
    await openCard(name, card);
}

// Opens a card, saying why when it is not one, and passes the failure on.
async function openAndSay(work) {
    try {
        clearMessages();
        await work();
    } catch (error) {
        if (error instanceof ZipError || error instanceof CardError)
            showMessage(error.message, { error: true });
        else
            showMessage(`The card could not be opened: ${error.message}`, { error: true });
        throw error;
    }
}

// Opens what a person handed the page. The card open now is kept in this browser only until
// another is opened, so edits not exported since they were made are confirmed away first.
async function openFromPerson(work) {
    if (studio.edits.size > 0 && studio.editedSinceExport
        && !confirm(`${studio.name} has ${studio.edits.size} edited file${studio.edits.size === 1 ? '' : 's'} not exported since the last edit. Opening another card forgets them. Open it anyway?`))
        return;
    await openAndSay(work).catch(() => {});
}

async function openDemoCard() {
    const response = await fetch('demo-card.zip');
    if (!response.ok)
        throw new Error(`demo-card.zip could not be fetched (${response.status} ${response.statusText})`);
    await openZipBytes('demo-card', new Uint8Array(await response.arrayBuffer()));
}

// The file on show ------------------------------------------------------------------------------

function showPicture(path, bytes, type) {
    if (studio.pictureUrl)
        URL.revokeObjectURL(studio.pictureUrl);
    studio.pictureUrl = URL.createObjectURL(new Blob([bytes], { type }));
    const image = $('picture').querySelector('img');
    image.src = studio.pictureUrl;
    image.alt = path;
    image.onload = () => {
        // Small pictures are enlarged by a whole factor (up to 4) that fits, pixels kept sharp.
        const panel = $('picture');
        const fit = Math.min((panel.clientWidth - 24) / image.naturalWidth, (panel.clientHeight - 24) / image.naturalHeight);
        const scale = Math.max(1, Math.min(4, Math.floor(fit)));
        image.style.width = `${image.naturalWidth * scale}px`;
        $('file-note').textContent = `${image.naturalWidth} \u00d7 ${image.naturalHeight} pixels`
            + (scale > 1 ? `, shown at ${scale}\u00d7` : '');
    };
}

function openFile(path) {
    const card = files();
    if (!card.has(path)) {
        showMessage(`${path} is not on the card.`, { error: true });
        return false;
    }
    editor.saveCurrent();
    studio.current = path;
    $('file-name').textContent = path;
    $('file-note').textContent = '';
    const bytes = card.get(path);
    // Classify the bytes as opened: an edited file was text to begin with.
    const shown = classify(path, studio.original.get(path) || bytes);
    $('picture').hidden = shown.kind !== 'picture';
    $('editor').hidden = shown.kind === 'picture';
    if (shown.kind === 'picture') {
        editor.clear();
        showPicture(path, bytes, shown.type);
    } else if (shown.kind === 'binary') {
        editor.clear();
        $('file-note').textContent = `${shown.reason} (${bytes.length} bytes)`;
    } else {
        // A file edited before the page was last closed opens with its edited text.
        const text = studio.edits.has(path) && !editor.states.has(path)
            ? new TextDecoder('utf-8', { ignoreBOM: true }).decode(bytes)
            : shown.text;
        editor.showText(path, text, {
            readOnly: shown.kind === 'latin1',
            lineSeparator: shown.lineSeparator,
        });
        if (shown.kind === 'latin1')
            $('file-note').textContent = shown.reason;
        editor.showDiagnostics(studio.diagnostics.filter((finding) => finding.file === path));
    }
    tree.mark(path, studio.edits);
    return true;
}

// Typing and reloading -------------------------------------------------------------------------

function fileTyped(path, text) {
    studio.lastKeystroke = performance.now();
    const bytes = encodeText(text);
    const original = studio.original.get(path);
    if (original && sameBytes(bytes, original))
        studio.edits.delete(path);
    else
        studio.edits.set(path, bytes);
    studio.editedSinceExport = true;
    studio.changedSinceReload.add(path);
    tree.mark(studio.current, studio.edits);
    clearTimeout(studio.pauseTimer);
    studio.pauseTimer = setTimeout(reloadAfterPause, TYPING_PAUSE_MS);
    // Typing again: the check waits for the next pause.
    if (studio.checkTimer !== null) {
        clearTimeout(studio.checkTimer);
        studio.checkTimer = null;
    }
}

// Typing paused: keep the edits, hand the changed files to the launcher and reload it.
function reloadAfterPause() {
    studio.pauseTimer = null;
    const typed = studio.lastKeystroke;
    keep(saveEdits(studio.edits));
    reload(typed);
}

// Writes the files changed since the last reload into the module and reloads it. `typed` is the
// time of the keystroke that led here, or null for a reload asked for by hand (F5).
function reload(typed) {
    if (!studio.running || !studio.launcher || studio.launcher.dead) {
        settleWaiters(new Error('The launcher is not running.'));
        return;
    }
    const card = files();
    try {
        for (const path of studio.changedSinceReload) {
            if (card.has(path))
                studio.launcher.writeFile(path, card.get(path));
            else
                studio.launcher.removeFile(path);
        }
        studio.changedSinceReload.clear();
        const start = performance.now();
        studio.launcher.reload();
        frameShown();
        const end = performance.now();
        studio.timings = {
            reloadMs: end - start,
            keystrokeToFrameMs: typed === null ? studio.timings.keystrokeToFrameMs : end - typed,
        };
        showStatus();
        settleWaiters(null);
        checkAfterFrame();
    } catch (error) {
        launcherFailed(error);
    }
}

// The linter reads every skin of the card, which takes longer than the reload: it runs once the
// new frame is on the screen and typing has paused a while longer, and its findings join the
// list then.
function checkAfterFrame() {
    clearTimeout(studio.checkTimer);
    studio.checkTimer = setTimeout(() => {
        studio.checkTimer = null;
        const waiters = studio.checkWaiters;
        studio.checkWaiters = [];
        try {
            if (!studio.running || !studio.launcher || studio.launcher.dead)
                throw new Error('The launcher is not running.');
            studio.launcher.lint();
            studio.diagnostics = studio.launcher.diagnostics();
            showDiagnostics();
            for (const waiter of waiters)
                waiter.resolve(studio.diagnostics);
        } catch (error) {
            for (const waiter of waiters)
                waiter.reject(error);
            if (studio.running)
                launcherFailed(error);
        }
    }, CHECK_PAUSE_MS);
}

function settleWaiters(error) {
    const waiters = studio.redrawWaiters;
    studio.redrawWaiters = [];
    for (const waiter of waiters) {
        if (error)
            waiter.reject(error);
        else
            waiter.resolve(studio.timings);
    }
}

// Keeps a save's promise in view: beforeunload asks while one is pending, and a failure is said.
function keep(saving) {
    studio.savesPending++;
    saving.then(() => {
        studio.saveFailed = false;
    }, (error) => {
        if (!studio.saveFailed)
            showMessage(`The card could not be kept in this browser (${error.message}): export it to keep your edits.`, { error: true });
        studio.saveFailed = true;
    }).finally(() => {
        studio.savesPending--;
    });
}

// The launcher ---------------------------------------------------------------------------------

// Writes the card into the launcher and starts it afresh. A launcher that is alive is reused;
// otherwise (or when `fresh`) a new module is made on a new screen canvas, so that the listeners of
// a module that stopped go with the old canvas.
async function startLauncher({ fresh = false } = {}) {
    studio.running = false;
    const current = studio.launcher;
    if (!fresh && current && current.module && !current.dead) {
        runCard(current);
        return;
    }
    const old = $('screen');
    const canvas = old.cloneNode(false);
    canvas.addEventListener('focus', () => showHint());
    canvas.addEventListener('blur', () => showHint());
    canvas.addEventListener('keydown', keepKeysFromBrowser);
    canvas.addEventListener('pointerdown', () => canvas.focus());
    old.replaceWith(canvas);
    showHint();
    const launcher = new Launcher(canvas, {
        print: (line) => addLog(line, false),
        printErr: (line) => addLog(line, true),
    });
    studio.launcher = launcher;
    try {
        await launcher.create();
        editor.setWords(launcher.words());
    } catch (error) {
        showMessage(`The launcher could not be loaded (${error.message}). The card can still be edited and exported.`, { error: true });
        return;
    }
    if (studio.launcher !== launcher)
        return; // another card was opened meanwhile
    runCard(launcher);
}

function runCard(launcher) {
    try {
        launcher.writeCard(files());
        studio.changedSinceReload.clear();
        launcher.start();
        studio.running = true;
        frameShown();
        showStatus();
        settleWaiters(null);
        checkAfterFrame();
    } catch (error) {
        launcherFailed(error);
    }
}

function launcherFailed(error) {
    studio.running = false;
    const text = error instanceof LauncherDied ? error.message : `The launcher stopped: ${error.message || error}`;
    showMessage(`${text} The page still works: edit the card and restart the launcher.`, {
        error: true,
        actions: [{ label: 'Restart the launcher', run: () => restartLauncher() }],
    });
    settleWaiters(error);
    showStatus();
}

async function restartLauncher() {
    await startLauncher({ fresh: true });
}

// F1, F5 and F12 are the launcher's keys while the screen has focus, and the arrows, space and
// backspace its buttons: the browser must not act on them (F5 would reload the page).
function keepKeysFromBrowser(event) {
    if (['F1', 'F5', 'F12', 'ArrowUp', 'ArrowDown', 'ArrowLeft', 'ArrowRight', ' ', 'Backspace', 'PageUp', 'PageDown'].includes(event.key))
        event.preventDefault();
}

function showHint() {
    const focused = document.activeElement === $('screen');
    $('screen-hint').textContent = focused
        ? 'Keys go to the launcher: arrows, A B X Y, L R, S start, Backspace select; F1 outlines, F5 reload, F12 screenshot'
        : 'Click the screen to use the keys';
}

// After a frame: the findings, the state, the page picker and the overlay follow the launcher.
function frameShown() {
    studio.diagnostics = studio.launcher.diagnostics();
    showDiagnostics();
    showState();
    drawOverlay();
}

function showState() {
    const state = studio.launcher.state();
    studio.state = state;
    const picker = $('page-picker');
    const pages = (state.pages || []).map(String);
    const listed = [...picker.options].map((option) => option.value);
    if (pages.join() !== listed.join())
        picker.replaceChildren(...pages.map((page) => new Option(`Page ${page}`, page)));
    picker.value = String(state.page);
    showStatus();
}

function showStatus() {
    const status = $('status');
    const state = studio.state || {};
    const parts = studio.running
        ? [`Skin ${state.skin ?? '?'}`, `page ${state.page ?? '?'}`, `element ${state.element ?? '?'}`]
        : ['The launcher is not running'];
    status.textContent = parts.join(' \u00b7 ');
    const { reloadMs, keystrokeToFrameMs } = studio.timings;
    if (reloadMs !== null) {
        const timings = document.createElement('span');
        timings.className = 'timings';
        timings.textContent = ` reload ${reloadMs.toFixed(1)} ms`
            + (keystrokeToFrameMs !== null ? `, keystroke to frame ${keystrokeToFrameMs.toFixed(1)} ms` : '');
        status.append(timings);
    }
}

function drawOverlay() {
    const overlay = $('overlay');
    overlay.hidden = !$('overlay-toggle').checked;
    if (overlay.hidden || !studio.running)
        return;
    const pixels = studio.launcher.overlayPixels();
    overlay.getContext('2d').putImageData(new ImageData(pixels, SCREEN_WIDTH, SCREEN_HEIGHT), 0, 0);
}

// The launcher's loop, a few passes each animation frame.
function animate() {
    requestAnimationFrame(animate);
    if (!studio.running || !studio.launcher || studio.launcher.dead)
        return;
    try {
        let bits = 0;
        for (let i = 0; i < PASSES_PER_FRAME; i++)
            bits |= studio.launcher.pass();
        if (bits & PASS_OVERLAY)
            $('overlay-toggle').checked = !$('overlay-toggle').checked;
        if (bits & PASS_RELOAD) {
            // The same path as a pause in typing, with any typing not yet handed over.
            clearTimeout(studio.pauseTimer);
            if (studio.pauseTimer !== null)
                reloadAfterPause();
            else
                reload(null);
        } else if (bits & (PASS_FRAME | PASS_OVERLAY)) {
            showState();
            drawOverlay();
        }
        if (bits & PASS_SCREENSHOT)
            saveScreenshot();
    } catch (error) {
        launcherFailed(error);
    }
}

// The screen's size: the largest whole multiple of 320 x 240 that fits its panel, at least 1.
function fitScreen() {
    const panel = $('screen-panel');
    const scale = Math.max(1, Math.floor(Math.min(panel.clientWidth / SCREEN_WIDTH, panel.clientHeight / SCREEN_HEIGHT)));
    document.documentElement.style.setProperty('--screen-scale', scale);
    for (const id of ['screen', 'overlay']) {
        $(id).style.width = `${SCREEN_WIDTH * scale}px`;
        $(id).style.height = `${SCREEN_HEIGHT * scale}px`;
    }
}

// Diagnostics ------------------------------------------------------------------------------------

function showDiagnostics() {
    const list = $('diagnostics');
    list.replaceChildren(...studio.diagnostics.map((finding) => {
        const item = document.createElement('li');
        item.className = finding.severity === 'error' ? 'error' : 'warning';
        const button = document.createElement('button');
        button.type = 'button';
        const severity = document.createElement('span');
        severity.className = 'severity';
        severity.textContent = finding.severity;
        const where = document.createElement('span');
        where.className = 'where';
        where.textContent = finding.line > 0 ? `${finding.file}:${finding.line}` : finding.file;
        const message = document.createElement('span');
        message.className = 'text';
        message.textContent = finding.message;
        button.append(severity, where, message);
        button.addEventListener('click', () => {
            if (openFile(finding.file) && finding.line > 0 && !$('editor').hidden)
                editor.goToLine(finding.line);
        });
        item.append(button);
        return item;
    }));
    const errors = studio.diagnostics.filter((finding) => finding.severity === 'error').length;
    const warnings = studio.diagnostics.length - errors;
    $('diagnostic-count').textContent = studio.diagnostics.length
        ? `(${errors} error${errors === 1 ? '' : 's'}, ${warnings} warning${warnings === 1 ? '' : 's'})`
        : '(none)';
    if (studio.current !== null && editor.path === studio.current)
        editor.showDiagnostics(studio.diagnostics.filter((finding) => finding.file === studio.current));
}

// Export ---------------------------------------------------------------------------------------

// Pictures are stored as they are (they are compressed already); the rest is deflated. Either
// way each file unpacks to its exact bytes.
function zipFiles(entries) {
    const tree = {};
    for (const [path, bytes] of entries)
        tree[path] = [bytes, { level: pictureType(path) ? 0 : 6 }];
    return zipSync(tree);
}

function exportCardZip() {
    studio.editedSinceExport = false;
    return zipFiles([...files()].sort(([a], [b]) => (a < b ? -1 : 1)));
}

// One skin's folder, with its paths from the card's root, so that it unzips into place on a card.
function exportSkinZip(name) {
    const prefix = `Tarvo/skins/${name}/`;
    const entries = [...files()].filter(([path]) => path.startsWith(prefix));
    if (entries.length === 0)
        throw new Error(`There is no skin "${name}" on the card (no files below ${prefix}).`);
    return zipFiles(entries.sort(([a], [b]) => (a < b ? -1 : 1)));
}

function download(bytes, name, type) {
    const url = URL.createObjectURL(new Blob([bytes], { type }));
    const link = document.createElement('a');
    link.href = url;
    link.download = name;
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 10000);
}

function screenshotPng() {
    return studio.launcher.screenshotPng();
}

function saveScreenshot() {
    try {
        studio.screenshotCount++;
        download(screenshotPng(), `tarvo-${String(studio.screenshotCount).padStart(4, '0')}.png`, 'image/png');
    } catch (error) {
        launcherFailed(error);
    }
}

// Discarding edits -----------------------------------------------------------------------------

// Adds an empty text file to the card, as an edit: it is kept, exported and discarded like any.
// The path is a card path ("Tarvo/skins/first/Tarvo.skin"); one that leads out of the card, or
// names a file or folder the card has, is refused.
function addFile(path) {
    const card = files();
    const unsafe = unsafeEntryReason(path)
        || (path.split('/').some((part) => part === '.' || part === '') && !path.endsWith('/') ? 'is not a plain path' : null);
    const taken = card.has(path) || [...card.keys()].some((other) => other.startsWith(`${path}/`) || path.startsWith(`${other}/`));
    if (unsafe || taken || path.endsWith('/')) {
        showMessage(`No file was added: "${path}" ${unsafe || (taken ? 'is on the card already' : 'names a folder')}.`, { error: true });
        return false;
    }
    studio.edits.set(path, new Uint8Array(0));
    studio.editedSinceExport = true;
    studio.changedSinceReload.add(path);
    keep(saveEdits(studio.edits));
    tree.show([...files().keys()]);
    tree.mark(path, studio.edits);
    openFile(path);
    reload(null);
    return true;
}

function discardEdits() {
    if (studio.edits.size === 0) {
        showMessage('There are no edits to discard.');
        return;
    }
    const names = [...studio.edits.keys()];
    if (!confirm(`Return ${names.length} edited file${names.length === 1 ? '' : 's'} to the bytes opened?\n\n${names.join('\n')}`))
        return;
    clearTimeout(studio.pauseTimer);
    studio.pauseTimer = null;
    studio.edits = new Map();
    for (const path of names)
        studio.changedSinceReload.add(path);
    keep(saveEdits(studio.edits));
    editor.forget();
    // Files added since the card was opened go with the edits.
    tree.show([...files().keys()]);
    if (studio.current !== null && !files().has(studio.current))
        studio.current = null;
    if (studio.current !== null)
        openFile(studio.current);
    else
        editor.clear();
    reload(null);
}

// Wiring ---------------------------------------------------------------------------------------

function wirePage() {
    $('open-demo').addEventListener('click', () => openFromPerson(openDemoCard));
    $('open-folder').addEventListener('change', (event) => {
        const input = event.target;
        const picked = [...input.files];
        input.value = '';
        if (picked.length === 0)
            return;
        const name = (picked[0].webkitRelativePath || 'card').split('/')[0];
        openFromPerson(async () => openCard(name, makeCard(await readPickedFolder(picked))));
    });
    $('open-zip').addEventListener('change', (event) => {
        const input = event.target;
        const file = input.files[0];
        input.value = '';
        if (!file)
            return;
        openFromPerson(async () => openZipBytes(file.name.replace(/\.zip$/i, ''), new Uint8Array(await file.arrayBuffer())));
    });

    // Dropping a folder or a zip anywhere on the page.
    let dragDepth = 0;
    const dragsFiles = (event) => event.dataTransfer && [...event.dataTransfer.types].includes('Files');
    document.addEventListener('dragenter', (event) => {
        if (!dragsFiles(event))
            return;
        dragDepth++;
        $('drop-hint').hidden = false;
    });
    document.addEventListener('dragleave', () => {
        dragDepth = Math.max(0, dragDepth - 1);
        if (dragDepth === 0)
            $('drop-hint').hidden = true;
    });
    document.addEventListener('dragover', (event) => {
        if (dragsFiles(event))
            event.preventDefault();
    });
    document.addEventListener('drop', (event) => {
        if (!dragsFiles(event))
            return;
        event.preventDefault();
        dragDepth = 0;
        $('drop-hint').hidden = true;
        const reading = readDrop(event.dataTransfer);
        openFromPerson(async () => {
            const dropped = await reading;
            if (dropped.zip) {
                await openZipBytes(dropped.zip.name.replace(/\.zip$/i, ''), new Uint8Array(await dropped.zip.arrayBuffer()));
            } else {
                const first = dropped.entries[0];
                const name = first ? first[0].split('/')[0] : 'card';
                await openCard(name, makeCard(dropped.entries));
            }
        });
    });

    $('export-card').addEventListener('click', () => download(exportCardZip(), `${studio.name || 'card'}.zip`, 'application/zip'));
    $('export-skin').addEventListener('click', () => {
        const name = $('skin-choice').value;
        try {
            download(exportSkinZip(name), `${name}.zip`, 'application/zip');
        } catch (error) {
            showMessage(error.message, { error: true });
        }
    });
    $('screenshot').addEventListener('click', () => saveScreenshot());
    $('new-file').addEventListener('click', () => {
        const path = prompt('The new file, as a path on the card:', 'Tarvo/skins/first/Tarvo.skin');
        if (path !== null)
            addFile(path.trim());
    });
    $('discard').addEventListener('click', () => discardEdits());
    $('restart').addEventListener('click', () => restartLauncher());
    $('overlay-toggle').addEventListener('change', () => drawOverlay());
    $('page-picker').addEventListener('change', (event) => {
        try {
            studio.launcher.showPage(Number(event.target.value));
            showState();
            drawOverlay();
        } catch (error) {
            launcherFailed(error);
        }
    });

    // Edits are kept in IndexedDB as they are made, so closing the page loses them only while a
    // save is still on its way, or when saving failed: ask then, and only then.
    window.addEventListener('beforeunload', (event) => {
        const unsaved = studio.savesPending > 0 || studio.pauseTimer !== null
            || (studio.saveFailed && studio.edits.size > 0);
        if (unsaved) {
            event.preventDefault();
            event.returnValue = '';
        }
    });

    new ResizeObserver(fitScreen).observe($('screen-panel'));
    fitScreen();
    requestAnimationFrame(animate);
}

// Brings back the card last open, with its edits, or opens the demo card.
async function boot() {
    let saved = null;
    try {
        saved = await loadSaved();
    } catch (error) {
        showMessage(`The last card could not be read back from this browser (${error.message}).`, { error: true });
    }
    if (saved) {
        await openAndSay(() => openCard(saved.name, saved.files, { edits: saved.edits, fresh: false })).catch(() => {});
        if (saved.edits.size > 0)
            showMessage(`Brought back ${saved.name} with ${saved.edits.size} edited file${saved.edits.size === 1 ? '' : 's'}.`);
    } else {
        await openAndSay(openDemoCard).catch(() => {});
    }
}

// The interface for tests and the console --------------------------------------------------------

function toMap(files) {
    return files instanceof Map ? new Map(files) : new Map(Object.entries(files));
}

window.tarvoStudio = {
    ready,
    openZip: (bytes) => openAndSay(() => openZipBytes('card', bytes)),
    openFiles: (map) => openAndSay(() => openCard('card', makeCard([...toMap(map)]))),
    files,
    editorText: () => editor.text(),
    setEditorText: (text) => editor.setText(text),
    openFile,
    addFile,
    diagnostics: () => studio.diagnostics.slice(),
    log: () => studio.log.slice(),
    exportCardZip,
    exportSkinZip,
    screenshotPng,
    get module() {
        return studio.launcher ? studio.launcher.module : null;
    },
    get timings() {
        return studio.timings;
    },
    // Saves of the card and its edits to IndexedDB still on their way.
    get pendingSaves() {
        return studio.savesPending;
    },
    whenRedrawn: () => new Promise((resolve, reject) => studio.redrawWaiters.push({ resolve, reject })),
    // Resolves with the findings once the linter's checks after the next frame are in the list.
    whenChecked: () => new Promise((resolve, reject) => studio.checkWaiters.push({ resolve, reject })),
    restartLauncher,
    discardEdits,
};

wirePage();
boot();
