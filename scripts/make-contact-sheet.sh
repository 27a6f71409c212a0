#!/usr/bin/env bash
# Draws the README's contact sheet of the timeline with the headless frame renderer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cmake --preset linux -S "$root" >/dev/null
cmake --build "$root/build/linux" --target vantorel-frames
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
times=(0 10 25 45 70 100)
args=()
for t in "${times[@]}"; do args+=(--time "$t"); done
"$root/build/linux/bin/vantorel-frames" --size 384x288 --out "$work" "${args[@]}" >/dev/null
files=()
for t in "${times[@]}"; do files+=("$work/frame-$((t * 1000)).png"); done
convert "${files[@]:0:3}" +append "$work/row1.png"
convert "${files[@]:3:3}" +append "$work/row2.png"
convert "$work/row1.png" "$work/row2.png" -append "$root/docs/timeline.png"
echo "$root/docs/timeline.png"
