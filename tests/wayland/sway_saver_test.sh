#!/usr/bin/env bash
# vantorel-wayland on a real compositor: a headless sway run as an ordinary user made for the purpose
# (sway_session.sh). grim takes each output's picture, wtype types on a virtual keyboard, swaymsg adds
# outputs and sets modes and scales, swayidle starts the saver after an idle time.
#   sway_saver_test.sh CASE SAVER FRAMES_TOOL [KEEP.png]
# CASE is one of: outputs scale hotplug ending idle lock power fallback frames faults; weston: the same
# saver on the real Weston (no layer-shell: the fullscreen-window path), headless and nested in Xvfb;
# kwin: on the real KWin of KDE Plasma (layer-shell), started by the package's autostart entry too.
set -u
case_name=$1 saver=$2 frames=$3 keep=${4:-}
# The same threshold as the hack's pinned-moment test: the next frame (50 ms on) is well above it.
same_frame=0.004
pinned_s=25 next_s=25.05

fail() {
    echo "FAIL: $*"
    [ -f "${work:-}/saver.log" ] && { echo "--- saver log"; tr -d '\0' < "$work/saver.log" | grep -av '^\[' | tail -20; }
    [ -f "${work:-}/sway.log" ] && { echo "--- sway log"; tail -10 "$work/sway.log"; }
    exit 1
}
for tool in sway swaymsg grim wtype swayidle swaylock compare convert identify runuser python3; do
    command -v "$tool" >/dev/null || fail "$tool is missing (bash scripts/deps.sh installs it)"
done
[ -x "$saver" ] || fail "no saver at $saver"
[ -x "$frames" ] || fail "no frame renderer at $frames"
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/wayland/sway_session.sh
. "$here/sway_session.sh"
mkdir -p "$work/frames"

shot() { run_as timeout 20 grim -o "$1" "$work/shots/$2.png" 2>/dev/null && cp "$work/shots/$2.png" "$work/$2.png"; }
frame() {  # frame SIZE SECONDS: the headless frame renderer's picture, as $work/frames/SIZE-SECONDS.png
    local out=$work/frames/$1-$2.png
    if [ ! -f "$out" ]; then
        local dir; dir=$(mktemp -d "$work/frames/XXXX")
        "$frames" --size "$1" --out "$dir" --time "$2" >/dev/null || fail "vantorel-frames --size $1 --time $2 failed"
        mv "$dir"/frame-*.png "$out"; rmdir "$dir"
    fi
    echo "$out"
}
# The output shows the pinned moment (or SECONDS) as the frame renderer draws it at SIZE, and (for the
# pinned moment) the next frame would not pass for it. Waits for the picture (the first one at a new
# size may still be on its way).
expect_pinned() {
    local output=$1 size=$2 seconds=${3:-$pinned_s} want next d n
    want=$(frame "$size" "$seconds")
    local deadline=$(( $(date +%s) + 60 ))
    while before "$deadline"; do
        shot "$output" "$output" && [ "$(identify -format '%wx%h' "$work/$output.png")" = "$size" ] &&
            d=$(rmse "$work/$output.png" "$want") && less "$d" "$same_frame" && break
        sleep 0.2
    done
    [ "$(identify -format '%wx%h' "$work/$output.png" 2>/dev/null)" = "$size" ] ||
        fail "$output: picture of $(identify -format '%wx%h' "$work/$output.png" 2>/dev/null) pixels, not $size"
    d=$(rmse "$work/$output.png" "$want")
    less "$d" "$same_frame" || fail "$output does not show the moment $seconds s at $size (RMSE $d)"
    [ "$seconds" = "$pinned_s" ] || { echo "$output ($size): RMSE $d against $seconds s"; return 0; }
    n=$(rmse "$work/$output.png" "$(frame "$size" "$next_s")")
    echo "$output ($size): RMSE $d against the pinned moment, $n against the next frame"
    less "$same_frame" "$n" || fail "the threshold cannot tell the next frame from the pinned one ($n)"
}
# The output shows the scene (not the compositor's plain background) and its picture changes.
expect_moving() {
    local output=$1 d deadline=$(( $(date +%s) + 60 ))
    while before "$deadline"; do
        shot "$output" a && less 0.05 "$(convert "$work/a.png" -colorspace Gray -format '%[fx:standard_deviation]' info:)" && break
        sleep 0.2
    done
    less 0.05 "$(convert "$work/a.png" -colorspace Gray -format '%[fx:standard_deviation]' info:)" ||
        fail "$output shows no scene"
    while before "$deadline"; do
        sleep 0.3
        shot "$output" b && d=$(rmse "$work/a.png" "$work/b.png") && less 0.005 "$d" && { echo "$output moves (RMSE $d)"; return 0; }
    done
    fail "$output does not move"
}
# Every picture after a surface's first waited for that surface's frame callback, in the protocol log
# LOG, and each of two surfaces drew at least ten. A callback's id is free again once its done has
# come, and the next new object of any kind may take it: each frame request's callback is followed as
# an object, not by its number.
expect_paced() {
    tr -d '\0' < "$1" | python3 -c '
import re, sys
holder, pending, armed, pictures, attached, bad = {}, {}, {}, {}, set(), []
for line in sys.stdin:
    m = re.search(r"-> wl_surface@(\d+)\.frame\(new id wl_callback@(\d+)\)", line)
    if m:
        callback = {"done": False}
        pending[m[1]] = holder[m[2]] = callback
        continue
    m = re.search(r"new id \w+@(\d+)", line)
    if m: holder.pop(m[1], None); continue
    m = re.search(r"wl_callback@(\d+)\.done\(", line)
    if m:
        callback = holder.pop(m[1], None)
        if callback: callback["done"] = True
        continue
    m = re.search(r"-> wl_surface@(\d+)\.attach\(wl_buffer", line)
    if m:
        s = m[1]
        if armed.get(s) and not armed[s]["done"]: bad.append(s)
        attached.add(s); continue
    m = re.search(r"-> wl_surface@(\d+)\.commit\(", line)
    if m and m[1] in attached:
        s = m[1]; attached.discard(s); armed[s] = pending.get(s); pictures[s] = pictures.get(s, 0) + 1
print("pictures per surface:", dict(sorted(pictures.items())), "drawn without a frame callback:", len(bad))
sys.exit(1 if bad or len(pictures) != 2 or min(pictures.values()) < 10 else 0)
' || fail "a picture was drawn before its frame callback came (or too few pictures)"
}
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
find_saver() { saver_pid=$(pgrep -u "$user" -f "^$saver" | head -1); [ -n "$saver_pid" ]; }
# Runs swayidle as the user with the words of LINE (quoted as in a shell) and waits for the saver it starts.
start_idle() {
    eval "set -- $1"
    run_as "${saver_env[@]}" "$@" > "$work/swayidle.log" 2>&1 &
    wait_for 60 find_saver || fail "swayidle did not start the saver"
}

two_outputs='output HEADLESS-1 mode 960x540 position 0 0
output HEADLESS-2 mode 640x480 position 960 0'

case $case_name in
weston)
    # Headless (pixman), one output: weston-screenshooter (which needs --debug) takes the pinned moment.
    command -v weston-screenshooter >/dev/null || fail "weston is missing (bash scripts/deps.sh installs it)"
    run_as weston --backend=headless-backend.so --use-pixman --width=800 --height=600 --socket=wayland-1 \
        --debug --idle-time=0 > "$work/sway.log" 2>&1 &
    wait_for 60 test -S "$work/run/wayland-1" || fail "weston did not start"
    shot() {
        rm -f "$work/shots"/*.png
        (cd "$work/shots" && run_as timeout 20 weston-screenshooter) >/dev/null 2>&1 &&
            mv "$work/shots"/wayland-screenshot-*.png "$work/$2.png"
    }
    start_saver -time "$pinned_s"
    expect_pinned headless 800x600
    grep -q "no layer-shell" "$work/saver.log" || fail "the saver did not say it shows fullscreen windows"
    # Started again while it runs, a second saver ends at once.
    run_as "${saver_env[@]}" timeout 30 "$saver"; second=$?
    [ "$second" -eq 0 ] || fail "the second saver ended with $second, not 0"
    kill -0 "$saver_pid" 2>/dev/null || fail "the first saver ended when a second one started"
    end_session
    # Weston's headless outputs have no seat. Nested in an X server (started as the user, so it ends
    # with the session), it has two outputs of different sizes, each an X window that import reads,
    # and XTEST keys reach the focused saver through Weston's own keyboard.
    printf '[core]\nidle-time=0\n[output]\nname=screen0\nmode=800x600\n[output]\nname=screen1\nmode=640x480\n' \
        > "$work/weston.ini"
    exec 3> "$work/display"
    run_as Xvfb -displayfd 3 -screen 0 1500x700x24 -nolisten tcp -noreset > "$work/xvfb.log" 2>&1 &
    exec 3>&-
    wait_for 60 test -s "$work/display" || fail "Xvfb did not start"
    x=:$(head -1 "$work/display")
    run_as DISPLAY="$x" weston --backend=x11-backend.so --use-pixman --output-count=2 -c "$work/weston.ini" \
        --socket=wayland-1 > "$work/sway.log" 2>&1 &
    wait_for 60 test -S "$work/run/wayland-1" || fail "weston did not start on X"
    window() { DISPLAY=$x xwininfo -name "Weston Compositor - $1" 2>/dev/null | awk '/Window id:/ { print $4 }'; }
    shot() { DISPLAY=$x import -window "$(window "$1")" "$work/$2.png" 2>/dev/null; }
    wait_for 60 eval '[ -n "$(window screen0)" ] && [ -n "$(window screen1)" ]' || fail "weston made no two outputs"
    # There is no window manager: both come at the top left corner, one over the other.
    DISPLAY=$x xdotool windowmove --sync "$(window screen1)" 850 0 || fail "xdotool could not move an output"
    start_saver -time "$pinned_s"
    expect_pinned screen0 800x600
    expect_pinned screen1 640x480
    DISPLAY=$x xdotool windowfocus --sync "$(window screen0)" key Escape || fail "xdotool could not type"
    wait_saver_end 30 || fail "Escape did not end the saver"
    [ "$ended_with" -eq 0 ] || fail "Escape ended the saver with $ended_with, not 0"
    echo "Weston: the pinned moment on every output, a second saver ended at once, Escape ended it with 0"
    ;;
kwin)
    # KWin's virtual backend with QPainter, two outputs, its fake input offered to the test's key tool.
    # The installed kwin_wayland has a file capability, which a start as an ordinary user refuses: a
    # plain copy runs.
    fake_key=${VANTOREL_KWIN_FAKE_KEY:-}
    [ -x "$fake_key" ] || fail "no kwin_fake_key (VANTOREL_KWIN_FAKE_KEY, built with the tests)"
    command -v kwin_wayland >/dev/null || fail "kwin_wayland is missing (bash scripts/deps.sh installs kwin-wayland)"
    install -m 755 "$(command -v kwin_wayland)" "$fake_key" "$work/bin/"
    mkdir -p "$work/home"; chown "$user" "$work/home"
    run_as HOME="$work/home" KWIN_COMPOSE=Q KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 dbus-run-session -- \
        "$work/bin/kwin_wayland" --virtual --width 800 --height 600 --output-count 2 --socket wayland-1 \
        --no-lockscreen --no-global-shortcuts > "$work/sway.log" 2>&1 &
    wait_for 60 test -S "$work/run/wayland-1" || fail "kwin_wayland did not start"
    press_kwin() { run_as "$work/bin/kwin_fake_key" "$1" || fail "kwin_fake_key $1 failed"; }
    # KWin offers no capture without OpenGL compositing (no ScreenShot2 under QPainter): the protocol
    # log tells what each output got. An overlay surface on each output, anchored to every edge,
    # configured at the output's size and drawn at that size, each picture after its frame callback.
    start_saver -d
    log() { tr -d '\0' < "$work/saver.log"; }
    # Each of the two surfaces has shown a dozen pictures.
    drawn() { log | grep -o 'wl_surface@[0-9]*\.attach(wl_buffer' | sort | uniq -c | awk '$1 >= 12 { n++ } END { exit n < 2 }'; }
    wait_for 60 drawn || fail "the saver drew too little on KWin"
    wait_for 60 eval 'log | grep -q "wl_keyboard@[0-9]*\.enter("' || fail "the saver never had the keyboard"
    modes=$(log | sed -n 's/.*wl_output@[0-9]*\.mode([0-9]*, \([0-9]*\), \([0-9]*\),.*/\1x\2/p' | sort | tr '\n' ' ')
    overlays=$(log | grep -c 'get_layer_surface(new id zwlr_layer_surface_v1@[0-9]*, wl_surface@[0-9]*, wl_output@[0-9]*, 3, ')
    configured=$(log | sed -n 's/.*zwlr_layer_surface_v1@\([0-9]*\)\.configure([0-9]*, \([0-9]*\), \([0-9]*\)).*/\1 \2x\3/p' | sort -u | awk '{print $2}' | tr '\n' ' ')
    buffers=$(log | sed -n 's/.*create_buffer(new id wl_buffer@[0-9]*, 0, \([0-9]*\), \([0-9]*\),.*/\1x\2/p' | sort -u | tr '\n' ' ')
    [ "$modes" = "800x600 800x600 " ] || fail "KWin's outputs: $modes"
    [ "$overlays" -eq 2 ] || fail "$overlays overlay surfaces for 2 outputs"
    [ "$(log | grep -c 'set_anchor(15)')" -eq 2 ] || fail "the overlays are not anchored to every edge"
    [ "$configured" = "800x600 800x600 " ] || fail "the overlays were configured at $configured"
    [ "$buffers" = "800x600 " ] || fail "pictures of $buffers, not the outputs' 800x600"
    press_kwin 1
    wait_saver_end 30 || fail "Escape (KWin's fake input) did not end the saver"
    [ "$ended_with" -eq 0 ] || fail "Escape ended the saver with $ended_with, not 0"
    expect_paced "$work/saver.log"
    # The package's autostart entry for Plasma, as Plasma runs it (its Exec words, the timeout made
    # short): swayidle starts the saver once the session is idle, and a key ends the saver.
    entry=$here/../../packaging/linux/vantorel-wayland-idle.desktop
    grep -qx 'Exec=swayidle -w timeout 300 "vantorel-wayland &"' "$entry" || fail "the entry runs $(grep ^Exec= "$entry")"
    exec_line=$(sed -n 's/^Exec=//p' "$entry")
    [ -n "$exec_line" ] || fail "no Exec line in $entry"
    exec_line=${exec_line/timeout 300/timeout 2}
    # With the protocol log (swayidle's and the saver's), the key waits for the keyboard's focus.
    start_idle "WAYLAND_DEBUG=client ${exec_line/vantorel-wayland/$saver}"
    wait_for 60 eval 'tr -d "\0" < "$work/swayidle.log" | grep -q "wl_keyboard@[0-9]*\.enter("' ||
        fail "the saver from the autostart entry never had the keyboard"
    press_kwin 57
    wait_for 30 gone "$saver_pid" || fail "a key did not end the saver started by the autostart entry"
    echo "KWin: an overlay on each of its two outputs, configured and drawn at 800x600, paced by frame" \
         "callbacks; Escape ended it with 0; the autostart entry's swayidle started it and a key ended it"
    ;;
outputs)
    # Two outputs of different size and aspect: each shows the pinned moment at its own size.
    start_sway "$two_outputs"
    start_saver -time "$pinned_s"
    expect_pinned HEADLESS-1 960x540
    expect_pinned HEADLESS-2 640x480
    if [ -n "$keep" ]; then
        convert "$work/HEADLESS-1.png" "$work/HEADLESS-2.png" -background '#202020' +append "$keep"
    fi
    ;;
scale)
    # An output at scale 2: the buffer has the output's physical size, not its logical one. An output
    # turned to portrait (transform 90) shows the whole tube, as the frame renderer draws that shape.
    start_sway 'output HEADLESS-1 mode 1280x720 scale 2 position 0 0
output HEADLESS-2 mode 1024x768 transform 90 position 640 0'
    start_saver -d -time "$pinned_s"
    expect_pinned HEADLESS-1 1280x720
    expect_pinned HEADLESS-2 768x1024
    tr -d '\0' < "$work/saver.log" | grep -aq 'wl_surface@[0-9]*\.set_buffer_scale(2)' ||
        fail "the surface did not take the output's scale"
    ;;
hotplug)
    # An output made during the run gets its surface at its own size, the same moment as the others.
    # The keyboard is there: the compositor moving it between the saver's surfaces is no lock.
    start_sway "$two_outputs"
    hold_keyboard
    start_saver -time "$pinned_s"
    expect_pinned HEADLESS-1 960x540
    msg create_output
    msg output HEADLESS-3 mode 800x600 position 1600 0
    expect_pinned HEADLESS-3 800x600
    # The output goes: its surface goes with it, the run and the other outputs go on.
    msg output HEADLESS-3 disable
    sleep 1
    kill -0 "$saver_pid" 2>/dev/null || fail "the saver ended when one of its outputs went"
    expect_pinned HEADLESS-1 960x540
    expect_pinned HEADLESS-2 640x480
    kill -TERM "$saver_pid"; wait_saver_end 30 || fail "SIGTERM did not end the saver"
    # Moving, the new output moves with the others.
    start_saver
    msg create_output
    msg output HEADLESS-4 mode 800x600 position 1600 0
    expect_moving HEADLESS-4
    expect_moving HEADLESS-1
    ;;
ending)
    # Without a display: one line and 1. A bad option: the usage and 2.
    out=$(runuser -u "$user" -- env -i "PATH=/usr/bin:/bin" "XDG_RUNTIME_DIR=$work/run" "$saver" 2>&1); code=$?
    [ "$code" -eq 1 ] && [ "$(grep -c . <<<"$out")" -eq 1 ] || fail "without a display: status $code, said: $out"
    echo "without a display: status 1, \"$out\""
    out=$(run_as "$saver" -root 2>&1); code=$?
    [ "$code" -eq 2 ] && grep -q "^usage: vantorel-wayland" <<<"$out" || fail "-root: status $code, said: $out"
    # No runtime folder: no lock in a folder others can write, so one line and 1. A lock file that is
    # not the user's own (here root's, open to all and held) is refused the same way, not taken for a
    # saver already running.
    out=$(runuser -u "$user" -- env -i "PATH=/usr/bin:/bin" "WAYLAND_DISPLAY=wayland-1" "$saver" 2>&1); code=$?
    [ "$code" -eq 1 ] && [ "$(grep -c . <<<"$out")" -eq 1 ] || fail "without XDG_RUNTIME_DIR: status $code, said: $out"
    echo "without XDG_RUNTIME_DIR: status 1, \"$out\""
    planted=$work/run/vantorel-wayland-wayland-1-saver.lock
    install -m 666 /dev/null "$planted"
    exec {planted_fd}<>"$planted"
    flock "$planted_fd"
    out=$(run_as "$saver" 2>&1); code=$?
    exec {planted_fd}>&-
    rm -f "$planted"
    [ "$code" -eq 1 ] && grep -q "not a file of this user's own" <<<"$out" || fail "a planted lock file: status $code, said: $out"
    echo "a lock file of another user's: status 1, \"$out\""
    start_sway "$two_outputs"
    hold_keyboard
    # Escape ends the run with code 0, every surface released.
    start_saver
    expect_moving HEADLESS-1
    # Started again while it runs (as idle daemons do), a second saver ends at once and the first goes on.
    run_as "${saver_env[@]}" timeout 30 "$saver"; second=$?
    [ "$second" -eq 0 ] || fail "the second saver ended with $second, not 0"
    kill -0 "$saver_pid" 2>/dev/null || fail "the first saver ended when a second one started"
    press Escape
    wait_saver_end 30 || fail "Escape did not end the saver"
    [ "$ended_with" -eq 0 ] || fail "after Escape the saver ended with $ended_with"
    echo "Escape ended the saver with 0; a second one started meanwhile ended at once with 0"
    # Any other key too.
    start_saver
    expect_moving HEADLESS-2
    press a
    wait_saver_end 30 || fail "a key did not end the saver"
    # SIGTERM ends it with code 0, also while it shows a moment weeks into the run.
    start_saver -time 4000000
    expect_pinned HEADLESS-1 960x540 4000000
    kill -TERM "$saver_pid"
    wait_saver_end 30 || fail "SIGTERM did not end the saver showing 4,000,000 s"
    start_saver -time "$pinned_s"
    expect_pinned HEADLESS-1 960x540
    kill -TERM "$saver_pid"
    wait_saver_end 30 || fail "SIGTERM did not end the saver"
    [ "$ended_with" -eq 0 ] || fail "after SIGTERM the saver ended with $ended_with"
    # The background takes no keys: only a signal ends it.
    start_saver --background -time "$pinned_s"
    expect_pinned HEADLESS-2 640x480
    press Escape
    press a
    sleep 2
    kill -0 "$saver_pid" 2>/dev/null || fail "a key ended the background"
    kill -HUP "$saver_pid"
    wait_saver_end 30 || fail "SIGHUP did not end the background"
    [ "$ended_with" -eq 0 ] || fail "after SIGHUP the background ended with $ended_with"
    echo "other keys and SIGTERM end the saver; the background outlives keys and ends on SIGHUP"
    ;;
idle)
    # The desktop's idle daemon starts the saver after the idle time; a key ends it.
    start_sway "$two_outputs"
    hold_keyboard
    start_idle "swayidle -w timeout 2 '$saver'"
    expect_moving HEADLESS-1
    expect_moving HEADLESS-2
    press Escape
    wait_for 30 gone "$saver_pid" || fail "Escape did not end the saver swayidle started"
    echo "swayidle started the saver after 2 s idle; Escape ended it"
    ;;
lock)
    # The README's own swayidle line, its timeouts shortened: the lock comes at its time while the
    # saver shows, and a locker that comes up over the saver ends it.
    line=$(sed -n 's/^    exec swayidle /swayidle /p' "$here/../../README.md" | head -1)
    grep -q "timeout 300 'vantorel-wayland" <<<"$line" && grep -q "timeout 600 'swaylock -f'" <<<"$line" ||
        fail "the README has no swayidle line with the saver at 300 s and the lock at 600 s: $line"
    line=${line/timeout 300 \'vantorel-wayland/timeout 2 \'$saver}
    line=${line//timeout 600 /timeout 6 }
    # First the locker is a command that writes down whether a saver showed when it ran.
    printf '#!/bin/sh\necho "$(pgrep -c -u "$(id -u)" -f "^%s")" >> %s/run/locked\n' "$saver" "$work" > "$work/bin/record-lock"
    chmod 755 "$work/bin/record-lock"
    start_sway "$two_outputs"
    hold_keyboard
    start_idle "${line//swaylock -f/$work/bin/record-lock}"
    expect_moving HEADLESS-1
    wait_for 60 test -s "$work/run/locked" || fail "the lock command never ran while the saver showed: swayidle waited for the saver"
    [ "$(head -1 "$work/run/locked")" -ge 1 ] || fail "the lock command ran, but no saver showed then"
    kill -0 "$saver_pid" 2>/dev/null || fail "the saver ended before the lock"
    echo "with the README's line, the lock command ran at its time while the saver showed"
    press Escape
    wait_for 30 gone "$saver_pid" || fail "Escape did not end the saver"
    kill "$(pgrep -u "$user" -x swayidle)"
    # Then the real swaylock over the saver. Sway 1.7's locker (an input inhibitor) leaves the saver's
    # overlay on top with the keyboard, so the saver sees the first key and ends, and the lock shows;
    # a session lock (ext-session-lock) takes the keyboard and the saver ends at once. Either way no
    # saver is left to show after unlocking.
    # The saver comes through a command that notes each start, as the idle daemon's next period after
    # the lock starts it again.
    printf '#!/bin/sh\necho started >> %s/run/saver-starts\nexec %s "$@"\n' "$work" "$saver" > "$work/bin/noted-saver"
    chmod 755 "$work/bin/noted-saver"
    start_idle "${line/\'$saver/\'$work/bin/noted-saver}"
    expect_moving HEADLESS-2
    swaylock_up() { pgrep -u "$user" -x swaylock >/dev/null; }
    wait_for 60 swaylock_up || fail "swayidle did not start swaylock"
    # swaylock's screen is plain white; the scene's mean brightness is far below.
    locked() { shot "$1" locked && less 0.9 "$(convert "$work/locked.png" -colorspace Gray -format '%[fx:mean]' info:)"; }
    sleep 1
    starts() { grep -c . "$work/run/saver-starts" 2>/dev/null || echo 0; }
    first_starts=$(starts)
    press a
    wait_for 30 gone "$saver_pid" || fail "the saver went on under swaylock after a key: unlocking would show it again"
    swaylock_up || fail "the key meant for the lock ended swaylock"
    for o in HEADLESS-1 HEADLESS-2; do
        wait_for 30 locked "$o" || fail "after the saver ended $o does not show the lock screen"
    done
    echo "swaylock came over the saver; the first key ended the saver, and the lock stays and shows"
    # Idle again behind the lock: swayidle starts the saver again. It never gets the keyboard there, so
    # it ends by itself, and unlocking shows the desktop, with no saver left to show.
    wait_for 60 eval '[ "$(starts)" -gt "$first_starts" ]' || fail "swayidle did not start the saver again behind the lock"
    no_saver() { ! find_saver; }
    wait_for 30 no_saver || fail "the saver started behind the lock went on: unlocking would show it"
    swaylock_up || fail "the lock went away"
    kill "$(pgrep -u "$user" -x swayidle)"
    wait_for 30 eval '! pgrep -u "$user" -x swayidle >/dev/null' || fail "swayidle did not end"
    kill -USR1 $(pgrep -u "$user" -x swaylock)
    wait_for 30 eval '! swaylock_up' || fail "swaylock did not unlock on SIGUSR1"
    # The desktop: sway's plain background, no scene on it.
    desktop() { shot "$1" unlocked && [ "$(identify -format '%k' "$work/unlocked.png")" -le 4 ]; }
    for o in HEADLESS-1 HEADLESS-2; do
        wait_for 30 desktop "$o" || fail "after unlocking $o does not show the desktop ($(identify -format '%k' "$work/unlocked.png") colours)"
    done
    no_saver || fail "a saver is left after unlocking"
    echo "idle again behind the lock, the saver started and ended by itself; unlocking showed the desktop"
    ;;
power)
    # The README's swayidle line switches every output off after the lock and on again when the user is
    # back, in words Debian 12's sway 1.7 knows ("dpms"; newer sway says "power" and still takes it).
    # wlroots' headless backend cannot switch an output off: output_power.c, loaded into sway, lets it,
    # as a monitor's DRM output does. Switched off, the saver draws nothing there and spends no CPU;
    # switched on, the scene is there at once.
    line=$(sed -n 's/^    exec swayidle /swayidle /p' "$here/../../README.md" | head -1)
    off=$(sed -n "s/.* timeout 900 '\([^']*\)'.*/\1/p" <<<"$line") on=$(sed -n "s/.* resume '\([^']*\)'.*/\1/p" <<<"$line")
    [ "$off" = 'swaymsg "output * dpms off"' ] && [ "$on" = 'swaymsg "output * dpms on"' ] ||
        fail "the README's swayidle line switches no output off at 900 s and on at resume: $line"
    [ -n "${VANTOREL_OUTPUT_POWER:-}" ] && [ -f "$VANTOREL_OUTPUT_POWER" ] || fail "VANTOREL_OUTPUT_POWER names no library"
    install -m 755 "$VANTOREL_OUTPUT_POWER" "$work/bin/output_power.so"
    sway_env=("LD_PRELOAD=$work/bin/output_power.so")
    start_sway "$two_outputs"
    hold_keyboard
    start_saver -d
    expect_moving HEADLESS-1
    expect_moving HEADLESS-2
    pictures() { tr -d '\0' < "$work/saver.log" | grep -ac -- '-> wl_surface@[0-9]*\.attach('; }
    powered() { [ "$(run_as timeout 20 swaymsg -t get_outputs | grep -c "\"dpms\": $1")" -eq 2 ]; }
    p0=$(pictures) c0=$(cpu_ticks "$saver_pid"); sleep 3; p1=$(pictures) c1=$(cpu_ticks "$saver_pid")
    on_pictures=$((p1 - p0)) on_ticks=$((c1 - c0))
    # The idle daemon runs the line's own command.
    run_as swayidle -w timeout 2 "$off" > "$work/swayidle.log" 2>&1 &
    wait_for 60 powered false || fail "swayidle's \"$off\" did not switch both outputs off"
    sleep 1
    p0=$(pictures) c0=$(cpu_ticks "$saver_pid"); sleep 3; p1=$(pictures) c1=$(cpu_ticks "$saver_pid")
    echo "3 s on: $on_pictures pictures, $on_ticks ticks of CPU; 3 s switched off: $((p1 - p0)) pictures, $((c1 - c0)) ticks" \
        "(ratio $(awk -v a=$((c1 - c0)) -v b="$on_ticks" 'BEGIN { printf "%.3f", b ? a / b : 0 }'))"
    [ "$p1" -eq "$p0" ] || fail "the saver drew $((p1 - p0)) pictures on outputs switched off"
    kill "$(pgrep -u "$user" -x swayidle)"
    # Switched on again (what the line runs at resume) without a key, which would end the saver.
    run_as sh -c "$on" >/dev/null || fail "\"$on\" failed"
    wait_for 60 powered true || fail "\"$on\" did not switch both outputs on"
    expect_moving HEADLESS-1
    expect_moving HEADLESS-2
    kill -TERM "$saver_pid"; wait_saver_end 30 || fail "SIGTERM did not end the saver"
    echo "switched off, the saver drew nothing; switched on, each output showed the scene again"
    ;;
faults)
    # Pictures the driver could not show: the first swaps fail. Each output still gets its picture, one
    # by having its surface made again, and a moving scene moves on. The keyboard is there: surfaces
    # made again hand it on without the saver taking that for a lock.
    start_sway "$two_outputs"
    hold_keyboard
    saved_env=("${saver_env[@]}")
    saver_env+=(VANTOREL_WAYLAND_FAIL_SWAPS=5)
    start_saver -d -time "$pinned_s"
    expect_pinned HEADLESS-1 960x540
    expect_pinned HEADLESS-2 640x480
    grep -aq 'making its surface again' "$work/saver.log" || fail "no surface was made again after failed pictures"
    c0=$(cpu_ticks "$saver_pid"); sleep 3; idle_ticks=$(( $(cpu_ticks "$saver_pid") - c0 ))
    # A surface made again replaces the old one only once it has shown its first picture: no moment in
    # which the output shows the desktop. Followed as objects, as frame callbacks are below.
    logged=$(grep -ac . "$work/saver.log")
    kill -TERM "$saver_pid"; wait_saver_end 30 || fail "SIGTERM did not end the saver"
    head -n "$logged" "$work/saver.log" | tr -d '\0' | python3 -c '
import re, sys
surfaces, made, checked, bad = {}, 0, 0, []
for line in sys.stdin:
    m = re.search(r"-> wl_compositor@\d+\.create_surface\(new id wl_surface@(\d+)\)", line)
    if m: made += 1; surfaces[m[1]] = {"n": made, "output": None, "shown": False, "attached": False}; continue
    m = re.search(r"get_layer_surface\(new id \w+@\d+, wl_surface@(\d+), wl_output@(\d+)", line)
    if m: surfaces[m[1]]["output"] = m[2]; continue
    m = re.search(r"-> wl_surface@(\d+)\.(attach|commit|destroy)\((wl_buffer)?", line)
    if not m or m[1] not in surfaces: continue
    s = surfaces[m[1]]
    if m[2] == "commit": s["shown"] |= s["attached"]
    elif m[2] == "destroy":
        del surfaces[m[1]]; checked += 1
        if not any(t["n"] > s["n"] and t["shown"] and t["output"] == s["output"] for t in surfaces.values()): bad.append(m[1])
    else: s["attached"] = bool(m[3])
print("surfaces replaced:", checked, "before their successor showed a picture:", len(bad))
sys.exit(1 if bad or checked == 0 else 0)
' || fail "a surface was taken away before the one made in its place showed a picture (or none was made again)"
    # The first surface the context cannot be made current on (a driver that lost it) is a lost picture
    # too: tried again a little later and made again, not asked for at once for ever. The saver then
    # rests as a normal run of the pinned moment does.
    saver_env=("${saved_env[@]}" VANTOREL_WAYLAND_FAIL_MAKE_CURRENT=1)
    start_saver -time "$pinned_s"
    expect_pinned HEADLESS-1 960x540
    expect_pinned HEADLESS-2 640x480
    c0=$(cpu_ticks "$saver_pid"); sleep 3; c1=$(cpu_ticks "$saver_pid")
    echo "resting for 3 s: $idle_ticks ticks of CPU in a normal run, $((c1 - c0)) after a surface refused the context"
    [ $((c1 - c0)) -le $((3 * idle_ticks + 10)) ] || fail "after a surface refused the context the saver used $((c1 - c0)) ticks in 3 s"
    kill -TERM "$saver_pid"; wait_saver_end 30 || fail "SIGTERM did not end the saver"
    saver_env=("${saved_env[@]}" VANTOREL_WAYLAND_FAIL_SWAPS=1)
    start_saver
    expect_moving HEADLESS-1
    expect_moving HEADLESS-2
    kill -TERM "$saver_pid"; wait_saver_end 30 || fail "SIGTERM did not end the saver"
    echo "after failed pictures both outputs show the scene"
    # A driver that fails three pictures in four: each new surface shows one and then fails, so every
    # one would count as having worked. Surfaces are made again at most three times in the run, then
    # the last one draws on, its pictures showing now and then.
    saver_env=("${saved_env[@]}" VANTOREL_WAYLAND_FAIL_SWAPS=3/4)
    start_saver
    most_remakes() { awk -F': ' '/making its surface again/ { n[$2]++ } END { for (o in n) m = n[o] > m ? n[o] : m; print m + 0 }' "$work/saver.log"; }
    capped() { grep -q '^vantorel-wayland: HEADLESS-1: .*drawing on with this one' "$work/saver.log" || [ "$(most_remakes)" -gt 3 ]; }
    wait_for 60 capped || fail "with three pictures in four failing, the cap was never reached ($(most_remakes) surfaces made again)"
    sleep 2
    expect_moving HEADLESS-1
    [ "$(most_remakes)" -eq 3 ] || fail "with three pictures in four failing, surfaces were made again $(most_remakes) times on one output, not 3"
    kill -TERM "$saver_pid"; wait_saver_end 30 || fail "SIGTERM did not end the saver"
    echo "with three pictures in four failing, HEADLESS-1's surface made again 3 times, then the scene moves on"
    # A compositor slow to read, on one output (where no other output's frames wake the saver): the
    # saver waits for room to send its picture, and the scene moves on.
    [ -n "${VANTOREL_SLOW_FLUSH:-}" ] && [ -f "$VANTOREL_SLOW_FLUSH" ] || fail "VANTOREL_SLOW_FLUSH names no library"
    install -m 755 "$VANTOREL_SLOW_FLUSH" "$work/bin/slow_flush.so"
    # Beside what the sanitized build preloads already.
    preload=$work/bin/slow_flush.so saver_env=()
    for v in "${saved_env[@]}"; do
        if [[ $v = LD_PRELOAD=* ]]; then preload="${v#LD_PRELOAD=}:$preload"; else saver_env+=("$v"); fi
    done
    saver_env+=("LD_PRELOAD=$preload")
    msg output HEADLESS-2 disable
    start_saver
    expect_moving HEADLESS-1
    wait_for 60 grep -q 'slow-flush: the socket is full' "$work/saver.log" || fail "the slow compositor never held the saver back"
    sleep 1
    expect_moving HEADLESS-1
    kill -TERM "$saver_pid"; wait_saver_end 30 || fail "SIGTERM did not end the saver"
    echo "with the compositor slow to read, the scene moves on"
    ;;
fallback)
    # Without layer-shell: a fullscreen window on each output, the same picture, the same keys.
    start_sway "$two_outputs"
    hold_keyboard
    start_saver --no-layer-shell -time "$pinned_s"
    expect_pinned HEADLESS-1 960x540
    expect_pinned HEADLESS-2 640x480
    grep -q 'offers no screensaver surface' "$work/saver.log" || fail "no note that the desktop has no layer-shell"
    [ "$(grep -c . "$work/saver.log")" -eq 1 ] || fail "more than one line on standard error"
    press Escape
    wait_saver_end 30 || fail "Escape did not end the fullscreen windows"
    [ "$ended_with" -eq 0 ] || fail "after Escape the saver ended with $ended_with"
    ;;
frames)
    # Frames are paced by the compositor: no picture for a surface whose frame callback has not come,
    # and nothing at all while every output is hidden (here: the background under fullscreen windows).
    start_sway "$two_outputs"
    start_saver -d --background
    bg_runner=$runner bg_pid=$saver_pid bg_log=$work/background.log
    expect_moving HEADLESS-1
    expect_moving HEADLESS-2
    # The covering windows: the fallback's fullscreen window on each output, a still. The background
    # goes on writing its log under the new name.
    mv "$work/saver.log" "$bg_log"
    start_saver --no-layer-shell -time "$pinned_s"
    expect_pinned HEADLESS-1 960x540
    expect_pinned HEADLESS-2 640x480
    # Both outputs show the windows: from now on the background's surfaces are hidden.
    sleep 1
    pictures() { tr -d '\0' < "$bg_log" | grep -ac -- '-> wl_surface@[0-9]*\.attach('; }
    p0=$(pictures) c0=$(cpu_ticks "$bg_pid")
    sleep 3
    p1=$(pictures) c1=$(cpu_ticks "$bg_pid")
    echo "hidden for 3 s: $((p1 - p0)) pictures, $((c1 - c0)) ticks of CPU ($(getconf CLK_TCK) a second)"
    [ "$p1" -eq "$p0" ] || fail "the background drew $((p1 - p0)) pictures while hidden"
    [ $((c1 - c0)) -le 10 ] || fail "the hidden background used $((c1 - c0)) ticks of CPU in 3 s"
    kill -TERM "$saver_pid"; wait_saver_end 30 || fail "the windows did not end"
    # Uncovered, it draws again.
    deadline=$(( $(date +%s) + 60 ))
    while before "$deadline"; do [ "$(pictures)" -gt "$p1" ] && break; sleep 0.1; done
    [ "$(pictures)" -gt "$p1" ] || fail "the background did not draw again once uncovered"
    kill -TERM "$bg_pid"
    deadline=$(( $(date +%s) + 30 ))
    while before "$deadline"; do kill -0 "$bg_runner" 2>/dev/null || break; sleep 0.05; done
    expect_paced "$bg_log"
    ;;
*)
    fail "unknown case $case_name"
    ;;
esac
echo "PASS: $case_name"
