#!/usr/bin/env bash
# The exit codes of our test main, which ctest turns into passed, skipped or
# failed: skipped tests without failures end with the skip code, a failure
# beside a skipped test still ends as a failure.
# Usage: check_skip_codes.sh WINE-RUN PROBE.EXE SKIP-CODE
set -uo pipefail
wine_run=$1 probe=$2 skip=$3
failed=0
expect() {  # what, wanted exit code, arguments...
  local what=$1 wanted=$2; shift 2
  local got try
  # Wine's own loader has been seen to die by a signal (exit 128+n) starting
  # a process on a loaded machine, before the probe ran; that says nothing
  # about the probe's exit code, so such a start is tried again.
  for try in 1 2 3; do
    "$wine_run" "$probe" --gtest_color=no "$@" >/dev/null 2>&1
    got=$?
    [ "$got" -lt 128 ] && break
  done
  if [ "$got" -ne "$wanted" ]; then echo "FAIL: $what: exit code $got, expected $wanted"; failed=1; fi
}
expect "all passed" 0 --gtest_filter=Probe.Passes
expect "one skipped, none failed" "$skip"
expect "one skipped, one failed" 1 --gtest_also_run_disabled_tests
expect "no test ran" 1 --gtest_filter=Nothing.Here
exit $failed
