#!/usr/bin/env bash
# Sets up everything and runs every test: the native build (portable logic, GL on EGL, the frame
# renderer, the decoder under AddressSanitizer) and the Windows build (the real programs under Wine).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
status=0

cmake --preset linux
cmake --build --preset linux -j "$jobs"
ctest --preset linux -j "$jobs" || status=1

cmake --preset windows
cmake --build --preset windows -j "$jobs"
# One display and one C:\s_vell: the Wine tests run one at a time.
ctest --preset windows || status=1

exit $status
