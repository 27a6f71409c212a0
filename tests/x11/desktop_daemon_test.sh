#!/usr/bin/env bash
# The hack under the other X11 screen savers of Linux desktops, the real programs on a private Xvfb
# with GLX, as the ordinary user of the xscreensaver test:
#   mate         Debian's mate-screensaver in a session bus, its one theme the package's vantorel.desktop
#                pinned with `-time 45`: `mate-screensaver-command --activate` runs the hack on the
#                daemon's own window, with the daemon's bare environment (no XDG_RUNTIME_DIR), and the
#                screen shows the frame renderer's picture of that moment; `--deactivate` ends it.
#   xsecurelock  xsecurelock with XSECURELOCK_SAVER set to a wrapper adding `-time 45`, on two RandR
#                monitors of different sizes: each shows the pinned moment at its own size behind the
#                lock; a key brings the password prompt; ending xsecurelock leaves no hack running.
#   desktop_daemon_test.sh CASE HACK FRAMES_TOOL DESKTOP_FILE
# The mate case runs the hack from the hacks folder, as mate-screensaver runs nothing else: a HACK
# elsewhere (the build's) is copied there under a name of this run's own, and removed after; that
# needs root (status 77 without it). DESKTOP_FILE is the package's theme file (the build's, or the
# installed one).
set -u
case_name=$1 hack=$2 frames=$3 desktop_file=${4:-}
user=vantorel-xss
pinned_s=45 next_s=45.05
# The hack's pinned-moment threshold (tests/x11/hack_x11_test.cpp): the next frame is well above it.
same_frame=0.004
fail() {
    echo "FAIL: $*"
    for log in daemon lock; do
        [ -f "${work:-}/$log.log" ] && { echo "--- $log log"; grep -v '^\s*$' "$work/$log.log" | tail -15; }
    done
    exit 1
}
case $case_name in
    mate) tools="mate-screensaver mate-screensaver-command gsettings dbus-run-session" ;;
    xsecurelock) tools="xsecurelock xdotool xwininfo" ;;
    *) fail "no case $case_name" ;;
esac
for tool in Xvfb xrandr import convert compare pgrep runuser $tools; do
    command -v "$tool" >/dev/null || fail "$tool is missing (bash scripts/deps.sh installs it)"
done
[ -x "$hack" ] || fail "no hack at $hack"
[ -x "$frames" ] || fail "no frame renderer at $frames"
[ "$(id -u)" -eq 0 ] || { echo "SKIP: the daemons run as a user of their own, which only root can make"; exit 77; }
. "$(dirname "$0")/../test_support.sh"
add_test_user "$user" "Vantorel xscreensaver test"

work=$(mktemp -d /tmp/vantorel-desktop-XXXXXX)
chmod 755 "$work"
mkdir -p "$work/home" "$work/run" "$work/bin" "$work/frames"
chown "$user" "$work/home" "$work/run"
chmod 700 "$work/run"
xvfb= session= hack_copy=
# What the case started: the processes in its session (setsid), and those of the user that carry its
# environment (xsecurelock puts each saver in a session of its own; mate-screensaver gives its hack a
# bare environment, but keeps it in its session). Ended processes waiting to be reaped do not count.
session_pids() {
    local p
    { [ -n "$session" ] && ps -o pid=,stat= -s "$session" | awk '$2 !~ /^Z/ { print $1 }'
      for p in $(pgrep -u "$user"); do
          tr '\0' '\n' 2>/dev/null < "/proc/$p/environ" | grep -qxF "XDG_RUNTIME_DIR=$work/run" && echo "$p"
      done; } | sort -u | grep .
}
cleanup() {
    local pids
    # runuser in front (the session's leader, root's) ends with its child: signalling it would orphan it.
    pids=$(session_pids | grep -vx "$session") && kill $pids 2>/dev/null
    wait_for 20 eval '! session_pids >/dev/null'
    pids=$(session_pids) && { echo "killing what did not end on SIGTERM: $(echo $pids)"; kill -KILL $pids 2>/dev/null; }
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    wait 2>/dev/null
    [ -n "$hack_copy" ] && rm -f "$hack_copy"
    rm -rf "$work"
}
trap cleanup EXIT

less() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a + 0 < b + 0) }'; }
rmse() { compare -metric RMSE "$1" "$2" null: 2>&1 | sed -n 's/.*(\([0-9.e-]*\)).*/\1/p'; }
frame() {  # frame SIZE SECONDS: the frame renderer's picture, as $work/frames/SIZE-SECONDS.png
    local out=$work/frames/$1-$2.png dir
    if [ ! -f "$out" ]; then
        dir=$(mktemp -d "$work/frames/XXXX")
        "$frames" --size "$1" --out "$dir" --time "$2" >/dev/null || fail "vantorel-frames --size $1 --time $2 failed"
        mv "$dir"/frame-*.png "$out"; rmdir "$dir"
    fi
    echo "$out"
}
# The screen's piece GEOMETRY (WxH+X+Y) as $work/NAME.png.
shot() { DISPLAY=$display import -window root -crop "$1" +repage "$work/$2.png" 2>/dev/null; }
# The piece shows the pinned moment as the frame renderer draws it at its size, and the next frame
# would not pass for it. Waits for the picture: the hack's first frame may still be on its way.
expect_pinned() {
    local geometry=$1 size=${1%%+*} want d n
    want=$(frame "$size" "$pinned_s")
    wait_for 60 eval 'shot "$geometry" piece && d=$(rmse "$work/piece.png" "$want") && less "$d" "$same_frame"' ||
        fail "the screen at $geometry does not show the moment $pinned_s s at $size (RMSE ${d:-none})"
    n=$(rmse "$work/piece.png" "$(frame "$size" "$next_s")")
    less "$same_frame" "$n" || fail "the threshold cannot tell the next frame from the pinned one ($n)"
    echo "$geometry: RMSE $d against the pinned moment, $n against the next frame"
}
hack_pids() { pgrep -u "$user" -f "^$hack_command( |$)"; }

# $1: the screen's size; then the RandR monitors as NAME WxH+X+Y.
start_xvfb() {
    exec 3> "$work/display"
    Xvfb -displayfd 3 -screen 0 "${1}x24" +extension GLX +extension RANDR -nolisten tcp -noreset -br \
        2>"$work/xvfb.log" &
    xvfb=$!
    exec 3>&-
    wait_for 30 test -s "$work/display" || fail "Xvfb did not start"
    display=:$(head -1 "$work/display")
    shift
    local first=screen
    while [ $# -gt 1 ]; do
        local w=${2%%x*} rest=${2#*x}
        DISPLAY=$display xrandr --setmonitor "$1" "$w/270x${rest%%+*}/203+${rest#*+}" "$first" >/dev/null ||
            fail "xrandr could not add the monitor $1 $2"
        first=none
        shift 2
    done
}
env_user=(env -i "HOME=$work/home" "USER=$user" "LOGNAME=$user" "PATH=/usr/bin:/bin" "XDG_RUNTIME_DIR=$work/run"
          "LIBGL_ALWAYS_SOFTWARE=1" "NO_AT_BRIDGE=1" "GIO_USE_VFS=local")
# Starts COMMAND as the user in a session of its own, its output in $work/LOG.log.
start_session() {
    local log=$1; shift
    setsid runuser -u "$user" -- "${env_user[@]}" "DISPLAY=$display" "$@" >"$work/$log.log" 2>&1 </dev/null &
    session=$!
}

case $case_name in
mate)
    [ -f "$desktop_file" ] || fail "no theme file at $desktop_file"
    if [ "$hack" = /usr/libexec/xscreensaver/vantorel ]; then
        hack_command=$hack
    else
        hack_copy=/usr/libexec/xscreensaver/vantorel-test-$$
        install -m 755 "$hack" "$hack_copy" || fail "cannot copy the hack into the hacks folder"
        hack_command=$hack_copy
    fi
    themes=$work/home/.local/share/applications/screensavers
    mkdir -p "$themes"
    # The package's theme as it is, but for the hack's path and the pinned moment.
    sed "s|/usr/libexec/xscreensaver/vantorel\b|$hack_command|g; /^Exec=/s/\$/ -time $pinned_s/" "$desktop_file" \
        > "$themes/vantorel-pinned.desktop"
    grep -qx "Exec=$hack_command --root -time $pinned_s" "$themes/vantorel-pinned.desktop" ||
        fail "the theme's Exec is not '/usr/libexec/xscreensaver/vantorel --root': $(grep ^Exec= "$desktop_file")"
    chown -R "$user" "$work/home"
    start_xvfb 1024x768
    cat > "$work/session.sh" <<SESSION
gsettings set org.mate.screensaver mode single &&
gsettings set org.mate.screensaver themes "['screensavers-vantorel-pinned']" &&
gsettings set org.mate.screensaver lock-enabled false &&
gsettings set org.mate.screensaver idle-activation-enabled false || exit 1
echo "\$DBUS_SESSION_BUS_ADDRESS" > "$work/run/bus"
exec mate-screensaver --no-daemon --debug
SESSION
    start_session daemon "XDG_CURRENT_DESKTOP=MATE" dbus-run-session -- bash "$work/session.sh"
    msc() { runuser -u "$user" -- "${env_user[@]}" "DISPLAY=$display" \
        "DBUS_SESSION_BUS_ADDRESS=$(cat "$work/run/bus")" timeout 20 mate-screensaver-command "$@"; }
    wait_for 60 eval 'test -s "$work/run/bus" && msc --query >/dev/null 2>&1' ||
        fail "mate-screensaver does not answer mate-screensaver-command"
    msc --activate >/dev/null || fail "--activate was refused"
    wait_for 60 hack_pids >/dev/null || fail "mate-screensaver did not start the hack"
    pid=$(hack_pids | head -1)
    hack_env=$(tr '\0' '\n' < "/proc/$pid/environ")
    window=$(sed -n 's/^XSCREENSAVER_WINDOW=//p' <<<"$hack_env")
    [ -n "$window" ] || fail "the hack has no XSCREENSAVER_WINDOW"
    ! grep -q '^XDG_RUNTIME_DIR=\|^TMPDIR=' <<<"$hack_env" || fail "the daemon passed on a runtime or temporary folder"
    expect_pinned 1024x768+0+0
    # The picture is the hack's on the daemon's window, not a window of the hack's own.
    DISPLAY=$display xwininfo -root -tree | grep -q "^ *$window " || fail "no window $window on the screen"
    msc --deactivate >/dev/null || fail "--deactivate was refused"
    wait_for 20 eval '! hack_pids >/dev/null' || fail "the hack still runs 20 s after --deactivate"
    echo "mate-screensaver ran '$hack_command --root -time $pinned_s' on its window $window, without a" \
         "runtime folder; --deactivate ended it"
    ;;
xsecurelock)
    hack_command=$work/bin/vantorel
    # The build tree may be closed to that user: the hack runs from a copy, behind a wrapper pinning it.
    install -m 755 "$hack" "$hack_command"
    printf '#!/bin/sh\nexec %s "$@" -time %s\n' "$hack_command" "$pinned_s" > "$work/bin/saver"
    chmod 755 "$work/bin/saver"
    start_xvfb 1824x768 LEFT 1024x768+0+0 RIGHT 800x600+1024+0
    start_session lock XSECURELOCK_NO_COMPOSITE=1 "XSECURELOCK_SAVER=$work/bin/saver" xsecurelock
    # saver_multiplex runs the saver once per monitor with -root, each on a window of its own.
    wait_for 60 eval '[ "$(hack_pids | wc -l)" -eq 2 ]' || fail "$(hack_pids | wc -l) savers for 2 monitors"
    windows=
    for pid in $(hack_pids); do
        grep -q -- " -root -time $pinned_s\$" <<<"$(tr '\0' ' ' < "/proc/$pid/cmdline" | sed 's/ $//')" ||
            fail "the saver was not run with -root: $(tr '\0' ' ' < "/proc/$pid/cmdline")"
        windows="$windows $(tr '\0' '\n' < "/proc/$pid/environ" | sed -n 's/^XSCREENSAVER_WINDOW=//p')"
    done
    geometry() { DISPLAY=$display xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /Width:/ { w = $NF } /Height:/ { h = $NF } END { print w "x" h "+" x "+" y }'; }
    pieces=$(for w in $windows; do geometry "$w"; done | sort | tr '\n' ' ')
    [ "$pieces" = "1024x768+0+0 800x600+1024+0 " ] || fail "the savers' windows are $pieces, not one per monitor"
    expect_pinned 1024x768+0+0
    expect_pinned 800x600+1024+0
    # A key brings the password prompt over the saver: a window of auth_x11's is mapped and drawn.
    shot 1824x768+0+0 locked
    DISPLAY=$display xdotool key space || fail "xdotool could not type"
    prompt() { DISPLAY=$display xwininfo -root -tree | grep -q '"auth_x11_screen"'; }
    wait_for 30 prompt || fail "no password prompt after a key"
    wait_for 30 eval 'shot 1824x768+0+0 prompt && less 0.01 "$(rmse "$work/locked.png" "$work/prompt.png")"' ||
        fail "the screen did not change after a key"
    hack_pids >/dev/null || fail "the savers ended at the prompt"
    # Ending the lock ends its savers.
    lock=$(pgrep -u "$user" -s "$session" -x xsecurelock) || fail "no xsecurelock"
    kill -TERM "$lock"
    wait_for 20 eval '! hack_pids >/dev/null' || fail "savers outlived xsecurelock: $(hack_pids | tr '\n' ' ')"
    echo "xsecurelock ran '$work/bin/saver -root' on each monitor's window (${pieces% }), a key brought the" \
         "password prompt (RMSE $(rmse "$work/locked.png" "$work/prompt.png")), and its end ended both savers"
    ;;
esac
