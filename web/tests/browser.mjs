// What the browser tests and the studio's figures share: build/web served on 127.0.0.1 by a
// small server of their own, and Debian's chromium, headless, driven by puppeteer-core (which
// downloads no browser), with a profile of its own.
import { createServer } from 'node:http';
import { createRequire } from 'node:module';
import { readFileSync, statSync } from 'node:fs';
import { dirname, extname, join, relative } from 'node:path';
import { fileURLToPath } from 'node:url';

export const project = dirname(dirname(dirname(fileURLToPath(import.meta.url))));
// The packages of web/package.json, as scripts/web-deps installs them.
export const packages = createRequire(join(project, 'build', 'web-deps', 'node_modules', 'noop.js'));

const types = {
    '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm',
    '.zip': 'application/zip',
};

// Serves the files of folder on a free port of 127.0.0.1; resolves with the server and its origin.
export async function serveFolder(folder) {
    const server = createServer((request, response) => {
        const name = decodeURIComponent(new URL(request.url, 'http://x').pathname).replace(/^\/$/, '/index.html');
        const file = join(folder, name);
        if (relative(folder, file).startsWith('..') || !statSync(file, { throwIfNoEntry: false })?.isFile()) {
            response.writeHead(404);
            response.end();
            return;
        }
        response.writeHead(200, { 'Content-Type': types[extname(file)] || 'application/octet-stream' });
        response.end(readFileSync(file));
    });
    await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
    return { server, origin: `http://127.0.0.1:${server.address().port}` };
}

// Debian's chromium, headless, with profile as its user data folder. The switches keep it off
// the network, which this machine's closed network would refuse anyway, many times over.
export function launchChromium(profile) {
    return packages('puppeteer-core').launch({
        executablePath: '/usr/bin/chromium',
        headless: true,
        userDataDir: profile,
        args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
            '--disable-background-networking', '--disable-component-update', '--disable-sync'],
    });
}
