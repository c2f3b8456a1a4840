#!/usr/bin/env bash
# A random size change shows at once: circles of random size, new sizes every
# second, screenshots taken as fast as they come (about 25 ms apart); no
# screenshot may show pictures of two sizes at once.
source "$(dirname "$0")/lib.sh"
lvx_hold_pointer

back=ff00ff
lvx_move 512 384
dir=$(lvx_saver_folder "ｻｲｽﾞﾗﾝﾀﾞﾑ= 1" "背景色= 16711935" "ｸﾞﾗﾃﾞｰｼｮﾝ= 1" "色の転換= 0" "形状= 1")
lvx_start_saver s "$dir" "/s"
lvx_check "the saver turns" lvx_wait_passes 10 20

# Raw shots first, looked at afterwards, so that they come close together.
end=$(($(date +%s%N) + 4500000000))
n=0
while [ "$(date +%s%N)" -lt "$end" ]; do
    xwd -root -silent >"$LVX_T/shot-$n.xwd"
    n=$((n + 1))
    sleep 0.02
done
lvx_key a
lvx_wait_exit s 8

# sizes SHOT: the width of each picture along its cell's middle row (a
# circle is as wide there as it is tall), twelve numbers.
sizes() {
    convert "$1" \( -clone 0 -crop 1024x1+0+128 \) \( -clone 0 -crop 1024x1+0+384 \) \
        \( -clone 0 -crop 1024x1+0+640 \) -delete 0 -append +repage -depth 8 txt:- |
        awk -v back="$back" -F'[ ,:]+' 'NR > 1 {
            c = tolower(substr($0, index($0, "#") + 1, 6)); x = $1; y = $2
            cell = y * 4 + int(x / 256)
            if (c != back) w[cell]++
        } END { for (i = 0; i < 12; i++) printf "%d ", w[i]; print "" }'
}
mixed=0
distinct=""
for ((i = 0; i < n; i++)); do
    read -r -a w <<<"$(sizes "xwd:$LVX_T/shot-$i.xwd")"
    lo=${w[0]} hi=${w[0]}
    for v in "${w[@]}"; do
        [ "$v" -lt "$lo" ] && lo=$v
        [ "$v" -gt "$hi" ] && hi=$v
    done
    # The same circle may differ by a pixel where its edge meets the row.
    [ $((hi - lo)) -gt 2 ] && { mixed=$((mixed + 1)); cp "$LVX_T/shot-$i.xwd" "$LVX_SHOTS/mixed-$i.xwd"; }
    distinct="$distinct $lo"
done
sizes_seen=$(tr ' ' '\n' <<<"$distinct" | grep -v '^$' | sort -un | wc -l)
echo "  $n screenshots in 4.5 s, $sizes_seen picture sizes seen"
lvx_check "screenshots come at least every 40 ms ($n in 4.5 s)" test "$n" -ge 110
lvx_check "the size changed during the shots ($sizes_seen sizes)" test "$sizes_seen" -ge 3
lvx_expect_eq "no screenshot shows two picture sizes at once" 0 "$mixed"
