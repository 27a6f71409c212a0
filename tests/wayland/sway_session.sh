# A headless sway session for vantorel-wayland, shared by its tests and its benchmark: sway with the
# headless backend and the pixman renderer, no input devices, run as an ordinary user made for the
# purpose (sway will not run as root) with its own mode-0700 runtime folder. Source it with $saver set
# to the program and fail() defined; it makes $work (removed on exit), copies the saver there, and
# gives run_as, start_sway, msg, hold_keyboard, press, start_saver and wait_saver_end.
# Every wait is for a condition, with a generous deadline: a busy machine makes this slower, not red.
# The tests' user; a run beside them (scripts/night-run.sh) takes one of its own, so neither sees the other's processes.
user=${VANTOREL_WAYLAND_USER:-vantorel-wl}
[ "$(id -u)" -eq 0 ] || { echo "SKIP: sway needs a user of its own, which only root can make"; exit 77; }
. "$(dirname "${BASH_SOURCE[0]}")/../test_support.sh"
add_test_user "$user" "Vantorel Wayland test"

work=$(mktemp -d /tmp/vantorel-wayland-XXXXXX)
chmod 755 "$work"
mkdir -p "$work/run" "$work/shots" "$work/bin"
chown "$user" "$work/run" "$work/shots"
chmod 700 "$work/run"
# The build tree may be closed to that user: the saver runs from a copy it may read and execute.
cp "$saver" "$work/bin/vantorel-wayland"
chmod 755 "$work/bin/vantorel-wayland"
saver=$work/bin/vantorel-wayland
# Under the sanitizers (the linux-asan preset) the saver keeps their settings, which env -i would drop;
# the leak suppressions go where that user can read them.
saver_env=()
for v in ASAN_OPTIONS UBSAN_OPTIONS LD_PRELOAD; do [ -n "${!v:-}" ] && saver_env+=("$v=${!v}"); done
if [ -n "${LSAN_OPTIONS:-}" ]; then
    supp=$(sed -n 's/.*suppressions=\([^:]*\).*/\1/p' <<<"$LSAN_OPTIONS")
    if [ -n "$supp" ] && [ -f "$supp" ]; then
        install -m 644 "$supp" "$work/lsan.supp"
        saver_env+=("LSAN_OPTIONS=${LSAN_OPTIONS//$supp/$work/lsan.supp}")
    else
        saver_env+=("LSAN_OPTIONS=$LSAN_OPTIONS")
    fi
fi
# Everything this session started runs as the user with the session's runtime folder in its
# environment: sway, the savers, swayidle and what it ran, a locker, wtype. runuser in front of each
# is root's and ends with its child; signalling it would leave the child running.
session_pids() {
    local p
    for p in $(pgrep -u "$user" 2>/dev/null); do
        tr '\0' '\n' 2>/dev/null < "/proc/$p/environ" | grep -qxF "XDG_RUNTIME_DIR=$work/run" && echo "$p"
    done
}
no_session_left() { [ -z "$(session_pids)" ]; }
end_session() {
    local pids
    pids=$(session_pids)
    [ -n "$pids" ] && kill -TERM $pids 2>/dev/null
    wait_for 20 no_session_left
    pids=$(session_pids)
    if [ -n "$pids" ]; then
        echo "ending the session: $(ps -o comm= -p "${pids//$'\n'/,}" | tr '\n' ' ')did not end on SIGTERM; killed"
        kill -KILL $pids 2>/dev/null
        wait_for 20 no_session_left
    fi
}
cleanup() {
    end_session
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

gone() { ! kill -0 "$1" 2>/dev/null; }
less() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a + 0 < b + 0) }'; }
rmse() { compare -metric RMSE "$1" "$2" null: 2>&1 | sed -n 's/.*(\([0-9.e-]*\)).*/\1/p'; }
# Runs a command as the user in the session's environment; NAME=VALUE words first add to it.
run_as() {
    runuser -u "$user" -- env -i "HOME=$work" "USER=$user" "LOGNAME=$user" "PATH=/usr/bin:/bin" \
        "XDG_RUNTIME_DIR=$work/run" "WAYLAND_DISPLAY=wayland-1" "SWAYSOCK=$work/run/sway.sock" "$@"
}
msg() { run_as timeout 20 swaymsg "$@" >/dev/null || fail "swaymsg $* failed"; }

# Starts sway with the given output lines (HEADLESS-1, -2, ... in the order the outputs are made),
# with what $sway_env adds to its environment.
sway_env=()
start_sway() {
    local outputs=$1
    { printf '%s\n' "$outputs"; echo 'default_border none'; echo 'focus_follows_mouse no'; } > "$work/sway.config"
    chmod 644 "$work/sway.config"
    run_as "${sway_env[@]}" WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
        WLR_HEADLESS_OUTPUTS="$(printf '%s\n' "$outputs" | grep -c '^output')" \
        sway -c "$work/sway.config" > "$work/sway.log" 2>&1 &
    # sway takes SWAYSOCK for its own socket's path.
    local deadline=$(( $(date +%s) + 60 ))
    while before "$deadline"; do
        [ -S "$work/run/sway.sock" ] && [ -S "$work/run/wayland-1" ] && break
        sleep 0.1
    done
    [ -S "$work/run/wayland-1" ] || fail "sway did not start"
    deadline=$(( $(date +%s) + 60 ))
    while before "$deadline"; do run_as timeout 20 swaymsg -t get_version >/dev/null 2>&1 && return 0; sleep 0.1; done
    fail "sway does not answer swaymsg"
}

# A virtual keyboard that stays for the whole test: the seat has a keyboard before the saver starts,
# as a desk has, so keys typed later reach the surface that holds the keyboard.
hold_keyboard() {
    run_as wtype -s 3600000 >/dev/null 2>&1 &
    local deadline=$(( $(date +%s) + 60 ))
    while before "$deadline"; do
        run_as timeout 20 swaymsg -t get_inputs 2>/dev/null | grep -q '"type": "keyboard"' && return 0
        sleep 0.1
    done
    fail "the virtual keyboard did not appear"
}
press() { run_as timeout 20 wtype -k "$1" || fail "wtype -k $1 failed"; }

# Starts the saver with ARGS as the user; its log (WAYLAND_DEBUG with -d) in saver.log.
start_saver() {
    local debug=()
    [ "${1:-}" = -d ] && { debug=(WAYLAND_DEBUG=client); shift; }
    run_as "${saver_env[@]}" "${debug[@]}" "$saver" "$@" > "$work/saver.log" 2>&1 &
    runner=$!
    local deadline=$(( $(date +%s) + 30 ))
    saver_pid=
    # $runner is the shell that runs runuser, whose child is the saver.
    local runuser_pid
    while before "$deadline"; do
        runuser_pid=$(pgrep -P "$runner" | head -1)
        [ -n "$runuser_pid" ] && saver_pid=$(pgrep -P "$runuser_pid" | head -1) && [ -n "$saver_pid" ] && break
        sleep 0.05
    done
    [ -n "$saver_pid" ] || fail "the saver did not start"
}
# Waits for the saver started last to end; its exit code in $ended_with. Fails after SECONDS.
wait_saver_end() {
    local deadline=$(( $(date +%s) + $1 ))
    while before "$deadline"; do kill -0 "$runner" 2>/dev/null || break; sleep 0.05; done
    kill -0 "$runner" 2>/dev/null && return 1
    wait "$runner"; ended_with=$?
    return 0
}

