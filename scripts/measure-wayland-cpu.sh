#!/usr/bin/env bash
# vantorel-wayland's speed beside the X11 hack's, in one run: frames per second and CPU per frame at
# 1024 x 768, the saver on one output of a headless sway (tests/wayland/sway_session.sh; needs root),
# the hack full screen on a private Xvfb (scripts/measure-hack-cpu.sh). Both with llvmpipe, -delay
# 16666, over SECONDS after their start-up. A benchmark, not a test: the machine's load moves both.
#   scripts/measure-wayland-cpu.sh [SECONDS] [ROUNDS]
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-20} rounds=${2:-1}
saver=$root/build/linux/bin/vantorel-wayland
hack=$root/build/linux/bin/vantorel
for p in "$saver" "$hack"; do [ -x "$p" ] || { echo "no $p: cmake --build --preset linux first"; exit 1; }; done
fail() { echo "measure-wayland-cpu: $*"; exit 1; }
. "$root/tests/wayland/sway_session.sh"

start_sway 'output HEADLESS-1 mode 1024x768 position 0 0'
hz=$(getconf CLK_TCK)
for round in $(seq 1 "$rounds"); do
    start_saver -fps
    sleep 5  # past start-up: the pictures are loaded, the frames come steadily
    t0=$(awk '{print $14 + $15}' "/proc/$saver_pid/stat") s0=$(date +%s.%N) l0=$(grep -c frames/s "$work/saver.log")
    sleep "$seconds"
    t1=$(awk '{print $14 + $15}' "/proc/$saver_pid/stat") s1=$(date +%s.%N)
    kill -TERM "$saver_pid"; wait_saver_end 30 || fail "the saver did not end"
    share=$(echo "scale=1; 100 * ($t1 - $t0) / $hz / ($s1 - $s0)" | bc)
    fps=$(tail -n +"$((l0 + 1))" "$work/saver.log" | grep frames/s | head -n "$seconds" |
        awk '{s += $(NF - 1); n++} END {if (n) printf "%.1f", s / n}')
    per_frame=$(echo "scale=1; 10 * $share / $fps" | bc)
    echo "round $round: vantorel-wayland -delay 16666 on one 1024x768 output: ${share}% of one core over ${seconds} s, ${fps} frames/s, ${per_frame} ms of CPU per frame"
    echo "round $round: $(bash "$root/scripts/measure-hack-cpu.sh" "$hack" "$seconds" 16666)"
done
