#!/usr/bin/env bash
# Runs the capture benchmark under Wine: a whole-screen capture from the
# button-up message to the finished file, for each format with the default
# settings, on private screens of 1920 x 1080 and 3840 x 2160 that show a real
# desktop screen and then the photograph-like picture (the savers benchmark's
# pictures, set as the X screen's background), without and with the edge
# effect.
# Usage: tools/capture_bench/run_bench.sh [RUNS] (default 7; after
# scripts/test has built the tree).
set -euo pipefail
source "$(dirname "$0")/../bench_common.sh"
runs=${1:-7}
bench_start capture_bench.exe 1920x1080
bench_pictures
saved=$out/captures
mkdir -p "$saved"
status=0
for size in 1920x1080 3840x2160; do
  bench_screen "$size"
  for scene in desktop photo; do
    # display sets the background and leaves, with a status of 1 on this
    # server although the background is set.
    display -window root "$out/pictures/$scene-${size%x*}.bmp" || true
    for edge in "" --edge; do
      echo "== $scene on a $size screen${edge:+, edge effect} (under Wine, $run_arch) =="
      (cd "$out" && "$wine_loader" "$exe" --runs "$runs" $edge "$(wine_path "$saved")") || status=1
    done
  done
done
exit $status
