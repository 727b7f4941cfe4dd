#!/usr/bin/env bash
# Runs the savers benchmark under Wine on real pictures (see bench_pictures in
# bench_common.sh) and, in the same run on the same pixels, the independent
# tools, in interleaved rounds (ours, then theirs, again and again), and
# prints every median beside the others with the ratios:
#   PNG   ImageMagick (convert to PNG24: the same 8-bit RGB, its own level and
#         filters) and netpbm's pnmtopng;
#   JPEG  ImageMagick and cjpeg, both at quality 100 with libjpeg's defaults as
#         ours (2 x 2 chroma, no optimised tables), which write the very bytes
#         ours writes (checked); and ImageMagick at quality 100 with its own
#         defaults (no chroma subsampling, optimised tables);
#   BMP   one plain write of the same bytes in our process.
# ImageMagick's start-up and reading of the picture (convert picture null:)
# are measured and subtracted; so are cjpeg's and pnmtopng's start-up (on a
# 1 x 1 picture) and the reading of their input (cat of the PPM file, less
# cat's own start-up). For JPEG ours is also shown less the time of our own
# save of a 1 x 1 picture (the pending file's creation and rename, which
# cost about a millisecond under Wine), the same work as cjpeg's net time.
# Every PNG of ours is checked with pngcheck and compared pixel for pixel with
# the picture.
# Usage: tools/bench_savers/run_bench.sh [ROUNDS [RUNS]] (default 3 rounds of
# 3 runs; after scripts/test has built the tree).
set -euo pipefail
source "$(dirname "$0")/../bench_common.sh"
rounds=${1:-3} runs=${2:-3}
for tool in cjpeg pnmtopng pngcheck; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/setup installs it)" >&2; exit 1; }
done
bench_start bench_savers.exe
bench_pictures
saved=$out/saved times=$out/times
rm -rf "$saved" "$times"
mkdir -p "$saved" "$times"
wine_pictures=()
for p in "${pictures[@]}"; do
  wine_pictures+=("$(wine_path "$p")")
  convert "$p" "$saved/$(basename "$p" .bmp).ppm"
done
convert -size 1x1 xc:white "$saved/tiny.ppm"
log_file=$out/bench_savers.log
: >"$log_file"
ours_failed=0

pnm_png() { pnmtopng "$1" >"$2"; }
record() { echo "$all_ms" >>"$times/$1"; }  # name: after a time_host

echo "== $rounds rounds of $runs runs: ours under Wine ($run_arch), then the native tools =="
for ((round = 1; round <= rounds; ++round)); do
  # It fails when a save fails or the SIMD routines are not taken: said
  # below, after the figures.
  (cd "$out" && "$wine_loader" "$exe" --runs "$runs" "$(wine_path "$saved")" "${wine_pictures[@]}") >>"$log_file" ||
    ours_failed=1
  time_host "$runs" cjpeg -quality 100 -outfile "$saved/tiny.jpg" "$saved/tiny.ppm"; record cjpeg-start
  time_host "$runs" pnm_png "$saved/tiny.ppm" "$saved/tiny.png"; record pnmtopng-start
  time_host "$runs" cat "$saved/tiny.ppm"; record cat-start
  for p in "${pictures[@]}"; do
    n=$(basename "$p" .bmp) ppm=$saved/$(basename "$p" .bmp).ppm
    time_host "$runs" "$magick" "$p" null:; record "$n.im-read"
    time_host "$runs" "$magick" "$p" PNG24:"$saved/${n}_im.png"; record "$n.im-png"
    time_host "$runs" "$magick" "$p" -quality 100 -sampling-factor 2x2 -define jpeg:optimize-coding=false \
      "$saved/${n}_im.jpg"; record "$n.im-jpeg"
    time_host "$runs" "$magick" "$p" -quality 100 "$saved/${n}_imdefault.jpg"; record "$n.im-jpeg-default"
    time_host "$runs" cat "$ppm"; record "$n.ppm-read"
    time_host "$runs" cjpeg -quality 100 -outfile "$saved/${n}_cjpeg.jpg" "$ppm"; record "$n.cjpeg"
    time_host "$runs" pnm_png "$ppm" "$saved/${n}_pnmtopng.png"; record "$n.pnmtopng"
  done
  echo "round $round done (load $(cut -d' ' -f1 /proc/loadavg))"
done
grep -m1 '^libjpeg-turbo' "$log_file"

# median FILE or median - (numbers on any lines): the median of them all.
median() { if [ "$1" = - ]; then cat; else cat "$1"; fi | tr ' ' '\n' | grep . | sort -n | awk '{ v[NR] = $1 } END { printf "%.1f", v[int((NR + 1) / 2)] }'; }
ours() {  # name format: our median over every round
  grep "^$1 $2 " "$log_file" | cut -d' ' -f4- | median -
}
ours_size() { grep -m1 "^$1 $2 " "$log_file" | cut -d' ' -f3; }
minus() { echo "scale=1; $1 - $2" | bc; }

start_cjpeg=$(median "$times/cjpeg-start") start_pnm=$(median "$times/pnmtopng-start")
start_cat=$(median "$times/cat-start")
start_ours=$(ours tiny JPEG)
echo "start-up on a 1 x 1 picture: cjpeg $start_cjpeg ms, pnmtopng $start_pnm ms, cat $start_cat ms;" \
  "a JPEG save of ours $start_ours ms (creating the file and renaming it, under Wine)"
echo "== Medians in ms; ImageMagick, cjpeg and pnmtopng without start-up and reading the picture =="
printf '%-14s %-5s %9s %9s %8s %10s %9s %8s %11s %11s %11s  %s\n' picture format ours "IM" "ours/IM" peer "peer" \
  "ours/peer" "ours bytes" "IM bytes" "peer bytes" check
status=0
for p in "${pictures[@]}"; do
  n=$(basename "$p" .bmp)
  read_im=$(median "$times/$n.im-read") read_ppm=$(minus "$(median "$times/$n.ppm-read")" "$start_cat")
  # PNG
  o=$(ours "$n" PNG)
  im=$(minus "$(median "$times/$n.im-png")" "$read_im")
  pn=$(minus "$(minus "$(median "$times/$n.pnmtopng")" "$start_pnm")" "$read_ppm")
  check=ok
  pngcheck -q "$saved/${n}_vorlix.png" >/dev/null 2>&1 || check="pngcheck FAILED"
  diff_pixels=$("$compare_tool" -metric AE "$p" "$saved/${n}_vorlix.png" null: 2>&1 || true)
  [ "$diff_pixels" = 0 ] || check="$check, $diff_pixels pixels differ"
  [ "$check" = ok ] && check="pngcheck ok, pixel-exact" || status=1
  printf '%-14s %-5s %9s %9s %8s %10s %9s %8s %11s %11s %11s  %s\n' "$n" PNG "$o" "$im" "$(ratio "$o" "$im")" \
    pnmtopng "$pn" "$(ratio "$o" "$pn")" "$(ours_size "$n" PNG)" "$(stat -c %s "$saved/${n}_im.png")" \
    "$(stat -c %s "$saved/${n}_pnmtopng.png")" "$check"
  # JPEG
  o=$(ours "$n" JPEG)
  im=$(minus "$(median "$times/$n.im-jpeg")" "$read_im")
  cj=$(minus "$(minus "$(median "$times/$n.cjpeg")" "$start_cjpeg")" "$read_ppm")
  check="same bytes as cjpeg"
  cmp -s "$saved/${n}_vorlix.jpg" "$saved/${n}_cjpeg.jpg" || { check="DIFFERENT BYTES from cjpeg"; status=1; }
  printf '%-14s %-5s %9s %9s %8s %10s %9s %8s %11s %11s %11s  %s\n' "$n" JPEG "$o" "$im" "$(ratio "$o" "$im")" \
    cjpeg "$cj" "$(ratio "$o" "$cj")" "$(ours_size "$n" JPEG)" "$(stat -c %s "$saved/${n}_im.jpg")" \
    "$(stat -c %s "$saved/${n}_cjpeg.jpg")" "$check"
  # Ours without the cost of a save of a 1 x 1 picture, as cjpeg's is
  # without its start-up (which creates and closes its file too).
  o_net=$(minus "$o" "$start_ours")
  printf '%-14s %-5s %9s %9s %8s %10s %9s %8s %11s %11s %11s  %s\n' "$n" JPEG "$o_net" "$im" "$(ratio "$o_net" "$im")" \
    cjpeg "$cj" "$(ratio "$o_net" "$cj")" - - - "ours less a 1 x 1 save"
  # ImageMagick's own JPEG at quality 100: no chroma subsampling and
  # optimised tables, so other (larger) work and other bytes.
  im=$(minus "$(median "$times/$n.im-jpeg-default")" "$read_im")
  printf '%-14s %-5s %9s %9s %8s %10s %9s %8s %11s %11s %11s  %s\n' "$n" JPEG "$o" "$im" "$(ratio "$o" "$im")" \
    - - - "$(ours_size "$n" JPEG)" "$(stat -c %s "$saved/${n}_imdefault.jpg")" - "IM with its own defaults"
  # BMP
  o=$(ours "$n" BMP) plain=$(ours "$n" plain-write)
  printf '%-14s %-5s %9s %9s %8s %10s %9s %8s %11s %11s %11s\n' "$n" BMP "$o" - - "one write" "$plain" \
    "$(ratio "$o" "$plain")" "$(ours_size "$n" BMP)" - "$(ours_size "$n" plain-write)"
done
grep FAILED "$log_file" || true
[ "$ours_failed" = 0 ] || { echo "our benchmark reported a failure (see above)"; status=1; }
exit $status
