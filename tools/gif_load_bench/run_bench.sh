#!/usr/bin/env bash
# Times loading GIF files of 10,000, 100,000 and 400,000 one-pixel frames into
# the program's image class (under Wine) and, in the same run, giflib's giftext
# reading the same files (native), and prints the time per frame of both and
# our time as a ratio of theirs. Loading is linear when our time per frame
# stays flat from the smallest count to the largest.
# Usage: tools/gif_load_bench/run_bench.sh [FRAMES...] (after scripts/test has
# built the tree).
set -euo pipefail
source "$(dirname "$0")/../bench_common.sh"
bench_start gif_load_bench.exe
runs=5
counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(10000 100000 400000)

echo "== Vorlix GIF loader (under Wine, $run_arch) =="
log_file=$out/gif_load_bench.log
(cd "$out" && "$wine_loader" "$exe" --runs "$runs" "${counts[@]}") | tee "$log_file"

echo "== giftext on the same files (native) =="
printf '%10s %14s %14s %14s %10s\n' frames "ours ms" "giftext ms" "ours us/frame" "ratio"
for n in "${counts[@]}"; do
  time_host "$runs" giftext "$out/frames_$n.gif"
  ours=$(grep -m1 "^load *$n frames" "$log_file" | sed -E 's/.*median +([0-9.]+) ms.*/\1/')
  per=$(grep -m1 "^load *$n frames" "$log_file" | sed -E 's/.* ([0-9.]+) us per frame.*/\1/')
  printf '%10s %14s %14s %14s %10s\n' "$n" "$ours" "$median_ms" "$per" "$(ratio "$ours" "$median_ms")"
done
