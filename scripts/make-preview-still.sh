#!/usr/bin/env bash
# Regenerates assets/pictures/preview.bmp, the 152 x 112 still that Vantorel.scr shows in the small
# monitor of the Display Properties dialog, from the current scene: builds the frame renderer
# natively and draws one moment where the ring is whole and well in view.
#
#   vantorel-frames --textures <Nerlo0n.bmp of assets/pictures/pic1_n.bmp> --size 152x112 --time 20 --out DIR
#   convert DIR/frame-20000.png -type TrueColor BMP3:assets/pictures/preview.bmp
#
# BMP3 with TrueColor: a 24-bit bottom-up picture with the 54-byte header, as windres and GDI expect.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
moment=20
cmake --preset linux -S "$root" >/dev/null
cmake --build "$root/build/linux" --target vantorel-frames
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for n in 1 2 3; do cp "$root/assets/pictures/pic1_$n.bmp" "$work/Nerlo0$n.bmp"; done
"$root/build/linux/bin/vantorel-frames" --textures "$work" --size 152x112 --time "$moment" --out "$work"
convert "$work/frame-${moment}000.png" -type TrueColor BMP3:"$root/assets/pictures/preview.bmp"
