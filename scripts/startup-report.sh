#!/usr/bin/env bash
# Start-up of the screensaver under the Wine harness: from `Vantorel.scr /s` to the renderer's first
# drawn frame, run several times, with what each step costs. The programs write their steps to the
# file named by VANTOREL_TIMING_LOG (off unless set); this script starts each run, waits for the first
# frame, presses Escape, and prints the median, minimum and maximum of every step.
#   startup-report.sh [RUNS] [BIN_DIR ...]
# RUNS defaults to 7; BIN_DIR to build/windows/bin (cmake --build --preset windows). With several
# folders (another build of the two programs, for comparison) their runs take turns, so each report
# is measured under the same conditions.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-7}
shift || true
bins=("$@")
[ ${#bins[@]} -gt 0 ] || bins=("$root/build/windows/bin")
envdir=$root/build/windows/wine-env-startup
for bin in "${bins[@]}"; do
    [ -f "$bin/Vantorel.scr" ] && [ -f "$bin/Vantorel.dll" ] || { echo "startup-report: no programs in $bin" >&2; exit 2; }
done

"$root/scripts/wine-env" start "$envdir" --size 1024x768x24 >/dev/null
trap '"$root/scripts/wine-env" stop "$envdir" >/dev/null 2>&1 || true' EXIT
eval "$("$root/scripts/wine-env" vars "$envdir")"

logs=$envdir/startup-logs
rm -rf "$logs"; mkdir -p "$logs"
# One run of each to warm the prefix and the file cache, not counted.
for n in $(seq 0 "$runs"); do
  for b in "${!bins[@]}"; do
    bin=${bins[$b]}
    log=$logs/bin-$b-run-$n.log
    export VANTOREL_TIMING_LOG="Z:${log//\//\\}"
    echo "launch launch $(date +%s%6N) 0" >"$log"
    wine "$bin/Vantorel.scr" /s >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 1 300); do
        grep -q "first-frame" "$log" 2>/dev/null && break
        kill -0 $pid 2>/dev/null || break
        sleep 0.05
    done
    # Let the scene run a moment, note what the renderer holds, then a person's Escape ends it; the
    # front-end follows its renderer. Only this prefix's renderer counts (others may run beside it).
    sleep 0.5
    for rp in $(pgrep -x Vantorel.dll || true); do
        if tr '\0' '\n' <"/proc/$rp/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
            echo "memory resident-kb $(awk '/^VmRSS:/ {print $2}' "/proc/$rp/status") 0" >>"$log"
        fi
    done
    xdotool keydown Escape; sleep 0.1; xdotool keyup Escape
    for _ in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
    kill $pid 2>/dev/null || true
    wait $pid 2>/dev/null || true
    grep -q "first-frame" "$log" || echo "startup-report: run $n of $bin drew no frame (see $log)" >&2
  done
done

for b in "${!bins[@]}"; do
echo "${bins[$b]}:"
python3 - "$logs" "$runs" "$b" <<'PY'
import statistics, sys, os
logs, runs, nBin = sys.argv[1], int(sys.argv[2]), sys.argv[3]
# Each step: from which mark to which, as "program:step".
steps = [
    ("front-end start", "launch:launch", "frontend:main"),
    ("front-end set-up", "frontend:main", "frontend:pictures-begin"),
    ("picture export", "frontend:pictures-begin", "frontend:pictures-end"),
    ("until renderer started", "frontend:pictures-end", "frontend:renderer-create"),
    ("renderer start", "frontend:renderer-create", "renderer:main"),
    ("display mode", "renderer:main", "renderer:display-mode"),
    ("window and context", "renderer:display-mode", "renderer:context"),
    ("window shown", "renderer:context", "renderer:window-shown"),
    ("textures (scene set-up)", "renderer:window-shown", "renderer:scene-ready"),
    ("first frame", "renderer:scene-ready", "renderer:first-frame"),
    ("total", "launch:launch", "renderer:first-frame"),
]
values = {name: [] for name, _, _ in steps}
for n in range(1, runs + 1):
    marks = {}
    for line in open(os.path.join(logs, f"bin-{nBin}-run-{n}.log"), errors="replace"):
        parts = line.split()
        if len(parts) >= 3 and f"{parts[0]}:{parts[1]}" not in marks:
            marks[f"{parts[0]}:{parts[1]}"] = int(parts[2])
    for name, a, b in steps:
        if a in marks and b in marks:
            values[name].append((marks[b] - marks[a]) / 1000.0)
rss = []
for n in range(1, runs + 1):
    for line in open(os.path.join(logs, f"bin-{nBin}-run-{n}.log"), errors="replace"):
        parts = line.split()
        if len(parts) >= 3 and parts[0] == "memory":
            rss.append(int(parts[2]) / 1024.0)
print(f"{'step':<26} {'median':>9} {'min':>9} {'max':>9} unit  ({runs} runs)")
for name, _, _ in steps:
    v = values[name]
    if v:
        print(f"{name:<26} {statistics.median(v):9.1f} {min(v):9.1f} {max(v):9.1f} ms")
    else:
        print(f"{name:<26} {'-':>9} {'-':>9} {'-':>9} ms")
if rss:
    print(f"{'renderer resident, 0.5 s in':<26} {statistics.median(rss):9.1f} {min(rss):9.1f} {max(rss):9.1f} MB")
PY
done
