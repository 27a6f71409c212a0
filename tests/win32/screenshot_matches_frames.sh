#!/usr/bin/env bash
# The renderer under Wine shows exactly the headless frame renderer's picture: a screenshot of the
# running Vantorel.dll matches the headless frame of some scene time inside the window in which the
# screenshot was taken. On a wider display (two monitors) the scene is the primary's left 1024 x 768
# and the rest is black; once Escape ended the run, the whole display shows the desktop again.
#   screenshot_matches_frames.sh WINE_ENV_DIR BIN_DIR FRAMES_TOOL PICTURES_DIR [KEEP.png]
set -u
envdir=$1 bindir=$2 frames=$3 pictures=$4 keep=${5:-}
here=$(cd "$(dirname "$0")" && pwd)
[ -x "$frames" ] || { echo "SKIP: no native frame renderer at $frames (build the linux preset first)"; exit 77; }
eval "$("$here/../../scripts/wine-env" vars "$envdir")" || exit 1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
svell=$WINEPREFIX/drive_c/s_vell
mkdir -p "$svell" "$work/textures" "$work/frames"
for n in 1 2 3; do
    cp "$pictures/pic1_$n.bmp" "$svell/Nerlo0$n.bmp"
    cp "$pictures/pic1_$n.bmp" "$work/textures/Nerlo0$n.bmp"
done
folder=$WINEPREFIX/drive_c/vantorel-tests/screenshot
rm -rf "$folder"; mkdir -p "$folder"
cp "$bindir/Vantorel.dll" "$folder/"

less() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a + 0 < b + 0) }'; }
rmse() { compare -metric RMSE "$1" "$2" null: 2>&1 | sed -n 's/.*(\([0-9.e-]*\)).*/\1/p'; }
# A desktop of one colour, neither black nor the scene's, to tell a cover and a restored desktop apart.
xsetroot -solid '#3a6ea5'
import -window root "$work/desktop.png"
width=$(identify -format '%w' "$work/desktop.png")

now() { date +%s.%N; }
t0=$(now)
wine "$folder/Vantorel.dll" &
pid=$!
# Deadlines in seconds, generous: a busy machine makes the test slower, not red.
deadline=$(( $(date +%s) + 60 ))
while [ "$(date +%s)" -lt "$deadline" ]; do
    xdotool search --onlyvisible --name '^Nerlo_VC$' >/dev/null 2>&1 && break
    sleep 0.05
done
xdotool search --onlyvisible --name '^Nerlo_VC$' >/dev/null 2>&1 || { echo "FAIL: no Nerlo_VC window"; kill $pid; exit 1; }
# Six seconds in, the dropping tube is well inside the picture.
sleep 6
import -window root "$work/full.png"
t1=$(now)
[ -n "$keep" ] && cp "$work/full.png" "$keep"
convert "$work/full.png" -crop 1024x768+0+0 +repage "$work/shot.png"
if [ "$width" -gt 1024 ]; then
    lit=$(convert "$work/full.png" -crop "$((width - 1024))x768+1024+0" +repage -colorspace Gray -threshold 0 \
        -format '%[fx:mean]' info:)
    less "$lit" 0.01 || { echo "FAIL: the other monitor is not black (share not black: $lit)"; kill $pid; exit 1; }
    echo "the other monitor is black but for a share of $lit"
fi
xdotool keydown Escape; sleep 0.2; xdotool keyup Escape
deadline=$(( $(date +%s) + 30 ))
while [ "$(date +%s)" -lt "$deadline" ]; do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
if kill -0 $pid 2>/dev/null; then echo "FAIL: Escape did not end the renderer"; kill $pid; exit 1; fi
back=
for _ in $(seq 1 100); do
    import -window root "$work/after.png"
    less "$(rmse "$work/after.png" "$work/desktop.png")" 0.001 && { back=1; break; }
    sleep 0.2
done
[ -n "$back" ] || { echo "FAIL: the desktop did not come back (RMSE $(rmse "$work/after.png" "$work/desktop.png"))"; exit 1; }

# The first frame comes after the window appeared, so the screenshot's scene time lies in [0, t1 - t0].
upper=$(echo "$t1 - $t0" | bc)
best_time=; best=1
search() {  # from to step
    local args=() t
    for t in $(seq "$1" "$3" "$2"); do args+=(--time "$t"); done
    rm -f "$work"/frames/*.png
    "$frames" --textures "$work/textures" --size 1024x768 --out "$work/frames" "${args[@]}" >/dev/null || exit 1
    for f in "$work"/frames/frame-*.png; do
        local e; e=$(rmse "$work/shot.png" "$f")
        if [ "$(echo "$e < $best" | bc -l)" = 1 ]; then best=$e; best_time=$(basename "$f" .png); fi
    done
}
search 0 "$upper" 0.25
centre=$(echo "${best_time#frame-} / 1000" | bc -l)
lo=$(echo "if ($centre - 0.3 < 0) 0 else $centre - 0.3" | bc -l)
hi=$(echo "if ($centre + 0.3 > $upper) $upper else $centre + 0.3" | bc -l)
search "$lo" "$hi" 0.01
echo "screenshot after ${upper} s matches the headless frame at ${best_time#frame-} ms with RMSE $best"
# Identical rasteriser on both sides: only the driver paths differ, by a rounding or two.
if [ "$(echo "$best < 0.02" | bc -l)" = 1 ]; then exit 0; fi
cp "$work/shot.png" /tmp/vantorel-screenshot-mismatch.png
echo "FAIL: no headless frame in [0, $upper] s matches the screenshot (kept in /tmp/vantorel-screenshot-mismatch.png)"
exit 1
