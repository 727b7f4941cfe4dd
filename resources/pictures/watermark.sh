#!/usr/bin/env bash
# Draws the default watermark, the program's camera mark, as a 24-bit BMP.
# Its top-left pixel is the colour that the watermark's "Transparent" setting
# (on by default) leaves out, so the background is that colour and the
# picture is drawn without anti-aliasing: every pixel is either the key or
# the mark itself, and no fringe of the key colour is blended into a capture.
# Usage: watermark.sh OUTPUT-FILE
set -euo pipefail
out=$1
mkdir -p "$(dirname "$out")"

key='#FF00FF' body='#1F4E9E' lens='#FFFFFF' flash='#F08A24' light='#CFE3FA'
# The icon's camera on a 32-unit grid, at twice its size.
convert -size 64x56 "xc:$key" +antialias -draw "translate 0,-6 scale 2,2
    fill '$flash' stroke none roundrectangle 4,4 13,10 1,1
    fill '$body' roundrectangle 1,8 30,29 4,4
    fill none stroke '$lens' stroke-width 3 circle 16,18.5 16,25
    fill '$light' stroke none circle 26,12 26,13.5" \
  -alpha off -type TrueColor "BMP3:$out"
