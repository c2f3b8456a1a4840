#!/usr/bin/env bash
# Measures the running saver under Wine: passes per second, the share of one
# core its process uses (also while the display is off), and the time from the
# process's start to the first frame on screen, at 1024 x 768 and 1920 x 1080 (LVX_SIZES to change), with
# the default settings. Not part of the test run. Figures taken while the
# machine is busy with other work are high.
set -uo pipefail
usage() { echo "usage: bash scripts/pacing.sh   (reads LVX_SIZES, LVX_DISPLAY)"; }
if [ $# -gt 0 ]; then
  case "$1" in
    -h|--help) usage; exit 0 ;;
    *) echo "pacing.sh: unknown argument '$1'" >&2; usage >&2; exit 2 ;;
  esac
fi
source "$(dirname "$0")/saver-probe.sh"
trap 'probe_stop; rm -rf "$PROBE_T"' EXIT

for size in ${LVX_SIZES:-1024x768 1920x1080}; do
    probe_display "$size"
    # What any program pays to start and end under Wine here: the argument
    # text /x ends the saver at once.
    dir=$(probe_folder)
    probe_helper firstframe "$(probe_win_path "$dir")\\Lumvex_K47.scr" /x 0 0 >"$dir/x.out"
    baseline=$(awk '/^exit/ {print $2}' "$dir/x.out")
    # The first frame: a pixel inside picture 0 leaves the screen's black.
    w=${size%x*}
    PROBE_X=$((w / 8)) PROBE_Y=$(( ${size#*x} / 6 ))
    export PROBE_X PROBE_Y
    dir=$(probe_folder)
    probe_start "$dir" /s
    sleep 3
    read -r cpu rate <<<"$(probe_cpu 5)"
    window=$(awk '/^window/ {print $2}' "$dir/run.out")
    frame=$(awk '/^frame/ {print $2}' "$dir/run.out")
    echo "$size: $rate passes/s, $cpu% of one core; window shown ${window} ms and first frame ${frame} ms after the process started (a program that ends at once: ${baseline} ms)"
    # The display switched off (as Vista and later tell it), then back on.
    probe_helper display off pbt
    sleep 0.5
    read -r cpu rate <<<"$(probe_cpu 5)"
    probe_helper display on pbt
    sleep 0.5
    read -r cpu2 rate2 <<<"$(probe_cpu 3)"
    echo "$size: display off: $rate passes/s, $cpu% of one core; back on: $rate2 passes/s, $cpu2%"
    probe_end || echo "$size: the saver did not end on a key" >&2
    probe_stop
done
