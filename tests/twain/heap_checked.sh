#!/usr/bin/env bash
# Runs a test program under Wine with heap checking and fails when the test
# fails or Wine saw a write past a heap block.
set -u
runner=$1 exe=$2
trace=$(mktemp)
WINEDEBUG=+heap "$runner" "$exe" --gtest_color=no 2>"$trace"
status=$?
if grep -q 'err:heap' "$trace"; then
  echo "heap errors:"; grep 'err:heap' "$trace" | head -20
  status=1
fi
rm -f "$trace"
exit $status
