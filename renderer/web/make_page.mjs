// Writes the page and what goes around it.
//   site SRC ICON OUT              index.html, page.js, favicon.ico and manifest.webmanifest into OUT,
//                                  beside the engine's vantorel.js and vantorel.wasm
//   pictures FRAMES OUT            the scene's pictures, drawn by the frame renderer FRAMES: the app's
//                                  icons (icon-192.png, icon-512.png), the hosts' thumbnail.png and
//                                  preview.png
//   worker SRC OUT                 OUT/sw.js: the service worker for the files now in OUT, its version
//                                  the hash of their bytes, each file's SHA-256 written in
//   single SRC ICON OUT ENGINE [HOST]
//                                  one index.html into OUT with page.js, the engine (built with its
//                                  WebAssembly inside) and the icon written into it, so the file works
//                                  alone, also opened from a local file; with HOST (lively,
//                                  wallpaperengine) the page knows it runs in that wallpaper host
import { createHash } from 'node:crypto';
import { execFileSync } from 'node:child_process';
import { copyFileSync, mkdirSync, mkdtempSync, readFileSync, renameSync, rmSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';

const [mode, src, a, b, c, d] = process.argv.slice(2);
const usage = 'usage: make_page.mjs site SRC ICON OUT | pictures FRAMES OUT | worker SRC OUT | single SRC ICON OUT ENGINE [HOST]';
function fail(message) {
  console.error(message);
  process.exit(1);
}
if (!['site', 'pictures', 'worker', 'single'].includes(mode) || !src || !a ||
    (mode === 'site' && !b) || (mode === 'single' && (!c || (d && !['lively', 'wallpaperengine'].includes(d))))) {
  console.error(usage);
  process.exit(2);
}

function writeWhole(path, text) {
  writeFileSync(path + '.part', text);
  renameSync(path + '.part', path);
}

// Replaces exactly one occurrence of what, or stops: the template and this script must agree.
function replaceOnce(text, what, by, name = 'index.html') {
  const at = text.indexOf(what);
  if (at < 0 || text.indexOf(what, at + 1) >= 0) fail(`make_page.mjs: ${name} must hold ${what} exactly once`);
  return text.slice(0, at) + by + text.slice(at + what.length);
}

function inlineScript(path) {
  const code = readFileSync(path, 'utf8');
  // Inside a script element only "</script" ends it; the scripts are checked not to hold it.
  if (/<\/script/i.test(code)) fail(`make_page.mjs: ${path} holds "</script" and cannot be written into the page`);
  return '<script>\n' + code + '\n</script>';
}

// The installed page's files, all of them cached by the service worker ('./' is index.html too).
const kSiteFiles = ['index.html', 'page.js', 'vantorel.js', 'vantorel.wasm', 'favicon.ico', 'manifest.webmanifest',
  'icon-192.png', 'icon-512.png'];

// Each picture: a size and the moment of the scene it shows (60 s: the tube half way into its loop).
const kPictures = [['icon-192.png', '192x192'], ['icon-512.png', '512x512'], ['thumbnail.png', '256x256'],
  ['preview.png', '640x360']];
const kPictureSeconds = '60';

if (mode === 'site') {
  const [icon, out] = [a, b];
  mkdirSync(out, { recursive: true });
  writeWhole(join(out, 'index.html'), readFileSync(join(src, 'index.html'), 'utf8'));
  copyFileSync(join(src, 'page.js'), join(out, 'page.js'));
  copyFileSync(join(src, 'manifest.webmanifest'), join(out, 'manifest.webmanifest'));
  copyFileSync(icon, join(out, 'favicon.ico'));
} else if (mode === 'pictures') {
  const [frames, out] = [src, a];
  mkdirSync(out, { recursive: true });
  const scratch = mkdtempSync(join(out, '.draw-'));
  try {
    for (const [name, size] of kPictures) {
      execFileSync(frames, ['--size', size, '--out', scratch, '--time', kPictureSeconds], { stdio: ['ignore', 'ignore', 'inherit'] });
      renameSync(join(scratch, `frame-${kPictureSeconds}000.png`), join(out, name));
    }
  } finally {
    rmSync(scratch, { recursive: true, force: true });
  }
} else if (mode === 'worker') {
  const out = a;
  const hash = createHash('sha256');
  const sums = {};
  for (const file of kSiteFiles) {
    const bytes = readFileSync(join(out, file));
    hash.update(file).update('\0').update(bytes);
    sums[file] = createHash('sha256').update(bytes).digest('hex');
  }
  let worker = readFileSync(join(src, 'sw.js'), 'utf8');
  worker = replaceOnce(worker, '@VERSION@', hash.digest('hex').slice(0, 16), 'sw.js');
  worker = replaceOnce(worker, '@FILES@', JSON.stringify({ './': sums['index.html'], ...sums }, null, 2), 'sw.js');
  writeWhole(join(out, 'sw.js'), worker);
} else {
  const [icon, out, engine, host] = [a, b, c, d];
  mkdirSync(out, { recursive: true });
  let single = readFileSync(join(src, 'index.html'), 'utf8');
  single = replaceOnce(single, 'href="favicon.ico"',
    'href="data:image/x-icon;base64,' + readFileSync(icon).toString('base64') + '"');
  // One file has no manifest and no service worker to go with it.
  single = replaceOnce(single, '<link rel="manifest" href="manifest.webmanifest">\n', '');
  if (host) single = replaceOnce(single, '<meta charset="utf-8">', `<meta charset="utf-8">\n<meta name="vantorel-host" content="${host}">`);
  single = replaceOnce(single, '<script src="page.js"></script>', inlineScript(join(src, 'page.js')));
  single = replaceOnce(single, '<script src="vantorel.js"></script>', inlineScript(engine));
  writeWhole(join(out, 'index.html'), single);
}
