#!/usr/bin/env bash
# The Linux release as a user downloads it: the Debian package holds exactly the hack, its settings,
# the list command, the manual page, the screensaver theme for MATE and Xfce, KDE Plasma's autostart
# entry and the Debian documents, with the control fields a Debian user expects (library dependencies
# read from the program, xscreensaver recommended); lintian finds no error and no warning,
# desktop-file-validate none in the theme and the entry; the tarball holds the same files, byte for
# byte, under vantorel-1.00/ with a README; SHA256SUMS checks both; no folder of the build machine is
# left in the program.
#   linux_package_test.sh DEB TARBALL SHA256SUMS SOURCE_DIR BINARY_DIR
set -u
deb=$1 tarball=$2 sums=$3 source_dir=$4 binary_dir=$5
fail=0
check() { if ! eval "$2"; then echo "FAIL: $1"; fail=1; fi; }
for f in "$deb" "$tarball" "$sums"; do
    [ -f "$f" ] || { echo "FAIL: no $f (cmake --build --preset linux --target package makes it)"; exit 1; }
done
work=$(mktemp -d /tmp/vantorel-pkg-XXXXXX)
trap 'rm -rf "$work"' EXIT

files="./usr/bin/vantorel-add-to-xscreensaver
./usr/bin/vantorel-wayland
./usr/libexec/xscreensaver/vantorel
./usr/share/applications/screensavers/vantorel.desktop
./usr/share/doc/vantorel/changelog.Debian.gz
./usr/share/doc/vantorel/copyright
./usr/share/lintian/overrides/vantorel
./usr/share/man/man6/vantorel-add-to-xscreensaver.6.gz -> vantorel.6.gz
./usr/share/man/man6/vantorel-wayland.6.gz -> vantorel.6.gz
./usr/share/man/man6/vantorel.6.gz
./usr/share/vantorel/vantorel-wayland-idle.desktop
./usr/share/xscreensaver/config/vantorel.xml"
listed=$(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ { $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }' | sort)
check "the package holds exactly the release's files, got:
$listed" '[ "$listed" = "$files" ]'
check "files are root's, programs 0755, the rest 0644" \
    '! dpkg-deb --contents "$deb" | awk '"'"'$2 != "root/root" || ($1 !~ /^(drwxr-xr-x|-rwxr-xr-x|-rw-r--r--|lrwxrwxrwx)$/) || ($1 == "-rwxr-xr-x" && $6 !~ /\/(vantorel|vantorel-add-to-xscreensaver|vantorel-wayland)$/)'"'"' | grep -q .'

field() { dpkg-deb --field "$deb" "$1"; }
check "Package vantorel, Version 1.00-1, Architecture amd64" \
    '[ "$(field Package) $(field Version) $(field Architecture)" = "vantorel 1.00-1 amd64" ]'
check "Section x11, Priority optional" '[ "$(field Section) $(field Priority)" = "x11 optional" ]'
check "Recommends xscreensaver" '[ "$(field Recommends)" = xscreensaver ]'
# dpkg-shlibdeps writes minimum versions from the symbols the program uses: a hand-typed list would
# not carry glibc's.
check "Depends read from the programs: libc6 (>= 2.x), libx11-6, libxext6, libglx0, libopengl0, libglu1-mesa, libwayland-client0, libwayland-egl1, libegl1 ($(field Depends))" \
    'field Depends | grep -Eq "libc6 \(>= 2\.[0-9]+\)" && for l in libx11-6 libxext6 libglx0 libopengl0 libglu1-mesa libstdc++6 libwayland-client0 libwayland-egl1 libegl1; do field Depends | grep -q "$l" || exit 1; done'
check "a Maintainer with a mail address" 'field Maintainer | grep -Eq "^[^<]+ <[^@ ]+@[^> ]+>$"'
check "a synopsis and a long description" \
    '[ -n "$(field Description | head -1)" ] && [ "$(field Description | wc -l)" -ge 4 ]'

lintian --fail-on error,warning "$deb" >"$work/lintian" 2>&1
lintian_status=$?
lintian_out=$(grep -v "running with root privileges" "$work/lintian")
check "lintian: no error, no warning (status $lintian_status):
$lintian_out" '[ "$lintian_status" -eq 0 ] && ! grep -Eq "^[EW]:" <<<"$lintian_out"'

# One time for every entry (SOURCE_DATE_EPOCH, the commit's time), never the time of the build.
times=$( (dpkg-deb --fsys-tarfile "$deb" | tar -tv --full-time; tar -tzv --full-time -f "$tarball") |
         awk '{print $4, $5}' | sort -u)
check "every entry of the package and the tarball has the same time, got: $(echo $times)" \
    '[ "$(wc -l <<<"$times")" -eq 1 ]'

mkdir -p "$work/deb" "$work/tar"
dpkg-deb --extract "$deb" "$work/deb"
tar -xzf "$tarball" -C "$work/tar"
check "the tarball has one folder, vantorel-1.00" '[ "$(ls "$work/tar")" = vantorel-1.00 ]'
check "the tarball holds the package's files, byte for byte, and a README" \
    'diff -r --no-dereference "$work/deb/usr" "$work/tar/vantorel-1.00/usr" >/dev/null && [ "$(ls "$work/tar/vantorel-1.00")" = "README
usr" ]'
check "the tarball's README tells other distributions where to copy the hack and how to list it" \
    'grep -q "/usr/lib/xscreensaver" "$work/tar/vantorel-1.00/README" && grep -q "vantorel-add-to-xscreensaver" "$work/tar/vantorel-1.00/README"'

check "SHA256SUMS names both files and both match" \
    '[ "$(awk "{print \$2}" "$sums" | sort | tr "\n" " ")" = "$(basename "$tarball") $(basename "$deb") " ] &&
     (cd "$(dirname "$sums")" && sha256sum --check --quiet "$(basename "$sums")")'

xml=$work/deb/usr/share/xscreensaver/config/vantorel.xml
# xscreensaver-settings shows the description; the stock hacks' all end in their authorship line.
check "vantorel.xml's description ends with the authorship and year line" \
    'sed -n "/<_description>/,/<\/_description>/p" "$xml" | grep -v "^ *<" | sed "/^\s*$/d" | tail -1 | grep -Eq "^Written by .+; 2026\.$"'

# MATE's and Xfce's screensavers: a theme that desktop-file-validate passes (its one hint, no main
# category, is every screensaver theme's) and that runs the package's hack.
# KDE Plasma's autostart entry passes it too.
theme=$work/deb/usr/share/applications/screensavers/vantorel.desktop
for entry in "$theme" "$work/deb/usr/share/vantorel/vantorel-wayland-idle.desktop"; do
    validated=$(desktop-file-validate "$entry" 2>&1)
    validate_status=$?
    check "desktop-file-validate passes $(basename "$entry") (status $validate_status): $validated" \
        '[ $validate_status -eq 0 ] && ! grep -q ": \(error\|warning\):" <<<"$validated"'
done
check "the theme runs the package's hack with --root, for MATE and Xfce" \
    'grep -qx "Exec=/usr/libexec/xscreensaver/vantorel --root" "$theme" && grep -qx "TryExec=/usr/libexec/xscreensaver/vantorel" "$theme" &&
     grep -qx "Categories=Screensaver;" "$theme" && grep -qx "OnlyShowIn=MATE;XFCE;" "$theme"'

for program in libexec/xscreensaver/vantorel bin/vantorel-wayland; do
    installed=$work/deb/usr/$program
    check "$program is stripped" '! readelf -S "$installed" | grep -q "\.symtab"'
    check "no folder of this build in $program" \
        '! grep -aqF -e "$source_dir" -e "$binary_dir" "$installed"'
    check "$program is the one built, stripped" \
        'strip -o "$work/built" "$binary_dir/bin/$(basename "$program")" && cmp -s "$work/built" "$installed"'
done

[ $fail -eq 0 ] && echo "Linux release as expected: $(basename "$deb") ($(field Depends)), $(basename "$tarball")"
exit $fail
