#!/usr/bin/env bash
# A program folder the user cannot write, for the settings test under Wine: both programs copied in,
# then the folder made read-only. As root, Unix permissions stop nothing, so the folder is made
# immutable instead.
#   readonly_folder.sh make|remove FOLDER [BIN_DIR]
set -u
action=$1 folder=$2 bin=${3:-}

writable() { touch "$folder/.probe" 2>/dev/null && rm -f "$folder/.probe"; }

unlock() {
    [ -d "$folder" ] || return 0
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
remove)
    unlock; rm -rf "$folder"
    ;;
*) echo "usage: readonly_folder.sh make|remove FOLDER [BIN_DIR]" >&2; exit 2 ;;
esac
