#!/usr/bin/env bash
# Runs the saver for N minutes (default 10) under Wine with new colours every
# second, random sizes, circles and an MP3 looping, and prints memory, handle
# count and passes per second at the start, every minute and at the end.
# Nothing may grow: ends with "stable" (exit 0) or "GREW" (exit 1).
# Not part of the test run.
set -uo pipefail
minutes=${1:-10}
source "$(dirname "$0")/saver-probe.sh"
trap 'probe_stop; rm -rf "$PROBE_T"' EXIT

probe_display "${LVX_SIZE:-1024x768}"
music="$PROBE_T/loop tone.mp3"
sox -n -r 44100 -c 2 -b 16 "$PROBE_T/tone.wav" synth 7 sine 330 vol 0.2 2>/dev/null
lame --quiet -b 128 "$PROBE_T/tone.wav" "$music"
music_cp932=$(probe_win_path "$music")
dir=$(probe_folder "BGM区分= 2" "BGMﾌｧｲﾙ=$music_cp932" "色の転換= 0" "ｻｲｽﾞﾗﾝﾀﾞﾑ= 1" "形状= 1" "背景色ﾗﾝﾀﾞﾑ= 1")
probe_start "$dir" /s
sleep 10

sample() {  # label
    local cpu rate
    read -r cpu rate <<<"$(probe_cpu 3)"
    echo "$1: $(probe_memory) passes/s $rate cpu% $cpu"
}
first=$(sample "start")
echo "$first"
for m in $(seq 1 "$minutes"); do
    sleep $((60 - 5))
    line=$(sample "minute $m")
    echo "$line"
done
last=$line

# Handles and memory at the end against the start (working set and RSS may
# move a little with the system's paging; 1 MiB of slack).
grew=$(awk -v a="$first" -v b="$last" 'BEGIN {
    n = split(a, x, " "); split(b, y, " ");
    for (i = 1; i < n; i++) v[x[i]] = x[i + 1];
    for (i = 1; i < n; i++) w[y[i]] = y[i + 1];
    out = "";
    if (w["handles"] > v["handles"]) out = out " handles";
    if (w["pagefile"] > v["pagefile"] + 1024) out = out " pagefile";
    if (w["rss"] > v["rss"] + 1024) out = out " rss";
    print out }')
probe_end || echo "the saver did not end on a key" >&2
if [ -z "$grew" ]; then echo "stable"; else echo "GREW:$grew"; exit 1; fi
