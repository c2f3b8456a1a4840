#!/usr/bin/env bash
# Runs the saver for N minutes (default 10) under Wine with new colours every
# second, random sizes, circles and an MP3 looping, and prints memory, handle
# count and passes per second at the start, every minute and at the end.
# Nothing may grow: the handle count must not rise, and memory must show no
# upward trend (least-squares slope over the samples above 100 KB a minute,
# a megabyte per ten minutes; single samples move up and down with the
# music's buffers). Ends with "stable" (exit 0) or "GREW: ..." (exit 1).
# LVX_SOAK_MUSIC=0 leaves the music out (to tell the saver's own memory from
# the music's). Not part of the test run.
set -uo pipefail
usage() { echo "usage: bash scripts/soak.sh [MINUTES]   (default 10; reads LVX_SIZE, LVX_SOAK_MUSIC, LVX_DISPLAY)"; }
case "${1:-10}" in
  -h|--help) usage; exit 0 ;;
  *[!0-9]*|0) echo "soak.sh: MINUTES must be a whole number above 0, not '$1'" >&2; usage >&2; exit 2 ;;
esac
[ $# -le 1 ] || { echo "soak.sh: one argument at most" >&2; usage >&2; exit 2; }
minutes=${1:-10}
source "$(dirname "$0")/saver-probe.sh"
trap 'probe_stop; rm -rf "$PROBE_T"' EXIT

probe_display "${LVX_SIZE:-1024x768}"
music="$PROBE_T/loop tone.mp3"
sox -n -r 44100 -c 2 -b 16 "$PROBE_T/tone.wav" synth 7 sine 330 vol 0.2 2>/dev/null
lame --quiet -b 128 "$PROBE_T/tone.wav" "$music"
music_cp932=$(probe_win_path "$music")
kind=2
[ "${LVX_SOAK_MUSIC:-1}" = 0 ] && kind=0
dir=$(probe_folder "BGM区分= $kind" "BGMﾌｧｲﾙ=$music_cp932" "色の転換= 0" "ｻｲｽﾞﾗﾝﾀﾞﾑ= 1" "形状= 1" "背景色ﾗﾝﾀﾞﾑ= 1")
probe_start "$dir" /s
sleep 10

sample() {  # label
    local cpu rate
    read -r cpu rate <<<"$(probe_cpu 3)"
    echo "$1: $(probe_memory) passes/s $rate cpu% $cpu"
}
first=$(sample "start")
echo "$first"
samples=("0 $first")
for m in $(seq 1 "$minutes"); do
    sleep $((60 - 5))
    line=$(sample "minute $m")
    echo "$line"
    samples+=("$m $line")
done

# Per field: the value at the start and the end, and the least-squares slope
# in units per minute.
verdict=$(printf '%s\n' "${samples[@]}" | awk '
    { t = $1; for (i = 2; i < NF; i++) if ($i ~ /^(handles|pagefile|rss)$/) v[$i, NR] = $(i + 1); tm[NR] = t; n = NR }
    function slope(f,   i, st, sv, stt, stv) {
        for (i = 1; i <= n; i++) { st += tm[i]; sv += v[f, i]; stt += tm[i] * tm[i]; stv += tm[i] * v[f, i] }
        return (n * stv - st * sv) / (n * stt - st * st)
    }
    END {
        out = "";
        if (v["handles", n] > v["handles", 1]) out = out " handles";
        if (n > 2 && slope("pagefile") > 100) out = out " pagefile";
        if (n > 2 && slope("rss") > 100) out = out " rss";
        printf "trend: pagefile %+.0f KB/min, rss %+.0f KB/min, handles %d -> %d\n", slope("pagefile"), slope("rss"), v["handles", 1], v["handles", n];
        print (out == "" ? "stable" : "GREW:" out)
    }')
probe_end || echo "the saver did not end on a key" >&2
echo "$verdict"
[ "$(tail -1 <<<"$verdict")" = stable ]
