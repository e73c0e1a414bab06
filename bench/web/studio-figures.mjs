// The studio's figures, measured in Debian's chromium on build/web (scripts/web --build first):
// the size of what the browser downloads, raw and compressed; the time from opening the page to
// the demo card's first frame; and the time from the last keystroke to the new frame, split into
// the typing pause and the reload after it. Run by hand; nothing here is judged.
//   node bench/web/studio-figures.mjs [EDITS]   (default 20 edits)
import { mkdtempSync, readFileSync, readdirSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { brotliCompressSync, gzipSync, constants } from 'node:zlib';
import { launchChromium, project, serveFolder } from '../../web/tests/browser.mjs';

const site = join(project, 'build', 'web');
const edits = Number(process.argv[2] || 20);

const kib = (bytes) => `${(bytes / 1024).toFixed(1)} KiB`;
console.log('file           raw         gzip -9     brotli');
let total = [0, 0, 0];
for (const name of readdirSync(site).sort()) {
    if (!/\.(js|wasm|html|css)$/.test(name))
        continue;
    const bytes = readFileSync(join(site, name));
    const sizes = [bytes.length, gzipSync(bytes, { level: 9 }).length,
        brotliCompressSync(bytes, { params: { [constants.BROTLI_PARAM_QUALITY]: 11 } }).length];
    total = total.map((sum, i) => sum + sizes[i]);
    console.log(`${name.padEnd(14)} ${sizes.map((size) => kib(size).padEnd(11)).join(' ')}`);
}
console.log(`${'all'.padEnd(14)} ${total.map((size) => kib(size).padEnd(11)).join(' ')}`);

const { server, origin } = await serveFolder(site);
const profile = mkdtempSync(join(tmpdir(), 'tarvo-figures-'));
const browser = await launchChromium(profile);
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
try {
    const starts = [];
    for (let run = 0; run < 5; run++) {
        const context = await browser.createBrowserContext();
        const page = await context.newPage();
        await page.goto(origin);
        await page.waitForFunction(() => window.tarvoStudio);
        starts.push(await page.evaluate(async () => {
            await window.tarvoStudio.ready;
            return performance.now();
        }));
        if (run < 4)
            await context.close();
        else {
            await page.evaluate(() => window.tarvoStudio.openFile('Tarvo/skins/concept/Tarvo.skin'));
            const text = await page.evaluate(() => window.tarvoStudio.editorText());
            const reloads = [];
            const keystrokes = [];
            for (let i = 0; i < edits; i++) {
                const timings = await page.evaluate(async (text) => {
                    const redrawn = window.tarvoStudio.whenRedrawn();
                    window.tarvoStudio.setEditorText(text);
                    return redrawn;
                }, text.replace(',Recent\n', `,Recent ${i}\n`));
                reloads.push(timings.reloadMs);
                keystrokes.push(timings.keystrokeToFrameMs);
            }
            const check = await page.evaluate(async () => {
                const checked = window.tarvoStudio.whenChecked();
                const started = performance.now();
                window.tarvoStudio.setEditorText(window.tarvoStudio.editorText() + '\n');
                await checked;
                return performance.now() - started;
            });
            console.log(`page start-up to the demo card's first frame: median ${median(starts).toFixed(0)} ms of ${starts.length} (${starts.map((t) => t.toFixed(0)).join(', ')})`);
            console.log(`reload after the typing pause, to the new frame: median ${median(reloads).toFixed(1)} ms of ${edits} (min ${Math.min(...reloads).toFixed(1)}, max ${Math.max(...reloads).toFixed(1)})`);
            console.log(`last keystroke to the new frame (150 ms pause included): median ${median(keystrokes).toFixed(1)} ms`);
            console.log(`last keystroke to the linter's findings in the list: ${check.toFixed(0)} ms`);
        }
    }
} finally {
    await browser.close();
    server.close();
    rmSync(profile, { recursive: true, force: true });
}
