#!/usr/bin/env bash
# Fails when a source file outside a platform folder includes windows.h, X11, EGL or Wayland headers.
set -u
root=${1:?source folder}
cd "$root" || exit 2
hits=$(find renderer frontend common bench tests assets -type f \( -name '*.cpp' -o -name '*.h' \) 2>/dev/null |
  grep -vE '(^|/)(win32|x11|offscreen|wayland)/' |
  xargs -r grep -nE '#\s*include\s*[<"](windows|windowsx|mmsystem|commdlg|shellapi|wingdi|winuser|X11/[^>"]+|EGL/[^>"]+|wayland-[^>"]+|[a-z-]+-client-protocol)\.h[>"]')
if [ -n "$hits" ]; then
  echo "portable code includes platform headers:"
  echo "$hits"
  exit 1
fi
count=$(find renderer frontend -type f \( -name '*.cpp' -o -name '*.h' \) | grep -vcE '(^|/)(win32|x11|offscreen|wayland)/')
echo "checked $count portable source files: no platform headers"
