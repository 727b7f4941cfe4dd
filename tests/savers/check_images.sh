#!/usr/bin/env bash
# Writes sample images through the program's savers under Wine, then reads
# them with independent readers on the host (ImageMagick, pngcheck) and
# compares their pixels with the expected ones the writer put beside them.
# Usage: check_images.sh WINE-RUN WRITER.EXE OUTPUT-FOLDER [gif]
# With "gif" (the GIF codec is built in) every GIF file must be there.
set -uo pipefail
wine_run=$1 writer=$2 out=$3 gif=${4:-}
rm -rf "$out"
mkdir -p "$out"

if ! "$wine_run" "$writer" "Z:${out//\//\\}"; then
  echo "FAIL: the writer reported an error"
  exit 1
fi

passed=0 failed=0
pass() { passed=$((passed + 1)); }
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }
expect() {  # name, got, wanted (a bash pattern)
  # shellcheck disable=SC2053
  if [[ $2 == $3 ]]; then pass; else fail "$1: got '$2', expected '$3'"; fi
}
# Number of differing pixels (-fuzz allows small differences per channel).
differing() { compare -metric AE ${3:+-fuzz "$3"} "$1" "$2" null: 2>&1; }
# A metric of compare as a number. compare ends with 2 when it could not
# compare at all: then, or when its output is no number, this prints what
# compare said and returns 1.
metric() {  # compare arguments...
  local output status
  output=$(compare "$@" null: 2>&1); status=$?
  local value
  value=$(sed 's/.*(\(.*\))/\1/' <<<"$output")
  if [ "$status" -gt 1 ] || ! [[ $value =~ ^[0-9.eE+-]+$|^inf$ ]]; then
    echo "$output"
    return 1
  fi
  echo "$value"
}
below_or_equal() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a + 0 <= b + 0) }'; }
at_least() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a + 0 >= b + 0) }'; }

png_structure() {  # file, colour description
  local report
  report=$(pngcheck -vt "$1" 2>&1)
  expect "$1 header" "$(grep -c "61 x 37 image, $2, non-interlaced\|1 x 1 image, $2, non-interlaced" <<<"$report")" 1
  expect "$1 text chunks" "$(grep -c 'chunk tEXt' <<<"$report")" 1
  expect "$1 text key" "$(grep -c 'keyword: Vorlix\|^    Vorlix:' <<<"$report")" "[1-9]*"
  expect "$1 text" "$(grep -c 'https://www.vorlix.com/' <<<"$report")" 1
  expect "$1 chunks" "$(grep -o 'chunk [A-Za-z]*' <<<"$report" | awk '{print $2}' | sort -u | tr '\n' ' ')" "IDAT IEND IHDR tEXt "
  expect "$1 pngcheck" "$(grep -c 'No errors detected' <<<"$report")" 1
}

for f in bits1 bits4 bits8 bits15 bits16 bits24 bits32 device; do
  expect "$f.bmp" "$(identify -format '%m %w %h' "$out/$f.bmp" 2>&1)" "BMP* 61 37"
  # ImageMagick widens 5- and 6-bit channels by rounding, the writer by bit
  # replication: at most one step apart.
  fuzz=""; [[ $f == bits15 || $f == bits16 ]] && fuzz=1%
  expect "$f.bmp pixels" "$(differing "$out/$f.bmp" "$out/$f.ppm" $fuzz)" 0

  expect "$f.png" "$(identify -format '%m %w %h %z' "$out/$f.png" 2>&1)" "PNG 61 37 8"
  png_structure "$out/$f.png" "24-bit RGB"
  expect "$f.png pixels" "$(differing "$out/$f.png" "$out/$f.ppm")" 0

  if [[ $gif == gif ]]; then
    expect "$f.gif" "$(identify -format '%m %w %h' "$out/$f.gif" 2>&1)" "GIF 61 37"
  fi

  [[ $f == bits1 || $f == bits4 ]] && continue
  jpg=$out/${f}_smooth.jpg
  expect "$f.jpg" "$(identify -format '%m %w %h %Q' "$jpg" 2>&1)" "JPEG 61 37 100"
  if ! psnr=$(metric -metric PSNR "$jpg" "$out/${f}_smooth.ppm"); then
    fail "$f.jpg: PSNR not measured: $psnr"
  elif [[ $psnr == inf ]] || at_least "$psnr" 40; then pass
  else fail "$f.jpg: PSNR $psnr dB below 40"; fi
  # A flipped or shifted image would be far off: the largest channel error
  # stays small.
  if ! peak=$(metric -metric PAE "$jpg" "$out/${f}_smooth.ppm"); then
    fail "$f.jpg: peak error not measured: $peak"
  elif below_or_equal "$peak" 0.1; then pass
  else fail "$f.jpg: peak error $peak"; fi
  # libjpeg's defaults at quality 100, whichever routines compute them: the
  # very bytes cjpeg writes from the same pixels.
  cjpeg -quality 100 -outfile "$out/${f}_cjpeg.jpg" "$out/${f}_smooth.ppm"
  if cmp -s "$jpg" "$out/${f}_cjpeg.jpg"; then pass; else fail "$f.jpg: not the bytes cjpeg writes"; fi
done

# Pictures compressed in bands on several cores: still the bytes of one pass.
for f in bands32 bands24 bands8; do
  cjpeg -quality 100 -outfile "$out/${f}_cjpeg.jpg" "$out/$f.ppm"
  if cmp -s "$out/$f.jpg" "$out/${f}_cjpeg.jpg"; then pass; else fail "$f.jpg: not the bytes cjpeg writes"; fi
done

# The PNG coding follows the content, read from the files: a screen's rows
# unfiltered, a photograph's filtered row by row and run-length coded (every
# deflate match at distance 1). Both pixel-exact.
here=$(dirname "$0")
for f in screen photo; do
  expect "$f.png" "$(identify -format '%m %w %h %z' "$out/$f.png" 2>&1)" "PNG 400 300 8"
  expect "$f.png pngcheck" "$(pngcheck "$out/$f.png" 2>&1 | grep -c '^OK')" 1
  expect "$f.png pixels" "$(differing "$out/$f.png" "$out/$f.ppm")" 0
done
coding=$(/usr/bin/python3 "$here/png_coding.py" "$out/screen.png" 2>&1)
expect "screen.png coding" "$coding" "filters=0 matches=* farthest=*"
coding=$(/usr/bin/python3 "$here/png_coding.py" "$out/photo.png" 2>&1)
expect "photo.png coding" "$coding" "filters=*,* matches=[1-9]* farthest=1"

# Transparent colour: RGBA, exactly the pixels of that colour clear.
expect "key.png" "$(identify -format '%m %w %h %z' "$out/key.png" 2>&1)" "PNG 61 37 8"
png_structure "$out/key.png" "32-bit RGB+alpha"
convert "$out/key.png" -alpha extract "$out/key_alpha_read.pgm"
expect "key.png alpha" "$(differing "$out/key_alpha_read.pgm" "$out/key_alpha.pgm")" 0
convert "$out/key.png" -alpha off "$out/key_rgb_read.ppm"
expect "key.png colours" "$(differing "$out/key_rgb_read.ppm" "$out/key.ppm")" 0

# A 1 x 1 white bitmap.
png_structure "$out/white.png" "24-bit RGB"
expect "white.png" "$(convert "$out/white.png" -format '%w %h %[fx:int(255*r+.5)],%[fx:int(255*g+.5)],%[fx:int(255*b+.5)]' info: 2>&1)" "1 1 255,255,255"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
