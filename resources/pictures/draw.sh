#!/usr/bin/env bash
# Draws the pictures of the first-run tutorial and the about box as 24-bit
# BMP files (no text in them: both language builds use the same pictures),
# and the program's icon.
# Usage: draw.sh OUTPUT-FOLDER
set -euo pipefail
out=$1
mkdir -p "$out"

ink='#2B3A55' paper='#FFFFFF' body='#EEF1F6' hot='#F08A24' tint='#CFE3FA' frame='#3478D4' grey='#8E96A3'
save=(-alpha off -type TrueColor)

# A mouse seen from above at x, its left or right button pressed (filled).
mouse() {  # x, pressed side (left/right)
  local l=$(($1 + 2)) r=$(($1 + 38)) mid=$(($1 + 20)) side
  if [ "$2" = left ]; then side=$l; else side=$r; fi
  m=(-fill "$body" -stroke "$ink" -strokewidth 2 -draw "roundrectangle $l,8 $r,80 18,18"
     -fill "$hot" -draw "path 'M $mid,8 L $mid,36 L $side,36 L $side,26 Q $side,8 $mid,8 Z'"
     -fill none -draw "line $mid,8 $mid,36" -draw "line $l,36 $r,36"
     -draw "path 'M $mid,8 Q $mid,2 $((mid + 12)),1'")
}

# Step one: the right button held, the cursor turned into a crosshair.
mouse 4 right
convert -size 120x84 "xc:$paper" "${m[@]}" \
  -stroke "$ink" -strokewidth 2 -fill none -draw "circle 88,44 88,58" \
  -draw "line 88,22 88,66" -draw "line 66,44 110,44" \
  "${save[@]}" "BMP3:$out/tutorial_step1.bmp"

# Step two: the left button dragging a rectangle from corner to corner.
mouse 4 left
convert -size 120x84 "xc:$paper" "${m[@]}" \
  -stroke "$frame" -strokewidth 2 -fill "$tint" -draw "rectangle 56,12 114,72" \
  -stroke "$ink" -strokewidth 2 -fill none -draw "line 60,16 102,60" \
  -fill "$ink" -draw "polygon 108,66 94,63 105,52" \
  "${save[@]}" "BMP3:$out/tutorial_step2.bmp"

# The tray: a task bar with the program's icon, its menu open above it.
convert -size 120x84 "xc:$paper" \
  -stroke none -fill '#C9CED6' -draw "rectangle 0,68 119,83" \
  -fill "$grey" -draw "rectangle 6,72 16,80" -draw "rectangle 22,72 32,80" \
  -fill "$hot" -stroke "$ink" -strokewidth 1 -draw "rectangle 92,71 103,81" \
  -fill "$paper" -draw "rectangle 50,6 110,62" \
  -stroke none -fill "$tint" -draw "rectangle 51,21 109,31" \
  -stroke "$grey" -strokewidth 2 -draw "line 56,14 94,14" -draw "line 56,26 88,26" \
  -draw "line 56,38 98,38" -draw "line 56,47 82,47" -draw "line 56,56 92,56" \
  -stroke "$ink" -strokewidth 1 -draw "line 97,62 97,70" \
  "${save[@]}" "BMP3:$out/tutorial_tray.bmp"

# The maker's mark for the about box: a V of two bars over a disc.
convert -size 48x48 "xc:$paper" \
  -stroke none -fill "$tint" -draw "circle 24,24 24,3" \
  -fill "$frame" -draw "polygon 8,10 17,10 27,36 22,42" \
  -fill "$hot" -draw "polygon 40,10 31,10 21,36 26,42" \
  "${save[@]}" "BMP3:$out/about_company.bmp"

# The program's icon: a camera (body, flash, lens ring), drawn on a 32-unit
# grid at every size Windows asks for: 16, 20 and 24 for the tray and small
# icons at 100, 125 and 150 %, 32 and 48 for the large ones, 256 for the
# shell's biggest views (kept as PNG inside the icon file).
icon_parts=()
for s in 16 20 24 32 48 256; do
  k=$(awk "BEGIN { print $s / 32 }")
  convert -size "${s}x$s" xc:none -draw "scale $k,$k
      fill '$hot' stroke none roundrectangle 4,3 13,9 1,1
      fill '#1F4E9E' roundrectangle 1,7 30,28 4,4
      fill none stroke '$paper' stroke-width 3 circle 16,17.5 16,24
      fill '$tint' stroke none circle 26,11 26,12.5" \
    "PNG32:$out/icon$s.png"
  icon_parts+=("$out/icon$s.png")
done
convert "${icon_parts[@]}" "$out/vorlix.ico"
rm -f "${icon_parts[@]}"
