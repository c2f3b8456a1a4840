#!/usr/bin/env bash
# The running saver as the user sees it: twelve pictures on the 4 x 3 grid
# over the chosen background, square or round, turning; a key ends it, a
# click on a picture ends it, a click beside the pictures does not.
source "$(dirname "$0")/lib.sh"
lvx_hold_pointer

# Magenta never appears in a gradient towards black whose first colour has
# at least 48 of green, so every pixel of that colour is background.
back=ff00ff
size=200

# ---- squares; a key press ends the saver
lvx_move 512 384
dir=$(lvx_saver_folder "ﾋﾟｸﾁｬのｻｲｽﾞ= $size" "背景色= 16711935" "ｸﾞﾗﾃﾞｰｼｮﾝ= 1" "色の転換= 100" "形状= 0")
lvx_start_saver s "$dir" "/s"
lvx_check "the saver turns" lvx_wait_passes 10 20
sleep 0.3
shot=$(lvx_shot squares)
lvx_expect_eq "exactly twelve pictures of $size x $size differ from the background" \
    $((12 * size * size)) "$(lvx_non_background "$shot" $back)"
for i in $(seq 0 11); do
    # 1024 x 768: cells of 256 x 256, each picture 28 pixels in from its cell.
    x=$(((i % 4) * 256 + 28)) y=$(((i / 4) * 256 + 28))
    lvx_expect_eq "picture $i fills ($x, $y)-($((x + size - 1)), $((y + size - 1)))" \
        "$((size * size)) 0" \
        "$(lvx_non_background "$shot" $back $size $size $x $y) $(lvx_non_background "$shot" $back $((size + 2)) 1 $((x - 1)) $((y - 1)))"
done
sleep 0.3
later=$(lvx_shot squares-later)
changed=$(compare -metric AE "$shot" "$later" null: 2>&1)
lvx_check "two screenshots 0.3 s apart differ (the gradients turn): $changed pixels" test "$changed" -gt 1000
lvx_expect_eq "the background stays" 0 "$(lvx_non_background "$later" $back 28 768 0 0)"

lvx_key a
start=$(date +%s%N)
while [ "$(lvx_pixel "$(lvx_shot after-key)" 128 128)" != 000000 ]; do
    [ $(($(date +%s%N) - start)) -lt 3000000000 ] || break
done
lvx_check "a key clears the screen within a second ($((($(date +%s%N) - start) / 1000000)) ms)" \
    test $(($(date +%s%N) - start)) -lt 1000000000
lvx_check "a key ends the process" lvx_wait_exit s 8
echo "  ended $LVX_WAITED_MS ms after the screen cleared"
lvx_expect_eq "exit code" 0 "$LVX_EXIT"

# ---- circles; clicks
# The pointer stands on the row 6 pixels below the top of the middle
# pictures, beside picture 6: there a circle is only 68 pixels wide, so a
# move along the row reaches both a corner of the square and the circle.
lvx_move 520 290
dir=$(lvx_saver_folder "ﾋﾟｸﾁｬのｻｲｽﾞ= $size" "背景色= 16711935" "ｸﾞﾗﾃﾞｰｼｮﾝ= 1" "色の転換= 100" "形状= 1")
lvx_start_saver c "$dir" ""
lvx_check "the round saver turns" lvx_wait_passes 10 20
sleep 0.3
shot=$(lvx_shot circles)
count=$(lvx_non_background "$shot" $back)
# 12 discs of diameter 200: 12 * pi * 100^2 = 376991, give or take the edge.
lvx_check "twelve discs of diameter $size differ from the background ($count pixels)" \
    test "$count" -gt 372000 -a "$count" -lt 382000
for i in 0 5 11; do
    x=$(((i % 4) * 256 + 28)) y=$(((i / 4) * 256 + 28))
    lvx_expect_eq "picture $i: corners show the background, the centre does not" \
        "$back $back $back $back no" \
        "$(lvx_pixel "$shot" $x $y) $(lvx_pixel "$shot" $((x + size - 1)) $y) $(lvx_pixel "$shot" $x $((y + size - 1))) $(lvx_pixel "$shot" $((x + size - 1)) $((y + size - 1))) $([ "$(lvx_pixel "$shot" $((x + 100)) $((y + 100)))" = $back ] && echo yes || echo no)"
done
lvx_expect_eq "the square's corner at (545, 290) is background" $back "$(lvx_pixel "$shot" 545 290)"

lvx_click 520 290
sleep 1
lvx_check "a click on the background does not end the saver" lvx_alive c
lvx_click 545 290
sleep 1
lvx_check "a click in a circle's corner is a click on the background" lvx_alive c
passes=$(lvx_passes)
lvx_click 640 290
lvx_check "a click on a picture ends the saver" lvx_wait_exit c 8
lvx_expect_eq "exit code" 0 "$LVX_EXIT"
lvx_check "it had kept turning through the background clicks ($passes passes)" test "${passes:-0}" -gt 60
