#!/usr/bin/env bash
# The renderer's speed on this machine: vantorel-frames --bench, run several times, each figure's
# medians summarised (median of the runs' medians, lowest min, highest max).
#   bench-frames.sh [FRAMES] [RUNS] [PROGRAM ...]
# FRAMES defaults to 60, RUNS to 3, PROGRAM to build/linux/bin/vantorel-frames. With several programs
# (another build, for comparison) their runs take turns, so every summary is measured alike. Extra
# options for the bench (--size WxH, --textures DIR) go in BENCH_OPTIONS.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
frames=${1:-60}
runs=${2:-3}
shift 2 || shift $# || true
programs=("$@")
[ ${#programs[@]} -gt 0 ] || programs=("$root/build/linux/bin/vantorel-frames")
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
for r in $(seq 1 "$runs"); do
    for p in "${!programs[@]}"; do
        # shellcheck disable=SC2086
        "${programs[$p]}" --bench "$frames" ${BENCH_OPTIONS:-} >"$out/program-$p-run-$r.txt"
    done
done
echo "# $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)"
echo "# bench-frames.sh $frames $runs ${BENCH_OPTIONS:-}"
for p in "${!programs[@]}"; do
    echo "${programs[$p]}:"
    python3 - "$out" "$p" "$runs" <<'PY'
import statistics, sys
out, nProgram, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
figures = {}
order = []
for r in range(1, runs + 1):
    for line in open(f"{out}/program-{nProgram}-run-{r}.txt"):
        f = line.split()
        if len(f) != 5:
            continue
        if f[0] not in figures:
            figures[f[0]] = []
            order.append(f[0])
        figures[f[0]].append((float(f[1]), float(f[2]), float(f[3]), f[4]))
for name in order:
    v = figures[name]
    print(f"{name:<28} {statistics.median(x[0] for x in v):10.3f} {min(x[1] for x in v):10.3f} "
          f"{max(x[2] for x in v):10.3f} {v[0][3]}")
PY
done
