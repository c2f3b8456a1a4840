#!/usr/bin/env bash
# The mouse rule: a pointer moved along one axis only never ends the saver,
# however far; the first position apart from the start on both axes does.
source "$(dirname "$0")/lib.sh"
lvx_hold_pointer

lvx_move 512 384
dir=$(lvx_saver_folder "ﾋﾟｸﾁｬのｻｲｽﾞ= 150" "色の転換= 100")
lvx_start_saver s "$dir" "/s"
lvx_check "the saver turns" lvx_wait_passes 10 20
for at in "900 384" "0 384" "512 384" "512 0" "512 767" "512 384"; do
    lvx_move $at
    sleep 0.25
done
lvx_check "moves along one axis only leave the saver running" lvx_alive s
# An ended saver's process lives about 2 s on (Wine waits for a window
# manager), so being alive proves little: it must still be turning.
before=$(lvx_passes)
sleep 0.5
lvx_check "and it keeps turning" test "$(lvx_passes)" -gt "${before:-0}"
lvx_move_by 1 1
lvx_check "one pixel on both axes ends it" lvx_wait_exit s 8
lvx_expect_eq "exit code" 0 "$LVX_EXIT"
