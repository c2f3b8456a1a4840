#!/usr/bin/env bash
# Whole-program test of lumvex-k47 on screens whose visual is not 24-bit
# TrueColor, one screenshot each:
#  - depth 16 (5-6-5) with MIT-SHM, and depth 30 (10-10-10) without it
#    (plain XPutImage): twelve pictures in colour, the background asked for
#    in its right channels, status 0 on SIGTERM and nothing on stderr;
#  - depth 8 (PseudoColor, no colours of its own): refused with one line
#    that names the visual, status 1.
# The hack runs as the calling user on private Xvfb displays and only the
# processes started here are signalled.
# Usage: hack_depths.sh PATH/TO/lumvex-k47 [SHOTS_DIR]
# Prints "hack_depths: N passed, N failed"; status 0 when none failed.
set -uo pipefail
HACK=$(readlink -f "${1:?usage: hack_depths.sh lumvex-k47 [SHOTS_DIR]}")
WORK=$(mktemp -d /tmp/lvx-depths.XXXXXX)
SHOTS=${2:-$WORK}
mkdir -p "$SHOTS"
export ASAN_OPTIONS=detect_leaks=0
passed=0
failed=0
ok() { echo "ok: $*"; passed=$((passed + 1)); }
bad() { echo "FAILED: $*"; failed=$((failed + 1)); }

XVFB=""
# Starts Xvfb at a depth on the first free display from LVX_DISPLAY (or 164) on.
xvfb_start() {  # depth, extra Xvfb arguments...
  local depth=$1; shift
  local n=${LVX_DISPLAY:-164}
  n=${n#:}
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 "640x480x$depth" -nolisten tcp "$@" >/dev/null 2>&1 &
  XVFB=$!
  DISPLAY=":$n"
  for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$n" ] && return 0; sleep 0.1; done
  echo "Xvfb did not start on :$n at depth $depth"
  return 1
}
xvfb_stop() { kill "$XVFB" 2>/dev/null; wait "$XVFB" 2>/dev/null; XVFB=""; }
trap 'xvfb_stop; rm -rf "$WORK"' EXIT

# "R G B" of each point, 8 bits a channel, in one call.
pixels() {  # file, x,y ...
  local f=$1 fmt="" p
  shift
  for p in "$@"; do fmt+="%[pixel:p{$p}]\n"; done
  convert "$f" -depth 8 -format "$fmt" info: | sed -E 's/^[a-z]+a?\(([0-9]+),([0-9]+),([0-9]+).*/\1 \2 \3/'
}
near() {  # "R G B" "R G B" tolerance
  local a b
  read -r -a a <<<"$1"
  read -r -a b <<<"$2"
  [ "${#a[@]}" -eq 3 ] || return 1
  for i in 0 1 2; do
    local d=$((a[i] - b[i]))
    [ "${d#-}" -le "$3" ] || return 1
  done
}

# On a 640 x 480 screen the cells are 160 x 160: 100-px pictures leave each
# cell's corner to the background.
check_depth() {  # depth, tolerance, label, extra Xvfb arguments...
  local depth=$1 tol=$2 label=$3
  shift 3
  xvfb_start "$depth" "$@" || { bad "$label: no Xvfb"; return; }
  DISPLAY=$DISPLAY "$HACK" -root -size 100 -background '#336699' >"$WORK/$depth.log" 2>&1 &
  local hack=$!
  sleep 1.5
  local shot="$SHOTS/hack-depth$depth.png"
  DISPLAY=$DISPLAY xwd -root -silent | convert xwd:- "$shot"
  local points=() i
  for i in $(seq 0 11); do points+=("$(((i % 4) * 160 + 80)),$(((i / 4) * 160 + 80))"); done
  points+=("3,3" "163,163" "636,476")
  mapfile -t got < <(pixels "$shot" "${points[@]}")
  local missing=0 coloured=0
  for i in $(seq 0 11); do
    near "${got[i]}" "51 102 153" "$tol" && missing=$((missing + 1))
    read -r r g b <<<"${got[i]}"
    [ "$r" != "$g" ] || [ "$g" != "$b" ] && coloured=$((coloured + 1))
  done
  if [ "$missing" -eq 0 ] && [ "$coloured" -ge 6 ]; then ok "$label: twelve pictures in colour"
  else bad "$label: $missing pictures missing, $coloured in colour (${got[*]:0:12})"; fi
  if near "${got[12]}" "51 102 153" "$tol" && near "${got[13]}" "51 102 153" "$tol" &&
     near "${got[14]}" "51 102 153" "$tol"; then ok "$label: background #336699 as ${got[12]}"
  else bad "$label: background ${got[12]} / ${got[13]} / ${got[14]}, not near 51 102 153"; fi
  kill -TERM "$hack" 2>/dev/null
  wait "$hack"
  local rc=$?
  if [ "$rc" -eq 0 ] && [ ! -s "$WORK/$depth.log" ]; then ok "$label: status 0 on SIGTERM, stderr empty"
  else bad "$label: status $rc, stderr: $(head -3 "$WORK/$depth.log")"; fi
  xvfb_stop
}

# 5-6-5 keeps 5 or 6 bits a channel: within 8 of the 8-bit value.
check_depth 16 8 "depth 16, MIT-SHM"
check_depth 30 1 "depth 30, plain XPutImage" -extension MIT-SHM

if xvfb_start 8; then
  out=$(DISPLAY=$DISPLAY timeout 10 "$HACK" -root 2>&1 >/dev/null)
  rc=$?
  if [ "$rc" -eq 1 ] && [ "$(wc -l <<<"$out")" -eq 1 ] && grep -q "PseudoColor, depth 8" <<<"$out"; then
    ok "depth 8 PseudoColor refused: $out"
  else bad "depth 8: status $rc, \"$out\""; fi
  xvfb_stop
else
  bad "depth 8: no Xvfb"
fi

echo "hack_depths: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
