#!/usr/bin/env bash
# The native hack's CPU cost: its share of one core (all its threads, user + system time from
# /proc/PID/stat) over SECONDS, drawing full screen (-root) on a private 1024 x 768 Xvfb with llvmpipe.
#   scripts/measure-hack-cpu.sh [HACK] [SECONDS] [DELAY_USEC]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
hack=${1:-$root/build/linux/bin/vantorel} seconds=${2:-30} delay=${3:-16666}
work=$(mktemp -d)
xvfb= pid=
trap '[ -n "$pid" ] && kill $pid 2>/dev/null; [ -n "$xvfb" ] && kill $xvfb 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
exec 3> "$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 +extension GLX -nolisten tcp -br 2>/dev/null &
xvfb=$!
exec 3>&-
for _ in $(seq 1 200); do [ -s "$work/display" ] && break; sleep 0.05; done
DISPLAY=:$(head -1 "$work/display") LIBGL_ALWAYS_SOFTWARE=1 "$hack" -root -delay "$delay" -fps 2>"$work/fps" &
pid=$!
sleep 5  # past start-up: the pictures are loaded, the frames come steadily
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
t0=$(ticks) s0=$(date +%s.%N)
sleep "$seconds"
t1=$(ticks) s1=$(date +%s.%N)
hz=$(getconf CLK_TCK)
share=$(echo "scale=1; 100 * ($t1 - $t0) / $hz / ($s1 - $s0)" | bc)
fps=$(tail -n "$seconds" "$work/fps" | awk '{s += $2; n++} END {if (n) printf "%.1f", s / n}')
per_frame=$(echo "scale=1; 10 * $share / $fps" | bc)
echo "vantorel -root -delay $delay at 1024x768: ${share}% of one core over ${seconds} s, ${fps} frames/s, ${per_frame} ms of CPU per frame"
