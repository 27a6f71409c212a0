#!/usr/bin/env bash
# Sets up everything and runs every test: the native build (portable logic, GL on EGL, the frame
# renderer), the same suite under AddressSanitizer and UBSan with a bounded run of the fuzz targets,
# the page in headless Chromium, and the Windows build (the real programs under Wine).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
status=0

cmake --preset linux
cmake --build --preset linux -j "$jobs"
# The packaging tests make the Debian package and the tarball first, then read (and, as root, install) them.
ctest --preset linux -j "$jobs" || status=1

# The whole native suite again under AddressSanitizer and UBSan (clang); the same build holds the
# fuzz targets, whose bounded run follows.
cmake --preset linux-asan
cmake --build --preset linux-asan -j "$jobs"
ctest --preset linux-asan -j "$jobs" || status=1
bash scripts/fuzz.sh || status=1

# The page: the web build, and its tests in headless Chromium against the native frame renderer's
# pictures of the same moments.
cmake --build --preset linux --target vantorel-frames
cmake --preset web -DVANTOREL_FRAMES_PROGRAM="$root/build/linux/bin/vantorel-frames"
cmake --build --preset web -j "$jobs"
ctest --preset web || status=1

cmake --preset windows
cmake --build --preset windows -j "$jobs"
# One display and one C:\s_vell: the Wine tests run one at a time.
ctest --preset windows || status=1

# Every release file (Linux, Windows, web) built twice from this commit must come out byte for byte
# the same.
bash scripts/check-reproducible.sh || status=1

exit $status
