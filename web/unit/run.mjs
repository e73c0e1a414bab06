// Runs the studio's unit checks (web/unit/*.test.mjs) under node's test runner. The checks import
// the page's modules, which import their packages by name from build/web-deps (scripts/web-deps),
// so each is bundled with esbuild into build/web-unit/ first.
//   Usage: node web/unit/run.mjs
import { createRequire } from 'node:module';
import { readdirSync } from 'node:fs';
import { spawnSync } from 'node:child_process';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const unit = dirname(fileURLToPath(import.meta.url));
const project = dirname(dirname(unit));
const modules = join(project, 'build', 'web-deps', 'node_modules');
const out = join(project, 'build', 'web-unit');
const esbuild = createRequire(join(modules, 'noop.js'))('esbuild');

const tests = readdirSync(unit).filter((name) => name.endsWith('.test.mjs'));
await esbuild.build({
    entryPoints: tests.map((name) => join(unit, name)),
    outdir: out,
    outExtension: { '.js': '.mjs' },
    bundle: true,
    format: 'esm',
    platform: 'node',
    nodePaths: [modules],
    logLevel: 'warning',
});
const run = spawnSync(process.execPath, ['--test', ...tests.map((name) => join(out, name))], { stdio: 'inherit' });
process.exit(run.status ?? 1);
