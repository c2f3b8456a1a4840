#!/usr/bin/env bash
# A random size change shows at once: circles of random size, new sizes every
# second, the screen sampled every 25 ms; no sample may show pictures of two
# sizes at once.
source "$(dirname "$0")/lib.sh"
lvx_hold_pointer

back=ff00ff
lvx_move 512 384
dir=$(lvx_saver_folder "ｻｲｽﾞﾗﾝﾀﾞﾑ= 1" "背景色= 16711935" "ｸﾞﾗﾃﾞｰｼｮﾝ= 1" "色の転換= 0" "形状= 1")
lvx_start_saver s "$dir" "/s"
lvx_check "the saver turns" lvx_wait_passes 10 20

# The screen is read from inside Wine every 25 ms: the width of each picture
# along its cell's middle row (a circle is as wide there as it is tall).
lvx_helper sizes 5000 "$back" >"$LVX_T/sizes.txt"
lvx_key a
lvx_wait_exit s 8

n=$(grep -c . "$LVX_T/sizes.txt")
# The same circle may differ by a pixel where its edge meets the row.
mixed=$(awk '{lo = $1; hi = $1; for (i = 2; i <= 12; i++) { if ($i < lo) lo = $i; if ($i > hi) hi = $i }
             if (hi - lo > 2) m++ } END { print m + 0 }' "$LVX_T/sizes.txt")
sizes_seen=$(awk '{print $1}' "$LVX_T/sizes.txt" | sort -un | wc -l)
awk '{lo = $1; hi = $1; for (i = 2; i <= 12; i++) { if ($i < lo) lo = $i; if ($i > hi) hi = $i }
     if (hi - lo > 2) print "  mixed: " $0}' "$LVX_T/sizes.txt"
echo "  $n samples in 5 s, $sizes_seen picture sizes seen, $mixed with mixed sizes"
lvx_check "samples come every 25 ms or so ($n in 5 s)" test "$n" -ge 150
lvx_check "the size changed during the samples ($sizes_seen sizes)" test "$sizes_seen" -ge 3
lvx_expect_eq "no sample shows two picture sizes at once" 0 "$mixed"
