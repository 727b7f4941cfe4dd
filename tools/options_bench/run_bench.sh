#!/usr/bin/env bash
# Times the opening of the options dialog under Wine (tools/options_bench):
# the build's Vorlix.exe, and beside it any other builds' programs named on
# the command line (for example a copy of an older build's bin folder), in
# one run on the same settings. Usage: tools/options_bench/run_bench.sh
# [OTHER/Vorlix.exe]... (after scripts/test has built the tree).
set -euo pipefail
source "$(dirname "$0")/../bench_common.sh"
bench_start options_bench.exe
# No window manager runs on the private display.
"$wine_loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
programs=("$(wine_path "$(dirname "$exe")/Vorlix.exe")")
for p in "$@"; do programs+=("$(wine_path "$(realpath "$p")")"); done
echo "== Opening the options dialog (under Wine, $run_arch) =="
"$wine_loader" "$exe" "${programs[@]}"
