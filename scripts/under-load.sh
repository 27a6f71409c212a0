#!/usr/bin/env bash
# Runs a command N times in a row with every core kept busy by a CPU hog (stress-ng, one worker per
# core), started before the first run and stopped after the last, and prints each run's verdict and
# wall time. Shows whether a test suite's verdict depends on how busy the machine is.
#   scripts/under-load.sh N COMMAND [ARGS ...]
# Example: scripts/under-load.sh 10 ctest --test-dir build/linux -L x11
# UNDER_LOAD_HOGS=N runs N hog workers instead (0: the same runs on a quiet machine, for comparison).
# UNDER_LOAD_LOGS=DIR keeps the runs' output there (default: a new folder under /tmp).
# Exit code: 0 when every run passed, else 1.
set -u
runs=${1:?usage: under-load.sh N COMMAND [ARGS ...]}
shift
[ $# -gt 0 ] || { echo "usage: under-load.sh N COMMAND [ARGS ...]" >&2; exit 2; }
command -v stress-ng >/dev/null || { echo "under-load: stress-ng is missing (bash scripts/deps.sh)" >&2; exit 2; }

hogs=${UNDER_LOAD_HOGS:-$(nproc)}
if [ "$hogs" -gt 0 ]; then
    stress-ng --cpu "$hogs" --quiet &
    hog=$!
    trap 'kill $hog 2>/dev/null; wait $hog 2>/dev/null' EXIT
    sleep 1
    kill -0 $hog 2>/dev/null || { echo "under-load: the CPU hog did not start" >&2; exit 2; }
fi

# Each run's output is kept in one folder; a failed run's log is named in its line.
logs=${UNDER_LOAD_LOGS:-$(mktemp -d /tmp/under-load-XXXXXX)}
mkdir -p "$logs"
passed=0
for i in $(seq 1 "$runs"); do
    start=$(date +%s)
    if "$@" >"$logs/run-$i.log" 2>&1; then verdict=passed; passed=$((passed + 1)); else verdict="FAILED (see $logs/run-$i.log)"; fi
    echo "run $i of $runs: $verdict in $(( $(date +%s) - start )) s (load $(cut -d' ' -f1 /proc/loadavg))"
done
echo "$passed of $runs runs passed with $hogs CPU hogs beside them"
[ "$passed" -eq "$runs" ]
