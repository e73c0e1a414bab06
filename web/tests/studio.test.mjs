// The studio in a real browser: Debian's chromium, headless, driven by puppeteer-core, on the
// page scripts/web builds into build/web/ (served here on 127.0.0.1 by a small server of the
// test's own). Run by scripts/test web:
//   TARVO_HEADLESS=build/host/frontends/tarvo-headless node --test web/tests/
// TARVO_HEADLESS names the computer's tarvo-headless, which the frames are compared with.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { cpSync, mkdirSync, mkdtempSync, readFileSync, readdirSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, relative } from 'node:path';
import { deflateSync } from 'node:zlib';
import { launchChromium, packages, project, serveFolder } from './browser.mjs';

const { unzipSync, zipSync } = packages('fflate');
const headless = process.env.TARVO_HEADLESS || join(project, 'build', 'host', 'frontends', 'tarvo-headless');
const screenshotPath = process.env.TARVO_STUDIO_SCREENSHOT || join(project, 'build', 'web-test', 'studio.png');
const skinPath = 'Tarvo/skins/concept/Tarvo.skin';

let server;
let origin;
let browser;
let scratch;

before(async () => {
    scratch = mkdtempSync(join(tmpdir(), 'tarvo-web-'));
    ({ server, origin } = await serveFolder(join(project, 'build', 'web')));
    browser = await launchChromium(join(scratch, 'profile'));
});

after(async () => {
    await browser?.close();
    server?.close();
    rmSync(scratch, { recursive: true, force: true });
});

// A page of its own (its own storage), on the demo card once the launcher shows it.
async function openStudio() {
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    await page.setViewport({ width: 1400, height: 900 });
    const errors = [];
    page.on('pageerror', (error) => errors.push(error.message));
    await page.goto(origin);
    await page.waitForFunction(() => window.tarvoStudio);
    await page.evaluate(() => window.tarvoStudio.ready);
    return { page, context, errors };
}

// Types text as a person would: the editor's content replaced, then the pause, the reload and the
// frame.
async function typeText(page, text) {
    return page.evaluate(async (text) => {
        const redrawn = window.tarvoStudio.whenRedrawn();
        window.tarvoStudio.setEditorText(text);
        return redrawn;
    }, text);
}

// The screen canvas's pixels as RGB bytes.
async function canvasRgb(page) {
    const rgba = Buffer.from(await page.evaluate(() => {
        const canvas = document.getElementById('screen');
        const data = canvas.getContext('2d').getImageData(0, 0, 320, 240).data;
        return btoa(Array.from(data, (byte) => String.fromCharCode(byte)).join(''));
    }), 'base64');
    return rgbOf(rgba, 4);
}

function rgbOf(bytes, step) {
    const rgb = Buffer.alloc(320 * 240 * 3);
    for (let i = 0; i < 320 * 240; i++)
        bytes.copy(rgb, 3 * i, step * i, step * i + 3);
    return rgb;
}

// A PNG's pixels as RGB bytes, decoded by the browser.
async function pngRgb(page, png) {
    const rgba = Buffer.from(await page.evaluate(async (base64) => {
        const bitmap = await createImageBitmap(new Blob([Uint8Array.from(atob(base64), (c) => c.charCodeAt(0))], { type: 'image/png' }),
            { colorSpaceConversion: 'none', premultiplyAlpha: 'none' });
        const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
        const context = canvas.getContext('2d');
        context.drawImage(bitmap, 0, 0);
        const data = context.getImageData(0, 0, bitmap.width, bitmap.height).data;
        return btoa(Array.from(data, (byte) => String.fromCharCode(byte)).join(''));
    }, png.toString('base64')), 'base64');
    return rgbOf(rgba, 4);
}

// RGB565 frames widened as the screen shows them.
function widened(frame) {
    const rgb = Buffer.alloc(320 * 240 * 3);
    for (let i = 0; i < 320 * 240; i++) {
        const pixel = frame.readUInt16LE(2 * i);
        const red = (pixel >> 11) & 0x1f;
        const green = (pixel >> 5) & 0x3f;
        const blue = pixel & 0x1f;
        rgb[3 * i] = (red << 3) | (red >> 2);
        rgb[3 * i + 1] = (green << 2) | (green >> 4);
        rgb[3 * i + 2] = (blue << 3) | (blue >> 2);
    }
    return rgb;
}

// Every file of a folder, by card path.
function folderFiles(folder) {
    const files = {};
    const walk = (at) => {
        for (const name of readdirSync(at)) {
            const path = join(at, name);
            if (statSync(path).isDirectory())
                walk(path);
            else
                files[relative(folder, path)] = readFileSync(path);
        }
    };
    walk(folder);
    return files;
}

// The demo card in a folder of the test's own, with its skin changed by edit.
function demoCard(name, edit = (text) => text) {
    const folder = join(scratch, name);
    cpSync(join(project, 'sdcard'), folder, { recursive: true });
    const skin = join(folder, skinPath);
    writeFileSync(skin, edit(readFileSync(skin, 'latin1')), 'latin1');
    return folder;
}

function unzipped(bytes) {
    return Object.fromEntries(Object.entries(unzipSync(bytes)).filter(([path]) => !path.endsWith('/')).map(([path, data]) => [path, Buffer.from(data)]));
}

test('a key script on the demo card gives the frames tarvo-headless gives, and the canvas shows the last one exactly', async () => {
    const keys = readFileSync(join(project, 'sdcard-src', 'tour.keys'), 'utf8');
    const card = demoCard('tour');
    const frames = join(scratch, 'tour-frames');
    execFileSync(headless, ['--sd', card, '--keys', join(project, 'sdcard-src', 'tour.keys'), '--frames', frames, '--raw', '--no-exec'], { stdio: 'ignore' });
    const expected = readdirSync(frames).filter((name) => name.endsWith('.rgb565')).sort().map((name) => readFileSync(join(frames, name)));
    assert.ok(expected.length > 20, 'the tour shows many frames');

    const { page, context, errors } = await openStudio();
    const played = await page.evaluate((keys) => {
        const module = window.tarvoStudio.module;
        const count = module.ccall('tarvo_play', 'number', ['string'], [keys]);
        const bytes = module.HEAPU8.subarray(module._tarvo_played_frames(), module._tarvo_played_frames() + count * 153600);
        let text = '';
        for (let i = 0; i < bytes.length; i += 0x8000)
            text += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
        return { count, frames: btoa(text) };
    }, keys);
    const all = Buffer.from(played.frames, 'base64');
    assert.equal(played.count, expected.length, 'as many frames as tarvo-headless');
    for (let i = 0; i < expected.length; i++)
        assert.ok(all.subarray(i * 153600, (i + 1) * 153600).equals(expected[i]), `frame ${i + 1} is byte-equal`);
    assert.ok((await canvasRgb(page)).equals(widened(expected.at(-1))), 'the canvas shows the last frame pixel for pixel');
    // The linter's reading of the card leaves the frame on show as it was.
    await page.evaluate(() => window.tarvoStudio.module._tarvo_lint());
    assert.ok((await canvasRgb(page)).equals(widened(expected.at(-1))), 'the canvas still shows it after the linter');
    const screenshot = Buffer.from(await page.evaluate(() => btoa(Array.from(window.tarvoStudio.screenshotPng(), (b) => String.fromCharCode(b)).join(''))), 'base64');
    assert.ok((await pngRgb(page, screenshot)).equals(widened(expected.at(-1))), 'the screenshot is the frame on show');
    assert.deepEqual(errors, []);
    await context.close();
});

test('a typed mistake is listed and marked at its line, an edit redraws the screen as tarvo-headless draws it, and the fix clears the mistake', async () => {
    const { page, context, errors } = await openStudio();
    assert.equal(await page.evaluate((path) => window.tarvoStudio.openFile(path), skinPath), true);
    const original = await page.evaluate(() => window.tarvoStudio.editorText());
    const lines = original.split('\n');
    const recent = lines.findIndex((line) => line.endsWith(',Recent'));
    assert.ok(recent > 0, 'the skin has the text Recent');

    // A half-typed keyword line, then another and another: the page keeps up and names each.
    const before = await canvasRgb(page);
    const mistaken = [...lines];
    mistaken.splice(recent + 1, 0, 'NAVIGATON=7,7,3,0');
    await typeText(page, mistaken.join('\n'));
    const line = recent + 2;
    const listed = await page.evaluate(() => window.tarvoStudio.diagnostics());
    const mistake = listed.find((finding) => finding.line === line && finding.file === 'Tarvo/skins/concept/Tarvo.skin');
    assert.ok(mistake, `the mistake is listed at line ${line}: ${JSON.stringify(listed)}`);
    assert.match(mistake.message, /NAVIGATON/);
    assert.equal(await page.$eval('[data-testid=diagnostics]', (list, where) => list.textContent.includes(where),
        `Tarvo/skins/concept/Tarvo.skin:${line}`), true, 'the list on the page names file and line');
    // The gutter's mark sits on the line of the mistake.
    const marked = await page.evaluate(() => {
        const gutter = document.querySelector('.cm-gutter-lint');
        const numbers = [...document.querySelectorAll('.cm-lineNumbers .cm-gutterElement')];
        return [...gutter.querySelectorAll('.cm-gutterElement')].filter((element) => element.querySelector('.cm-lint-marker'))
            .map((element) => numbers.find((number) => Math.abs(number.offsetTop - element.offsetTop) < 2)?.textContent);
    });
    assert.ok(marked.includes(String(line)), `the gutter marks line ${line} (marked: ${marked})`);
    // The editor colours the launcher's keywords, and so not the misspelt one.
    const colours = await page.evaluate(() => {
        const colourOf = (text) => {
            const span = [...document.querySelectorAll('.cm-line span')].find((element) => element.textContent === text);
            return span ? getComputedStyle(span).color : null;
        };
        return { known: colourOf('NAVIGATION'), misspelt: colourOf('NAVIGATON'), page: colourOf('PAGE') };
    });
    assert.ok(colours.known && colours.known === colours.page, `keywords share a colour: ${JSON.stringify(colours)}`);
    assert.notEqual(colours.misspelt, colours.known, 'a word that is no keyword is not coloured as one');

    // The fix, with an edit of the text: the mistake goes, and the screen is the edited card's.
    const fixed = [...lines];
    fixed[recent] = fixed[recent].replace(/,Recent$/, ',Played');
    await typeText(page, fixed.join('\n'));
    const after = await page.evaluate(() => window.tarvoStudio.diagnostics());
    assert.equal(after.filter((finding) => finding.line === line).length, 0, 'fixing the line clears its mistake');
    const shown = await canvasRgb(page);
    assert.ok(!shown.equals(before), 'the screen is redrawn');
    const card = demoCard('edited', (text) => text.replace(/,Recent\n/, ',Played\n'));
    const pages = join(scratch, 'edited-pages');
    execFileSync(headless, ['--sd', card, '--pages', pages], { stdio: 'ignore' });
    assert.ok(shown.equals(await pngRgb(page, readFileSync(join(pages, 'page-000.png')))),
        'the screen is the edited page as tarvo-headless draws it');
    assert.deepEqual(errors, []);
    await context.close();
});

test('a zip and a folder opened, edited and exported come back byte-equal where untouched', async () => {
    const { page, context } = await openStudio();
    const card = demoCard('exported');
    const files = folderFiles(card);
    // A byte the editor must never see as text, and a Latin-1 text that must keep its bytes.
    files['Tarvo/skins/concept/odd.bin'] = Buffer.from([0, 1, 2, 0xff, 0xfe, 13, 10]);
    files['Tarvo/skins/concept/notes.txt'] = Buffer.from('caf\xe9\r\n', 'latin1');
    const zip = Buffer.from(zipSync(Object.fromEntries(Object.entries(files).map(([path, bytes]) => [`card/${path}`, new Uint8Array(bytes)]))));

    const openedZip = async () => page.evaluate(async (base64) => {
        await window.tarvoStudio.openZip(Uint8Array.from(atob(base64), (c) => c.charCodeAt(0)));
    }, zip.toString('base64'));
    const folderInput = async () => {
        const input = await page.$('#open-folder');
        const redrawn = page.evaluate(() => window.tarvoStudio.whenRedrawn());
        writeFileSync(join(card, 'Tarvo/skins/concept/odd.bin'), files['Tarvo/skins/concept/odd.bin']);
        writeFileSync(join(card, 'Tarvo/skins/concept/notes.txt'), files['Tarvo/skins/concept/notes.txt']);
        await input.uploadFile(card);
        await redrawn;
    };
    for (const [how, open] of [['zip', openedZip], ['folder', folderInput]]) {
        await open();
        assert.equal(await page.evaluate(() => window.tarvoStudio.files().size), Object.keys(files).length, `${how}: every file is opened`);
        assert.equal(await page.evaluate(() => window.tarvoStudio.openFile('Tarvo/Tarvo.cfg')), true);
        const text = await page.evaluate(() => window.tarvoStudio.editorText());
        await typeText(page, text.replace('KEYBOARD_RATE=300,15', 'KEYBOARD_RATE=250,15'));
        const exported = unzipped(await page.evaluate(async () => btoa(Array.from(window.tarvoStudio.exportCardZip(), (b) => String.fromCharCode(b)).join('')))
            .then((base64) => Buffer.from(base64, 'base64')));
        assert.deepEqual(Object.keys(exported).sort(), Object.keys(files).sort(), `${how}: the export holds the card's files`);
        for (const [path, bytes] of Object.entries(files)) {
            if (path === 'Tarvo/Tarvo.cfg')
                assert.equal(exported[path].toString('latin1'), bytes.toString('latin1').replace('KEYBOARD_RATE=300,15', 'KEYBOARD_RATE=250,15'), `${how}: the edit is exported`);
            else
                assert.ok(exported[path].equals(bytes), `${how}: ${path} comes back byte-equal`);
        }
        const skin = unzipped(await page.evaluate(async () => btoa(Array.from(window.tarvoStudio.exportSkinZip('night'), (b) => String.fromCharCode(b)).join('')))
            .then((base64) => Buffer.from(base64, 'base64')));
        const night = Object.keys(files).filter((path) => path.startsWith('Tarvo/skins/night/')).sort();
        assert.deepEqual(Object.keys(skin).sort(), night, `${how}: a skin's zip holds that skin's folder`);
        for (const path of night)
            assert.ok(skin[path].equals(files[path]), `${how}: ${path} in the skin's zip is byte-equal`);
    }
    // The Latin-1 text and the binary file are not editable.
    await page.evaluate(() => window.tarvoStudio.openFile('Tarvo/skins/concept/notes.txt'));
    assert.match(await page.$eval('[data-testid=file-note]', (note) => note.textContent), /read-only/i);
    await context.close();
});

test('a zip leading out of the card, absolute or holding a link is refused, naming the entry', async () => {
    const { page, context } = await openStudio();
    const cfg = new Uint8Array(Buffer.from('SKIN=concept\n'));
    const link = Buffer.from(zipSync({ 'Tarvo/Tarvo.cfg': cfg, 'Tarvo/skins/up': [new Uint8Array(Buffer.from('../../etc')), { os: 3, attrs: 0o120777 << 16 }] }));
    const cases = [
        [Buffer.from(zipSync({ 'Tarvo/Tarvo.cfg': cfg, 'Tarvo/../../evil.txt': cfg })), 'Tarvo/../../evil.txt'],
        [Buffer.from(zipSync({ 'Tarvo/Tarvo.cfg': cfg, '/etc/evil.txt': cfg })), '/etc/evil.txt'],
        [link, 'Tarvo/skins/up'],
    ];
    for (const [zip, entry] of cases) {
        const refused = await page.evaluate(async (base64) => {
            try {
                await window.tarvoStudio.openZip(Uint8Array.from(atob(base64), (c) => c.charCodeAt(0)));
                return null;
            } catch (error) {
                return document.querySelector('[data-testid=messages]').textContent;
            }
        }, zip.toString('base64'));
        assert.ok(refused && refused.includes(entry), `refused, naming ${entry}: ${refused}`);
        assert.ok(await page.evaluate(() => window.tarvoStudio.files().has('Tarvo/skins/concept/Tarvo.skin')), 'the card on show stays');
    }
    await context.close();
});

test('edits survive a reload of the page', async () => {
    const { page, context } = await openStudio();
    await page.evaluate((path) => window.tarvoStudio.openFile(path), skinPath);
    const text = await page.evaluate(() => window.tarvoStudio.editorText());
    const edited = text.replace(',Recent\n', ',Kept\n');
    await typeText(page, edited);
    await page.waitForFunction(() => window.tarvoStudio.pendingSaves === 0);
    await page.reload();
    await page.waitForFunction(() => window.tarvoStudio);
    await page.evaluate(() => window.tarvoStudio.ready);
    assert.equal(await page.evaluate(() => new TextDecoder().decode(window.tarvoStudio.files().get('Tarvo/skins/concept/Tarvo.skin'))), edited);
    await page.evaluate((path) => window.tarvoStudio.openFile(path), skinPath);
    assert.equal(await page.evaluate(() => window.tarvoStudio.editorText()), edited, 'the editor shows the edit');
    await context.close();
});

test('exec and config actions run nothing and write nothing: the log says what they would do', async () => {
    const { page, context } = await openStudio();
    // Page 0 of the demo card; its settings page (4) sets SKIN, its Exit quits.
    await page.click('#screen');
    const press = async (key) => {
        await page.keyboard.down(key);
        await page.waitForFunction(() => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(() => resolve(true)))));
        await page.keyboard.up(key);
        await page.waitForFunction(() => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(() => resolve(true)))));
    };
    const state = () => page.evaluate(() => JSON.parse(window.tarvoStudio.module.UTF8ToString(window.tarvoStudio.module._tarvo_state())));
    await press('ArrowRight');
    await press('ArrowRight');
    await press('Enter');
    assert.equal((await state()).page, 3, 'B on the Apps tile shows the apps page');
    await press('Enter');
    const log = await page.evaluate(() => window.tarvoStudio.log());
    assert.ok(log.includes('Would run: exec /mnt/sd/apps/ ./calculator.gpe --mode basic'), `the start is only said: ${log.slice(-5)}`);
    assert.ok(log.includes('Action is exec--/mnt/sd/apps/--./calculator.gpe----mode--basic'), `the action line is in the log: ${log.slice(-5)}`);
    assert.equal((await state()).page, 3, 'the launcher stays on its page');

    // The settings page's first setting: its config line is said, and Tarvo.cfg is untouched.
    await page.evaluate(() => {
        window.tarvoStudio.module._tarvo_show_page(4);
    });
    const cfgBefore = await page.evaluate(() => window.tarvoStudio.module.FS.readFile('/card/Tarvo/Tarvo.cfg', { encoding: 'utf8' }));
    await press('Enter');
    const settings = await page.evaluate(() => window.tarvoStudio.log());
    assert.ok(settings.some((line) => /^Would set: \w+=/.test(line)), `the setting is only said: ${settings.slice(-4)}`);
    assert.equal(await page.evaluate(() => window.tarvoStudio.module.FS.readFile('/card/Tarvo/Tarvo.cfg', { encoding: 'utf8' })), cfgBefore);
    assert.equal((await state()).page, 4, 'the launcher stays');

    // A gamepad's d-pad and its B (the browser's standard mapping) are the handheld's buttons.
    await page.evaluate(() => {
        const pad = { connected: true, id: 'test pad', index: 0, mapping: 'standard', timestamp: 0, axes: [0, 0, 0, 0],
            buttons: Array.from({ length: 17 }, () => ({ pressed: false, touched: false, value: 0 })) };
        window.testPad = pad;
        navigator.getGamepads = () => [pad];
    });
    const padPress = async (button) => {
        await page.evaluate((button) => {
            window.testPad.buttons[button] = { pressed: true, touched: true, value: 1 };
        }, button);
        await page.waitForFunction(() => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(() => resolve(true)))));
        await page.evaluate((button) => {
            window.testPad.buttons[button] = { pressed: false, touched: false, value: 0 };
        }, button);
        await page.waitForFunction(() => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(() => resolve(true)))));
    };
    const element = (await state()).element;
    await padPress(13);
    assert.notEqual((await state()).element, element, 'the d-pad moves the selection');
    // F1 on the screen outlines the elements over it.
    assert.equal(await page.$eval('#overlay', (overlay) => overlay.hidden), true);
    await press('F1');
    assert.equal(await page.$eval('#overlay', (overlay) => overlay.hidden), false, 'F1 shows the outlines');
    await context.close();
});

test('a hostile card leaves the page responsive: endless expansion, a picture bomb, a 4 MiB skin', async () => {
    const { page, context, errors } = await openStudio();
    // A PNG that says it is 65535 x 65535 pixels, with one row of data.
    const chunk = (type, data) => {
        const body = Buffer.concat([Buffer.from(type, 'latin1'), data]);
        const length = Buffer.alloc(4);
        length.writeUInt32BE(data.length);
        const crc = Buffer.alloc(4);
        crc.writeUInt32BE(crc32(body));
        return Buffer.concat([length, body, crc]);
    };
    const header = Buffer.alloc(13);
    header.writeUInt32BE(65535, 0);
    header.writeUInt32BE(65535, 4);
    header.set([8, 2, 0, 0, 0], 8);
    const bomb = Buffer.concat([Buffer.from([137, 80, 78, 71, 13, 10, 26, 10]), chunk('IHDR', header),
        chunk('IDAT', deflateSync(Buffer.alloc(65535 * 3 + 1))), chunk('IEND', Buffer.alloc(0))]);
    const worst = readFileSync(join(project, 'fuzz', 'corpus', 'skin', 'expansion-growth'), 'latin1');
    const huge = 'PAGE=0\n' + `BUTTON=0\nTYPE=text,0,0,FFFFFF,FFFFFF,${'x'.repeat(60)}\n`.repeat(4 * 1024 * 1024 / 80);
    const skins = [
        ['endless expansion', worst],
        ['picture bomb', 'PAGE=0\nBACKGROUND=image,%skindir%bomb.png\nBUTTON=0\nTYPE=text,10,10,FFFFFF,FFFFFF,still here\n'],
        ['4 MiB skin', huge],
    ];
    const card = folderFiles(join(project, 'sdcard'));
    card['Tarvo/skins/concept/bomb.png'] = bomb;
    await page.evaluate(async (files) => {
        await window.tarvoStudio.openFiles(Object.fromEntries(Object.entries(files).map(([path, base64]) => [path, Uint8Array.from(atob(base64), (c) => c.charCodeAt(0))])));
    }, Object.fromEntries(Object.entries(card).map(([path, bytes]) => [path, bytes.toString('base64')])));
    await page.evaluate((path) => window.tarvoStudio.openFile(path), skinPath);
    for (const [what, text] of skins) {
        const started = Date.now();
        await typeText(page, text);
        const findings = await page.evaluate(() => window.tarvoStudio.diagnostics());
        assert.ok(findings.length > 0, `${what}: the studio names what is wrong`);
        assert.ok(Date.now() - started < 20000, `${what}: the page answers`);
        assert.equal(await page.evaluate(() => 1 + 1), 2, `${what}: the page still runs scripts`);
    }
    // Back to a sound skin: the launcher is alive and draws it.
    await typeText(page, 'PAGE=0\nBACKGROUND=color,00FF00\n');
    const [red, green, blue] = (await canvasRgb(page)).subarray(0, 3);
    assert.ok(red === 0 && green > 200 && blue === 0, `the sound skin is drawn (${red}, ${green}, ${blue})`);
    assert.deepEqual(errors, []);
    await context.close();
});

test("the README's example skin is built in the studio: a new file, typed, shown without a finding", async () => {
    const readme = readFileSync(join(project, 'README.md'), 'utf8');
    const example = readme.split('<!-- example skin: the browser tests build this skin in the studio -->\n')[1].split('<!-- end')[0]
        .split('\n').map((line) => line.replace(/^ {4}/, '')).join('\n');
    assert.match(example, /^\/\/ A first skin/);
    const { page, context, errors } = await openStudio();
    assert.equal(await page.evaluate(() => window.tarvoStudio.addFile('Tarvo/skins/first/Tarvo.skin')), true);
    assert.equal(await page.evaluate(() => window.tarvoStudio.addFile('Tarvo/../first/Tarvo.skin')), false, 'a path out of the card is refused');
    await page.evaluate(() => window.tarvoStudio.openFile('Tarvo/Tarvo.cfg'));
    await typeText(page, (await page.evaluate(() => window.tarvoStudio.editorText())).replace('SKIN=concept', 'SKIN=first'));
    await page.evaluate(() => window.tarvoStudio.openFile('Tarvo/skins/first/Tarvo.skin'));
    // Typed a line at a time, each redrawn; the linter's findings follow the whole skin.
    const lines = example.trimEnd().split('\n');
    for (let count = 1; count < lines.length; count++)
        await typeText(page, lines.slice(0, count).join('\n') + '\n');
    const findings = await page.evaluate(async (text) => {
        const checked = window.tarvoStudio.whenChecked();
        window.tarvoStudio.setEditorText(text);
        return checked;
    }, example);
    const state = await page.evaluate(() => JSON.parse(window.tarvoStudio.module.UTF8ToString(window.tarvoStudio.module._tarvo_state())));
    assert.equal(state.skin, 'first');
    assert.deepEqual(findings.filter((finding) => finding.file.startsWith('Tarvo/skins/first/')), [], 'the example is clean');
    assert.deepEqual(errors, []);
    await context.close();
});

test('the studio as a skin author sees it (the README picture)', async () => {
    const { page, context } = await openStudio();
    await page.evaluate((path) => window.tarvoStudio.openFile(path), skinPath);
    const text = await page.evaluate(() => window.tarvoStudio.editorText());
    await page.evaluate((text) => {
        window.checked = window.tarvoStudio.whenChecked();
        window.tarvoStudio.setEditorText(text);
    }, text.replace('NAVIGATION=2,1,6,3', 'NAVIGATION=2,1,6,3\nTYPE=imagee,32,34'));
    await page.evaluate(() => window.checked);
    await page.click('[data-testid=overlay-toggle]');
    mkdirSync(dirname(screenshotPath), { recursive: true });
    await page.screenshot({ path: screenshotPath });
    assert.ok(statSync(screenshotPath).size > 10000, 'the picture is written');
    await context.close();
});

// CRC-32 as PNG chunks carry it.
function crc32(bytes) {
    let crc = 0xffffffff;
    for (const byte of bytes) {
        crc ^= byte;
        for (let k = 0; k < 8; k++)
            crc = crc & 1 ? (crc >>> 1) ^ 0xedb88320 : crc >>> 1;
    }
    return (crc ^ 0xffffffff) >>> 0;
}
