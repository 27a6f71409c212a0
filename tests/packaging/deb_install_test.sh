#!/usr/bin/env bash
# The Debian package installed for real, as root on a fresh CI machine: `dpkg -i` puts every file in
# its place and prints nothing of its own; the real xscreensaver daemon runs the installed
# /usr/libexec/xscreensaver/vantorel by its name, mate-screensaver by the installed theme; `man -l` renders the manual page without a warning;
# the list command is on the PATH; `dpkg -r` leaves none of the package's files.
# Skips (status 77) unless root. Refuses to run when a vantorel package is installed already: that
# one is not this test's to replace or remove.
#   deb_install_test.sh DEB DAEMON_TEST DESKTOP_TEST FRAMES_TOOL
set -u
deb=$1 daemon_test=$2 desktop_test=$3 frames=$4
if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: installing a package system-wide needs root (CI runs the tests as root)"
    exit 77
fi
[ -f "$deb" ] || { echo "FAIL: no $deb (cmake --build --preset linux --target package makes it)"; exit 1; }
# dpkg's word for the package's state: not-installed, installed, config-files, ...
state() { local s; s=$(dpkg-query -W -f='${db:Status-Status}' vantorel 2>/dev/null); echo "${s:-not-installed}"; }
if [ "$(state)" != not-installed ]; then
    echo "FAIL: refusing to run: a vantorel package is installed already ($(dpkg-query -W -f='${Version} ${Status}' vantorel))"
    echo "      remove it first (dpkg -r vantorel) if it may go"
    exit 1
fi
fail=0
check() { if ! eval "$2"; then echo "FAIL: $1"; fail=1; fi; }
work=$(mktemp -d /tmp/vantorel-deb-XXXXXX)
installed=
cleanup() {
    [ -n "$installed" ] && dpkg -r vantorel >/dev/null 2>&1
    rm -rf "$work"
}
trap cleanup EXIT

# The package's own files, links included, as absolute paths.
files=$(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\.||')

installed=1
DEBIAN_FRONTEND=noninteractive dpkg -i "$deb" >"$work/install.log" 2>&1
status=$?
check "dpkg -i succeeds (status $status): $(cat "$work/install.log")" '[ $status -eq 0 ]'
check "dpkg -i prints nothing of the package's own" \
    '! grep -v -e "^Selecting previously unselected" -e "^(Reading database" -e "^Preparing to unpack" -e "^Unpacking vantorel" -e "^Setting up vantorel" -e "^Processing triggers" "$work/install.log" | grep -q .'
for f in $files; do
    check "$f is installed" '[ -e "$f" ] || [ -L "$f" ]'
done
check "dpkg knows every file as the package's" 'for f in $files; do dpkg -S "$f" >/dev/null 2>&1 || exit 1; done'

# The real daemon finds the installed hack by name, as users list it.
daemon_out=$(bash "$daemon_test" /usr/libexec/xscreensaver/vantorel 2>&1)
daemon_status=$?
check "the daemon runs the installed hack:
$daemon_out" '[ $daemon_status -eq 0 ]'
[ $daemon_status -eq 0 ] && echo "$daemon_out" | tail -1

# MATE's screensaver lists the installed theme and runs the installed hack from it.
mate_out=$(bash "$desktop_test" mate /usr/libexec/xscreensaver/vantorel "$frames" \
    /usr/share/applications/screensavers/vantorel.desktop 2>&1)
mate_status=$?
check "mate-screensaver runs the installed hack from the installed theme:
$mate_out" '[ $mate_status -eq 0 ]'
[ $mate_status -eq 0 ] && echo "$mate_out" | tail -1

page=$(MANWIDTH=80 man --warnings -l /usr/share/man/man6/vantorel.6.gz 2>"$work/man.err")
check "man -l renders the page: name, synopsis, every option, environment, files, see also" \
    'for s in NAME SYNOPSIS DESCRIPTION OPTIONS ENVIRONMENT FILES "SEE ALSO" --window --root --window-id --delay --fps --display vantorel-add-to-xscreensaver; do grep -q -- "$s" <<<"$page" || exit 1; done'
check "man -l gives no warning: $(cat "$work/man.err")" '[ ! -s "$work/man.err" ]'
check "man vantorel-add-to-xscreensaver opens the same page" \
    '[ "$(readlink /usr/share/man/man6/vantorel-add-to-xscreensaver.6.gz)" = vantorel.6.gz ]'

mkdir "$work/home"
check "the list command is on the PATH and fills a new ~/.xscreensaver" \
    '[ "$(command -v vantorel-add-to-xscreensaver)" = /usr/bin/vantorel-add-to-xscreensaver ] &&
     HOME=$work/home DISPLAY= vantorel-add-to-xscreensaver >/dev/null &&
     grep -q "vantorel --root" "$work/home/.xscreensaver"'

dpkg -r vantorel >"$work/remove.log" 2>&1
status=$?
installed=
check "dpkg -r succeeds (status $status): $(cat "$work/remove.log")" '[ $status -eq 0 ]'
left=
for f in $files; do
    { [ -e "$f" ] || [ -L "$f" ]; } && left="$left $f"
done
check "dpkg -r leaves none of the package's files:$left" '[ -z "$left" ]'
check "dpkg -r leaves nothing of the package in dpkg's records (state $(state))" '[ "$(state)" = not-installed ]'

[ $fail -eq 0 ] && echo "installed, run by the daemon, manual page shown, removed without a trace"
exit $fail
