#!/usr/bin/env bash
# What the scene on a second monitor costs the renderer under Wine: the primary's frames per second and
# the renderer's resident memory with one monitor (1024 x 768) and with two (1024 x 768 + 1280 x 720),
# in one run, the two layouts taking turns so that the machine's load falls on both alike. A benchmark,
# not a test. The renderer writes a line at its first frame and one per 256 frames to VANTOREL_TIMING_LOG;
# the frame rate is taken from the first frame to the last of those lines. Every run starts the scene
# afresh, so both layouts draw the same stretch of the timeline (the tube fills more of the screen as it
# drops in, so the rate falls over the first 20 s).
#   measure-monitors.sh [ROUNDS] [SECONDS] [BIN_DIR]
# ROUNDS defaults to 3, SECONDS (each run's length) to 30, BIN_DIR to build/windows/bin.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-3} seconds=${2:-30} bin=${3:-$root/build/windows/bin}
[ -f "$bin/Vantorel.dll" ] || { echo "measure-monitors: no Vantorel.dll in $bin" >&2; exit 2; }

declare -A layouts=([one]=1 [two]=1024x768,1280x720)
for name in one two; do
    "$root/scripts/wine-env" start "$root/build/windows/wine-env-measure-$name" --monitors "${layouts[$name]}" >/dev/null
done
trap 'for name in one two; do "$root/scripts/wine-env" stop "$root/build/windows/wine-env-measure-$name" >/dev/null 2>&1 || true; done' EXIT

results=$root/build/windows/measure-monitors.txt
: >"$results"
for round in $(seq 1 "$rounds"); do
    for name in one two; do
        (
            eval "$("$root/scripts/wine-env" vars "$root/build/windows/wine-env-measure-$name")"
            log=$VANTOREL_WINE_ENV/timing.log
            rm -f "$log"
            export VANTOREL_TIMING_LOG="Z:${log//\//\\}"
            wine "$bin/Vantorel.dll" >/dev/null 2>&1 &
            pid=$!
            sleep "$seconds"
            rss=0 hwm=0
            # Only this prefix's renderer counts (others may run beside it).
            for rp in $(pgrep -x Vantorel.dll || true); do
                if tr '\0' '\n' <"/proc/$rp/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
                    rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$rp/status")
                    hwm=$(awk '/^VmHWM:/ {print $2}' "/proc/$rp/status")
                fi
            done
            xdotool keydown Escape; sleep 0.1; xdotool keyup Escape
            for _ in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
            kill $pid 2>/dev/null || true
            wait $pid 2>/dev/null || true
            fps=$(awk '$2 == "first-frame" { first = $3 } $2 == "frames-256" { n++; last = $3 }
                       END { if (n > 0) printf "%.2f", (256 * n - 1) / ((last - first) / 1e6); else print "nan" }' "$log")
            echo "$name $round $fps $rss $hwm" | tee -a "$results"
        )
    done
done

python3 - "$results" <<'PY'
import statistics, sys
rows = [line.split() for line in open(sys.argv[1]) if line.strip()]
for name, what in (("one", "one monitor, 1024 x 768"), ("two", "two monitors, 1024 x 768 + 1280 x 720")):
    r = [x for x in rows if x[0] == name and x[2] != "nan"]
    fps = [float(x[2]) for x in r]
    rss = [int(x[3]) / 1024 for x in r]
    hwm = [int(x[4]) / 1024 for x in r]
    print(f"{what}: primary {statistics.median(fps):.1f} frames/s ({min(fps):.1f}-{max(fps):.1f}), "
          f"resident {statistics.median(rss):.1f} MB (peak {max(hwm):.1f} MB), {len(r)} runs")
PY
