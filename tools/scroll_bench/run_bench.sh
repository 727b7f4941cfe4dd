#!/usr/bin/env bash
# Runs the auto-scroll stitching benchmark under Wine on a private display.
# Usage: tools/scroll_bench/run_bench.sh (after scripts/test has built the
# tree; VORLIX_BUILD names the build folder as there).
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
choose_arch
dir=$(run_dir)
exe=$dir/bin/scroll_bench.exe
[ -x "$exe" ] || { echo "build first: $exe is missing" >&2; exit 1; }
xvfb_pid=""
cleanup() {
  [ -n "${WINEPREFIX:-}" ] && "$wine_server" -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" >/dev/null 2>&1 || true
}
trap cleanup EXIT
start_xvfb
prepare_prefix "$dir/bench-wineprefix"
"$wine_server" -p
"$wine_loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
echo "== auto-scroll stitching (under Wine, $run_arch) =="
"$wine_loader" "$exe"
