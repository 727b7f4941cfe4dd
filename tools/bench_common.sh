# Shared by the benchmark scripts (sourced): the build's Wine on a private
# display and prefix, host commands timed the same way as ours, and the
# figures put side by side.

source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"

# The real ImageMagick, not a wrapper that may stand in front of it.
magick=/usr/bin/convert
[ -x "$magick" ] || magick=convert
compare_tool=/usr/bin/compare
[ -x "$compare_tool" ] || compare_tool=compare

# bench_start EXE_NAME [WIDTHxHEIGHT]: checks the build, starts Xvfb (with
# one screen of the given size, else the tests' screens) and wineserver in a
# fresh prefix; sets exe (the benchmark) and out (a folder for its files).
bench_start() {
  choose_arch
  local dir
  dir=$(run_dir)
  exe=$dir/bin/$1
  [ -x "$exe" ] || { echo "build first (scripts/test): $exe is missing" >&2; exit 1; }
  out=$dir/bench
  mkdir -p "$out"
  xvfb_pid=""
  trap bench_stop EXIT
  if [ -n "${2:-}" ]; then bench_screen "$2"; else start_xvfb; fi
  prepare_prefix "$dir/bench-wineprefix"
  "$wine_server" -p
  # No window manager runs on the private display: without this every
  # closing window costs two seconds.
  "$wine_loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
  echo "machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg); ours: $run_arch under $("$wine_loader" --version)"
}

# bench_screen WIDTHxHEIGHT: a private Xvfb display of one screen of that
# size in place of the one running (Wine's server is started again, since
# it keeps the screen's size).
bench_screen() {
  [ -n "${WINEPREFIX:-}" ] && "$wine_server" -k >/dev/null 2>&1 || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" >/dev/null 2>&1 || true
  local numfile
  numfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "${1}x24" -nolisten tcp 3>"$numfile" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$numfile" ] && break; sleep 0.1; done
  export DISPLAY=":$(tr -d '[:space:]' <"$numfile")"
  rm -f "$numfile"
  [ -n "${WINEPREFIX:-}" ] && "$wine_server" -p || true
}

# bench_pictures: the pictures of the savers' benchmarks, made on this
# machine by tools/screenshot.sh the first time (into $out/pictures) and
# kept there: real screens of a desktop, a terminal, a file list and a web
# page, and a photograph-like picture, each at 1920 x 1080 and 3840 x 2160.
# Sets pictures (their paths, 1920 ones first).
bench_pictures() {
  local dir=$out/pictures scene size file
  mkdir -p "$dir"
  pictures=()
  for size in 1920x1080 3840x2160; do
    for scene in desktop terminal files web photo; do
      file=$dir/$scene-${size%x*}.bmp
      [ -s "$file" ] || "$(dirname "${BASH_SOURCE[0]}")/screenshot.sh" "$file" "$scene" "$size" >&2
      pictures+=("$file")
    done
  done
}

bench_stop() {
  [ -n "${WINEPREFIX:-}" ] && "$wine_server" -k >/dev/null 2>&1 || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" >/dev/null 2>&1 || true
}

# bench_picture FILE: the picture's full path, checked to be a readable BMP.
bench_picture() {
  local file
  file=$(realpath "$1")
  identify "$file" >/dev/null 2>&1 || { echo "cannot read the picture $1" >&2; exit 1; }
  echo "$file"
}

# wine_path FILE: the name Wine's programs know a host file by.
wine_path() { local p=$1; echo "Z:${p//\//\\}"; }

# time_host RUNS COMMAND...: runs the command RUNS times; sets median_ms and
# best_ms (wall clock, like our own figures) and all_ms (every run's time).
# The clock is the shell's own (no process is started to read it).
time_host() {
  local runs=$1 i start end
  shift
  local times=()
  for ((i = 0; i < runs; ++i)); do
    start=${EPOCHREALTIME/[.,]/}
    "$@" >/dev/null
    end=${EPOCHREALTIME/[.,]/}
    times+=("$((end - start))")
  done
  mapfile -t times < <(printf '%s\n' "${times[@]}" | sort -n)
  all_ms=$(for t in "${times[@]}"; do echo "scale=2; $t / 1000" | bc; done | tr '\n' ' ')
  median_ms=$(echo "scale=1; ${times[$((runs / 2))]} / 1000" | bc)
  best_ms=$(echo "scale=1; ${times[0]} / 1000" | bc)
}

# median_of LABEL LOG: our median in ms from the benchmark's line starting
# with LABEL.
median_of() { grep -m1 "^$1" "$2" | sed -E 's/.*median +([0-9.]+) ms.*/\1/'; }

# ratio OURS THEIRS: ours as a fraction of theirs.
ratio() { echo "scale=3; $1 / $2" | bc | sed 's/^\./0./'; }
