#!/usr/bin/env bash
# Reads GIF files that giflib's gifbuild, ImageMagick and the codec's own
# writer made, and compares what the codec reads with what those programs
# read: the indices of every frame with `giftext -r`, each frame's colours
# with ImageMagick's frames, the animation as the painter composes it frame by
# frame with ImageMagick's `-coalesce`. Every file
# is also saved again: the saved file must hold the same indices, and loading
# and saving it once more must give the same bytes.
# Usage: check_reading.sh WINE_RUN READ_DUMP_EXE SAMPLES_EXE OUTPUT_FOLDER
set -uo pipefail
wine_run=$1 dump=$2 samples=$3 out=$4
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$out"
mkdir -p "$out"
cd "$out" || exit 1
backdrop=123456

fail=0
bad() { echo "FAIL $1: $2"; fail=1; }

# --- files of giflib's gifbuild ---------------------------------------------
cat >gb_extensions.txt <<'GB'
screen width 8
screen height 6
screen colors 4
screen background 1
pixel aspect byte 0
screen map
	rgb 000 000 000 is 0
	rgb 255 255 255 is 1
	rgb 255 000 000 is 2
	rgb 000 255 000 is 3
end
comment
a comment of the first frame
end
netscape loop 2
extension ff
ABCDEFGH1.0
data of an application nobody knows
end
graphics control
	disposal mode 2
	delay 25
	transparent index 3
end
image
image left 1
image top 1
image interlaced
image bits 5 by 4
01230
12301
23012
30123
graphics control
	disposal mode 3
	delay 5
	transparent index 0
end
image
image left 2
image top 0
image map
	rgb 010 020 030 is a
	rgb 040 050 060 is b
	rgb 070 080 090 is c
	rgb 100 110 120 is d
end
image bits 4 by 6
abcd
dcba
aabb
ccdd
abab
cdcd
graphics control
	disposal mode 1
	delay 0
	transparent index -1
end
image
image left 0
image top 3
image bits 8 by 3
00112233
33221100
01230123
GB
cat >gb_plaintext.txt <<'GB'
screen width 20
screen height 3
screen colors 2
screen background 0
pixel aspect byte 49
screen map
	rgb 010 020 030 is a
	rgb 200 100 050 is b
end
plaintext
\x00\x00\x00\x00\x14\x00\x03\x00\x01\x01\x00\x01
hello
end
image
image left 0
image top 0
image bits 20 by 3
abababababababababab
aaaaaaaaaaaaaaaaaaaa
bbbbbbbbbbbbbbbbbbbb
GB
for t in gb_*.txt; do
  gifbuild "$t" >"${t%.txt}.gif" 2>"${t%.txt}.err" || bad "$t" "gifbuild failed: $(cat "${t%.txt}.err")"
done

# --- files of ImageMagick ---------------------------------------------------
magick=/usr/bin/convert
[ -x "$magick" ] || magick=convert
"$magick" -loop 3 -delay 5 -dispose none -size 20x16 xc:red \
  -dispose background -page +4+3 -size 8x6 xc:blue \
  -dispose previous -page +10+8 -size 6x5 xc:lime \
  -dispose none -page +2+2 -size 5x5 xc:yellow \
  -dispose none -page +0+0 -size 3x3 xc:navy im_disposals.gif
"$magick" -loop 0 -delay 7 -dispose background \
  \( -size 16x12 xc:none -fill red -draw 'rectangle 2,2 9,7' \) \
  \( -size 16x12 xc:none -fill blue -draw 'circle 8,6 8,2' \) \
  \( -size 16x12 xc:none -fill lime -draw 'rectangle 6,1 14,10' -dispose previous \) \
  \( -size 16x12 xc:none -fill orange -draw 'rectangle 0,8 15,11' \) im_transparent.gif
"$magick" -delay 10 \( -size 12x10 gradient:red-blue -colors 6 \) \
  \( -size 12x10 gradient:lime-yellow -colors 9 \) \
  \( -size 12x10 plasma:fractal -seed 3 -colors 200 \) im_localmaps.gif 2>/dev/null
"$magick" -size 37x29 plasma:fractal -seed 5 -colors 100 -interlace GIF -comment 'ImageMagick comment' im_interlaced.gif 2>/dev/null
"$magick" -size 300x200 xc: -seed 7 +noise Random -colors 256 im_noise.gif
"$magick" -size 64x3 gradient:black-white -colors 2 im_two_colors.gif
# Colour tables of 3, 5, 6 and 7 bits, straight and interlaced, so that every
# code size from 1 to 8 is read here.
for bits in 3 5 6 7; do
  interlace=none
  [ $((bits % 2)) -eq 1 ] && interlace=GIF
  "$magick" -size 23x17 plasma:fractal -seed "$bits" +dither -colors $((1 << bits)) -interlace "$interlace" \
    "im_bits_$bits.gif" 2>/dev/null
done

# --- files of the codec's own writer ----------------------------------------
if ! "$wine_run" "$samples" >samples.log 2>&1; then
  cat samples.log
  bad samples "the sample writer failed"
fi

# --- the fuzz seeds ---------------------------------------------------------
for f in "$here"/../gif_fuzz/seeds/*.gif; do cp "$f" "seed_$(basename "$f")"; done

count=0
for file in *.gif; do
  name=${file%.gif}
  case $name in *.resaved | *.resaved2) continue ;; esac
  # giflib refuses minimum code sizes above 8; the codec's own tests cover
  # those. Its giftext also stops at a control block of another size than
  # 4, which ImageMagick reads: such a file is compared with ImageMagick
  # only, and what the codec saves of it with giflib too.
  giflib=1
  giftext "$file" >/dev/null 2>&1 || giflib=0
  [ "$giflib" -eq 1 ] || identify "$file" >/dev/null 2>&1 || continue
  count=$((count + 1))
  if ! "$wine_run" "$dump" "$file" "$name" "$backdrop" >"$name.log" 2>&1; then
    bad "$name" "the codec cannot read it: $(cat "$name.log")"
    continue
  fi
  n=$(stat -c %s "$name.raw")
  if [ "$giflib" -eq 1 ]; then
    giftext -r "$file" 2>/dev/null | tail -c "$n" >"$name.giftext.raw"
    cmp -s "$name.raw" "$name.giftext.raw" || bad "$name" "indices differ from giftext -r ($(cmp "$name.raw" "$name.giftext.raw" 2>&1 | head -1))"
  fi
  # ImageMagick refuses a minimum code size of 1, which giflib reads.
  case $name in *code_size_1) ;; *)
  if "$magick" "$file" -alpha off -depth 8 "rgb:$name.im.frames.rgb" 2>"$name.im.err"; then
    cmp -s "$name.frames.rgb" "$name.im.frames.rgb" || bad "$name" "frame colours differ from ImageMagick's frames ($(cmp "$name.frames.rgb" "$name.im.frames.rgb" 2>&1 | head -1))"
  else
    bad "$name" "ImageMagick cannot read it: $(cat "$name.im.err")"
  fi
  if "$magick" "$file" -coalesce -background "#$backdrop" -alpha remove -alpha off -depth 8 "rgb:$name.im.rgb" 2>"$name.im.err"; then
    cmp -s "$name.coalesced.rgb" "$name.im.rgb" || bad "$name" "painted frames differ from ImageMagick's coalesced frames ($(cmp "$name.coalesced.rgb" "$name.im.rgb" 2>&1 | head -1))"
  else
    bad "$name" "ImageMagick cannot read it: $(cat "$name.im.err")"
  fi ;;
  esac
  giftext -r "$name.resaved.gif" 2>/dev/null | tail -c "$n" >"$name.resaved.raw"
  cmp -s "$name.raw" "$name.resaved.raw" || bad "$name" "the file saved again holds other indices"
  cmp -s "$name.resaved.gif" "$name.resaved2.gif" || bad "$name" "loading and saving again changes the file"
  [ "$fail" -eq 0 ] && rm -f "$name.im.rgb" "$name.im.frames.rgb" "$name.giftext.raw" "$name.resaved.raw"
done

[ "$count" -gt 10 ] || bad files "only $count files were read"
[ "$fail" -eq 0 ] && echo "all $count GIF files read as giftext and ImageMagick read them"
exit $fail
