#!/usr/bin/env bash
# Compiles the help (vorlix.hhp and the pages beside it) into OUTPUT-FILE
# with chmcmd, Free Pascal's CHM compiler. chmcmd writes into the folder it
# runs in and leaves a part-written file behind when it fails, so it runs in
# a scratch folder and only a complete file is moved into place.
# Usage: compile.sh OUTPUT-FILE
set -euo pipefail
out=$1
project=$(cd "$(dirname "$0")" && pwd)/vorlix.hhp
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if ! (cd "$work" && chmcmd "$project" >log.txt 2>&1); then
  cat "$work/log.txt" >&2
  exit 1
fi
mv "$work/Vorlix.chm" "$out"
