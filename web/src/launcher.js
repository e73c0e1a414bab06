// The launcher compiled to WebAssembly, as the page uses it: makes the module, writes a card into
// its file system below "/card", starts and reloads it, runs its loop from the animation frames,
// and reads its diagnostics, state, overlay and screenshots.
//
// A module that aborts (a trap, a failed assertion) cannot be called again: every call here goes
// through `call`, which marks the launcher dead on the first throw and throws a LauncherDied. The
// page then offers to restart it, which makes a new module from the same card.

const CARD_ROOT = '/card';
const SCREEN_WIDTH = 320;
const SCREEN_HEIGHT = 240;

// The bits tarvo_pass() returns.
export const PASS_FRAME = 1;
export const PASS_RELOAD = 2;
export const PASS_OVERLAY = 4;
export const PASS_SCREENSHOT = 8;

export class LauncherDied extends Error {}

export class Launcher {
    // print and printErr receive every line the module writes to standard output and error.
    constructor(canvas, { print, printErr }) {
        this.canvas = canvas;
        this.print = print;
        this.printErr = printErr;
        this.module = null;
        this.dead = false;
        this.api = null;
    }

    // Makes the module. The module's script is loaded on first use, so that the page works (opens,
    // edits and exports cards) even when the script is missing.
    async create() {
        const { default: createTarvo } = await import('./tarvo.js');
        this.module = await createTarvo({
            canvas: this.canvas,
            print: (line) => this.print(line),
            printErr: (line) => this.printErr(line),
        });
        const wrap = (name, returns, args = []) => this.module.cwrap(name, returns, args);
        this.api = {
            start: wrap('tarvo_start', null),
            reload: wrap('tarvo_reload', null),
            lint: wrap('tarvo_lint', null),
            pass: wrap('tarvo_pass', 'number'),
            diagnostics: wrap('tarvo_diagnostics', 'number'),
            state: wrap('tarvo_state', 'number'),
            words: wrap('tarvo_words', 'number'),
            showPage: wrap('tarvo_show_page', null, ['number']),
            overlay: wrap('tarvo_overlay', 'number'),
            screenshot: wrap('tarvo_screenshot', 'number'),
            screenshotSize: wrap('tarvo_screenshot_size', 'number'),
        };
        this.dead = false;
    }

    call(work) {
        if (this.dead || !this.module)
            throw new LauncherDied('The launcher is not running.');
        try {
            return work(this.api, this.module);
        } catch (error) {
            this.dead = true;
            throw new LauncherDied(`The launcher stopped: ${error && error.message ? error.message : error}`);
        }
    }

    // Replaces the card in the module's file system: the old one is removed whole first.
    writeCard(files) {
        this.call((api, module) => {
            removeTree(module.FS, CARD_ROOT);
            module.FS.mkdirTree(CARD_ROOT);
            for (const [path, bytes] of files)
                writeOne(module.FS, path, bytes);
        });
    }

    writeFile(path, bytes) {
        this.call((api, module) => writeOne(module.FS, path, bytes));
    }

    // A file the card no longer has (one added, then discarded).
    removeFile(path) {
        this.call((api, module) => removeTree(module.FS, `${CARD_ROOT}/${path}`));
    }

    start() {
        this.call((api) => api.start());
    }

    reload() {
        this.call((api) => api.reload());
    }

    // Adds the linter's checks of the whole card to the findings of the last start or reload.
    lint() {
        this.call((api) => api.lint());
    }

    pass() {
        return this.call((api) => api.pass());
    }

    showPage(page) {
        this.call((api) => api.showPage(page));
    }

    // The findings of the last start or reload. A reply that is not JSON is the module's fault,
    // not a reason to stop it: it is said on the log and read as no findings.
    diagnostics() {
        return parseReply(this.call((api, module) => module.UTF8ToString(api.diagnostics())), [], this.printErr);
    }

    // Every word the launcher's text files know, for the editor's colours.
    words() {
        return parseReply(this.call((api, module) => module.UTF8ToString(api.words())), {}, this.printErr);
    }

    state() {
        return parseReply(this.call((api, module) => module.UTF8ToString(api.state())), {}, this.printErr);
    }

    // The overlay as RGBA bytes for an ImageData: the module gives 0xAARRGGBB words. The heap is
    // looked up on every call, since it is replaced when the module's memory grows.
    overlayPixels() {
        return this.call((api, module) => {
            const start = api.overlay() >>> 2;
            const words = module.HEAPU32.subarray(start, start + SCREEN_WIDTH * SCREEN_HEIGHT);
            const rgba = new Uint8ClampedArray(words.length * 4);
            for (let i = 0; i < words.length; i++) {
                const pixel = words[i];
                rgba[i * 4] = (pixel >>> 16) & 0xff;
                rgba[i * 4 + 1] = (pixel >>> 8) & 0xff;
                rgba[i * 4 + 2] = pixel & 0xff;
                rgba[i * 4 + 3] = pixel >>> 24;
            }
            return rgba;
        });
    }

    // The frame as the handheld shows it, as PNG bytes (a copy: the module's buffer is reused).
    screenshotPng() {
        return this.call((api, module) => {
            const start = api.screenshot();
            const size = api.screenshotSize();
            return module.HEAPU8.slice(start, start + size);
        });
    }
}

function parseReply(text, fallback, printErr) {
    try {
        return JSON.parse(text);
    } catch (error) {
        printErr(`studio: the launcher's reply is not JSON (${error.message}): ${text.slice(0, 200)}`);
        return fallback;
    }
}

function writeOne(fs, path, bytes) {
    const full = `${CARD_ROOT}/${path}`;
    const folder = full.slice(0, full.lastIndexOf('/'));
    fs.mkdirTree(folder);
    fs.writeFile(full, bytes);
}

// Removes a folder and everything below it from the module's file system (emscripten's FS has no
// recursive removal). Links are removed, never followed.
function removeTree(fs, path) {
    if (!fs.analyzePath(path).exists)
        return;
    const mode = fs.lstat(path).mode;
    if (fs.isDir(mode)) {
        for (const name of fs.readdir(path)) {
            if (name !== '.' && name !== '..')
                removeTree(fs, `${path}/${name}`);
        }
        fs.rmdir(path);
    } else {
        fs.unlink(path);
    }
}

export { SCREEN_WIDTH, SCREEN_HEIGHT };
