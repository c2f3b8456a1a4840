#!/usr/bin/env bash
# Builds the benchmarks with release flags (no sanitizers), runs each several
# times and prints the minimum and the median of every figure:
#   native: the geometry of a 400 x 400 picture (0, 45, 315 degrees), its
#           colour table, the memory path's writing of its lines and a
#           fill of the same pixels (plain, and streamed as the pass's
#           stores are);
#   Wine:   Draw of twelve 400 x 400 pictures, as one pass of the saver,
#           through the pens and through the bitmap's memory, beside a plain
#           fill, with their ratios; back to back, and paced as the saver
#           draws (one pass, then the rest of a sixtieth of a second idle:
#           the "paced_" figures). Back to back, the pictures' 7.7 MB stay
#           in the cache, which favours the fill's plain stores over the
#           pass's streamed ones; paced, as in the saver, they do not.
# Not part of the test run. Figures taken while the machine is busy are
# noisy; the minimum is the least disturbed.
#   LVX_BENCH_RUNS  runs of each program (default 5)
set -euo pipefail
usage() { echo "usage: bash scripts/bench.sh   (reads LVX_BENCH_RUNS, LVX_DISPLAY)"; }
if [ $# -gt 0 ]; then
  case "$1" in
    -h|--help) usage; exit 0 ;;
    *) echo "bench.sh: unknown argument '$1'" >&2; usage >&2; exit 2 ;;
  esac
fi
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
B="$ROOT/build"
export LVX_ROOT="$ROOT"
runs="${LVX_BENCH_RUNS:-5}"
jobs=$(nproc)

bash "$ROOT/scripts/deps.sh"

configure() {  # dir, extra cmake args...
  local dir=$1; shift
  [ -f "$B/$dir/build.ninja" ] ||
    cmake -S "$ROOT" -B "$B/$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLVX_TESTS=OFF -DLVX_BENCH=ON "$@" >/dev/null
}
echo "== building the benchmarks with release flags (build/bench-native, build/bench-win64; about 1.5 minutes the first time)"
configure bench-native
configure bench-win64 -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-x86_64.cmake"
cmake --build "$B/bench-native" -j "$jobs" --target gradient_bench
cmake --build "$B/bench-win64" -j "$jobs" --target gradient_draw_timing

figures="$B/bench-figures.txt"
: >"$figures"

# Google Benchmark's console lines: NAME TIME UNIT CPU UNIT ITERATIONS ...; the CPU time is kept.
echo "== native benchmarks, $runs runs"
for i in $(seq 1 "$runs"); do
  echo "native run $i of $runs"
  "$B/bench-native/tests/render/gradient_bench" --benchmark_color=false --benchmark_min_time=0.2 \
    --benchmark_filter='PlanLines/400/|BlendColors|PaintLines|FillPixels|MemoryPass|ComposePass|FillPass' 2>/dev/null |
    awk '$1 ~ /^BM_/ { print "native " $1, $4, $5 }' >>"$figures"
done

source "$ROOT/scripts/wine-env.sh"
lvx_wine_prefix
lvx_xvfb_start
lvx_wineserver_start
trap 'lvx_wineserver_stop; lvx_xvfb_stop' EXIT
echo "== timing under Wine, $runs runs"
for i in $(seq 1 "$runs"); do
  echo "Wine run $i of $runs"
  "$ROOT/scripts/wine-exec.sh" "$B/bench-win64/tests/render/gradient_draw_timing.exe" 20 </dev/null |
    tr -d '\r' | awk 'NF == 3 && $1 !~ /^#/ { print "wine " $1, $2, $3 }' >>"$figures"
done

echo "$runs runs each; figure, minimum, median (raw figures in $figures)"
# Per figure, in the order first seen: the minimum and the median of its runs.
awk '{
  key = $1 " " $2
  if (!(key in count)) { order[++n] = key; unit[key] = $4 }
  values[key, ++count[key]] = $3
}
END {
  for (i = 1; i <= n; i++) {
    key = order[i]; c = count[key]
    for (j = 1; j <= c; j++) v[j] = values[key, j]
    for (j = 2; j <= c; j++) { x = v[j]; k = j - 1; while (k > 0 && v[k] > x) { v[k + 1] = v[k]; k-- } v[k + 1] = x }
    median = (c % 2) ? v[(c + 1) / 2] : (v[c / 2] + v[c / 2 + 1]) / 2
    printf "%-6s %-34s min %10.4f  median %10.4f  %s\n", substr(key, 1, index(key, " ") - 1), substr(key, index(key, " ") + 1), v[1], median, unit[key]
  }
}' "$figures"
