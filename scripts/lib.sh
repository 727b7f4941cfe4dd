# Shared by scripts/run and scripts/test: choosing the architecture, building,
# and a private Wine prefix and display.

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VORLIX_BUILD:-$top/build}
deps=${VORLIX_DEPS:-$build/deps}
export VORLIX_BUILD=$build VORLIX_DEPS=$deps

log() { printf '[%s] %s\n' "$(basename "$0")" "$*"; }

# The program is 32-bit. Where this machine cannot run 32-bit x86 code at all,
# the same sources built for x86_64 run under wine64 instead.
choose_arch() {
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    run_arch=i686; wine_loader=/usr/lib/wine/wine; wine_server=/usr/lib/wine/wineserver32; wine_arch=win32
  else
    run_arch=x86_64; wine_loader=/usr/lib/wine/wine64; wine_server=/usr/lib/wine/wineserver64; wine_arch=win64
  fi
  export VORLIX_WINE=$wine_loader WINELOADER=$wine_loader WINESERVER=$wine_server
}

# configure ARCH DIR [extra cmake args]: configures every time, so that the
# options given now hold even in a folder another command configured first
# (a re-run in a configured folder takes a second or two).
configure() {
  local arch=$1 dir=$2; shift 2
  cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-$arch.cmake" \
    -DVORLIX_DEPS_PREFIX="$deps/$arch/prefix" "$@" >/dev/null
}

# configure_and_build ARCH DIR [extra cmake args]
configure_and_build() {
  configure "$@"
  cmake --build "$2"
}

# The build whose programs this machine runs: build/ itself for i686,
# build/x86_64 otherwise.
run_dir() { if [ "$run_arch" = i686 ]; then echo "$build"; else echo "$build/x86_64"; fi; }

# Xvfb picks a free display number itself (-displayfd), so that several test
# runs can start at once without taking the same number.
start_xvfb() {
  local numfile
  numfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -screen 1 1280x1024x24 -nolisten tcp 3>"$numfile" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$numfile" ] && break; sleep 0.1; done
  export DISPLAY=":$(tr -d '[:space:]' <"$numfile")"
  rm -f "$numfile"
}

# Wine's environment for the program, the tests and the benchmarks: quiet,
# and without the Mono and Gecko installers (which would offer downloads).
# Without Gecko, Wine's help viewer shows a help file's contents, index and
# search, but not its pages.
wine_environment() {
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=$wine_arch
}

# The Wine settings the program's behaviour under Wine rests on, written into
# the prefix in WINEPREFIX by one registry import (one Wine process instead
# of one per value). The first argument says whether a window manager runs on
# the display ("yes" or "no"); the second may hold further lines of the
# import (a key in brackets, then its values).
apply_wine_settings() {
  local managed=$1 extra=${2:-} file
  file=$(mktemp --suffix=.reg)
  {
    echo REGEDIT4
    echo '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]'
    # Without a window manager Wine waits two seconds for one each time a
    # window hides (a closing dialog, the freeze window after a selection),
    # which stalls the program's only thread; with one, Wine's windows are
    # managed by it as usual.
    if [ "$managed" = yes ]; then echo '"Managed"=-'; else echo '"Managed"="N"'; fi
    # Chinese glyphs: the dialog fonts link to SimSun for them, which this
    # machine has under another name (fonts-wqy-microhei).
    echo '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]'
    for f in SimSun NSimSun "Microsoft YaHei"; do echo "\"$f\"=\"WenQuanYi Micro Hei\""; done
    # A window the program brings to the front gets there.
    echo '[HKEY_CURRENT_USER\Control Panel\Desktop]'
    echo '"ForegroundLockTimeout"=dword:00000000'
    # A machine without sound: no audio driver, so that every notice sound
    # (handed to the system all the same) does not print the sound library's
    # complaints about the missing card.
    echo '[HKEY_CURRENT_USER\Software\Wine\Drivers]'
    if grep -qs '^ *[0-9]' /proc/asound/cards || [ -n "${PULSE_SERVER:-}" ] ||
       [ -S "${XDG_RUNTIME_DIR:-/nonexistent}/pulse/native" ]; then
      echo '"Audio"=-'
    else
      echo '"Audio"=""'
    fi
    [ -z "$extra" ] || printf '%s\n' "$extra"
  } >"$file"
  "$wine_loader" regedit /S "Z:${file//\//\\}" >/dev/null 2>&1 || true
  rm -f "$file"
}

# A private prefix under the build folder, made from a pristine template that
# is created once (wineboot takes 10 to 40 s).
prepare_prefix() {
  local dir=$1 template=$1-template
  wine_environment
  export HOME=$build/home
  mkdir -p "$HOME"
  if [ ! -f "$template/system.reg" ]; then
    rm -rf "$template"
    WINEPREFIX=$template "$wine_loader" wineboot -i >/dev/null 2>&1
    WINEPREFIX=$template "$wine_server" -w
  fi
  rm -rf "$dir"
  cp -a "$template" "$dir"
  export WINEPREFIX=$dir
}
