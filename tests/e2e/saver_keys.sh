#!/usr/bin/env bash
# With audio-CD music the Left and Right keys step tracks and the saver goes
# on; any other key ends it. Without CD music the arrows end it like any key.
source "$(dirname "$0")/lib.sh"
lvx_hold_pointer

lvx_move 512 384
dir=$(lvx_saver_folder "BGM区分= 1" "ﾋﾟｸﾁｬのｻｲｽﾞ= 150")
lvx_start_saver cd "$dir" "/s"
lvx_check "the saver with CD music turns" lvx_wait_passes 10 20
lvx_key Left Right Right Left
sleep 1.5
lvx_check "Left and Right do not end the saver with CD music" lvx_alive cd
before=$(lvx_passes)
sleep 0.5
lvx_check "and it keeps turning" test "$(lvx_passes)" -gt "${before:-0}"
lvx_key Up
lvx_check "Up ends it" lvx_wait_exit cd 8

dir=$(lvx_saver_folder "BGM区分= 0" "ﾋﾟｸﾁｬのｻｲｽﾞ= 150")
lvx_start_saver none "$dir" "/s"
lvx_check "the saver without music turns" lvx_wait_passes 10 20
lvx_key Right
lvx_check "without CD music Right ends the saver" lvx_wait_exit none 8
