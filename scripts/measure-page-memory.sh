#!/usr/bin/env bash
# What the glass layers' form costs the page: Debian's headless Chromium (WebGL on SwiftShader) showing
# build/web/site at WxH as a wallpaper (?wallpaper), with one texture a layer (the page's own form) and
# with ?layers=precomputed (2 x 256 textures, as the Windows renderer), the forms taking turns for
# ROUNDS rounds, a fresh browser each time. For each: when the first scene frame came after the page
# started loading (performance.now() at it), and the memory of every browser process 3 s after it,
# summed: resident (VmRSS; shared pages counted in each process), proportional (Pss, shared pages
# split) and each process's own peak (VmHWM).
#   scripts/measure-page-memory.sh [ROUNDS] [WxH]   (build the web preset first; default 3, 1024x768)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-3} size=${2:-1024x768}
site=$root/build/web/site
[ -f "$site/vantorel.wasm" ] || { echo "no $site: cmake --build --preset web first" >&2; exit 1; }
cd "$root/tests/web"
SITE=$site SIZE=$size ROUNDS=$rounds SERVE_SITE=$root/scripts/serve_site.mjs CHROMIUM=$(command -v chromium-headless-shell) node --input-type=module -e '
import { readFileSync, readdirSync } from "node:fs";
import { chromium } from "playwright-core";

const site = process.env.SITE, rounds = Number(process.env.ROUNDS);
const [width, height] = process.env.SIZE.split("x").map(Number);
const { serveSite } = await import(process.env.SERVE_SITE);
const server = await serveSite(site);
// MB summed over every process under this one (the browser and all its children).
function memory() {
  const parent = new Map();
  for (const pid of readdirSync("/proc").filter((p) => /^\d+$/.test(p))) {
    try { parent.set(pid, readFileSync(`/proc/${pid}/stat`, "utf8").replace(/^.*\) /, "").split(" ")[1]); } catch {}
  }
  const top = String(process.pid), sum = { rss: 0, pss: 0, hwm: 0 };
  const kb = (text, key) => Number((text.match(new RegExp(`^${key}:\\s+(\\d+)`, "m")) || [0, 0])[1]);
  for (const pid of parent.keys()) {
    let under = false;
    for (let p = parent.get(pid); p && p !== "0" && !under; p = parent.get(p)) under = p === top;
    if (!under) continue;
    try {
      const status = readFileSync(`/proc/${pid}/status`, "utf8");
      sum.rss += kb(status, "VmRSS");
      sum.hwm += kb(status, "VmHWM");
      sum.pss += kb(readFileSync(`/proc/${pid}/smaps_rollup`, "utf8"), "Pss");
    } catch {}
  }
  return { rss: sum.rss / 1024, pss: sum.pss / 1024, hwm: sum.hwm / 1024 };
}
const results = { shifted: [], precomputed: [] };
for (let round = 0; round < rounds; ++round) {
  for (const layers of ["precomputed", "shifted"]) {
    const browser = await chromium.launch({ executablePath: process.env.CHROMIUM,
      args: ["--use-angle=swiftshader", "--enable-unsafe-swiftshader"] });
    const page = await browser.newPage({ viewport: { width, height } });
    const options = layers === "precomputed" ? "&layers=precomputed" : "";
    await page.goto(`http://127.0.0.1:${server.address().port}/?wallpaper${options}`);
    await page.waitForFunction(() => window.vantorel && window.vantorel.frames > 0, null, { timeout: 300000 });
    const firstMs = await page.evaluate(() => window.vantorel.firstFrameMs);
    await page.waitForTimeout(3000);
    const m = memory();
    results[layers].push({ firstMs, ...m });
    console.log(`round ${round + 1} ${layers.padEnd(11)} first scene frame ${firstMs.toFixed(0)} ms, resident ${m.rss.toFixed(0)} MB, proportional ${m.pss.toFixed(0)} MB, peaks ${m.hwm.toFixed(0)} MB`);
    await browser.close();
  }
}
const median = (a) => { const s = [...a].sort((x, y) => x - y), n = s.length; return n % 2 ? s[(n - 1) / 2] : (s[n / 2 - 1] + s[n / 2]) / 2; };
for (const key of ["firstMs", "rss", "pss", "hwm"]) {
  const p = median(results.precomputed.map((r) => r[key])), s = median(results.shifted.map((r) => r[key]));
  console.log(`median ${key.padEnd(8)} precomputed ${p.toFixed(1)}, shifted ${s.toFixed(1)}, shifted/precomputed ${(s / p).toFixed(2)}`);
}
server.close();
'
