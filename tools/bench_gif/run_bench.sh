#!/usr/bin/env bash
# Runs the GIF benchmark under Wine and, in the same run, ImageMagick on the
# same pixels. Usage: tools/bench_gif/run_bench.sh (after scripts/test has
# built the tree; VORLIX_BUILD names the build folder as there).
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
choose_arch
dir=$(run_dir)
exe=$dir/bin/bench_gif.exe
[ -x "$exe" ] || { echo "build first: $exe is missing" >&2; exit 1; }
out=$dir/bench
mkdir -p "$out"
xvfb_pid=""
cleanup() {
  [ -n "${WINEPREFIX:-}" ] && "$wine_server" -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" >/dev/null 2>&1 || true
}
trap cleanup EXIT
start_xvfb
prepare_prefix "$dir/bench-wineprefix"
"$wine_server" -p

echo "== Vorlix GIF writer (under Wine, $run_arch) =="
(cd "$out" && "$wine_loader" "$exe")
ls -l "$out/bench_vorlix.gif" | awk '{print "SaveGIF file       " $5 " bytes"}'

magick=/usr/bin/convert
[ -x "$magick" ] || magick=convert
echo "== ImageMagick on the same picture (native) =="
for variant in "default:" "no dither:+dither"; do
  name=${variant%%:*}; opts=${variant#*:}
  start=$(date +%s.%N)
  # shellcheck disable=SC2086
  "$magick" "$out/bench_source.bmp" $opts -colors 256 "$out/bench_im.gif"
  end=$(date +%s.%N)
  printf 'convert (%s)%*s%.0f ms, %s bytes\n' "$name" $((10 - ${#name})) "" \
    "$(echo "($end - $start) * 1000" | bc)" "$(stat -c %s "$out/bench_im.gif")"
done
