#!/usr/bin/env bash
# Monitors and the display's power. With one monitor the saver opens no
# cover. While the display is off (as Vista and later tell it, or as older
# systems do) the rotation loop draws nothing; when it comes back the
# pictures turn on; timers and every way of ending keep working meanwhile.
source "$(dirname "$0")/lib.sh"
lvx_hold_pointer

lvx_expect_eq "Wine here shows one monitor" "0 0 1024 768" "$(lvx_helper monitors)"

# passes_in MS: how many passes the saver makes in MS milliseconds.
passes_in() {
    lvx_helper passes "$1" | awk '/^passes/ {a = $2} /^rate/ {r = $2} END {printf "%d\n", r * '"$1"' / 1000}'
}

lvx_move 512 384
dir=$(lvx_saver_folder "ﾋﾟｸﾁｬのｻｲｽﾞ= 150" "色の転換= 0" "背景色ﾗﾝﾀﾞﾑ= 1")
lvx_start_saver s "$dir" "/s"
lvx_check "the saver turns" lvx_wait_passes 10 20
lvx_expect_eq "with one monitor there is no cover" "" "$(lvx_helper covers)"

for how in pbt sc; do
    lvx_check "display off ($how) is taken" lvx_helper display off $how
    sleep 0.3
    off=$(passes_in 1500)
    lvx_expect_eq "no pass while the display is off ($how)" 0 "$off"
    before=$(lvx_pixel "$(lvx_shot off-$how-1)" 2 2)
    sleep 1.2
    after=$(lvx_pixel "$(lvx_shot off-$how-2)" 2 2)
    lvx_check "the colour timer still runs while it is off ($before, then $after)" test "$before" != "$after"
    lvx_check "display on ($how) is taken" lvx_helper display on $how
    sleep 0.3
    on=$(passes_in 1500)
    lvx_check "passes come again once it is back ($on in 1.5 s)" test "$on" -gt 30
done

# Older systems may never say "on" when input wakes the display: a move along
# one axis (which does not end the saver) brings the pictures back after
# their "off", while the newer notification's "off" holds until its "on".
lvx_helper display off sc
sleep 0.3
lvx_expect_eq "off by the older message" 0 "$(passes_in 1000)"
lvx_move_by 3 0
sleep 0.3
on=$(passes_in 1500)
lvx_check "a move along one axis brings the passes back ($on in 1.5 s)" test "$on" -gt 30
lvx_helper display off pbt
sleep 0.3
lvx_move_by -3 3
sleep 0.3
lvx_expect_eq "the newer notification's off outlasts input" 0 "$(passes_in 1000)"
lvx_helper display on pbt
sleep 0.3

lvx_helper display off pbt
sleep 0.3
lvx_expect_eq "off once more" 0 "$(passes_in 1000)"
lvx_key space
lvx_check "a key still ends the saver while the display is off" lvx_wait_exit s 8
lvx_expect_eq "exit code" 0 "$LVX_EXIT"

# And the pointer: off by the older systems' message, then a move on both axes.
lvx_move 512 384
lvx_start_saver m "$dir" ""
lvx_check "the saver turns again" lvx_wait_passes 10 20
lvx_helper display off sc
sleep 0.3
lvx_move_by 3 3
lvx_check "a pointer moved on both axes ends it while the display is off" lvx_wait_exit m 8
