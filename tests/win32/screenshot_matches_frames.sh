#!/usr/bin/env bash
# The renderer under Wine shows exactly the headless frame renderer's picture, on every monitor at that
# monitor's size: with `--time 6` (and 75, and one year) each monitor's part of a screenshot is vantorel-frames'
# frame of that moment at that size, and not the frame a millisecond later. Without --time every monitor moves. A monitor whose
# scene is refused (VANTOREL_REFUSE_MONITOR_SCENE) is black while the others go on. Once Escape ended a
# run, the whole display shows the desktop again.
#   screenshot_matches_frames.sh WINE_ENV_DIR BIN_DIR FRAMES_TOOL PICTURES_DIR [KEEP.png]
set -u
envdir=$1 bindir=$2 frames=$3 pictures=$4 keep=${5:-}
here=$(cd "$(dirname "$0")" && pwd)
[ -x "$frames" ] || { echo "SKIP: no native frame renderer at $frames (build the linux preset first)"; exit 77; }
eval "$("$here/../../scripts/wine-env" vars "$envdir")" || exit 1

work=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill $pid 2>/dev/null; rm -rf "$work"' EXIT
svell=$WINEPREFIX/drive_c/s_vell
mkdir -p "$svell" "$work/textures"
for n in 1 2 3; do
    cp "$pictures/pic1_$n.bmp" "$svell/Nerlo0$n.bmp"
    cp "$pictures/pic1_$n.bmp" "$work/textures/Nerlo0$n.bmp"
done
folder=$WINEPREFIX/drive_c/vantorel-tests/screenshot
rm -rf "$folder"; mkdir -p "$folder"
cp "$bindir/Vantorel.dll" "$folder/"

fail() { echo "FAIL: $*"; exit 1; }
less() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a + 0 < b + 0) }'; }
rmse() { compare -metric RMSE "$1" "$2" null: 2>&1 | sed -n 's/.*(\([0-9.e-]*\)).*/\1/p'; }
# Share of a picture's pixels that are not black.
lit() { convert "$1" -colorspace Gray -threshold 0 -format '%[fx:mean]' info:; }

# The monitors as the X server has them (WxH+X+Y), the primary first, as Wine numbers them.
mapfile -t monitors < <(xrandr --listmonitors |
    sed -n 's/.* \([0-9]*\)\/[0-9]*x\([0-9]*\)\/[0-9]*+\([0-9]*\)+\([0-9]*\) .*/\1x\2+\3+\4/p')
[ ${#monitors[@]} -ge 1 ] || fail "no monitors from xrandr"
crop() {  # screenshot monitor-index out
    convert "$1" -crop "${monitors[$2]}" +repage "$3"
}

# A desktop of one colour, neither black nor the scene's, to tell black, the scene and a restored
# desktop apart.
xsetroot -solid '#3a6ea5'
import -window root "$work/desktop.png"

# Deadlines in seconds, generous: a busy machine makes the test slower, not red.
start_renderer() {
    wine "$folder/Vantorel.dll" "$@" &
    pid=$!
    local deadline=$(( $(date +%s) + 60 ))
    while [ "$(date +%s)" -lt "$deadline" ]; do
        xdotool search --onlyvisible --name '^Nerlo_VC$' >/dev/null 2>&1 && return 0
        sleep 0.05
    done
    fail "no Nerlo_VC window"
}

end_renderer() {
    xdotool keydown Escape; sleep 0.2; xdotool keyup Escape
    local deadline=$(( $(date +%s) + 30 ))
    while [ "$(date +%s)" -lt "$deadline" ]; do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
    kill -0 $pid 2>/dev/null && fail "Escape did not end the renderer"
    pid=
    for _ in $(seq 1 100); do
        import -window root "$work/after.png"
        less "$(rmse "$work/after.png" "$work/desktop.png")" 0.001 && return 0
        sleep 0.2
    done
    fail "the desktop did not come back (RMSE $(rmse "$work/after.png" "$work/desktop.png"))"
}

# Screenshots until the check holds for one (up to 60 s); the last one is left in $work/full.png.
wait_for_screen() {  # check [its arguments]
    local deadline=$(( $(date +%s) + 60 ))
    while [ "$(date +%s)" -lt "$deadline" ]; do
        import -window root "$work/full.png"
        $1 && return 0
        sleep 0.5
    done
    return 1
}

# Pinned: each monitor's part is the headless frame of the moment at its size. The rasteriser is the
# same on both sides; only the driver paths differ, by a rounding or two (measured: RMSE 1e-5 to 4e-5).
# A millisecond later the picture has moved: RMSE 0.013 to 0.015 at 6 s (the tube drops in), 0.004 to
# 0.005 at 75 s. At 75 s the tube's shape is the morph amount carried from the frames before 70 s, so
# every monitor must have its own run of the scene's frames to match.
threshold=0.002
# A year into a run the tumble comes from the exact elapsed time: the renderer draws it as the frame
# renderer does, at once.
moments=(6 75 31536000)
for i in "${!monitors[@]}"; do
    size=${monitors[$i]%%+*}
    mkdir -p "$work/frames-$i"
    "$frames" --textures "$work/textures" --size "$size" --out "$work/frames-$i" \
        --time 6 --time 6.001 --time 75 --time 75.001 --time 31536000 --time 31536000.001 >/dev/null ||
        fail "vantorel-frames at $size"
done
pinned_matches() {  # milliseconds
    local i
    for i in "${!monitors[@]}"; do
        crop "$work/full.png" "$i" "$work/monitor-$i.png"
        less "$(rmse "$work/monitor-$i.png" "$work/frames-$i/frame-$1.png")" $threshold || return 1
    done
}
for s in "${moments[@]}"; do
    ms=$((s * 1000))
    start_renderer --time "$s"
    wait_for_screen "pinned_matches $ms" || {
        cp "$work/full.png" /tmp/vantorel-screenshot-mismatch.png
        fail "a monitor does not show the frame of $s s at its size (kept in /tmp/vantorel-screenshot-mismatch.png)"
    }
    [ -n "$keep" ] && [ "$s" = "${moments[0]}" ] && cp "$work/full.png" "$keep"
    for i in "${!monitors[@]}"; do
        e=$(rmse "$work/monitor-$i.png" "$work/frames-$i/frame-$ms.png")
        next=$(rmse "$work/monitor-$i.png" "$work/frames-$i/frame-$((ms + 1)).png")
        echo "monitor $i (${monitors[$i]}): RMSE $e against the frame of $s s, $next against the next millisecond"
        less "$next" $threshold && fail "monitor $i: the frame a millisecond after $s s matches too"
    done
    end_renderer
done

# Live: every monitor shows a picture, neither black nor the desktop, and it changes.
all_lit() {
    local i
    for i in "${!monitors[@]}"; do
        crop "$work/full.png" "$i" "$work/live-$i.png"
        crop "$work/desktop.png" "$i" "$work/desktop-$i.png"
        less 0.9 "$(lit "$work/live-$i.png")" && less 0.05 "$(rmse "$work/live-$i.png" "$work/desktop-$i.png")" ||
            return 1
    done
}
all_moved() {
    local i
    for i in "${!monitors[@]}"; do
        crop "$work/full.png" "$i" "$work/now-$i.png"
        less 0.01 "$(rmse "$work/now-$i.png" "$work/live-$i.png")" || return 1
    done
}
start_renderer
wait_for_screen all_lit || fail "a monitor shows no scene in a live run"
wait_for_screen all_moved || fail "a monitor does not move in a live run"
echo "live: all ${#monitors[@]} monitor(s) moved"
end_renderer

# A second monitor whose scene cannot be set up is black; the primary's scene goes on.
if [ ${#monitors[@]} -ge 2 ]; then
    refused_black() {
        crop "$work/full.png" 0 "$work/monitor-0.png"
        crop "$work/full.png" 1 "$work/monitor-1.png"
        less "$(rmse "$work/monitor-0.png" "$work/frames-0/frame-6000.png")" $threshold &&
            less "$(lit "$work/monitor-1.png")" 0.01
    }
    VANTOREL_REFUSE_MONITOR_SCENE='\\.\DISPLAY2' start_renderer --time 6
    wait_for_screen refused_black ||
        fail "with its scene refused, monitor 1 is not black (share lit: $(lit "$work/monitor-1.png"))"
    echo "refused scene: monitor 1 black, monitor 0 the frame of 6 s"
    end_renderer
fi
exit 0
