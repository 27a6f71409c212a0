#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Vantorel need.
# Does nothing (and needs no network) when everything is already there.
set -euo pipefail

packages=(
  # native build and tests
  g++ cmake ninja-build pkg-config libgtest-dev googletest libbenchmark-dev
  libegl-dev libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri libegl-mesa0 libpng-dev
  # the Windows programs: mingw-w64 with the posix thread model (GoogleTest needs it)
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools
  # running them for real: Wine, a private X display, a private sound server
  wine wine64 xvfb xauth x11-utils x11-xserver-utils xdotool pulseaudio pulseaudio-utils
  # the Japanese code page, a font with both Latin and Japanese glyphs, picture and sound tools
  locales fonts-ipafont-gothic imagemagick sox python3 bc
  # the sanitized build and its fuzz targets (clang, libFuzzer and the sanitizer runtimes, symbolizer);
  # the frame renderer under memcheck
  clang libclang-rt-14-dev llvm valgrind
  # remaking the MP3 that the Win32 music test plays (tests/win32/music_make_tone_mp3.sh)
  lame
  # the release: the installer (makensis), the zip (zip, listed with the web page's tools below),
  # reading the zip back in its test; chattr makes a read-only program folder for the settings test
  # even as root
  nsis unzip e2fsprogs
  # the native hack for xscreensaver (X11, DPMS from libXext, GLX) and the real daemon that its test runs
  libx11-dev libxext-dev libglx-dev libgl-dev xscreensaver xscreensaver-gl procps passwd util-linux
  # the other X11 screensavers the hack runs under, for real: MATE's (with a session bus and the theme's
  # checker), and xsecurelock with xss-lock for its recipe
  mate-screensaver dbus dbus-x11 desktop-file-utils xsecurelock xss-lock
  # the Wayland shell (wayland-scanner, xdg-shell's description) and its tests on a real headless sway:
  # grim takes pictures of outputs, wtype types, swayidle starts the saver when idle and swaylock
  # locks over it
  libwayland-dev wayland-protocols sway grim wtype swayidle swaylock
  # the fullscreen-window path on the real Weston (its screenshooter included); KDE Plasma's KWin, and
  # the description of its fake input, which the test's key tool speaks
  weston kwin-wayland plasma-wayland-protocols
  # outputs the tests switch off in a headless sway (wlroots' headers)
  libwlroots-dev
  # the Linux release: the Debian package (dpkg-shlibdeps, lintian) and its manual page (man -l)
  dpkg-dev fakeroot lintian man-db groff-base
  # the web page: Emscripten, and the headless browser its tests drive (through playwright-core from npm)
  emscripten chromium-headless-shell nodejs zip
  # the wallpaper hosts' property files checked against their documented schema
  python3-jsonschema
  # a CPU hog for checking that the suite's verdicts do not depend on load
  stress-ng
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "deps: installing ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi

# Wine shows the Japanese texts in code page 932 only when this locale exists.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "deps: generating ja_JP.UTF-8"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  if [ -f /etc/locale.gen ] && grep -q '^# *ja_JP.UTF-8' /etc/locale.gen; then
    $SUDO sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  else
    echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  fi
  $SUDO locale-gen >/dev/null
fi

# The web tests' playwright-core, pinned by tests/web/package-lock.json; installed again only when the
# lock file differs from the one of the last install.
web_tests="$(cd "$(dirname "$0")/.." && pwd)/tests/web"
if ! cmp -s "$web_tests/package-lock.json" "$web_tests/node_modules/.vantorel-package-lock.json"; then
  echo "deps: npm ci in tests/web"
  (cd "$web_tests" && npm ci --no-audit --no-fund --ignore-scripts)
  cp "$web_tests/package-lock.json" "$web_tests/node_modules/.vantorel-package-lock.json"
fi
