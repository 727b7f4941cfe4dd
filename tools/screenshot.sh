#!/usr/bin/env bash
# Makes a real screenshot for the benchmarks: a private 1920 x 1080 Xvfb
# screen with a Wine desktop, a file manager, the Wine configuration dialog and
# a text in Notepad, taken with ImageMagick's import and written as a 24-bit
# BMP. With --photo, a drawing in a picture viewer is on the screen too (many
# more colours). Nothing of it is kept in the repository: the pictures are
# made where the benchmarks run.
# Usage: tools/screenshot.sh OUT.bmp [--photo]   (after scripts/test has built the tree)
set -euo pipefail
out=$(realpath -m "$1")
photo=${2:-}
source "$(dirname "$0")/../scripts/lib.sh"
choose_arch
work=$(mktemp -d)
xvfb_pid="" viewer_pid=""
cleanup() {
  [ -n "$viewer_pid" ] && kill "$viewer_pid" >/dev/null 2>&1 || true
  [ -n "${WINEPREFIX:-}" ] && "$wine_server" -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

numfile=$work/display
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$numfile" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$numfile" ] && break; sleep 0.1; done
export DISPLAY=":$(tr -d '[:space:]' <"$numfile")"

prepare_prefix "$(run_dir)/screenshot-wineprefix"
"$wine_server" -p
reg_dword() { "$wine_loader" reg add "$1" /v "$2" /t REG_DWORD /d "$3" /f >/dev/null 2>&1; }
notepad='HKCU\Software\Microsoft\Notepad'
reg_dword "$notepad" iWindowPosX 40
reg_dword "$notepad" iWindowPosY 30
reg_dword "$notepad" iWindowPosDX 900
reg_dword "$notepad" iWindowPosDY 700
text=$work/notes.txt
cp /usr/share/common-licenses/GPL-3 "$text" 2>/dev/null || man -P cat bash 2>/dev/null | head -300 >"$text"

# One Wine desktop of the screen's size holds the Windows programs, with a
# task bar, as a Windows screen would.
desktop() { ("$wine_loader" explorer /desktop=shot,1920x1080 "$@" >/dev/null 2>&1 &); }
desktop winefile
sleep 3
desktop winecfg
sleep 2
(cd "$work" && desktop notepad notes.txt)
sleep 2
if [ "$photo" = --photo ]; then
  display -geometry +1150+420 wizard: >/dev/null 2>&1 &
  viewer_pid=$!
fi
sleep 5
import -window root "$work/shot.png"
convert "$work/shot.png" -type TrueColor BMP3:"$out"
echo "$out: $(identify -format '%w x %h, %k colours' "$out")"
