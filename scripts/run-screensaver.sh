#!/usr/bin/env bash
# Sets up, builds and runs the screensaver as Windows would (Vantorel.scr /s) under Wine: in a
# 1024 x 768 virtual desktop on your display if there is one, else on a private Xvfb display.
# Saves a screenshot every few seconds and presses Escape after the set time.
#   run-screensaver.sh [SECONDS]     (default 40)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-40}
cd "$root"
bash scripts/deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target VantorelScreensaver VantorelRenderer

bin=$root/build/windows/bin
shots=$root/build/screenshots
rm -rf "$shots"; mkdir -p "$shots"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    echo "run-screensaver: on your display $DISPLAY, in a Wine virtual desktop"
    export WINEPREFIX=$root/build/run-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=d;mshtml=d"
    [ -d "$WINEPREFIX" ] || { wineboot -i >/dev/null 2>&1; wineserver -w; }
    launch() { wine explorer /desktop=Vantorel,1024x768 "$bin/Vantorel.scr" /s; }
    shoot() { import -window root "$1" 2>/dev/null || true; }
    stop_env() { wineserver -k 2>/dev/null || true; }
else
    echo "run-screensaver: no display; using a private Xvfb display"
    envdir=$root/build/run-env
    scripts/wine-env start "$envdir"
    eval "$(scripts/wine-env vars "$envdir")"
    launch() { wine "$bin/Vantorel.scr" /s; }
    shoot() { import -window root "$1"; }
    stop_env() { "$root/scripts/wine-env" stop "$envdir"; }
fi

launch &
pid=$!
start=$(date +%s)
n=0
while kill -0 $pid 2>/dev/null && [ $(( $(date +%s) - start )) -lt "$seconds" ]; do
    sleep 5
    n=$((n + 1))
    shoot "$shots/shot-$(printf %02d $n).png"
done
# A person pressing Escape: down, held for a moment, up.
xdotool keydown Escape; sleep 0.2; xdotool keyup Escape
for _ in $(seq 1 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill $pid 2>/dev/null || true
stop_env
echo "run-screensaver: screenshots in $shots"
ls "$shots"
