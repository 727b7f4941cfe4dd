#!/usr/bin/env bash
# Makes a real picture for the benchmarks on this machine, written as a 24-bit
# BMP. Nothing of it is kept in the repository: the pictures are made where the
# benchmarks run. The screens are taken with ImageMagick's import from a
# private Xvfb screen of the given size running real programs:
#   desktop   a Wine desktop with a file manager (winefile), the Wine
#             configuration dialog and a text in Notepad
#   terminal  an xterm listing a folder in colour and showing a manual page
#   files     Wine's file manager filling the screen with a folder's details
#   web       a page of giflib's HTML manual in the NetSurf browser
#   photo     not a screen: a photograph-like picture (ImageMagick's plasma
#             fractal, fixed seed, softened like a camera's optics)
# At widths above 2000 pixels the screen is set up as a 200 % screen is
# (Wine's 192 dpi, doubled fonts and browser scale), as such screens are used.
# Usage: tools/screenshot.sh OUT.bmp [SCENE] [WIDTHxHEIGHT]
#   (default desktop 1920x1080; after scripts/test has built the tree)
set -euo pipefail
out=$(realpath -m "$1")
scene=${2:-desktop}
size=${3:-1920x1080}
width=${size%x*} height=${size#*x}
source "$(dirname "$0")/../scripts/lib.sh"

case $scene in
  photo)
    convert -seed 7 -size "${width}x${height}" plasma:fractal -blur 0x1 -type TrueColor BMP3:"$out"
    echo "$out: $(identify -format '%w x %h, %k colours' "$out")"
    exit 0
    ;;
  desktop | terminal | files | web) ;;
  *) echo "unknown scene $scene" >&2; exit 2 ;;
esac

scale=1
[ "$width" -gt 2000 ] && scale=2
choose_arch
work=$(mktemp -d)
xvfb_pid="" pids=()
cleanup() {
  local p
  for p in "${pids[@]}"; do kill "$p" >/dev/null 2>&1 || true; done
  [ -n "${WINEPREFIX:-}" ] && "$wine_server" -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

numfile=$work/display
Xvfb -displayfd 3 -screen 0 "${width}x${height}x24" -nolisten tcp 3>"$numfile" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$numfile" ] && break; sleep 0.1; done
export DISPLAY=":$(tr -d '[:space:]' <"$numfile")"

text=$work/notes.txt
cp /usr/share/common-licenses/GPL-3 "$text" 2>/dev/null || man -P cat bash 2>/dev/null | head -300 >"$text"

wine_scene() {
  prepare_prefix "$(run_dir)/screenshot-wineprefix"
  "$wine_server" -p
  reg() { "$wine_loader" reg add "$1" /v "$2" /t "$3" /d "$4" /f >/dev/null 2>&1; }
  reg 'HKCU\Control Panel\Desktop' LogPixels REG_DWORD $((96 * scale))
  local notepad='HKCU\Software\Microsoft\Notepad'
  reg "$notepad" iWindowPosX REG_DWORD $((40 * scale))
  reg "$notepad" iWindowPosY REG_DWORD $((30 * scale))
  reg "$notepad" iWindowPosDX REG_DWORD $((900 * scale))
  reg "$notepad" iWindowPosDY REG_DWORD $((700 * scale))
  # One Wine desktop of the screen's size holds the Windows programs, as a
  # Windows screen would.
  desktop() { ("$wine_loader" explorer "/desktop=shot,${width}x${height}" "$@" >/dev/null 2>&1 &); }
  if [ "$scene" = desktop ]; then
    desktop winefile
    sleep 3
    desktop winecfg
    sleep 2
    (cd "$work" && desktop notepad notes.txt)
  else
    # The file manager maximised on a full folder, its details shown.
    reg 'HKCU\Software\Wine\WineFile' start_x REG_DWORD 0
    reg 'HKCU\Software\Wine\WineFile' start_y REG_DWORD 0
    reg 'HKCU\Software\Wine\WineFile' width REG_DWORD "$width"
    reg 'HKCU\Software\Wine\WineFile' height REG_DWORD "$height"
    desktop winefile 'Z:\usr\bin\'
    sleep 5
    # The right pane shows the opened folder once its tree item is chosen
    # again.
    xdotool key Down sleep 0.5 key Up
  fi
  sleep 6
}

case $scene in
  desktop | files) wine_scene ;;
  terminal)
    # A folder listed in colour, then a manual page, on a dark terminal.
    listing=$work/listing.sh
    cat >"$listing" <<'SH'
ls -l --color=always /usr/share/doc | head -40
man -P cat ls 2>/dev/null | head -60 || true
exec sleep 600
SH
    xterm -geometry 400x200+0+0 -bg '#1e1e28' -fg '#d8d8d8' -fa 'DejaVu Sans Mono' -fs $((11 * scale)) \
      -e bash "$listing" >/dev/null 2>&1 &
    pids+=($!)
    sleep 4
    ;;
  web)
    page=/usr/share/doc/giflib-tools/html/gif_lib.html
    [ -f "$page" ] || page=/usr/share/netsurf/licence.html
    mkdir -p "$work/home"
    HOME=$work/home GDK_SCALE=$scale netsurf-gtk --window_x=0 --window_y=0 \
      --window_width=$((width / scale)) --window_height=$((height / scale)) --scale=$((100 * scale)) \
      "file://$page" >/dev/null 2>&1 &
    pids+=($!)
    sleep 6
    ;;
esac
import -window root "$work/shot.png"
convert "$work/shot.png" -type TrueColor BMP3:"$out"
echo "$out: $(identify -format '%w x %h, %k colours' "$out")"
