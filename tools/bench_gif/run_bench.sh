#!/usr/bin/env bash
# Runs the GIF benchmark under Wine and, in the same run, ImageMagick on the
# same pixels (convert +dither -colors 256: no dither, like ours), and prints
# our median as a ratio of theirs, both files' sizes, their colour counts and
# their PSNR against the source.
# Usage: tools/bench_gif/run_bench.sh [picture.bmp] (after scripts/test has
# built the tree; without a picture a synthetic screenshot-like one is used).
set -euo pipefail
source "$(dirname "$0")/../bench_common.sh"
bench_start bench_gif.exe
runs=7
args=()
[ $# -gt 0 ] && args=("$(wine_path "$(bench_picture "$1")")")

echo "== Vorlix GIF writer (under Wine, $run_arch) =="
log_file=$out/bench_gif.log
(cd "$out" && "$wine_loader" "$exe" --runs "$runs" "${args[@]}") | tee "$log_file"

source_bmp=$out/bench_source.bmp ours_gif=$out/bench_vorlix.gif im_gif=$out/bench_im.gif
echo "== ImageMagick on the same pixels (native, $(identify -format '%w x %h' "$source_bmp")) =="
time_host "$runs" "$magick" "$source_bmp" +dither -colors 256 "$im_gif"
printf '%-40s median %8s ms   best %8s ms   (%d runs)\n' "convert +dither -colors 256 (in all)" "$median_ms" "$best_ms" "$runs"
im_all=$median_ms
time_host "$runs" "$magick" "$source_bmp" null:
printf '%-40s median %8s ms   best %8s ms   (%d runs)\n' "convert reading the BMP alone" "$median_ms" "$best_ms" "$runs"
im_save=$(echo "scale=1; $im_all - $median_ms" | bc)

psnr() { "$compare_tool" -metric PSNR "$source_bmp" "$1" null: 2>&1 || true; }
colours() { identify -format '%k' "$1[0]"; }
ours=$(median_of "SaveGIF in all" "$log_file")
echo "== Side by side (medians) =="
printf '%-12s %10s %10s %10s\n' "" "bytes" "colours" "PSNR dB"
printf '%-12s %10s %10s %10s\n' "source" "-" "$(colours "$source_bmp")" "-"
printf '%-12s %10s %10s %10s\n' "Vorlix" "$(stat -c %s "$ours_gif")" "$(colours "$ours_gif")" "$(psnr "$ours_gif")"
printf '%-12s %10s %10s %10s\n' "ImageMagick" "$(stat -c %s "$im_gif")" "$(colours "$im_gif")" "$(psnr "$im_gif")"
echo "SaveGIF / ImageMagick in all:                $ours / $im_all ms = $(ratio "$ours" "$im_all")"
echo "SaveGIF / ImageMagick without reading the BMP: $ours / $im_save ms = $(ratio "$ours" "$im_save")"
echo "size, Vorlix / ImageMagick:                  $(ratio "$(stat -c %s "$ours_gif")" "$(stat -c %s "$im_gif")")"
