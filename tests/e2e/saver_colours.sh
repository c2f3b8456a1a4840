#!/usr/bin/env bash
# Timer3: with ColorInterval 0 the pictures get new colours every second;
# with a long interval the turning alone keeps every picture's mean colour.
# Neither the background nor the pictures' places change.
source "$(dirname "$0")/lib.sh"
lvx_hold_pointer

# The mean colours of the twelve pictures of a screenshot, on one line: the
# 256 x 256 cells of the 1024 x 768 screen, less the 53-pixel margin around
# each 150-pixel picture.
means() {
    convert "$1" -crop 256x256 +repage -shave 53x53 \
        -format '%[fx:round(255*mean.r)] %[fx:round(255*mean.g)] %[fx:round(255*mean.b)] ' info:
}

# How far apart two lines of means are: the largest channel difference.
distance() {
    paste <(tr ' ' '\n' <<<"$1") <(tr ' ' '\n' <<<"$2") |
        awk 'NF == 2 { d = $1 - $2; if (d < 0) d = -d; if (d > m) m = d } END { print m + 0 }'
}

# watch NAME SECONDS: screenshots of the running saver for SECONDS; prints
# "CHANGES FIRST_AT_MS LAST_AT_MS" of the colour changes seen.
watch() {
    local start now shots=() times=() i
    start=$(date +%s%N)
    while now=$(date +%s%N); [ $((now - start)) -lt $(($2 * 1000000000)) ]; do
        i=${#shots[@]}
        xwd -root -silent >"$LVX_T/$1-$i.xwd"
        shots+=("$LVX_T/$1-$i.xwd")
        times+=($(((now - start) / 1000000)))
        sleep 0.15
    done
    local prev="" changes=0 first="" last="" m
    for i in "${!shots[@]}"; do
        m=$(means "${shots[$i]}")
        if [ -n "$prev" ] && [ "$(distance "$prev" "$m")" -gt 8 ]; then
            changes=$((changes + 1))
            first=${first:-${times[$i]}}
            last=${times[$i]}
        fi
        prev=$m
    done
    convert "${shots[-1]}" "$LVX_SHOTS/$1-last.png"
    echo "$changes ${first:-0} ${last:-0}"
}

for interval in 100 0; do
    lvx_move 512 384
    dir=$(lvx_saver_folder "ﾋﾟｸﾁｬのｻｲｽﾞ= 150" "ｸﾞﾗﾃﾞｰｼｮﾝ= 2" "色の転換= $interval" "背景色= 8405024")
    lvx_start_saver s "$dir" "/s"
    lvx_check "the saver turns (interval $interval)" lvx_wait_passes 10 20
    read -r changes first last <<<"$(watch interval$interval 5)"
    echo "  interval $interval: $changes colour changes, the first at $first ms, the last at $last ms"
    if [ "$interval" = 100 ]; then
        lvx_expect_eq "with ColorInterval 100 the turning pictures keep their colours for 5 s" 0 "$changes"
    else
        # A change every second: 4 or 5 in 5 s, evenly spread.
        lvx_check "with ColorInterval 0 the colours change every second ($changes in 5 s)" \
            test "$changes" -ge 4 -a "$changes" -le 6
        lvx_check "the changes are about a second apart" \
            test $(((last - first) / (changes > 1 ? changes - 1 : 1))) -gt 700 -a $(((last - first) / (changes > 1 ? changes - 1 : 1))) -lt 1300
    fi
    shot="$LVX_SHOTS/interval$interval-last.png"
    lvx_expect_eq "the background keeps its colour" 0 "$(lvx_non_background "$shot" 204080 53 768 0 0)"
    lvx_expect_eq "the pictures keep their places and size" "$((12 * 150 * 150))" "$(lvx_non_background "$shot" 204080)"
    lvx_key Escape
    lvx_check "Escape ends it" lvx_wait_exit s 8
done
