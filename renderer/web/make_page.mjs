// Writes the page. `site SRC ICON OUT`: index.html, page.js and favicon.ico into OUT, beside the
// engine's vantorel.js and vantorel.wasm. `single SRC ICON OUT ENGINE`: one index.html into OUT with
// page.js, the engine (built with its WebAssembly inside) and the icon written into it, so the file
// works alone, also opened from a local file.
import { copyFileSync, mkdirSync, readFileSync, renameSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';

const [mode, src, icon, out, engine] = process.argv.slice(2);
if (!['site', 'single'].includes(mode) || !out || (mode === 'single' && !engine)) {
  console.error('usage: make_page.mjs site SRC ICON OUT | single SRC ICON OUT ENGINE');
  process.exit(2);
}
mkdirSync(out, { recursive: true });
const page = readFileSync(join(src, 'index.html'), 'utf8');

function writeWhole(path, text) {
  writeFileSync(path + '.part', text);
  renameSync(path + '.part', path);
}

// Replaces exactly one occurrence of what, or stops: the template and this script must agree.
function replaceOnce(text, what, by) {
  const at = text.indexOf(what);
  if (at < 0 || text.indexOf(what, at + 1) >= 0) {
    console.error(`make_page.mjs: index.html must hold ${what} exactly once`);
    process.exit(1);
  }
  return text.slice(0, at) + by + text.slice(at + what.length);
}

function inlineScript(path) {
  const code = readFileSync(path, 'utf8');
  // Inside a script element only "</script" ends it; the scripts are checked not to hold it.
  if (/<\/script/i.test(code)) {
    console.error(`make_page.mjs: ${path} holds "</script" and cannot be written into the page`);
    process.exit(1);
  }
  return '<script>\n' + code + '\n</script>';
}

if (mode === 'site') {
  writeWhole(join(out, 'index.html'), page);
  copyFileSync(join(src, 'page.js'), join(out, 'page.js'));
  copyFileSync(icon, join(out, 'favicon.ico'));
} else {
  let single = replaceOnce(page, 'href="favicon.ico"',
    'href="data:image/x-icon;base64,' + readFileSync(icon).toString('base64') + '"');
  single = replaceOnce(single, '<script src="page.js"></script>', inlineScript(join(src, 'page.js')));
  single = replaceOnce(single, '<script src="vantorel.js"></script>', inlineScript(engine));
  writeWhole(join(out, 'index.html'), single);
}
