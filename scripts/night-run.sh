#!/usr/bin/env bash
# A night unattended, measured. Every live shell runs side by side for NIGHT_MINUTES (default 60):
#   wayland  vantorel-wayland on a headless sway, as user vantorel-night (tests/wayland/sway_session.sh)
#   x11      the hack, -root on a private Xvfb
#   page     the page in Debian's headless Chromium through playwright-core (as tests/web), ?fps=30
#   wine     Vantorel.dll under Wine in a private environment of its own (scripts/wine-env)
# The hack and the Wayland saver run at -delay 33333, the page at ?fps=30 (the same 30 frames a second);
# the renderer under Wine paces itself. Each is sampled 1 minute after the start and at the end: resident
# memory (VmRSS), open file descriptors and threads, summed over every process of the shell (the page:
# the browser and all its children; the renderer: its own Wine process, not the wineserver), and its
# frame rate. GL objects cannot be seen from outside: Mesa (llvmpipe), SwiftShader and Wine's WGL keep
# them inside the process and no tool here lists them; a leak of them shows as growing memory.
# Verdict: flat when, for every shell, the end's figures are within the tolerance of the 1-minute ones
# (VmRSS at most max(8 MiB, 10 %) more; descriptors and threads at most 4 more) and it still draws.
# It ends everything it started, pass or fail. Not part of the test command.
#   NIGHT_MINUTES=60 NIGHT_SIZE=640x480 NIGHT_BUILD=build scripts/night-run.sh   (as root, for sway's user)
# Takes the programs from NIGHT_BUILD/linux, /windows and /web (default: build/ of this tree); a shell
# whose build is missing is left out and named so. Exit status 0 when flat, 1 when not, 2 when nothing ran.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
minutes=${NIGHT_MINUTES:-60}
size=${NIGHT_SIZE:-640x480}
build=${NIGHT_BUILD:-$root/build}
case $minutes in '' | *[!0-9]* | 0 | 1) echo "night-run: NIGHT_MINUTES must be a whole number above 1" >&2; exit 2 ;; esac
[[ $size =~ ^[0-9]+x[0-9]+$ ]] || { echo "night-run: NIGHT_SIZE must be WxH" >&2; exit 2; }
build=$(cd "$build" 2>/dev/null && pwd) || { echo "night-run: no folder $build" >&2; exit 2; }
w=${size%x*} h=${size#*x}

night=$(mktemp -d /tmp/vantorel-night-XXXXXX)
log() { echo "night-run: $*"; }
shells=() skipped=()
xvfb_pid= hack_pid= node_pid= wine_pid= wine_env=
saver=$build/linux/bin/vantorel-wayland hack=$build/linux/bin/vantorel
wine_bin=$build/windows/bin/Vantorel.dll site=$build/web/site

end_all() {
    trap - EXIT INT TERM
    [ -n "$hack_pid" ] && kill -TERM "$hack_pid" 2>/dev/null
    [ -n "$node_pid" ] && kill -TERM "$node_pid" 2>/dev/null
    if [ -n "$wine_env" ]; then
        "$root/scripts/wine-env" stop "$wine_env" >/dev/null 2>&1
    fi
    for p in $hack_pid $node_pid; do
        for _ in $(seq 1 100); do kill -0 "$p" 2>/dev/null || break; sleep 0.1; done
        kill -KILL "$p" 2>/dev/null
    done
    [ -n "$xvfb_pid" ] && kill -TERM "$xvfb_pid" 2>/dev/null
    # The sway session ends every process of its user that carries its runtime folder.
    declare -F cleanup >/dev/null && cleanup
    wait 2>/dev/null
    rm -rf "$night"
}
trap end_all EXIT
trap 'exit 1' INT TERM
fail() { log "$*"; exit 1; }

# Every process under PID.
descendants() {
    local p=$1 c
    for c in $(pgrep -P "$p" 2>/dev/null); do echo "$c"; descendants "$c"; done
}
# "RSS_KIB FDS THREADS" summed over the given processes; "-" when none is alive.
sample() {
    local rss=0 fds=0 threads=0 alive=0 p
    for p in "$@"; do
        [ -r "/proc/$p/status" ] || continue
        alive=1
        rss=$((rss + $(awk '/^VmRSS:/ {print $2}' "/proc/$p/status" 2>/dev/null || echo 0)))
        threads=$((threads + $(awk '/^Threads:/ {print $2}' "/proc/$p/status" 2>/dev/null || echo 0)))
        fds=$((fds + $(ls "/proc/$p/fd" 2>/dev/null | wc -l)))
    done
    [ $alive -eq 1 ] && echo "$rss $fds $threads" || echo "-"
}

# --- the Wayland saver on a headless sway ---------------------------------------------------------
if [ ! -x "$saver" ]; then
    skipped+=("wayland: no $saver")
elif [ "$(id -u)" -ne 0 ]; then
    skipped+=("wayland: sway needs a user of its own, which only root can make")
else
    VANTOREL_WAYLAND_USER=vantorel-night
    . "$root/tests/wayland/sway_session.sh"  # sets $work and its own cleanup, called by end_all
    trap end_all EXIT
    start_sway "output HEADLESS-1 mode $size position 0 0"
    start_saver -delay 33333 -fps
    shells+=(wayland)
fi

# --- the hack on a private Xvfb ------------------------------------------------------------------
if [ -x "$hack" ]; then
    exec 3> "$night/display"
    Xvfb -displayfd 3 -screen 0 "${size}x24" +extension GLX -nolisten tcp -br 2>/dev/null &
    xvfb_pid=$!
    exec 3>&-
    for _ in $(seq 1 400); do [ -s "$night/display" ] && break; sleep 0.05; done
    [ -s "$night/display" ] || fail "Xvfb did not start"
    mkdir -m 700 "$night/hack-run"
    DISPLAY=:$(head -1 "$night/display") XDG_RUNTIME_DIR=$night/hack-run LIBGL_ALWAYS_SOFTWARE=1 \
        "$hack" -root -delay 33333 -fps 2> "$night/hack.log" &
    hack_pid=$!
    shells+=(x11)
else
    skipped+=("x11: no $hack")
fi

# --- the page in headless Chromium ---------------------------------------------------------------
if [ ! -f "$site/vantorel.wasm" ]; then
    skipped+=("page: no $site")
elif [ ! -d "$root/tests/web/node_modules/playwright-core" ]; then
    skipped+=("page: no playwright-core in tests/web (scripts/deps.sh installs it)")
else
    (cd "$root/tests/web" && SITE=$site W=$w H=$h OUT=$night/page.frames SERVE_SITE=$root/scripts/serve_site.mjs CHROMIUM=$(command -v chromium-headless-shell) \
        exec node --input-type=module -e '
import { readFileSync, writeFileSync } from "node:fs";
import { chromium } from "playwright-core";
const site = process.env.SITE;
const { serveSite } = await import(process.env.SERVE_SITE);
const server = await serveSite(site);
const browser = await chromium.launch({ executablePath: process.env.CHROMIUM,
  args: ["--use-angle=swiftshader", "--enable-unsafe-swiftshader"] });
let ending = false;
const end = async () => { ending = true; await browser.close().catch(() => {}); server.close(); process.exit(0); };
process.on("SIGTERM", end);
const page = await browser.newPage({ viewport: { width: Number(process.env.W), height: Number(process.env.H) } });
await page.goto(`http://127.0.0.1:${server.address().port}/?wallpaper&fps=30`);
// The frame count, with the time it was read, every 2 s: the script takes the rate from two of them.
while (!ending) {
  const frames = await page.evaluate(() => window.vantorel ? window.vantorel.frames : 0).catch(() => -1);
  writeFileSync(process.env.OUT, `${Date.now()} ${frames}\n`, { flag: "a" });
  await new Promise((resolve) => setTimeout(resolve, 2000));
}
' > "$night/page.log" 2>&1) &
    node_pid=$!
    shells+=(page)
fi

# --- the renderer under Wine ---------------------------------------------------------------------
if [ -f "$wine_bin" ]; then
    wine_env=$night/wine-env
    "$root/scripts/wine-env" start "$wine_env" >/dev/null || fail "the Wine environment did not start"
    (
        eval "$("$root/scripts/wine-env" vars "$wine_env")"
        # The pictures the front-end writes before it starts the renderer.
        mkdir -p "$WINEPREFIX/drive_c/s_vell"
        for n in 1 2 3; do cp "$root/assets/pictures/pic1_$n.bmp" "$WINEPREFIX/drive_c/s_vell/Nerlo0$n.bmp"; done
        export VANTOREL_TIMING_LOG="Z:${wine_env//\//\\}\\timing.log"
        exec wine "$wine_bin" > "$night/wine.log" 2>&1
    ) &
    shells+=(wine)
else
    skipped+=("wine: no $wine_bin")
fi

[ ${#shells[@]} -gt 0 ] || { log "no shell to run: ${skipped[*]}"; exit 2; }

# The renderer's own process under Wine: the one with this prefix in its environment.
find_wine_pid() {
    local p
    for p in $(pgrep -x Vantorel.dll 2>/dev/null); do
        tr '\0' '\n' < "/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$wine_env/prefix" && { echo "$p"; return; }
    done
}
pids_of() {
    case $1 in
    wayland) echo "$saver_pid" ;;
    x11) echo "$hack_pid" ;;
    page) descendants "$node_pid" ;;  # the browser and its children, not node in front of them
    wine) echo "$wine_pid" ;;
    esac
}
# Frames a second now: the last -fps line, the page's count over its last two readings, the renderer's
# 256-frame marks over its last two; 0 when the file has not grown for SECONDS (a shell that stopped
# drawing writes no more lines, so its last rate would stand for ever).
fresh() { [ -f "$1" ] && [ $(($(date +%s) - $(stat -c %Y "$1"))) -le "$2" ] || { echo 0; return 1; }; }
rate_of() {
    case $1 in
    wayland) fresh "$work/saver.log" 10 && grep frames/s "$work/saver.log" | tail -1 | awk '{print $(NF - 1)}' ;;
    x11) fresh "$night/hack.log" 10 && grep frames/s "$night/hack.log" | tail -1 | awk '{print $(NF - 1)}' ;;
    page) fresh "$night/page.frames" 10 && tail -2 "$night/page.frames" | awk 'NR == 1 {t = $1; f = $2} NR == 2 && $1 > t {printf "%.1f", ($2 - f) * 1000 / ($1 - t)}' ;;
    wine) fresh "$wine_env/timing.log" 300 &&
        awk '$2 == "frames-256" {t0 = t1; t1 = $3} END {if (t0 && t1 > t0) printf "%.1f", 256e6 / (t1 - t0)}' "$wine_env/timing.log" ;;
    esac
}

start=$(date +%s)
# Each shell shows its first frames; the renderer's process is looked for meanwhile.
deadline=$((start + 120))
while [ "$(date +%s)" -lt "$deadline" ]; do
    [ -n "$wine_env" ] && [ -z "$wine_pid" ] && wine_pid=$(find_wine_pid)
    ready=1
    for s in "${shells[@]}"; do
        case $s in
        wine) [ -n "$wine_pid" ] && [ -s "$wine_env/timing.log" ] || ready=0 ;;
        page) awk '$2 > 0 {f = 1} END {exit !f}' "$night/page.frames" 2>/dev/null || ready=0 ;;
        *) awk -v f="$(rate_of "$s")" 'BEGIN {exit !(f + 0 > 0)}' || ready=0 ;;
        esac
    done
    [ $ready -eq 1 ] && break
    sleep 1
done
for s in "${shells[@]}"; do
    [ -n "$(pids_of "$s")" ] || fail "$s did not start"
done
log "running ${shells[*]} for $minutes minutes at $size (from $build)"
for k in "${skipped[@]}"; do log "left out: $k"; done

declare -A first last first_rate last_rate
sleep_until() { local t=$(($1 - $(date +%s))); [ $t -gt 0 ] && sleep "$t"; }
sleep_until $((start + 60))
for s in "${shells[@]}"; do first[$s]=$(sample $(pids_of "$s")); first_rate[$s]=$(rate_of "$s"); done
sleep_until $((start + 60 * minutes))
for s in "${shells[@]}"; do last[$s]=$(sample $(pids_of "$s")); last_rate[$s]=$(rate_of "$s"); done

printf '\n%-8s | %-29s | %-29s | %s\n' "shell" "at 1 min: RSS, fds, threads, f/s" "at $minutes min: RSS, fds, threads, f/s" "verdict"
flat=1
for s in "${shells[@]}"; do
    read -r r1 d1 t1 <<< "${first[$s]}"
    read -r r2 d2 t2 <<< "${last[$s]}"
    verdict=flat
    if [ "${first[$s]}" = - ] || [ "${last[$s]}" = - ]; then
        verdict="NOT FLAT: the shell ended"
    else
        allowed=$(( r1 / 10 > 8192 ? r1 / 10 : 8192 ))
        why=()
        [ $((r2 - r1)) -gt $allowed ] && why+=("memory +$(((r2 - r1) / 1024)) MiB")
        [ $((d2 - d1)) -gt 4 ] && why+=("descriptors +$((d2 - d1))")
        [ $((t2 - t1)) -gt 4 ] && why+=("threads +$((t2 - t1))")
        awk -v f="${last_rate[$s]:-0}" 'BEGIN {exit !(f + 0 > 0)}' || why+=("no frames at the end")
        [ ${#why[@]} -gt 0 ] && verdict="NOT FLAT: ${why[*]}"
    fi
    [ "$verdict" = flat ] || flat=0
    row() { [ "$1" = - ] && { echo "-"; return; }; read -r r d t <<< "$1"; printf '%.1f MiB, %d, %d, %s' "$(echo "scale=1; $r / 1024" | bc)" "$d" "$t" "${2:-?}"; }
    printf '%-8s | %-29s | %-29s | %s\n' "$s" "$(row "${first[$s]}" "${first_rate[$s]}")" "$(row "${last[$s]}" "${last_rate[$s]}")" "$verdict"
done
for k in "${skipped[@]}"; do printf '%-8s | left out: %s\n' "${k%%:*}" "${k#*: }"; done
echo
if [ $flat -eq 1 ]; then log "flat: every shell within max(8 MiB, 10 %) of memory, 4 descriptors and 4 threads of its 1-minute figures, still drawing"; exit 0; fi
log "not flat"
exit 1
