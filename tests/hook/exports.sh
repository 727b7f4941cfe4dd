#!/usr/bin/env bash
# The libraries export exactly the plain names the program binds (no stdcall
# @n decoration), in this build's architecture.
# Usage: exports.sh OBJDUMP DLL=NAME,NAME,... [DLL=NAMES ...]
set -euo pipefail
objdump=$1
shift
passed=0 failed=0
for spec in "$@"; do
  dll=${spec%%=*}
  want=$(tr ',' '\n' <<<"${spec#*=}" | sort)
  got=$("$objdump" -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed -n 's/^\s*\[ *[0-9]*\] //p' | sort)
  if [ "$got" = "$want" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "exports of $dll differ (- wanted, + found):"
    diff <(echo "$want") <(echo "$got") || true
  fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
