// Builds the skin studio's page into a folder: web/src/main.js bundled with its packages into
// OUTDIR/studio.js (an ES module, minified), and index.html and studio.css copied beside it. The
// launcher's module (tarvo.js and tarvo.wasm) is not bundled: the page loads ./tarvo.js at run time
// from the same folder, where the launcher's build puts it.
//   Usage: node web/build.mjs OUTDIR
import { createRequire } from 'node:module';
import { copyFileSync, mkdirSync } from 'node:fs';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

const web = dirname(fileURLToPath(import.meta.url));
const project = dirname(web);
// The packages are installed by scripts/web-deps, away from web/.
const modules = join(project, 'build', 'web-deps', 'node_modules');

if (process.argv.length !== 3) {
    console.error('Usage: node web/build.mjs OUTDIR');
    process.exit(2);
}
const out = resolve(process.argv[2]);

let esbuild;
try {
    esbuild = createRequire(join(modules, 'noop.js'))('esbuild');
} catch (error) {
    console.error(`esbuild is not installed in ${modules}: run scripts/web-deps first (${error.message})`);
    process.exit(1);
}

mkdirSync(out, { recursive: true });
try {
    await esbuild.build({
        entryPoints: [join(web, 'src', 'main.js')],
        outfile: join(out, 'studio.js'),
        bundle: true,
        format: 'esm',
        target: 'es2020',
        minify: true,
        nodePaths: [modules],
        external: ['./tarvo.js'],
        logLevel: 'warning',
    });
} catch {
    // esbuild has said what failed.
    process.exit(1);
}
for (const name of ['index.html', 'studio.css'])
    copyFileSync(join(web, name), join(out, name));
