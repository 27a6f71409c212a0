#!/usr/bin/env bash
# The page's CPU cost as a wallpaper: Debian's headless Chromium (WebGL on SwiftShader, so the drawing
# is CPU too) showing build/web/site at WxH with ?wallpaper and each frame cap and render scale,
# the CPU time of the whole browser (every process, user + system from /proc/PID/stat) over SECONDS of
# each, after the scene is set up. Each line also gives the ratio to the first (uncapped, scale 1).
#   scripts/measure-page-cpu.sh [SECONDS] [WxH]   (build the web preset first; default 20 s, 480x360)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-20} size=${2:-480x360}
site=$root/build/web/site
[ -f "$site/vantorel.wasm" ] || { echo "no $site: cmake --build --preset web first" >&2; exit 1; }
cd "$root/tests/web"
SITE=$site SIZE=$size SECONDS_EACH=$seconds SERVE_SITE=$root/scripts/serve_site.mjs CHROMIUM=$(command -v chromium-headless-shell) node --input-type=module -e '
import { readFileSync, readdirSync } from "node:fs";
import { chromium } from "playwright-core";

const site = process.env.SITE, seconds = Number(process.env.SECONDS_EACH);
const [width, height] = process.env.SIZE.split("x").map(Number);
const { serveSite } = await import(process.env.SERVE_SITE);
const server = await serveSite(site);
const browser = await chromium.launch({ executablePath: process.env.CHROMIUM,
  args: ["--use-angle=swiftshader", "--enable-unsafe-swiftshader"] });
const hz = 100;  // USER_HZ: the unit of /proc/PID/stat times on Linux
// CPU seconds so far of the browser and every process under it: every process under this one.
function cpu() {
  const parent = new Map(), ticks = new Map();
  for (const pid of readdirSync("/proc").filter((p) => /^\d+$/.test(p))) {
    try {
      const fields = readFileSync(`/proc/${pid}/stat`, "utf8").replace(/^.*\) /, "").split(" ");
      parent.set(pid, fields[1]);
      ticks.set(pid, Number(fields[11]) + Number(fields[12]));
    } catch {}
  }
  const top = String(process.pid);
  let sum = 0;
  for (const pid of ticks.keys()) {
    if (pid === top) continue;
    for (let p = parent.get(pid); p && p !== "0"; p = parent.get(p)) if (p === top) { sum += ticks.get(pid); break; }
  }
  return sum / hz;
}
const runs = [["60 fps (no cap), scale 1", ""], ["30 fps, scale 1", "&fps=30"], ["15 fps, scale 1", "&fps=15"],
  ["60 fps (no cap), scale 0.5", "&scale=0.5"], ["15 fps, scale 0.5", "&fps=15&scale=0.5"]];
let base = null;
for (const [what, options] of runs) {
  const page = await browser.newPage({ viewport: { width, height } });
  await page.goto(`http://127.0.0.1:${server.address().port}/?wallpaper${options}`);
  await page.waitForFunction(() => window.vantorel && window.vantorel.frames > 0, null, { timeout: 300000 });
  await page.waitForTimeout(2000);  // past the first frames
  const c0 = cpu(), f0 = await page.evaluate(() => window.vantorel.frames), t0 = Date.now();
  await page.waitForTimeout(seconds * 1000);
  const c1 = cpu(), f1 = await page.evaluate(() => window.vantorel.frames), t1 = Date.now();
  const share = (c1 - c0) / ((t1 - t0) / 1000), fps = (f1 - f0) / ((t1 - t0) / 1000);
  base ??= share;
  console.log(`${what.padEnd(28)} ${share.toFixed(2)} CPU s a second, ${fps.toFixed(1)} frames/s, ${(1000 * share / fps).toFixed(1)} ms of CPU a frame, ${(share / base).toFixed(2)} of the first`);
  await page.close();
}
await browser.close();
server.close();
'
