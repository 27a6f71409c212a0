# What the shell-driven tests share (source it with fail() defined): the user a daemon or compositor
# runs as, made once for the purpose, and waits for a condition with a deadline, so a busy machine
# makes a test slower, not red.

# Adds the system user NAME (COMMENT for the password file) unless it is there. Another test may be
# adding its own user at the same moment and hold the password file's lock: try again for a minute.
add_test_user() {
    local deadline=$(( $(date +%s) + 60 ))
    until id "$1" >/dev/null 2>&1 ||
        useradd --system --no-create-home --shell /usr/sbin/nologin --comment "$2" "$1" 2>/dev/null; do
        [ "$(date +%s)" -lt "$deadline" ] || fail "cannot add the user $1"
        sleep 0.2
    done
}

before() { [ "$(date +%s)" -lt "$1" ]; }
# Waits up to SECONDS for COMMAND to succeed; status 1 when it never did.
wait_for() {
    local deadline=$(( $(date +%s) + $1 ))
    shift
    until "$@"; do before "$deadline" || return 1; sleep 0.1; done
}
