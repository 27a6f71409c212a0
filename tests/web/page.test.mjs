// The page in Debian's headless Chromium (WebGL 2 on SwiftShader): its stills are the frame renderer's
// pictures of the same moments, the live page moves and follows a resize, a browser without WebGL 2
// gets the message, and the zip's single file draws the scene when opened from disk. One browser for
// all of it; every wait is for something the page reports (window.vantorel), never for a time.
//
// Environment (set by tests/web/CMakeLists.txt):
//   VANTOREL_SITE      build/web/site           VANTOREL_ZIP     the zip of the self-contained page
//   VANTOREL_FRAMES    the native vantorel-frames (build/linux/bin/vantorel-frames)
//   VANTOREL_GOLDEN    tests/golden             VANTOREL_CHROMIUM  Debian's chromium-headless-shell
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { existsSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import http from 'node:http';
import { tmpdir } from 'node:os';
import { extname, join, normalize, sep } from 'node:path';
import { after, before, test } from 'node:test';
import { inflateSync } from 'node:zlib';
import { chromium } from 'playwright-core';

function required(name) {
  const value = process.env[name];
  assert.ok(value, `${name} is not set`);
  return value;
}
const site = required('VANTOREL_SITE');
const zip = required('VANTOREL_ZIP');
const framesTool = required('VANTOREL_FRAMES');
const golden = required('VANTOREL_GOLDEN');
const chromiumPath = required('VANTOREL_CHROMIUM');
assert.ok(existsSync(framesTool),
  `no ${framesTool}: build it with cmake --preset linux && cmake --build --preset linux --target vantorel-frames`);

// Generous: SwiftShader on a shared two-core machine sets up 512 textures per page load.
const kDeadline = 120000;

// ---- pictures: an 8-bit RGB or RGBA PNG as RGB bytes, and how far two pictures differ ----

function decodePng(bytes) {
  assert.equal(bytes.toString('latin1', 1, 4), 'PNG');
  let width = 0, height = 0, channels = 0;
  const data = [];
  for (let at = 8; at < bytes.length;) {
    const length = bytes.readUInt32BE(at);
    const type = bytes.toString('latin1', at + 4, at + 8);
    const body = bytes.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      assert.equal(body[8], 8, 'bit depth');
      assert.equal(body[12], 0, 'interlace');
      channels = { 2: 3, 6: 4 }[body[9]];
      assert.ok(channels, `colour type ${body[9]}`);
    } else if (type === 'IDAT') {
      data.push(body);
    }
    at += 12 + length;
  }
  const raw = inflateSync(Buffer.concat(data));
  const stride = width * channels;
  const rows = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    const out = rows.subarray(y * stride, (y + 1) * stride);
    const up = y > 0 ? rows.subarray((y - 1) * stride, y * stride) : Buffer.alloc(stride);
    for (let x = 0; x < stride; ++x) {
      const a = x >= channels ? out[x - channels] : 0;
      const b = up[x];
      const c = x >= channels ? up[x - channels] : 0;
      let predictor = 0;
      if (filter === 1) predictor = a;
      else if (filter === 2) predictor = b;
      else if (filter === 3) predictor = (a + b) >> 1;
      else if (filter === 4) {
        const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
        predictor = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      out[x] = (line[x] + predictor) & 0xff;
    }
  }
  const rgb = Buffer.alloc(width * height * 3);
  for (let i = 0; i < width * height; ++i) rows.copy(rgb, i * 3, i * channels, i * channels + 3);
  return { width, height, rgb };
}

// Mean absolute difference over all channels, and the mean of the worst 16 x 16 block.
function difference(a, b) {
  assert.deepEqual([a.width, a.height], [b.width, b.height], 'picture sizes');
  const blocksX = Math.ceil(a.width / 16), blocksY = Math.ceil(a.height / 16);
  const blockSum = new Float64Array(blocksX * blocksY), blockCount = new Float64Array(blocksX * blocksY);
  let sum = 0;
  for (let y = 0; y < a.height; ++y)
    for (let x = 0; x < a.width; ++x) {
      const i = (y * a.width + x) * 3;
      const d = Math.abs(a.rgb[i] - b.rgb[i]) + Math.abs(a.rgb[i + 1] - b.rgb[i + 1]) + Math.abs(a.rgb[i + 2] - b.rgb[i + 2]);
      sum += d;
      const block = Math.floor(y / 16) * blocksX + Math.floor(x / 16);
      blockSum[block] += d;
      blockCount[block] += 3;
    }
  let worstBlock = 0;
  for (let k = 0; k < blockSum.length; ++k) worstBlock = Math.max(worstBlock, blockSum[k] / blockCount[k]);
  return { mean: sum / (a.width * a.height * 3), worstBlock };
}

// The same picture as the renderer's own: below 1 of 255 on average, and no region visibly off.
function assertSamePicture(got, want, what) {
  const d = difference(got, want);
  console.log(`${what}: mean difference ${d.mean.toFixed(3)}, worst 16x16 block ${d.worstBlock.toFixed(2)}`);
  assert.ok(d.mean < 1.0 && d.worstBlock < 8.0,
    `${what}: mean difference ${d.mean.toFixed(3)}, worst 16x16 block ${d.worstBlock.toFixed(2)} (of 255)`);
}

// ---- the page: a static server, one browser, pages that report console errors ----

const kTypes = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.ico': 'image/x-icon' };
let server, origin, browser, scratch;
let native;  // the frame renderer's pictures by name

function serve(root) {
  return http.createServer((request, response) => {
    const path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
    const file = normalize(join(root, path.endsWith('/') ? path + 'index.html' : path));
    let body;
    try {
      if (!file.startsWith(root + sep)) throw new Error('outside');
      body = readFileSync(file);
    } catch {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { 'content-type': kTypes[extname(file)] || 'application/octet-stream' }).end(body);
  });
}

before(async () => {
  scratch = mkdtempSync(join(tmpdir(), 'vantorel-web-'));
  // The renderer's own pictures of the moments the page is compared at, drawn in one run per size.
  const times = ['5', '25', '45', '75', '100'];
  execFileSync(framesTool, ['--size', '1024x768', '--out', scratch, ...times.flatMap((t) => ['--time', t])]);
  native = {};
  for (const t of times) native[t] = decodePng(readFileSync(join(scratch, `frame-${t}000.png`)));
  const wide = mkdtempSync(join(scratch, 'wide-'));
  execFileSync(framesTool, ['--size', '640x200', '--out', wide, '--time', '25']);
  native.wide = decodePng(readFileSync(join(wide, 'frame-25000.png')));

  server = serve(normalize(site));
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  origin = `http://127.0.0.1:${server.address().port}`;
  browser = await chromium.launch({
    executablePath: chromiumPath,
    args: ['--use-angle=swiftshader', '--enable-unsafe-swiftshader'],
  });
});

after(async () => {
  if (browser) await browser.close();
  if (server) server.close();
  if (scratch) rmSync(scratch, { recursive: true, force: true });
});

// A page at that size whose console errors and uncaught exceptions are collected.
async function openPage(width, height, url, prepare) {
  const page = await browser.newPage({ viewport: { width, height } });
  const errors = [];
  page.on('console', (message) => { if (message.type() === 'error') errors.push(message.text()); });
  page.on('pageerror', (error) => errors.push(String(error)));
  if (prepare) await prepare(page);
  await page.goto(url);
  return { page, errors };
}

async function frameDrawn(page) {
  await page.waitForFunction(() => window.vantorel && window.vantorel.frames > 0, null, { timeout: kDeadline });
}

async function shot(page) {
  return decodePng(await page.screenshot({ type: 'png' }));
}

async function closeClean(opened) {
  await opened.page.close();
  assert.deepEqual(opened.errors, [], 'console errors');
}

test('the stills at 1024x768 are the frame renderer\'s pictures of the same moments', async () => {
  for (const t of ['5', '25', '45', '75', '100']) {
    const opened = await openPage(1024, 768, `${origin}/?t=${t}`);
    await frameDrawn(opened.page);
    assertSamePicture(await shot(opened.page), native[t], `t = ${t} s`);
    await closeClean(opened);
  }
});

test('the stills at 320x240 are the golden frames', async () => {
  for (const t of ['5', '25', '45', '75']) {
    const opened = await openPage(320, 240, `${origin}/?t=${t}`);
    await frameDrawn(opened.page);
    assertSamePicture(await shot(opened.page), decodePng(readFileSync(join(golden, `frame-${t}000.png`))), `t = ${t} s`);
    await closeClean(opened);
  }
});

test('without ?t the picture moves', async () => {
  const opened = await openPage(320, 240, `${origin}/`);
  // The tube drops in from above the picture: from 4 s on it is in sight, and half a second of scene
  // later it has fallen and turned visibly.
  await opened.page.waitForFunction(() => window.vantorel && window.vantorel.sceneSeconds >= 4, null,
    { timeout: kDeadline });
  const first = await opened.page.evaluate(() => window.vantorel.sceneSeconds);
  const before = await shot(opened.page);
  await opened.page.waitForFunction((seconds) => window.vantorel.sceneSeconds > seconds + 0.5, first, { timeout: kDeadline });
  const d = difference(await shot(opened.page), before);
  assert.ok(d.mean > 0.5, `the picture hardly changed: mean difference ${d.mean.toFixed(3)}`);
  await closeClean(opened);
});

test('after a resize to 640x200 the still is drawn again at that size and aspect', async () => {
  const opened = await openPage(1024, 768, `${origin}/?t=25`);
  await frameDrawn(opened.page);
  await opened.page.setViewportSize({ width: 640, height: 200 });
  await opened.page.waitForFunction(() => window.vantorel.width === 640 && window.vantorel.height === 200, null,
    { timeout: kDeadline });
  assertSamePicture(await shot(opened.page), native.wide, '640x200 at t = 25 s');
  await closeClean(opened);
});

test('a browser without WebGL 2 shows the message', async () => {
  const opened = await openPage(640, 480, `${origin}/`, (page) => page.addInitScript(() => {
    const getContext = HTMLCanvasElement.prototype.getContext;
    HTMLCanvasElement.prototype.getContext = function (type, ...rest) {
      return /webgl/.test(type) ? null : getContext.call(this, type, ...rest);
    };
  }));
  await opened.page.waitForFunction(() => window.vantorel && window.vantorel.noWebGl, null, { timeout: kDeadline });
  const message = opened.page.locator('#message');
  assert.ok(await message.isVisible(), 'the message is shown');
  assert.match(await message.innerText(), /WebGL\s*2/);
  assert.equal(await opened.page.evaluate(() => window.vantorel.frames), 0);
  await closeClean(opened);
});

test('the zip\'s index.html opened from a local file draws the scene', async () => {
  const unpacked = join(scratch, 'zip');
  execFileSync('unzip', ['-q', '-d', unpacked, zip]);
  const opened = await openPage(320, 240, `file://${join(unpacked, 'index.html')}?t=25`);
  await frameDrawn(opened.page);
  assertSamePicture(await shot(opened.page), decodePng(readFileSync(join(golden, 'frame-25000.png'))), 'file:// at t = 25 s');
  await closeClean(opened);
});

// ---- a lost WebGL context (a GPU reset, a driver update, a switch of GPUs) ----

test('after the WebGL context is lost and given back, the still is drawn again the same', async () => {
  // 75 s: past the morph, so the restored scene must also keep the tube's shape.
  const opened = await openPage(1024, 768, `${origin}/?t=75`);
  await frameDrawn(opened.page);
  const before = await shot(opened.page);
  const framesBefore = await opened.page.evaluate(async () => {
    const lose = document.getElementById('scene').getContext('webgl2').getExtension('WEBGL_lose_context');
    const lost = new Promise((resolve) => document.getElementById('scene').addEventListener('webglcontextlost', resolve, { once: true }));
    lose.loseContext();
    await lost;
    window.loseContextForTest = lose;
    return window.vantorel.frames;
  });
  // The browser gives a context back only to a page that took the loss (prevented its default).
  await opened.page.evaluate(() => window.loseContextForTest.restoreContext());
  await opened.page.waitForFunction((n) => window.vantorel.frames > n, framesBefore, { timeout: kDeadline });
  const after = await shot(opened.page);
  assertSamePicture(after, before, 'after the restore against before the loss');
  assertSamePicture(after, native['75'], 'after the restore at t = 75 s');
  await closeClean(opened);
});
