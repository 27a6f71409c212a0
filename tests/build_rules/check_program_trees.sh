#!/usr/bin/env bash
# Fails when one program's tree includes a file of the other's: the front-end and the renderer meet
# only through the files and the window title they share at run time, and code both build from lives
# in common/.
set -u
root=${1:?source folder}
cd "$root" || exit 2
hits=$( (grep -rnE '#\s*include\s*"renderer/' frontend; grep -rnE '#\s*include\s*"frontend/' renderer) 2>/dev/null)
if [ -n "$hits" ]; then
  echo "one program's tree includes the other's files:"
  echo "$hits"
  exit 1
fi
echo "frontend/ and renderer/ include nothing of each other"
