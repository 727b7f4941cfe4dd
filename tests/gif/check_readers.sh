#!/usr/bin/env bash
# Checks every GIF the codec writes with readers no one here wrote: giflib's
# giftext, gifbuild -d and gif2rgb, and ImageMagick. The decoded pixels must
# equal what the Windows side expects (NAME.rgb) byte for byte.
# Usage: check_readers.sh WINE_RUN SAMPLES_EXE OUTPUT_FOLDER
set -uo pipefail
wine_run=$1 exe=$2 out=$3
rm -rf "$out"
mkdir -p "$out"
cd "$out" || exit 1
if ! "$wine_run" "$exe" >samples.log 2>&1; then
  cat samples.log
  echo "FAIL: the sample writer failed"
  exit 1
fi
magick=/usr/bin/convert
[ -x "$magick" ] || magick=convert

# Every sample the writer is meant to write; a missing or an unexpected one
# fails (a sample list that shrank would otherwise go unnoticed).
expected="one_pixel one_colour noise_230_colours thin_row thin_column odd_size screenshot_full_hd screenshot_4096
screenshot_256_colours
bits_1 bits_4 bits_8_table_16 transparent sub_block_boundary rle_screenshot rle_runs_2 rle_runs_4 rle_runs_16
rle_runs_256 interlaced_global_map method_1 method_2 method_3 method_4 method_5 method_6 method_7 method_8 method_9
dither_1 dither_2 dither_3 dither_4 dither_5 dither_6"

fail=0
count=0
bad() { echo "FAIL $1: $2"; fail=1; }
while read -r name width height flags; do
  count=$((count + 1))
  file=$name.gif
  giftext "$file" >"$name.giftext" 2>&1 || bad "$name" "giftext cannot read it: $(tail -1 "$name.giftext")"
  gifbuild -d "$file" >"$name.gifbuild" 2>&1 || bad "$name" "gifbuild -d cannot read it: $(tail -1 "$name.gifbuild")"
  size=$(identify -format '%w %h' "$file[0]" 2>&1)
  [ "$size" = "$width $height" ] || bad "$name" "ImageMagick sees '$size', expected '$width $height'"
  if "$magick" "$file[0]" -alpha off -depth 8 "rgb:$name.im.rgb" 2>"$name.im.err"; then
    cmp -s "$name.im.rgb" "$name.rgb" || bad "$name" "ImageMagick decodes other pixels ($(cmp "$name.im.rgb" "$name.rgb" 2>&1 | head -1))"
  else
    bad "$name" "ImageMagick cannot read it: $(cat "$name.im.err")"
  fi
  if gif2rgb -1 -o "$name.gl.rgb" "$file" 2>"$name.gl.err"; then
    cmp -s "$name.gl.rgb" "$name.rgb" || bad "$name" "gif2rgb decodes other pixels ($(cmp "$name.gl.rgb" "$name.rgb" 2>&1 | head -1))"
  else
    bad "$name" "gif2rgb cannot read it: $(cat "$name.gl.err")"
  fi
  case $flags in
    *transparent*)
      grep -q 'transparent' "$name.gifbuild" || bad "$name" "no transparency in gifbuild's dump"
      head -c 6 "$file" | grep -q 'GIF89a' || bad "$name" "not written as GIF89a" ;;
  esac
  # Keep the folder small: decoded copies of passing files go.
  rm -f "$name.im.rgb" "$name.gl.rgb"
done <manifest.txt

written=$(awk '{print $1}' manifest.txt | sort)
wanted=$(tr -s ' \n' '\n\n' <<<"$expected" | sed '/^$/d' | sort)
if [ "$written" != "$wanted" ]; then
  bad manifest "the samples written differ from those expected: $(diff <(echo "$wanted") <(echo "$written") | grep '^[<>]' | tr '\n' ' ')"
fi
if [ "$fail" -eq 0 ]; then
  echo "all $count GIF files read back exactly by giftext, gifbuild -d, gif2rgb and ImageMagick"
fi
exit $fail
