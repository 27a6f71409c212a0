#!/usr/bin/env bash
# What the renderer costs while the display is off against while it is on, under Wine: the CPU time of
# the renderer's process (all its threads, llvmpipe's included: user + system from /proc/PID/stat) and
# of the X server over SECONDS with the display on, then SECONDS with it off (GUID_CONSOLE_DISPLAY_STATE
# 0, as Windows sends it, by send_power_setting.exe), ROUNDS times in one run of the renderer, the two
# taking turns so that the machine's load falls on both alike. A measurement, not a test.
#   measure-display-off-cpu.sh [ROUNDS] [SECONDS] [BUILD_DIR] [RENDERER]
# ROUNDS defaults to 3, SECONDS to 10, BUILD_DIR to build/windows, RENDERER (another Vantorel.dll, to
# compare) to the one in BUILD_DIR/bin.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-3} seconds=${2:-10} build=${3:-$root/build/windows}
dll=${4:-$build/bin/Vantorel.dll} sender=$build/tests/win32/send_power_setting.exe
for f in "$dll" "$sender"; do
    [ -f "$f" ] || { echo "measure-display-off-cpu: no $f (build the windows preset)" >&2; exit 2; }
done
env=$build/wine-env-measure-power
"$root/scripts/wine-env" start "$env" >/dev/null
eval "$("$root/scripts/wine-env" vars "$env")"
pid=
trap '[ -n "$pid" ] && kill $pid 2>/dev/null; wait 2>/dev/null; "$root/scripts/wine-env" stop "$env" >/dev/null 2>&1 || true' EXIT

wine "$dll" >/dev/null 2>&1 &
pid=$!
for _ in $(seq 1 600); do xdotool search --onlyvisible --name '^Nerlo_VC$' >/dev/null 2>&1 && break; sleep 0.1; done
# The renderer's own process (not the wine loader in front of it), of this prefix only.
renderer=
for _ in $(seq 1 100); do
    for rp in $(pgrep -x Vantorel.dll || true); do
        tr '\0' '\n' <"/proc/$rp/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && renderer=$rp
    done
    [ -n "$renderer" ] && break
    sleep 0.1
done
[ -n "$renderer" ] || { echo "measure-display-off-cpu: no renderer process" >&2; exit 1; }
xserver=$(cat "$env/state/xvfb.pid")
sleep 10  # past the start-up and the drop-in: the tube is in view and the frames come steadily

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
send() { wine "$sender" console "$1" >/dev/null 2>&1 || { echo "measure-display-off-cpu: the renderer took no notification" >&2; exit 1; }; }
hz=$(getconf CLK_TCK)
# One phase: the renderer's and the X server's share of one core, in per cent.
phase() {
    local r0 x0 s0 r1 x1 s1
    r0=$(ticks "$renderer") x0=$(ticks "$xserver") s0=$(date +%s.%N)
    sleep "$seconds"
    r1=$(ticks "$renderer") x1=$(ticks "$xserver") s1=$(date +%s.%N)
    echo "$(echo "scale=2; 100 * ($r1 - $r0) / $hz / ($s1 - $s0)" | bc) $(echo "scale=2; 100 * ($x1 - $x0) / $hz / ($s1 - $s0)" | bc)"
}
results=$(mktemp)
for round in $(seq 1 "$rounds"); do
    echo "on $round $(phase)" | tee -a "$results"
    send 0
    sleep 1  # the frame under way when the notification came
    echo "off $round $(phase)" | tee -a "$results"
    send 1
done
kill -0 "$renderer" 2>/dev/null || { echo "measure-display-off-cpu: the renderer ended during the run" >&2; exit 1; }

python3 - "$results" "$seconds" <<'PY'
import statistics, sys
rows = [line.split() for line in open(sys.argv[1]) if line.strip()]
med = {s: [statistics.median(float(r[i]) for r in rows if r[0] == s) for i in (2, 3)] for s in ("on", "off")}
n = sum(1 for r in rows if r[0] == "on")
print(f"display on:  renderer {med['on'][0]:.1f}% of one core, X server {med['on'][1]:.1f}%")
print(f"display off: renderer {med['off'][0]:.2f}% of one core, X server {med['off'][1]:.2f}%")
ratio = med["off"][0] / med["on"][0] if med["on"][0] else float("nan")
print(f"renderer off / on: {ratio:.4f} (medians of {n} rounds of {sys.argv[2]} s each)")
PY
rm -f "$results"
