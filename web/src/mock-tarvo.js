// A stand-in for the launcher's WebAssembly module (tarvo.js), with the same interface, for trying
// the page before the real module is built. It is not part of the bundle: copy it as tarvo.js next
// to studio.js. It reads the card from its file system, fills the screen with each page's
// BACKGROUND=color, draws rect and text elements roughly, reports unknown keywords as errors, and
// aborts (throws) on a line "ABORT=now", to try the page's recovery.

const WIDTH = 320;
const HEIGHT = 240;
const KEYWORDS = new Set(['PAGE', 'STARTPAGE', 'VARIABLE', 'BACKGROUND', 'RETURN', 'BUTTON', 'TYPE',
    'NAVIGATION', 'LEFT', 'RIGHT', 'UP', 'DOWN', 'ACTION', 'OPTIONS']);

function makeFs() {
    const nodes = new Map([['/', null]]); // null: a folder
    const parent = (path) => path.slice(0, path.lastIndexOf('/')) || '/';
    return {
        nodes,
        analyzePath: (path) => ({ exists: nodes.has(path) }),
        lstat: (path) => {
            if (!nodes.has(path))
                throw new Error(`ENOENT ${path}`);
            return { mode: nodes.get(path) === null ? 0o40755 : 0o100644 };
        },
        isDir: (mode) => (mode & 0o170000) === 0o40000,
        readdir: (path) => ['.', '..', ...[...nodes.keys()].filter((p) => p !== '/' && parent(p) === path).map((p) => p.slice(path.length + 1))],
        rmdir: (path) => nodes.delete(path),
        unlink: (path) => nodes.delete(path),
        mkdirTree: (path) => {
            let at = '';
            for (const part of path.split('/').filter(Boolean)) {
                at += '/' + part;
                if (!nodes.has(at))
                    nodes.set(at, null);
            }
        },
        writeFile: (path, bytes) => {
            if (!nodes.has(parent(path)))
                throw new Error(`ENOENT ${parent(path)}`);
            nodes.set(path, new Uint8Array(bytes));
        },
        readFile: (path) => nodes.get(path),
    };
}

export default async function createTarvo({ canvas, print, printErr }) {
    const FS = makeFs();
    const memory = new ArrayBuffer(1 << 20);
    const module = { FS, HEAPU8: new Uint8Array(memory), HEAPU32: new Uint32Array(memory) };
    const context = canvas.getContext('2d');
    let pages = new Map();
    let state = { skin: 'concept', page: 0, element: 0, pages: [] };
    let findings = [];
    let bits = 0;
    let aborted = false;

    // Strings and buffers are handed out at fixed places in the heap, as a C function's static
    // buffer would be.
    const writeString = (text, at) => {
        const bytes = new TextEncoder().encode(text + '\0');
        module.HEAPU8.set(bytes, at);
        return at;
    };
    module.UTF8ToString = (pointer) => {
        let end = pointer;
        while (module.HEAPU8[end] !== 0)
            end++;
        return new TextDecoder().decode(module.HEAPU8.subarray(pointer, end));
    };

    const text = (path) => {
        const bytes = FS.readFile(`/card/${path}`);
        return bytes ? new TextDecoder().decode(bytes) : null;
    };

    function read() {
        findings = [];
        const config = text('Tarvo/Tarvo.cfg') || '';
        const skinLine = config.split(/\r?\n/).find((line) => line.startsWith('SKIN='));
        state.skin = skinLine ? skinLine.slice(5) : 'concept';
        const file = `Tarvo/skins/${state.skin}/Tarvo.skin`;
        const skin = text(file);
        pages = new Map();
        if (skin === null) {
            findings.push({ file, line: 0, severity: 'error', message: 'the skin cannot be read' });
            return;
        }
        let page = null;
        let element = null;
        let start = 0;
        skin.split('\n').forEach((raw, index) => {
            const line = raw.replace(/\r$/, '');
            if (line === '' || line.startsWith('//') || !line.includes('='))
                return;
            const keyword = line.slice(0, line.indexOf('=')).toUpperCase();
            const args = line.slice(line.indexOf('=') + 1).split(',');
            if (keyword === 'ABORT')
                throw new Error('RuntimeError: unreachable (the mock was told to abort)');
            if (!KEYWORDS.has(keyword)) {
                findings.push({ file, line: index + 1, severity: 'error', message: `unknown keyword '${keyword}': the line is ignored` });
                return;
            }
            if (keyword === 'PAGE') {
                page = { background: '000000', elements: [] };
                pages.set(parseInt(args[0], 10) || 0, page);
            } else if (keyword === 'STARTPAGE') {
                start = parseInt(args[0], 10) || 0;
            } else if (page && keyword === 'BACKGROUND' && args[0] === 'color') {
                page.background = args[1];
            } else if (page && keyword === 'BUTTON') {
                element = { line: index + 1 };
                page.elements.push(element);
            } else if (element && keyword === 'TYPE') {
                element.args = args;
                if (args[0] === 'text' && !args[3].includes('%') && !/^[0-9A-Fa-f]{6}$/.test(args[3]))
                    findings.push({ file, line: index + 1, severity: 'warning', message: `colour '${args[3]}' is not six hexadecimal digits` });
            }
        });
        state.pages = [...pages.keys()].sort((a, b) => a - b);
        if (!pages.has(state.page))
            state.page = pages.has(start) ? start : state.pages[0] || 0;
        state.element = Math.min(state.element, Math.max(0, (pages.get(state.page)?.elements.length || 1) - 1));
    }

    function draw() {
        const page = pages.get(state.page);
        context.fillStyle = page ? `#${page.background}` : '#000';
        context.fillRect(0, 0, WIDTH, HEIGHT);
        if (!page)
            return;
        page.elements.forEach((element, index) => {
            const args = element.args || [];
            if (args[0] === 'rect') {
                context.fillStyle = `#${args[5]}`;
                context.fillRect(+args[1], +args[2], args[3] - args[1] + 1, args[4] - args[2] + 1);
            } else if (args[0] === 'text') {
                context.fillStyle = `#${index === state.element ? args[4] : args[3]}`;
                context.font = '11px sans-serif';
                context.textBaseline = 'top';
                context.fillText(args.slice(5).join(','), +args[1], +args[2]);
            }
        });
        bits |= 1;
    }

    const guard = (work) => (...args) => {
        if (aborted)
            throw new Error('Aborted()');
        try {
            return work(...args);
        } catch (error) {
            aborted = true;
            printErr(`Aborted(${error.message})`);
            throw error;
        }
    };

    canvas.addEventListener('keydown', (event) => {
        const keys = { F1: 4, F5: 2, F12: 8 };
        if (keys[event.key]) {
            bits |= keys[event.key];
        } else if (event.key === 'ArrowDown' || event.key === 'ArrowUp') {
            const count = pages.get(state.page)?.elements.length || 1;
            state.element = (state.element + (event.key === 'ArrowDown' ? 1 : count - 1)) % count;
            print(`Action is select,${state.element}`);
            draw();
        } else if (event.key === 'b' || event.key === 'Enter') {
            print(`Would run: /mnt/sd/games/Snake.gpe (element ${state.element})`);
        }
    });

    const functions = {
        tarvo_start: guard(() => {
            state.page = -1;
            read();
            draw();
        }),
        tarvo_reload: guard(() => {
            read();
            draw();
        }),
        tarvo_pass: guard(() => {
            const result = bits;
            bits = 0;
            return result;
        }),
        tarvo_diagnostics: guard(() => writeString(JSON.stringify(findings), 0x10000)),
        tarvo_state: guard(() => writeString(JSON.stringify(state), 0x8000)),
        tarvo_show_page: guard((page) => {
            if (pages.has(page)) {
                state.page = page;
                state.element = 0;
                draw();
            }
        }),
        tarvo_overlay: guard(() => {
            const start = 0x20000;
            const pixels = module.HEAPU32.subarray(start >> 2, (start >> 2) + WIDTH * HEIGHT);
            pixels.fill(0);
            (pages.get(state.page)?.elements || []).forEach((element, index) => {
                const args = element.args || [];
                if (args[0] !== 'rect')
                    return;
                const colour = index === state.element ? 0xffffffff : 0xffff00ff;
                for (let x = +args[1]; x <= +args[3]; x++) {
                    pixels[+args[2] * WIDTH + x] = colour;
                    pixels[+args[4] * WIDTH + x] = colour;
                }
            });
            return start;
        }),
        tarvo_screenshot: guard(() => {
            const data = atob(canvas.toDataURL('image/png').split(',')[1]);
            const start = 0x80000;
            for (let i = 0; i < data.length; i++)
                module.HEAPU8[start + i] = data.charCodeAt(i);
            module.screenshotSize = data.length;
            return start;
        }),
        tarvo_screenshot_size: guard(() => module.screenshotSize || 0),
    };
    module.cwrap = (name) => {
        if (!functions[name])
            throw new Error(`no function ${name}`);
        return functions[name];
    };
    module.ccall = (name, returns, types, args) => module.cwrap(name)(...args);
    return module;
}
