// The page in Debian's headless Chromium (WebGL 2 on SwiftShader): its stills are the frame renderer's
// pictures of the same moments, the live page moves and follows a resize, a browser without WebGL 2
// gets the message, and the zip's single file draws the scene when opened from disk. One browser for
// all of it; every wait is for something the page reports (window.vantorel), never for a time.
//
// Environment (set by tests/web/CMakeLists.txt):
//   VANTOREL_SITE      build/web/site           VANTOREL_ZIP     the zip of the self-contained page
//   VANTOREL_FRAMES    the native vantorel-frames the web build drew its pictures with
//   VANTOREL_GOLDEN    tests/golden             VANTOREL_CHROMIUM  Debian's chromium-headless-shell
//   VANTOREL_DIST      build/web/dist (the release's zips)    VANTOREL_PYTHON  python3 with jsonschema
//   VANTOREL_WEB_SOURCE  renderer/web (make_page.mjs, to write a next version's service worker)
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { existsSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
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
  `no ${framesTool}: the web build makes it (cmake --build --preset web)`);

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

// Peak signal to noise over all channels, in dB (Infinity for the same pixels).
function psnr(a, b) {
  assert.deepEqual([a.width, a.height], [b.width, b.height], 'picture sizes');
  let sum = 0;
  for (let i = 0; i < a.rgb.length; ++i) sum += (a.rgb[i] - b.rgb[i]) ** 2;
  return sum === 0 ? Infinity : 10 * Math.log10(255 * 255 / (sum / a.rgb.length));
}

// The same picture as the renderer's own: below 1 of 255 on average, and no region visibly off.
function assertSamePicture(got, want, what) {
  const d = difference(got, want);
  console.log(`${what}: mean difference ${d.mean.toFixed(3)}, worst 16x16 block ${d.worstBlock.toFixed(2)}`);
  assert.ok(d.mean < 1.0 && d.worstBlock < 8.0,
    `${what}: mean difference ${d.mean.toFixed(3)}, worst 16x16 block ${d.worstBlock.toFixed(2)} (of 255)`);
}

// ---- the page: a static server, one browser, pages that report console errors ----

const kTypes = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.ico': 'image/x-icon',
  '.png': 'image/png', '.json': 'application/json', '.webmanifest': 'application/manifest+json' };
let server, origin, browser, scratch;
let native;  // the frame renderer's pictures by name

// Serves root, or what root() names at each request (a server whose site can be swapped).
function serve(root) {
  return http.createServer((request, response) => {
    const base = typeof root === 'function' ? normalize(root()) : root;
    const path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
    const file = normalize(join(base, path.endsWith('/') ? path + 'index.html' : path));
    let body;
    try {
      if (!file.startsWith(base + sep)) throw new Error('outside');
      body = readFileSync(file);
    } catch {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { 'content-type': kTypes[extname(file)] || 'application/octet-stream' }).end(body);
  });
}

// The frame renderer's picture of one moment at one size.
function framesPicture(size, seconds) {
  const out = mkdtempSync(join(scratch, 'frames-'));
  execFileSync(framesTool, ['--size', size, '--out', out, '--time', String(seconds)]);
  return decodePng(readFileSync(join(out, `frame-${Math.round(Number(seconds) * 1000)}.png`)));
}

before(async () => {
  scratch = mkdtempSync(join(tmpdir(), 'vantorel-web-'));
  // The renderer's own pictures of the moments the page is compared at, drawn in one run per size.
  // One year (31536000 s) into a run too: the tumble there comes from the exact elapsed time.
  const times = ['5', '25', '45', '75', '100', '31536000'];
  execFileSync(framesTool, ['--size', '1024x768', '--out', scratch, ...times.flatMap((t) => ['--time', t])]);
  native = {};
  for (const t of times) native[t] = decodePng(readFileSync(join(scratch, `frame-${t}000.png`)));
  native.wide = framesPicture('640x200', 25);

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
  for (const t of ['5', '25', '45', '75', '100', '31536000']) {
    const opened = await openPage(1024, 768, `${origin}/?t=${t}`);
    await frameDrawn(opened.page);
    assertSamePicture(await shot(opened.page), native[t], `t = ${t} s`);
    await closeClean(opened);
  }
});

test('one texture a layer (the page\'s own) and ?layers=precomputed draw the same stills at 1024x768', async () => {
  for (const t of ['5', '25', '45', '75', '100']) {
    const shots = {};
    for (const layers of ['shifted', 'precomputed']) {
      const opened = await openPage(1024, 768, `${origin}/?t=${t}${layers === 'precomputed' ? '&layers=precomputed' : ''}`);
      await frameDrawn(opened.page);
      assert.equal(await opened.page.evaluate(() => window.vantorel.layers), layers);
      shots[layers] = await shot(opened.page);
      await closeClean(opened);
    }
    const db = psnr(shots.shifted, shots.precomputed);
    console.log(`t = ${t} s: ${db.toFixed(1)} dB between the layer forms`);
    assert.ok(db >= 60, `t = ${t} s: the layer forms are ${db.toFixed(1)} dB apart`);
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

// ---- a portrait window: the whole tube, as the frame renderer draws it at that size ----

test('a 400x800 window shows the frame renderer\'s portrait picture, also after a resize across 4:3', async () => {
  const want = framesPicture('400x800', 75);
  const opened = await openPage(400, 800, `${origin}/?t=75`);
  await frameDrawn(opened.page);
  assertSamePicture(await shot(opened.page), want, '400x800 at t = 75 s');
  // From 4:3 to portrait: the widened field comes with the new size.
  await opened.page.setViewportSize({ width: 1024, height: 768 });
  await opened.page.waitForFunction(() => window.vantorel.width === 1024, null, { timeout: kDeadline });
  assertSamePicture(await shot(opened.page), native['75'], '1024x768 at t = 75 s');
  await opened.page.setViewportSize({ width: 400, height: 800 });
  await opened.page.waitForFunction(() => window.vantorel.width === 400, null, { timeout: kDeadline });
  assertSamePicture(await shot(opened.page), want, 'back to 400x800 at t = 75 s');
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

// ---- the page as a live wallpaper and an installed app: the release's zips, the test as the host ----
// Time in these pages is Playwright's clock: paused, it moves only as the test runs it, so frame counts
// over a stretch of page time and the moment a frame shows do not depend on the machine's load.

const dist = required('VANTOREL_DIST');
const python = required('VANTOREL_PYTHON');
const webSource = required('VANTOREL_WEB_SOURCE');

function unzipRelease(name) {
  const folder = mkdtempSync(join(scratch, `${name}-`));
  execFileSync('unzip', ['-q', '-d', folder, join(dist, `Vantorel-1.00-${name}.zip`)]);
  return folder;
}

// A server for a folder, on 127.0.0.1 and a port of its own; closed after the suite.
const servers = [];
async function serveFolder(root) {
  const folderServer = serve(root);
  servers.push(folderServer);
  await new Promise((resolve) => folderServer.listen(0, '127.0.0.1', resolve));
  return folderServer.address().port;
}
after(() => { for (const s of servers) s.close(); });

// The page's clock stopped a moment after its first frame; wake-lock requests counted.
async function openHosted(width, height, url) {
  const opened = await openPage(width, height, url, async (page) => {
    await page.clock.install();
    await page.addInitScript(() => {
      window.wakeLocksAsked = 0;
      if (navigator.wakeLock) {
        const request = navigator.wakeLock.request.bind(navigator.wakeLock);
        navigator.wakeLock.request = (...rest) => { window.wakeLocksAsked += 1; return request(...rest); };
      }
    });
  });
  await frameDrawn(opened.page);
  await opened.page.clock.pauseAt(await opened.page.evaluate(() => Date.now() + 100));
  return opened;
}

// Frames drawn over that much page time.
async function framesOver(page, ms) {
  const from = await page.evaluate(() => window.vantorel.frames);
  await page.clock.runFor(ms);
  return (await page.evaluate(() => window.vantorel.frames)) - from;
}

// The picture now against the frame renderer's of the moment the page reports.
async function assertSceneMoment(page, width, height, what) {
  const seconds = (await page.evaluate(() => Math.round(window.vantorel.sceneSeconds * 1000))) / 1000;
  assertSamePicture(await shot(page), framesPicture(`${width}x${height}`, seconds), `${what} at t = ${seconds} s`);
}

// Lively's documented rules for LivelyProperties.json, as far as this wallpaper uses them: sliders.
const kLivelyPropertiesSchema = {
  $schema: 'http://json-schema.org/draft-07/schema#',
  type: 'object',
  minProperties: 1,
  additionalProperties: {
    type: 'object',
    required: ['type', 'value', 'text', 'min', 'max', 'step'],
    additionalProperties: false,
    properties: {
      type: { const: 'slider' },
      value: { type: 'number' }, text: { type: 'string', minLength: 1 },
      min: { type: 'number' }, max: { type: 'number' }, step: { type: 'number', exclusiveMinimum: 0 },
    },
  },
};

test('the Lively zip: its files as Lively reads them, and the page under Lively\'s calls', async () => {
  const folder = unzipRelease('lively');
  const info = JSON.parse(readFileSync(join(folder, 'LivelyInfo.json'), 'utf8'));
  assert.equal(info.Type, 1, 'a web wallpaper');
  assert.equal(info.FileName, 'index.html');
  assert.equal(info.IsAbsolutePath, false);
  assert.match(info.Arguments, /(^|\s)--pause-event true(\s|$)/);
  for (const field of ['AppVersion', 'Title', 'Desc', 'Author', 'License', 'Contact']) {
    assert.ok(typeof info[field] === 'string' && info[field].trim() !== '', `LivelyInfo.json: ${field}`);
  }
  for (const picture of [info.Thumbnail, info.Preview]) assert.ok(decodePng(readFileSync(join(folder, picture))).width > 0);
  const propertiesText = readFileSync(join(folder, 'LivelyProperties.json'), 'utf8');
  execFileSync(python, ['-c', 'import json, sys, jsonschema\n' +
    'schema, instance = json.loads(sys.argv[1]), json.loads(sys.stdin.read())\n' +
    'jsonschema.Draft7Validator.check_schema(schema)\njsonschema.Draft7Validator(schema).validate(instance)',
  JSON.stringify(kLivelyPropertiesSchema)], { input: propertiesText });
  const properties = JSON.parse(propertiesText);
  for (const [name, p] of Object.entries(properties)) assert.ok(p.min <= p.value && p.value <= p.max, `${name}'s value in range`);

  // Lively serves the unzipped folder on a host name of its own; *.localhost is this machine.
  const port = await serveFolder(folder);
  const opened = await openHosted(640, 480, `http://lively.localhost:${port}/`);
  const page = opened.page;
  assert.equal(await page.evaluate(() => window.vantorel.host), 'lively');
  // Each saved value once after load, as Lively does; then the user's changes.
  for (const [name, p] of Object.entries(properties)) await page.evaluate(([n, v]) => window.livelyPropertyListener(n, v), [name, p.value]);
  await page.evaluate(() => { window.livelyPropertyListener('fps', 15); window.livelyPropertyListener('scale', 0.5); });
  await page.clock.runFor(500);
  assert.deepEqual(await page.evaluate(() => [window.vantorel.width, window.vantorel.height]), [320, 240], 'half the pixels each way');
  const capped = await framesOver(page, 4000);
  assert.ok(capped >= 52 && capped <= 68, `${capped} frames in 4 s of page time at fps = 15`);
  await page.evaluate(() => window.livelyPropertyListener('fps', 0));
  const uncapped = await framesOver(page, 4000);
  assert.ok(uncapped > 2 * capped, `${uncapped} frames in 4 s without a cap`);

  // Paused before the morph and resumed after it: nothing drawn in between, and the tube then is the
  // still of that moment. A wallpaper asks for no wake lock, leaves clicks and the pointer alone.
  await page.evaluate(() => { window.livelyPropertyListener('scale', 1); window.livelyWallpaperPlaybackChanged('{"IsPaused":true}'); });
  assert.ok(await page.evaluate(() => window.vantorel.sceneSeconds < 30), 'paused before the morph');
  assert.equal(await framesOver(page, 80000), 0, 'frames while paused');
  await page.evaluate(() => window.livelyWallpaperPlaybackChanged('{"IsPaused":false}'));
  assert.ok(await framesOver(page, 100) > 0, 'frames after the resume');
  await assertSceneMoment(page, 640, 480, 'resumed after a pause over the morph');
  await page.mouse.click(320, 240);
  await page.clock.runFor(3000);
  assert.deepEqual(await page.evaluate(() => [document.fullscreenElement, window.wakeLocksAsked, document.body.className]),
    [null, 0, ''], 'full screen, wake locks, the pointer hidden');
  await closeClean(opened);
});

test('the Wallpaper Engine zip: project.json, and the page under Wallpaper Engine\'s calls', async () => {
  const folder = unzipRelease('wallpaper-engine');
  const project = JSON.parse(readFileSync(join(folder, 'project.json'), 'utf8'));
  assert.equal(project.type, 'web');
  assert.equal(project.file, 'index.html');
  assert.ok(typeof project.title === 'string' && project.title !== '');
  assert.ok(decodePng(readFileSync(join(folder, project.preview))).width > 0);
  const settings = project.general.properties;
  for (const name of ['fps', 'scale']) {
    assert.equal(settings[name].type, 'slider');
    assert.ok(settings[name].min <= settings[name].value && settings[name].value <= settings[name].max, name);
  }
  const port = await serveFolder(folder);
  const opened = await openHosted(640, 480, `http://127.0.0.1:${port}/`);
  const page = opened.page;
  assert.equal(await page.evaluate(() => window.vantorel.host), 'wallpaperengine');
  // The host's frame limit and the wallpaper's own settings, the lower cap winning.
  await page.evaluate(() => {
    window.wallpaperPropertyListener.applyGeneralProperties({ fps: 15 });
    window.wallpaperPropertyListener.applyUserProperties({ fps: { value: 30 }, scale: { value: 0.5 } });
  });
  await page.clock.runFor(500);
  assert.deepEqual(await page.evaluate(() => [window.vantorel.width, window.vantorel.fps]), [320, 15]);
  const capped = await framesOver(page, 4000);
  assert.ok(capped >= 52 && capped <= 68, `${capped} frames in 4 s of page time at the host's 15`);
  await page.evaluate(() => window.wallpaperPropertyListener.setPaused(true));
  assert.equal(await framesOver(page, 4000), 0, 'frames while paused');
  await page.evaluate(() => window.wallpaperPropertyListener.setPaused(false));
  assert.ok(await framesOver(page, 200) > 0, 'frames after the resume');
  await closeClean(opened);
});

test('a page capped at 1 frame a second draws at once after a resize, not a second later', async () => {
  const opened = await openHosted(640, 480, `${origin}/?fps=1`);
  const page = opened.page;
  assert.equal(await page.evaluate(() => window.vantorel.fps), 1);
  // Into the scene, then just past a capped frame: the next one is most of a second away.
  await page.clock.runFor(5000);
  const frames = await page.evaluate(() => window.vantorel.frames);
  for (let n = 0; n < 100 && (await page.evaluate(() => window.vantorel.frames)) === frames; ++n) await page.clock.runFor(16);
  assert.ok(await page.evaluate((n) => window.vantorel.frames > n, frames), 'a capped frame within the second');
  await page.setViewportSize({ width: 400, height: 300 });
  await page.clock.runFor(100);
  assert.deepEqual(await page.evaluate(() => [window.vantorel.width, window.vantorel.height]), [400, 300], 'drawn at the new size');
  await assertSceneMoment(page, 400, 300, 'right after the resize');
  await closeClean(opened);
});

test('a hidden page draws nothing, and the address makes a wallpaper of the plain page', async () => {
  const opened = await openHosted(640, 480, `${origin}/?wallpaper&scale=0.5&fps=30`);
  const page = opened.page;
  assert.deepEqual(await page.evaluate(() => [window.vantorel.host, window.vantorel.width, window.vantorel.fps]),
    ['wallpaper', 320, 30]);
  // The browser's word that the page is hidden, then shown again.
  const setHidden = (hidden) => page.evaluate((h) => {
    Object.defineProperty(document, 'visibilityState', { configurable: true, get: () => (h ? 'hidden' : 'visible') });
    document.dispatchEvent(new Event('visibilitychange'));
  }, hidden);
  await setHidden(true);
  assert.equal(await framesOver(page, 4000), 0, 'frames while hidden');
  await setHidden(false);
  const shown = await framesOver(page, 4000);
  assert.ok(shown >= 110 && shown <= 130, `${shown} frames in 4 s of page time at fps = 30`);
  await closeClean(opened);
});

// The installable page's next version: another index.html and page.js (it sets pageVersionForTest),
// its service worker written for them as the build writes it.
function nextVersion(folder) {
  const next = mkdtempSync(join(scratch, 'next-'));
  execFileSync('cp', ['-r', `${folder}/.`, next]);
  writeFileSync(join(next, 'page.js'), readFileSync(join(next, 'page.js'), 'utf8') + '\nwindow.pageVersionForTest = 2;\n');
  writeFileSync(join(next, 'index.html'),
    readFileSync(join(next, 'index.html'), 'utf8').replace('<title>', '<meta name="version-for-test" content="2">\n<title>'));
  execFileSync(process.execPath, [join(webSource, 'make_page.mjs'), 'worker', webSource, next]);
  return next;
}

// Which version the page runs: 1 (the release's) or 2, by each of the files it loaded.
async function pageVersions(page) {
  return page.evaluate(() => [document.querySelector('meta[name="version-for-test"]') ? 2 : 1, window.pageVersionForTest ?? 1]);
}

async function controlled(page) {
  await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null, { timeout: kDeadline });
}

test('the installable page: no installability errors, offline the same still, a new version taken up', async () => {
  let root = unzipRelease('site');
  const port = await serveFolder(() => root);
  const site = `http://127.0.0.1:${port}`;
  const manifest = JSON.parse(readFileSync(join(root, 'manifest.webmanifest'), 'utf8'));
  assert.deepEqual([manifest.start_url, manifest.scope, manifest.display], ['./', './', 'standalone']);
  for (const icon of manifest.icons) {
    const png = decodePng(readFileSync(join(root, icon.src)));
    assert.equal(`${png.width}x${png.height}`, icon.sizes, icon.src);
  }
  assert.deepEqual(manifest.icons.map((icon) => icon.sizes).sort(), ['192x192', '512x512']);

  const opened = await openPage(320, 240, `${site}/?t=25`);
  const page = opened.page;
  await frameDrawn(page);
  await controlled(page);
  const cdp = await page.context().newCDPSession(page);
  const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
  assert.deepEqual(installabilityErrors, [], 'installability errors');
  const online = await shot(page);
  assertSamePicture(online, decodePng(readFileSync(join(golden, 'frame-25000.png'))), 'online at t = 25 s');

  await page.context().setOffline(true);
  await page.reload();
  await frameDrawn(page);
  assertSamePicture(await shot(page), online, 'offline against online at t = 25 s');
  await page.context().setOffline(false);

  root = nextVersion(root);
  await page.reload();
  await page.waitForFunction(() => window.pageVersionForTest === 2 && window.vantorel.frames > 0, null, { timeout: kDeadline });
  assert.deepEqual(await page.evaluate(async () => (await caches.keys()).length), 1, 'one version cached');
  await closeClean(opened);
});

test('a new version served with one stale file is not installed: the version before stays, also offline', async () => {
  const release = unzipRelease('site');
  const next = nextVersion(release);
  // The next version's worker and index.html, but the release's page.js: an upload half done.
  const mixed = mkdtempSync(join(scratch, 'mixed-'));
  execFileSync('cp', ['-r', `${next}/.`, mixed]);
  execFileSync('cp', [join(release, 'page.js'), mixed]);
  let root = release;
  const site = `http://127.0.0.1:${await serveFolder(() => root)}`;
  const opened = await openPage(320, 240, `${site}/?t=25`);
  const page = opened.page;
  await frameDrawn(page);
  await controlled(page);
  const cachesBefore = await page.evaluate(() => caches.keys());

  root = mixed;
  const outcome = await page.evaluate(async () => {
    const registration = await navigator.serviceWorker.getRegistration();
    await registration.update();
    const worker = registration.installing;
    if (!worker) return 'no new worker';
    return new Promise((resolve) => {
      const settled = () => { if (['redundant', 'activated'].includes(worker.state)) resolve(worker.state); };
      worker.addEventListener('statechange', settled);
      settled();
    });
  });
  assert.equal(outcome, 'redundant', 'the mixed version\'s install');
  assert.deepEqual(await page.evaluate(() => caches.keys()), cachesBefore, 'the caches');
  await page.context().setOffline(true);
  await page.reload();
  await frameDrawn(page);
  assert.deepEqual(await pageVersions(page), [1, 1], 'offline: the version before');
  assertSamePicture(await shot(page), decodePng(readFileSync(join(golden, 'frame-25000.png'))), 'offline at t = 25 s');
  // The upload done, the next visit takes the new version up whole.
  await page.context().setOffline(false);
  root = next;
  await page.reload();
  await page.waitForFunction(() => window.pageVersionForTest === 2 && window.vantorel.frames > 0, null, { timeout: kDeadline });
  assert.deepEqual(await pageVersions(page), [2, 2], 'the new version');
  await closeClean(opened);
});

test('two copies of the page on one origin keep each its own version, also offline', async () => {
  const release = unzipRelease('site');
  const both = mkdtempSync(join(scratch, 'scopes-'));
  execFileSync('cp', ['-r', release, join(both, 'vantorel')]);
  execFileSync('cp', ['-r', nextVersion(release), join(both, 'vantorel-beta')]);
  const site = `http://127.0.0.1:${await serveFolder(both)}`;
  const opened = await openPage(320, 240, `${site}/vantorel/?t=25`);
  const page = opened.page;
  await controlled(page);
  await page.goto(`${site}/vantorel-beta/?t=25`);
  await controlled(page);
  assert.equal((await page.evaluate(() => caches.keys())).length, 2, 'caches');
  await page.context().setOffline(true);
  for (const [copy, version] of [['vantorel', 1], ['vantorel-beta', 2]]) {
    await page.goto(`${site}/${copy}/?t=25`);
    await frameDrawn(page);
    assert.deepEqual(await pageVersions(page), [version, version], `offline: ${copy}`);
  }
  await closeClean(opened);
});
