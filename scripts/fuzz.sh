#!/usr/bin/env bash
# Runs every libFuzzer target of the sanitized build (preset linux-asan) over its seed corpus for a
# bounded time, two at a time, and prints how many inputs each one tried.
#
#   bash scripts/fuzz.sh                          # ~20 s a target: the README's test command runs this
#   FUZZ_SECONDS=3600 FUZZ_JOBS=2 bash scripts/fuzz.sh [target ...]   # the longer run
#
# New inputs that reach new code go to build/linux-asan/fuzz/found/<target>/ (the committed seeds in
# tests/fuzz/corpus/ stay as they are); a crash leaves its input in build/linux-asan/fuzz/artifacts/
# and fails the script. Rerun one input with: build/linux-asan/fuzz/<target> FILE
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/linux-asan
seconds=${FUZZ_SECONDS:-20}
jobs=${FUZZ_JOBS:-2}
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_dib fuzz_texture_files fuzz_settings fuzz_command_line
  fuzz_mci_answers fuzz_cp932)

for t in "${targets[@]}"; do
  [ -x "$build/fuzz/$t" ] || { echo "fuzz: $build/fuzz/$t is not built (cmake --build --preset linux-asan)"; exit 2; }
done
mkdir -p "$build/fuzz/logs" "$build/fuzz/artifacts"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:detect_stack_use_after_return=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=suppressions=$root/tests/sanitizers/lsan-third-party.supp:print_suppressions=0
# Keeps Mesa's driver mapped to the end, so a leak inside it is named and suppressed (see the file).
driver=/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so
[ -f "$driver" ] && export LD_PRELOAD=$driver

run_one() {
  local t=$1
  mkdir -p "$build/fuzz/found/$t"
  # -close_fd_mask=2: the readers' own messages on standard error would drown the log; libFuzzer
  # and the sanitizers still report through their own copy of it.
  "$build/fuzz/$t" -max_total_time="$seconds" -timeout=10 -max_len=10000 -rss_limit_mb=2048 \
    -print_final_stats=1 -close_fd_mask=2 -artifact_prefix="$build/fuzz/artifacts/$t-" \
    "$build/fuzz/found/$t" "$root/tests/fuzz/corpus/$t" >"$build/fuzz/logs/$t.log" 2>&1
}
export -f run_one
export build root seconds

status=0
printf '%s\n' "${targets[@]}" | xargs -P "$jobs" -I{} bash -c 'run_one {} || echo "fuzz: {} FAILED"' \
  | tee "$build/fuzz/logs/failures" || true
printf '%-20s %12s %8s %8s\n' target executions corpus seconds
for t in "${targets[@]}"; do
  log=$build/fuzz/logs/$t.log
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  corpus=$(ls "$build/fuzz/found/$t" "$root/tests/fuzz/corpus/$t" | grep -vc -e '^$' -e ':$' || true)
  time=$(sed -n 's/.*Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -1)
  printf '%-20s %12s %8s %8s\n' "$t" "${execs:-?}" "$corpus" "${time:-?}"
done
if [ -s "$build/fuzz/logs/failures" ]; then
  for t in "${targets[@]}"; do
    grep -q "fuzz: $t FAILED" "$build/fuzz/logs/failures" || continue
    echo "---- $t ($build/fuzz/logs/$t.log)"
    grep -E -A30 'ERROR|==[0-9]+==|deadly signal|Test unit written' "$build/fuzz/logs/$t.log" | head -60
  done
  status=1
fi
exit $status
