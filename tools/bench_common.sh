# Shared by the benchmark scripts (sourced): the build's Wine on a private
# display and prefix, host commands timed the same way as ours, and the
# figures put side by side.

source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"

# The real ImageMagick, not a wrapper that may stand in front of it.
magick=/usr/bin/convert
[ -x "$magick" ] || magick=convert
compare_tool=/usr/bin/compare
[ -x "$compare_tool" ] || compare_tool=compare

# bench_start EXE_NAME: checks the build, starts Xvfb and wineserver in a
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
  start_xvfb
  prepare_prefix "$dir/bench-wineprefix"
  "$wine_server" -p
  echo "machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg); ours: $run_arch under $("$wine_loader" --version)"
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
# best_ms (wall clock, like our own figures).
time_host() {
  local runs=$1 i start end
  shift
  local times=()
  for ((i = 0; i < runs; ++i)); do
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    times+=("$(( (end - start) / 1000 ))")
  done
  mapfile -t times < <(printf '%s\n' "${times[@]}" | sort -n)
  median_ms=$(echo "scale=1; ${times[$((runs / 2))]} / 1000" | bc)
  best_ms=$(echo "scale=1; ${times[0]} / 1000" | bc)
}

# median_of LABEL LOG: our median in ms from the benchmark's line starting
# with LABEL.
median_of() { grep -m1 "^$1" "$2" | sed -E 's/.*median +([0-9.]+) ms.*/\1/'; }

# ratio OURS THEIRS: ours as a fraction of theirs.
ratio() { echo "scale=3; $1 / $2" | bc | sed 's/^\./0./'; }
