#!/usr/bin/env bash
# Runs the auto-scroll stitching benchmark under Wine on a private display.
# Usage: tools/scroll_bench/run_bench.sh (after scripts/test has built the tree).
set -euo pipefail
source "$(dirname "$0")/../bench_common.sh"
bench_start scroll_bench.exe
# No window manager: without this each closed test window costs two seconds.
"$wine_loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
echo "== auto-scroll stitching (under Wine, $run_arch) =="
"$wine_loader" "$exe"
