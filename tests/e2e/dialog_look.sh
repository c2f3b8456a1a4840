#!/usr/bin/env bash
# The settings dialog at 96 dpi as the user sees it: its size, the texture
# over every panel, and pictures that follow the stored settings.
# Screenshot: dialog_look/dialog.png (with a frame drawn by Wine).
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/dialog_lib.sh"

# Wine draws the caption and frame itself for this screenshot.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
trap 'status=$?; wine reg delete "HKCU\\Software\\Wine\\X11 Driver" /v Managed /f >/dev/null 2>&1; (exit $status); lvx_finish' EXIT

dlg_ini "BGM区分= 2" "BGMﾘﾋﾟｰﾄ= 3" "BGMﾌｧｲﾙ=C:\\音楽\\夜の曲.mp3" "ｻｲｽﾞﾗﾝﾀﾞﾑ= 1" "色の転換= 30" \
    "ｸﾞﾗﾃﾞｰｼｮﾝ= 0" "背景色ﾗﾝﾀﾞﾑ= 0" "背景色= 65280" "形状= 1"
lvx_check "the dialog opens" dlg_open d
lvx_expect_eq "the client area is the 537 x 325 background panel" "537 325" "$DLG_W $DLG_H"
lvx_expect_eq "the dialog lays out for 96 dpi" "96" "$(lvx_helper dpi)"
lvx_check "the dialog is centred" test $((DLG_X + DLG_W / 2 - 512)) -ge -4 -a $((DLG_X + DLG_W / 2 - 512)) -le 4
shot=$(lvx_shot dialog)

for panel in "B 537 325" "C0 397 133" "C1 97 57" "C2 293 73" "C3 97 41" "C4 97 45"; do
    lvx_check "the texture covers panel ${panel%% *} to its last row and column" dlg_textured "$shot" $panel
done
lvx_expect_eq "the radio marks show music file, to white, circle" "2 0 1" "$(dlg_radios "$shot")"
lvx_check "random size is set (blue box)" dlg_blue "$(dlg_pixel "$shot" C1 14 14)"
lvx_check "random background is clear (white box)" dlg_white "$(dlg_pixel "$shot" C3 14 14)"
lvx_expect_eq "the swatch shows the stored colour" "00ff00" "$(dlg_pixel "$shot" C3 74 18)"

# Enabled states: with a music file only the browse button works.
controls=$(lvx_helper controls "$DLG_CAPTION")
lvx_expect_eq "the combo box is disabled and shows the stored track" "ComboBox 0 116 76 41 21 3" "$(grep ComboBox <<<"$controls")"
caption_white=$(lvx_colours "$shot" 60 12 $((DLG_X + 132)) $((DLG_Y + 110)) | awk '$2 == "ffffff" {print $1}')
lvx_check "the browse caption is drawn in white, not greyed (${caption_white:-0} pixels)" test "${caption_white:-0}" -gt 20

# The hand over exactly the items that take the mouse; elsewhere the arrow.
arrow=$(cursor_at B 300 100)
hand=$(cursor_at C1 40 14)
lvx_check "the pointer changes over an option" test -n "$hand" -a "$hand" != "$arrow"
for spot in "C0 18 42 Img_BGM(1)" "C0 45 66 lbl_BGM(2)" "C0 146 72 lbl_Button(2)" "C2 244 18 lbl_Gra(2)" \
    "C2 150 18 Img_Gra(1)" "C4 53 10 lbl_Shape(0)" "C4 14 30 Img_Shape(1)" "C1 14 14 Img_P_Rdm" \
    "C1 18 32 Scroll_Size" "C2 146 50 Scroll_Intv" "C3 74 18 lbl_B_C" "C3 40 14 lbl_B_Rdm" "C3 14 14 Img_B_Rdm" \
    "B 60 298 lbl_URL" "B 370 292 lbl_Button(0)" "B 470 292 lbl_Button(1)"; do
    read -r panel x y what <<<"$spot"
    lvx_expect_eq "the hand over $what" "$hand" "$(cursor_at "$panel" "$x" "$y")"
done
for spot in "C0 120 42 the_disabled_combo_box" "C0 170 42 lbl(2)" "C0 240 100 lbl_Fname" "B 60 27 a_heading" \
    "C4 30 10 Shape1" "B 330 281 the_button_picture_above_its_caption" "C2 30 18 lbl(8)"; do
    read -r panel x y what <<<"$spot"
    lvx_expect_eq "the arrow over ${what//_/ }" "$arrow" "$(cursor_at "$panel" "$x" "$y")"
done
