#!/usr/bin/env bash
# A program folder the user cannot write, for the settings test under Wine: both programs copied in,
# then the folder made read-only. As root, Unix permissions stop nothing (nor does Wine's read-only
# attribute, which it keeps as permission bits), so the folder is made immutable instead.
# make-ini: a writable program folder whose Vantorel.ini (CD, track 3) cannot be written.
#   readonly_folder.sh make|make-ini|remove FOLDER [BIN_DIR]
set -u
action=$1 folder=$2 bin=${3:-}

writable() { touch "$folder/.probe" 2>/dev/null && rm -f "$folder/.probe"; }

unlock() {
    [ -d "$folder" ] || return 0
    [ -f "$folder/Vantorel.ini" ] && chattr -i "$folder/Vantorel.ini" 2>/dev/null
    chattr -i "$folder" 2>/dev/null
    chmod u+w "$folder"
}

case $action in
make)
    unlock; rm -rf "$folder"
    mkdir -p "$folder" && cp "$bin/Vantorel.scr" "$bin/Vantorel.dll" "$folder/" || exit 1
    chmod a-w "$folder"
    if writable; then chattr +i "$folder" || { echo "cannot make $folder read-only" >&2; exit 1; }; fi
    if writable; then echo "$folder is still writable" >&2; unlock; exit 1; fi
    echo "read-only program folder $folder"
    ;;
make-ini)
    unlock; rm -rf "$folder"
    mkdir -p "$folder" && cp "$bin/Vantorel.scr" "$bin/Vantorel.dll" "$folder/" || exit 1
    ini=$folder/Vantorel.ini
    # The keys BGM区分, BGMﾘﾋﾟｰﾄ and BGMﾌｧｲﾙ in code page 932.
    printf '[Section]\r\nBGM\x8b\xe6\x95\xaa=1\r\nBGM\xd8\xcb\xdf\xb0\xc4=3\r\nBGM\xcc\xa7\xb2\xd9=\r\n' >"$ini"
    chmod a-w "$ini"
    if (: >>"$ini") 2>/dev/null; then chattr +i "$ini" || { echo "cannot make $ini read-only" >&2; exit 1; }; fi
    if (: >>"$ini") 2>/dev/null; then echo "$ini is still writable" >&2; unlock; exit 1; fi
    echo "read-only settings file $ini"
    ;;
remove)
    unlock; rm -rf "$folder"
    ;;
*) echo "usage: readonly_folder.sh make|make-ini|remove FOLDER [BIN_DIR]" >&2; exit 2 ;;
esac
