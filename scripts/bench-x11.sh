#!/usr/bin/env bash
# Benchmark of the X11 hack (not a timed test): lumvex-k47 with the default
# settings on a 1920 x 1080 Xvfb for 20 s, then two minimal stand-ins at the
# same rate: one that only puts twelve 400-px MIT-SHM images per frame, and
# one that also fills them anew in memory every frame (the floor for drawing
# them). Prints for each the CPU share of one core of the program and of the
# X server, and the frames per second; for the hack also its first frame
# after start, and its ratios to the fill stand-in.
# LVX_BENCH_SECONDS changes the run time.
set -euo pipefail
usage() { echo "usage: bash scripts/bench-x11.sh   (reads LVX_BENCH_SECONDS, default 20)"; }
if [ $# -gt 0 ]; then
  case "$1" in
    -h|--help) usage; exit 0 ;;
    *) echo "bench-x11.sh: unknown argument '$1'" >&2; usage >&2; exit 2 ;;
  esac
fi
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
B="$ROOT/build/x11"
SECONDS_RUN=${LVX_BENCH_SECONDS:-20}

bash "$ROOT/scripts/deps.sh" || echo "deps.sh failed: going on with what is installed" >&2
[ -f "$B/build.ninja" ] || cmake -S "$ROOT" -B "$B" -G Ninja -DLVX_TESTS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
echo "building lumvex-k47 (release) and the stand-in ..." >&2
cmake --build "$B" --target lumvex-k47 >/dev/null
HACK="$B/src/saver/x11/lumvex-k47"
STANDIN="$B/standin"
cc -O2 -o "$STANDIN" "$ROOT/tools/bench-x11/standin.c" -lX11 -lXext

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
HZ=$(getconf CLK_TCK)

# Runs one program on a fresh Xvfb; prints "cpu-program cpu-x".
measure() {  # name, command...
  local name=$1; shift
  local n=181
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
  local xvfb=$!
  for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  sleep 0.3
  local x0 t0 p0 pid x1 t1 p1
  x0=$(ticks "$xvfb"); t0=$(date +%s%N)
  DISPLAY=":$n" "$@" >"$B/bench-$name.log" 2>&1 &
  pid=$!
  sleep 0.05; p0=0
  sleep "$SECONDS_RUN"
  p1=$(ticks "$pid"); x1=$(ticks "$xvfb"); t1=$(date +%s%N)
  kill -TERM "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  kill "$xvfb"; wait "$xvfb" 2>/dev/null || true
  awk -v p=$((p1 - p0)) -v x=$((x1 - x0)) -v hz="$HZ" -v ns=$((t1 - t0)) \
    'BEGIN { s = ns / 1e9; printf "%.1f %.1f\n", 100 * p / hz / s, 100 * x / hz / s }'
}

echo "measuring lumvex-k47 for ${SECONDS_RUN} s on a 1920 x 1080 Xvfb ..." >&2
read -r hack_cpu hack_x < <(measure hack "$HACK" -root -fps)
hack_fps=$(grep -o '[0-9.]* fps' "$B/bench-hack.log" | tail -n +3 | awk '{s += $1; n++} END {if (n) printf "%.1f", s / n; else print "?"}')
first=$(grep -o 'first frame [0-9.]* ms' "$B/bench-hack.log" | grep -o '[0-9.]*' || echo "?")
echo "measuring the put-only stand-in for ${SECONDS_RUN} s ..." >&2
read -r st_cpu st_x < <(measure standin "$STANDIN" "$((SECONDS_RUN + 5))")
echo "measuring the fill stand-in for ${SECONDS_RUN} s ..." >&2
read -r fi_cpu fi_x < <(measure standin-fill "$STANDIN" "$((SECONDS_RUN + 5))" fill)

awk -v hc="$hack_cpu" -v hx="$hack_x" -v hf="$hack_fps" -v sc="$st_cpu" -v sx="$st_x" -v fc="$fi_cpu" -v fx="$fi_x" \
    -v first="$first" 'BEGIN {
  printf "%-12s %9s %9s %9s %6s\n", "", "program", "X server", "sum", "fps"
  printf "%-12s %8.1f%% %8.1f%% %8.1f%% %6s\n", "lumvex-k47", hc, hx, hc + hx, hf
  printf "%-12s %8.1f%% %8.1f%% %8.1f%% %6s\n", "put only", sc, sx, sc + sx, "60"
  printf "%-12s %8.1f%% %8.1f%% %8.1f%% %6s\n", "fill + put", fc, fx, fc + fx, "60"
  if (sc + sx > 0) printf "hack / put-only stand-in (program + X server): %.2f\n", (hc + hx) / (sc + sx)
  if (fc > 0) printf "hack / fill stand-in, program alone: %.2f\n", hc / fc
  if (fc + fx > 0) printf "hack / fill stand-in, program + X server: %.2f\n", (hc + hx) / (fc + fx)
  printf "first frame of the hack: %s ms after its start\n", first
}'
