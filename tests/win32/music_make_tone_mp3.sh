#!/usr/bin/env bash
# Remakes music_tone_mp3.h: a 3 s, 440 Hz sine tone, 16000 Hz mono, encoded by lame at 16 kbit/s
# without an ID3 tag, as the bytes the Win32 music test writes to an .mp3 file.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
sox -n -r 16000 -c 1 -b 16 "$tmp/tone.wav" synth 3 sine 440 vol 0.5
lame --quiet -b 16 --cbr -t --noreplaygain "$tmp/tone.wav" "$tmp/tone.mp3"
{
  echo "// Made by music_make_tone_mp3.sh: a 3 s, 440 Hz tone as an MP3 file (lame, 16 kbit/s, 16000 Hz mono)."
  echo "#pragma once"
  echo
  echo "inline constexpr unsigned char kToneMp3[] = {"
  xxd -i <"$tmp/tone.mp3" | sed 's/^/ /'
  echo "};"
} >"$here/music_tone_mp3.h"
