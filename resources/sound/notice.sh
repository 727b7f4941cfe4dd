#!/usr/bin/env bash
# Makes the notice sound, Sound.wav: a short rising chime of two soft sine
# tones (C6 for 80 ms, then G6 for 180 ms fading out), mono, 22 050 Hz,
# 16-bit PCM, made with sox. No dither (-D): the same file on every build.
# Usage: notice.sh OUTPUT-FILE
set -euo pipefail
out=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tone() {  # file, seconds, frequency, fade-out seconds
  sox -D -n -r 22050 -c 1 -b 16 "$work/$1" synth "$2" sine "$3" fade h 0.004 "$2" "$4" vol 0.45
}
tone low.wav 0.08 1047 0.03
tone high.wav 0.18 1568 0.14
sox -D "$work/low.wav" "$work/high.wav" "$work/Sound.wav"
mv "$work/Sound.wav" "$out"
