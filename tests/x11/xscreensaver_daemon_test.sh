#!/usr/bin/env bash
# The real xscreensaver daemon runs the hack: on a private Xvfb with GLX, as an ordinary user (the
# daemon will not run hacks as root), with `programs: GL: vantorel -root` as that user's only saver.
# On `xscreensaver-command -activate` the hack starts and its picture fills the screen and moves; on
# `-deactivate` every hack is gone (within 10 s on a loaded machine). With `--monitors 2` the screen is
# 2048 x 768 in two RandR monitors: the daemon runs one hack per monitor, and each half fills and moves.
#   xscreensaver_daemon_test.sh [--monitors 2] HACK [SCREENSHOT.png]
# A HACK in xscreensaver's own folder (the installed package) is run from there and named as the
# package's users list it, `vantorel --root`: the daemon finds it by itself.
# SCREENSHOT.png, when given, keeps a picture of the screen while the saver runs.
set -u
monitors=1
[ "${1:-}" = "--monitors" ] && { monitors=$2; shift 2; }
hack=$1 keep=${2:-}
user=vantorel-xss
fail() { echo "FAIL: $*"; [ -f "${work:-}/daemon.log" ] && { echo "--- daemon log"; tail -30 "$work/daemon.log"; }; exit 1; }
. "$(dirname "$0")/../test_support.sh"

for tool in Xvfb xscreensaver xscreensaver-command import convert compare pgrep; do
    command -v "$tool" >/dev/null || fail "$tool is missing (bash scripts/deps.sh installs it)"
done
[ -x "$hack" ] || fail "no hack at $hack"

work=$(mktemp -d /tmp/vantorel-xss-XXXXXX)
chmod 755 "$work"
xvfb= daemon=
cleanup() {
    [ -n "$daemon" ] && kill "$daemon" 2>/dev/null
    # The daemon's helpers and the hack run in the daemon's own session.
    [ -n "$daemon" ] && for p in $(pgrep -s "$daemon"); do kill "$p" 2>/dev/null; done
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# As root, the daemon runs as a user made for the purpose; as anyone else, as that user.
if [ "$(id -u)" -eq 0 ]; then
    add_test_user "$user" "Vantorel xscreensaver test"
    as_user_cmd=(runuser -u "$user" --)
else
    user=$(id -un)
    as_user_cmd=()
fi
as_user() { "${as_user_cmd[@]}" "$@"; }
home=$work/home
mkdir -p "$home" "$work/bin"
if [ "$hack" = /usr/libexec/xscreensaver/vantorel ]; then
    hack_command=vantorel
else
    # The build tree may be closed to that user: the hack runs from a copy it may read and execute.
    cp "$hack" "$work/bin/vantorel"
    chmod 755 "$work/bin/vantorel"
    hack_command=$work/bin/vantorel
fi

exec 3> "$work/display"
Xvfb -displayfd 3 -screen 0 "$((1024 * monitors))x768x24" +extension GLX +extension RANDR -nolisten tcp -noreset -br \
    2>"$work/xvfb.log" &
xvfb=$!
exec 3>&-
for _ in $(seq 1 200); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || fail "Xvfb did not start"
display=:$(head -1 "$work/display")
if [ "$monitors" = 2 ]; then
    DISPLAY=$display xrandr --setmonitor LEFT 1024/270x768/203+0+0 screen >/dev/null &&
        DISPLAY=$display xrandr --setmonitor RIGHT 1024/270x768/203+1024+0 none >/dev/null || fail "xrandr could not set two monitors"
fi

# Never lock or ask for a password, never blank by itself, no fading (the screenshots want the hack).
cat > "$home/.xscreensaver" <<CONFIG
timeout:	8:00:00
lock:		False
mode:		one
selected:	0
fade:		False
unfade:		False
splash:		False
dpmsEnabled:	False
programs:	GL: $hack_command -root \n
CONFIG
[ "$(id -u)" -eq 0 ] && chown -R "$user" "$home"

env_user=(env -i "HOME=$home" "USER=$user" "LOGNAME=$user" "PATH=/usr/bin:/bin" "DISPLAY=$display"
          "LIBGL_ALWAYS_SOFTWARE=1")
# A session of its own (its id is this pid) holds everything the daemon starts.
setsid "${as_user_cmd[@]}" "${env_user[@]}" xscreensaver --no-splash --verbose >"$work/daemon.log" 2>&1 </dev/null &
daemon=$!
command_ok=
deadline=$(( $(date +%s) + 60 ))
while before "$deadline"; do
    as_user "${env_user[@]}" xscreensaver-command -time >/dev/null 2>&1 && { command_ok=1; break; }
    sleep 0.1
done
[ -n "$command_ok" ] || fail "the daemon did not answer xscreensaver-command"
pgrep -s "$daemon" -x xscreensaver >/dev/null || fail "the daemon is not in its own session"

# The hacks' processes, not counting one that has ended and waits to be reaped; fails when none runs.
hack_pid() {
    local p found=1
    for p in $(pgrep -u "$user" -x vantorel); do
        [ "$(awk '{print $3}' "/proc/$p/stat" 2>/dev/null)" = Z ] || { echo "$p"; found=0; }
    done
    return $found
}

as_user "${env_user[@]}" xscreensaver-command -activate >/dev/null || fail "-activate was refused"
pid=
deadline=$(( $(date +%s) + 60 ))
while before "$deadline"; do pid=$(hack_pid) && [ "$(echo "$pid" | wc -l)" -ge "$monitors" ] && break; sleep 0.1; done
[ -n "$pid" ] || fail "the daemon did not start the hack"
[ "$(echo "$pid" | wc -l)" -eq "$monitors" ] || fail "$(echo "$pid" | wc -l) hacks for $monitors monitor(s): $(echo $pid)"
grep -q "forked \"$hack_command --\?root\"" "$work/daemon.log" || fail "the daemon log does not show the hack"

# Numbers from ImageMagick may come as 1.2e-05, which bc does not read.
less() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a + 0 < b + 0) }'; }
non_black() { convert "$1" -colorspace Gray -threshold 0 -format '%[fx:mean]' info:; }
white() { convert "$1" -fill black +opaque white -colorspace Gray -format '%[fx:mean]' info:; }
# Each monitor's 1024 x 768 piece of a screenshot: NAME.png becomes NAME-0.png, NAME-1.png, ...
halves() { convert "$1" -crop 1024x768 +repage "${1%.png}-%d.png"; }
# The least non-black share over the monitors.
least_non_black() {
    halves "$1"
    local i least=1 v
    for i in $(seq 0 $((monitors - 1))); do
        v=$(non_black "${1%.png}-$i.png")
        less "$v" "$least" && least=$v
    done
    echo "$least"
}
# Wait for the picture to cover the (black) screen; then, once the falling tube is in view (the
# backdrop alone stands still), wait for the picture to change.
activated=$(date +%s)
covered=
deadline=$(( activated + 60 ))
while before "$deadline"; do
    DISPLAY=$display import -window root "$work/a.png" 2>/dev/null
    less 0.99 "$(least_non_black "$work/a.png")" && { covered=1; break; }
    sleep 0.2
done
[ -n "$covered" ] || fail "the picture does not fill every monitor (least non-black share $(least_non_black "$work/a.png"))"
while [ $(( $(date +%s) - activated )) -lt 6 ]; do sleep 0.2; done
DISPLAY=$display import -window root "$work/a.png" 2>/dev/null
halves "$work/a.png"
# Each monitor's picture must change; wait for all of them, generously, before judging.
moved=
deadline=$(( $(date +%s) + 30 ))
while before "$deadline"; do
    DISPLAY=$display import -window root "$work/b.png" 2>/dev/null
    halves "$work/b.png"
    moved= all_moved=1
    for i in $(seq 0 $((monitors - 1))); do
        m=$(compare -metric RMSE "$work/a-$i.png" "$work/b-$i.png" null: 2>&1 | sed -n 's/.*(\([0-9.e-]*\)).*/\1/p')
        less 0.005 "${m:-0}" || all_moved=
        moved="$moved${moved:+, }${m:-?}"
    done
    [ -n "$all_moved" ] && break
    sleep 0.2
done
[ -n "$all_moved" ] || fail "the picture does not move on every monitor (RMSE $moved between shots 30 s apart)"
less 0.99 "$(least_non_black "$work/b.png")" || fail "the second shot does not fill every monitor"
less "$(white "$work/b.png")" 0.01 || fail "the screen is white"
hack_pid >/dev/null || fail "the hack ended while the saver was active"
[ -n "$keep" ] && cp "$work/b.png" "$keep"

start=$(date +%s%N)
as_user "${env_user[@]}" xscreensaver-command -deactivate >/dev/null || fail "-deactivate was refused"
gone_ms=
while :; do
    now=$(date +%s%N)
    hack_pid >/dev/null || { gone_ms=$(( (now - start) / 1000000 )); break; }
    # The daemon kills the hack at once (61-130 ms on a quiet machine); 10 s leaves room for a machine
    # with every core busy, and a hack that outlived its kill would still fail.
    [ $(( (now - start) / 1000000 )) -gt 10000 ] && break
    sleep 0.02
done
[ -n "$gone_ms" ] || fail "the hack still runs 10 s after -deactivate"
echo "xscreensaver started $monitors hack(s) (pid $(echo $pid)), the picture filled each monitor and moved" \
     "(RMSE $moved between two shots); every hack was gone ${gone_ms} ms after -deactivate"
