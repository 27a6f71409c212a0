#!/usr/bin/env bash
# Regenerates the committed golden frames from the current scene (after an intended change of the
# picture): builds the frame renderer natively and draws the timeline's sample moments.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cmake --preset linux -S "$root" >/dev/null
cmake --build "$root/build/linux" --target vantorel-frames
tex=$(mktemp -d)
for n in 1 2 3; do cp "$root/assets/pictures/pic1_$n.bmp" "$tex/Nerlo0$n.bmp"; done
"$root/build/linux/bin/vantorel-frames" --textures "$tex" --size 320x240 --out "$root/tests/golden" \
    --time 5 --time 25 --time 45 --time 75
rm -rf "$tex"
