#!/usr/bin/env bash
# Cancel (with the right button) and the system close command end the program
# and leave the settings file as it was, byte for byte; a held OK shows its
# pressed picture and saves when released off the button.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/dialog_lib.sh"

# A hand-edited file with notes and another section.
{ printf '; mine\r\n[Other]\r\nx=1\r\n'; dlg_bytes "BGM区分= 1" "形状= 1" "色の転換= 20"; } >"$DLG_INI"
cp "$DLG_INI" "$LVX_T/before.ini"

change_everything() {
    dlg_click 1 C0 45 66     # music file
    dlg_click 1 C1 14 14     # random size
    dlg_click 1 C2 98 18     # to white
    dlg_click 1 C4 14 10     # square
    read -r x y <<<"$(dlg_point C2 146 53)"
    xdotool mousemove "$x" "$y" click --repeat 3 --delay 40 1   # interval down
}

lvx_check "the dialog opens" dlg_open c
change_everything
dlg_click 3 B 470 292        # cancel, right button
lvx_check "cancel ends the program" dlg_wait_closed c 10
lvx_expect_eq "cancel ends with exit code 0" 0 "$LVX_EXIT"
lvx_check "cancel leaves the file unchanged" cmp -s "$LVX_T/before.ini" "$DLG_INI"

lvx_check "the dialog opens again" dlg_open s
change_everything
lvx_helper close "$DLG_CAPTION" >/dev/null
lvx_check "the system close command ends the program" dlg_wait_closed s 10
lvx_check "closing leaves the file unchanged" cmp -s "$LVX_T/before.ini" "$DLG_INI"

lvx_check "the dialog opens a third time" dlg_open k
dlg_click 1 C4 14 30         # the circle, already chosen; then the square
dlg_click 1 C4 53 10
read -r x y <<<"$(dlg_point B 370 292)"
xdotool mousemove "$x" "$y" mousedown 1
sleep 0.4
held=$(lvx_shot ok_held)
released=$(dlg_pixel "$held" B 470 300)  # the cancel button, released
pressed=$(dlg_pixel "$held" B 370 300)
lvx_check "a held OK shows the lighter picture ($pressed against $released)" \
    test $((16#${pressed:0:2} + 16#${pressed:2:2})) -gt $((16#${released:0:2} + 16#${released:2:2} + 60))
lvx_check "nothing is saved while OK is held" cmp -s "$LVX_T/before.ini" "$DLG_INI"
read -r x y <<<"$(dlg_point B 250 150)"
xdotool mousemove "$x" "$y" mouseup 1
lvx_check "OK released off the button still ends the program" dlg_wait_closed k 10
{ printf '; mine\r\n[Other]\r\nx=1\r\n'
  dlg_bytes "BGM区分= 1" "形状= 0" "色の転換= 20" "BGMﾘﾋﾟｰﾄ= 0" "BGMﾌｧｲﾙ=" "ﾋﾟｸﾁｬのｻｲｽﾞ= 214" "ｻｲｽﾞﾗﾝﾀﾞﾑ= 0" \
      "ｸﾞﾗﾃﾞｰｼｮﾝ= 1" "背景色ﾗﾝﾀﾞﾑ= 0" "背景色= 0"; } >"$LVX_T/after.ini"
lvx_check "it saved into the hand-edited file, keeping its other lines" cmp "$LVX_T/after.ini" "$DLG_INI"
