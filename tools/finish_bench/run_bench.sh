#!/usr/bin/env bash
# Runs the finishing benchmark under Wine and, in the same run, ImageMagick's
# blur (-blur 8x3: radius 8, sigma 3, the same kernel width as ours) on the
# same pixels, and prints our median as a ratio of theirs.
# Usage: tools/finish_bench/run_bench.sh [picture.bmp] (after scripts/test has
# built the tree; without a picture a synthetic 1920 x 1080 one is used).
set -euo pipefail
source "$(dirname "$0")/../bench_common.sh"
bench_start finish_bench.exe
runs=15
args=()
[ $# -gt 0 ] && args=("$(wine_path "$(bench_picture "$1")")")

echo "== Vorlix finishing (under Wine, $run_arch) =="
log_file=$out/finish_bench.log
(cd "$out" && "$wine_loader" "$exe" --runs "$runs" --save finish_result.bmp --source finish_source.bmp \
  "${args[@]}") | tee "$log_file"

# ImageMagick gets the very pixels ours blurred: the 24-bit source.
source_bmp=$out/finish_source.bmp
echo "== ImageMagick on the same picture (native, $(identify -format '%w x %h' "$source_bmp")) =="
time_host 5 "$magick" "$source_bmp" -blur 8x3 "BMP3:$out/im_blur.bmp"
printf '%-40s median %8s ms   best %8s ms   (5 runs)\n' "convert -blur 8x3 (read, blur, write)" "$median_ms" "$best_ms"
im_blur=$median_ms
time_host 5 "$magick" "$source_bmp" "BMP3:$out/im_copy.bmp"
printf '%-40s median %8s ms   best %8s ms   (5 runs)\n' "convert alone (read, write)" "$median_ms" "$best_ms"
im_io=$median_ms
im_only=$(echo "scale=1; $im_blur - $im_io" | bc)
ours=$(median_of "GaussianBlur radius 3, 24 bits" "$log_file")
echo "== Ratios (medians) =="
echo "GaussianBlur / ImageMagick's -blur 8x3:            $ours / $im_blur ms = $(ratio "$ours" "$im_blur")"
echo "GaussianBlur / ImageMagick's blur without file I/O: $ours / $im_only ms = $(ratio "$ours" "$im_only")"
