// Builds the replay page's assets: src/main.js with three.js bundled into one minified script
// (replay.js, an IIFE: the page loads it with a plain <script src>, from file:// too), and
// index.html beside it.
//
//   node build.mjs OUT_DIR [NODE_MODULES_DIR]
// NODE_MODULES_DIR is where `npm ci` installed the packages (default: ./node_modules), so the
// build tree can hold them while the sources stay in the source tree.
import { copyFileSync, mkdirSync } from 'node:fs';
import { createRequire } from 'node:module';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

const here = dirname(fileURLToPath(import.meta.url));
const [outDir, modules = join(here, 'node_modules')] = process.argv.slice(2);
if (!outDir) {
  console.error('usage: node build.mjs OUT_DIR [NODE_MODULES_DIR]');
  process.exit(2);
}
const { build } = createRequire(join(resolve(modules), 'resolve.js'))('esbuild');
mkdirSync(outDir, { recursive: true });
await build({
  entryPoints: [join(here, 'src', 'main.js')],
  bundle: true,
  minify: true,
  format: 'iife',
  target: 'es2020',
  legalComments: 'eof',  // three.js's licence notice
  nodePaths: [resolve(modules)],
  outfile: join(outDir, 'replay.js'),
  logLevel: 'warning',
});
copyFileSync(join(here, 'src', 'index.html'), join(outDir, 'index.html'));
