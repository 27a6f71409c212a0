#!/usr/bin/env bash
# vantorel-add-to-xscreensaver against the ~/.xscreensaver files users have: none yet, one written by
# xscreensaver-settings, settings without a list, one that lists Vantorel already (in several
# spellings), and broken ones. The result is read back the way xscreensaver reads it (backslash
# continuations joined, escapes decoded, the list split at each \n): the old entries plus exactly one
# `GL: vantorel --root`, every other setting unchanged, the old file kept as the backup; a second
# run and a file that lists Vantorel change nothing; a broken file stays byte for byte.
#   add_to_xscreensaver_test.sh COMMAND [XSCREENSAVER_DEFAULTS]
set -u
cmd=$1 defaults=${2:-/etc/X11/app-defaults/XScreenSaver}
export VANTOREL_XSCREENSAVER_DEFAULTS=$defaults
fail=0
check() { if ! eval "$2"; then echo "FAIL: $1"; fail=1; fi; }
work=$(mktemp -d /tmp/vantorel-add-XXXXXX)
trap 'rm -rf "$work"' EXIT
[ -r "$defaults" ] || { echo "FAIL: no xscreensaver defaults at $defaults (bash scripts/deps.sh installs xscreensaver)"; exit 1; }

# A file as xscreensaver reads it: "programs" then one entry a line (blanks folded), then the other
# settings as "name=value", sorted. The app-defaults file's "*programs" counts as "programs".
decode() {
    python3 - "$1" <<'PY'
import re, sys
text = open(sys.argv[1], encoding="latin-1").read()
text = re.sub(r"\\\n", "", text)
settings, programs = {}, None
for line in text.split("\n"):
    line = re.sub(r"\\(.)", lambda m: {"n": "\n", "t": "\t", "r": "\r"}.get(m.group(1), m.group(1)), line).strip()
    if not line or line[0] in "#!;" or ":" not in line:
        continue
    key, value = line.split(":", 1)
    key = key.strip().lstrip("*")
    if key.lower() == "programs":
        programs = [" ".join(e.split()) for e in value.split("\n") if e.strip()]
    else:
        settings[key] = value.strip()
print("programs")
print("\n".join(programs or []))
print("\n".join(f"{k}={v}" for k, v in sorted(settings.items())))
PY
}
listed() { decode "$1" | sed -n '/^programs$/,/=/p' | grep -v '=' | tail -n +2; }
system_list=$(listed "$defaults")
check "the system's list has entries" '[ "$(wc -l <<<"$system_list")" -gt 10 ]'

# Runs the command with HOME=$1; its output in $work/out, its exit status in $status.
run() { HOME=$1 DISPLAY= "$cmd" >"$work/out" 2>&1; status=$?; }
new_home() { home=$work/home$((++nHome)); mkdir -p "$home"; }
nHome=0

# xscreensaver-settings' layout: the list between other settings, a disabled entry, an entry
# continued over two lines, and an empty line that closes the list.
cat >"$work/settings-file" <<'EOF'
# XScreenSaver Preferences File
# Written by xscreensaver-settings 6.06 for alice on Tue Dec  8 08:00:00 2026.
# https://www.jwz.org/xscreensaver/

timeout:	0:10:00
mode:		random
selected:	-1

programs:								      \
				maze --root				    \n\
  GL: 				superquadrics --root			    \n\
-				xroger --root				    \n\
  "Qix (solid)" 		qix --root --solid --segments 100	      \
				  --delay 0				    \n\


pointerHysteresis:	10
EOF

# --- no ~/.xscreensaver: the system's list with Vantorel added
new_home
run "$home"
check "no file: exit 0 ($status: $(cat "$work/out"))" '[ $status -eq 0 ]'
check "no file: the system's list and Vantorel" \
    '[ "$(listed "$home/.xscreensaver")" = "$system_list"$'"'\n'"'"GL: vantorel --root" ]'
check "no file: no other setting, so xscreensaver's defaults stay" \
    '[ "$(decode "$home/.xscreensaver" | grep -c =)" -eq 0 ]'
check "no file: nothing to back up" '[ ! -e "$home/.xscreensaver.before-vantorel" ]'
cp "$home/.xscreensaver" "$work/first"
run "$home"
check "no file, second run: exit 0 and says so" '[ $status -eq 0 ] && grep -q "already" "$work/out"'
check "no file, second run: the file is unchanged" 'cmp -s "$home/.xscreensaver" "$work/first"'

# --- a file written by xscreensaver-settings, and settings without a list
for kind in settings-file no-list; do
    new_home
    if [ $kind = no-list ]; then
        grep -v -e '^programs' -e '^[[:space:]]' -e '^-' "$work/settings-file" >"$home/.xscreensaver"
        before_list=$system_list
    else
        cp "$work/settings-file" "$home/.xscreensaver"
        before_list=$(listed "$home/.xscreensaver")
    fi
    chmod 600 "$home/.xscreensaver"
    cp -p "$home/.xscreensaver" "$work/before"
    run "$home"
    check "$kind: exit 0 ($status: $(cat "$work/out"))" '[ $status -eq 0 ]'
    check "$kind: the list gains exactly Vantorel, at its end" \
        '[ "$(listed "$home/.xscreensaver")" = "$before_list"$'"'\n'"'"GL: vantorel --root" ]'
    check "$kind: every other setting unchanged" \
        '[ "$(decode "$home/.xscreensaver" | grep =)" = "$(decode "$work/before" | grep =)" ]'
    check "$kind: the old file is the backup" 'cmp -s "$home/.xscreensaver.before-vantorel" "$work/before"'
    check "$kind: the file keeps its mode" '[ "$(stat -c %a "$home/.xscreensaver")" = 600 ]'
    cp "$home/.xscreensaver" "$work/first"
    run "$home"
    check "$kind, second run: unchanged" '[ $status -eq 0 ] && cmp -s "$home/.xscreensaver" "$work/first"'
    check "$kind: no file left behind" '[ "$(ls -A "$home" | tr "\n" " ")" = ".xscreensaver .xscreensaver.before-vantorel " ]'
done

# --- files that list Vantorel already, however it is spelt: nothing changes
for entry in 'GL: vantorel --root' '-  GL: vantorel -root' '/usr/libexec/xscreensaver/vantorel --root --fps' \
             '"Vantorel" vantorel --root'; do
    new_home
    printf 'programs: maze --root \\n\\\n  %s \\n\\\n\n' "$entry" >"$home/.xscreensaver"
    cp "$home/.xscreensaver" "$work/before"
    run "$home"
    check "listed as '$entry': exit 0, says so, file unchanged, no backup" \
        '[ $status -eq 0 ] && grep -q "already" "$work/out" && cmp -s "$home/.xscreensaver" "$work/before" &&
         [ ! -e "$home/.xscreensaver.before-vantorel" ]'
done

# --- files it cannot read as xscreensaver does: refused, byte for byte as they were
broken_cases=(
    'a line that is no setting|timeout: 0:10:00\nthis is not a setting\nprograms: maze --root\n'
    'cut off inside the list|programs: \\\n  maze --root \\n\\\n'
    'two lists|programs: maze --root\nprograms: qix --root\n'
    'binary data|timeout: 0:10:00\n\0\1\2programs: maze --root\n'
)
for case in "${broken_cases[@]}"; do
    name=${case%%|*}
    new_home
    printf "${case#*|}" >"$home/.xscreensaver"
    cp "$home/.xscreensaver" "$work/before"
    run "$home"
    check "$name: refused with exit 1 and a reason ($status: $(cat "$work/out"))" \
        '[ $status -eq 1 ] && grep -q "nothing changed" "$work/out"'
    check "$name: file unchanged, nothing else written" \
        'cmp -s "$home/.xscreensaver" "$work/before" && [ "$(ls -A "$home")" = .xscreensaver ]'
done

[ $fail -eq 0 ] && echo "vantorel-add-to-xscreensaver: every kind of ~/.xscreensaver handled"
exit $fail
