#!/usr/bin/env bash
# Runs the auto-scroll stitching benchmark under Wine on a private display
# and, on the same pixels, ImageMagick joining the stitched image from strips
# of the benchmark's line height (convert -crop WIDTHx20 +repage -append), and
# prints our time as a ratio of theirs for each document length.
# Usage: tools/scroll_bench/run_bench.sh (after scripts/test has built the tree).
set -euo pipefail
source "$(dirname "$0")/../bench_common.sh"
bench_start scroll_bench.exe
echo "== auto-scroll stitching (under Wine, $run_arch) =="
log_file=$out/scroll_bench.log
rm -f "$out"/stitched-*.bgra
status=0
(cd "$out" && SCROLL_BENCH_DUMP=1 "$wine_loader" "$exe") | tee "$log_file" || status=$?

runs=5 line=20
# Debian's ImageMagick policy stops at images 16,384 pixels high: a policy of
# the benchmark's own lets the 40,000-row image through.
mkdir -p "$out/magick"
cat >"$out/magick/policy.xml" <<'POLICY'
<policymap>
  <policy domain="resource" name="height" value="1MP"/>
  <policy domain="resource" name="area" value="4GP"/>
  <policy domain="resource" name="memory" value="2GiB"/>
  <policy domain="resource" name="disk" value="4GiB"/>
</policymap>
POLICY
export MAGICK_CONFIGURE_PATH=$out/magick
echo "== ImageMagick joining the same pixels from ${line}-row strips (native, best of $runs) =="
printf '%-7s %10s %12s %14s %16s %12s\n' rows "ours ms" "IM ms" "IM reading ms" "IM joining ms" "ours / IM"
for rows in 2500 10000 40000; do
  f=$(ls "$out"/stitched-"$rows"x*.bgra 2>/dev/null | head -1) || true
  [ -n "$f" ] || { echo "$rows: no stitched image was left by the benchmark"; status=1; continue; }
  width=${f##*x}; width=${width%.bgra}
  time_host "$runs" "$magick" -size "${width}x${rows}" -depth 8 "bgra:$f" -crop "${width}x${line}" +repage -append null:
  im_all=$best_ms
  time_host "$runs" "$magick" -size "${width}x${rows}" -depth 8 "bgra:$f" null:
  im_read=$best_ms
  im_join=$(echo "scale=1; $im_all - $im_read" | bc)
  ours=$(awk -v r="$rows" '$1 == "marker" && $2 == r && NF == 8 { print $4; exit }' "$log_file")
  printf '%-7s %10s %12s %14s %16s %12s\n' "$rows" "$ours" "$im_all" "$im_read" "$im_join" "$(ratio "$ours" "$im_join")"
done
rm -f "$out"/stitched-*.bgra
exit $status
