#!/usr/bin/env bash
# The release zip holds exactly what a user installs by hand: the two programs of this build, byte
# for byte, and the README with Windows line ends that tells how to install them.
#   zip_contents_test.sh ZIP BIN_DIR
set -u
zip=$1 bin=$2
fail=0
check() { if ! eval "$2"; then echo "FAIL: $1"; fail=1; fi; }

check "the zip exists" '[ -f "$zip" ]'
names=$(unzip -Z1 "$zip" | sort | tr '\n' ' ')
check "exactly Vantorel.scr, Vantorel.dll and README.txt at the top, got: $names" \
    '[ "$names" = "README.txt Vantorel.dll Vantorel.scr " ]'
for f in Vantorel.scr Vantorel.dll; do
    check "$f is the one built" 'cmp -s <(unzip -p "$zip" "$f") "$bin/$f"'
done
readme=$(unzip -p "$zip" README.txt)
check "README.txt names the version" 'grep -q "Vantorel (ScreenSaver) 1.00" <<<"$readme"'
check "README.txt tells to keep both in one folder the user can write" \
    'grep -q "copy Vantorel.scr and Vantorel.dll into it" <<<"$readme" && grep -q "folder that you can write to" <<<"$readme"'
check "README.txt says how to make the folder before it sends the reader into it" \
    '[ "$(grep -n "make a new folder" <<<"$readme" | cut -d: -f1)" -lt "$(grep -n "Open that folder" <<<"$readme" | cut -d: -f1)" ]'
check "README.txt says that only Escape ends the screensaver" 'grep -q "Only the Escape key ends the screensaver" <<<"$readme"'
check "README.txt tells of the right-click Install" 'grep -q "Right-click Vantorel.scr and choose \"Install\"" <<<"$readme"'
lines=$(unzip -p "$zip" README.txt | wc -l)
crlf=$(unzip -p "$zip" README.txt | grep -c $'\r$')
check "README.txt has Windows line ends ($crlf of $lines lines)" '[ "$lines" -gt 10 ] && [ "$crlf" -eq "$lines" ]'
check "the zip is sound" 'unzip -tq "$zip" >/dev/null'
[ $fail -eq 0 ] && echo "zip contents as expected"
exit $fail
