#!/usr/bin/env bash
# Options of the settings dialog driven with the mouse: toggles with any
# button, a double click that toggles once, the spinners run to their ends,
# typed text in the combo box; Enter and Escape do nothing; OK then writes
# exactly the ten keys.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/dialog_lib.sh"

rm -f "$DLG_INI"
lvx_check "the dialog opens without a settings file" dlg_open d

dlg_click 1 C1 40 14        # lbl_P_Rdm, left: random size on
dlg_click 3 C3 14 14        # Img_B_Rdm, right: random background on
read -r x y <<<"$(dlg_point C3 40 14)"
xdotool mousemove "$x" "$y" click --repeat 2 --delay 60 1   # lbl_B_Rdm, double click: off again
sleep 0.3
dlg_click 2 C0 45 42        # lbl_BGM(1), middle: audio CD
dlg_click 1 C2 206 18       # Img_Gra(2)
dlg_click 3 C4 46 30        # lbl_Shape(1), right
shot=$(lvx_shot toggled)
lvx_expect_eq "the radio marks follow the presses" "1 2 1" "$(dlg_radios "$shot")"
lvx_check "random size shows set" dlg_blue "$(dlg_pixel "$shot" C1 14 14)"
lvx_check "random background shows clear after a press and a double click" dlg_white "$(dlg_pixel "$shot" C3 14 14)"
controls=$(lvx_helper controls "$DLG_CAPTION")
lvx_expect_eq "audio CD enables the combo box" "1" "$(awk '$1 == "ComboBox" {print $2}' <<<"$controls")"
lvx_expect_eq "the enabled combo box shows the hand" "$(cursor_at C1 40 14)" "$(cursor_at C0 110 42)"

# A track typed into the combo box, longer than the box is wide: it scrolls
# rather than dropping what does not fit.
dlg_click 1 C0 112 42
xdotool key BackSpace BackSpace space 1 2 3 4 5
sleep 0.2
lvx_expect_eq "the combo box holds the typed track" "12345" "$(lvx_helper controls "$DLG_CAPTION" | awk '$1 == "ComboBox" {print $7}')"

# The interval spinner's up arrow well past 60, the size spinner's down arrow
# well past its bottom (128 on a 1024-pixel screen).
read -r x y <<<"$(dlg_point C2 146 40)"
xdotool mousemove "$x" "$y" click --repeat 60 --delay 15 1
read -r x y <<<"$(dlg_point C1 18 45)"
xdotool mousemove "$x" "$y" click --repeat 100 --delay 15 1
# Positions count down from the top value: 0 is the top, 128 = 256 - 128 the bottom.
lvx_expect_eq "the spinners stop at 128 pixels and 60 seconds" "128 0" "$(dlg_wait_scroll "128 0")"

# Enter and Escape, over the dialog and with the combo box focused: nothing.
read -r x y <<<"$(dlg_point B 300 100)"
xdotool mousemove "$x" "$y" key Return Escape
dlg_click 1 C0 112 42
xdotool key Return Escape
sleep 0.5
lvx_check "Enter and Escape leave the dialog open" dlg_is_open
lvx_check "Enter and Escape write nothing" test ! -e "$DLG_INI"

dlg_click 1 B 370 292       # OK
lvx_check "OK ends the program" dlg_wait_closed d 15
echo "  ended $LVX_WAITED_MS ms after the press"
lvx_expect_eq "OK ends with exit code 0" 0 "$LVX_EXIT"
dlg_expect_ini "the file holds exactly the ten keys" \
    "BGM区分= 1" "BGMﾘﾋﾟｰﾄ= 12345" "BGMﾌｧｲﾙ=" "ﾋﾟｸﾁｬのｻｲｽﾞ= 128" "ｻｲｽﾞﾗﾝﾀﾞﾑ= 1" "色の転換= 60" \
    "ｸﾞﾗﾃﾞｰｼｮﾝ= 2" "背景色ﾗﾝﾀﾞﾑ= 0" "背景色= 0" "形状= 1"
