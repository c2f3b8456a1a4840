#!/usr/bin/env bash
# The settings dialog at 192 dpi: the same physical size (every position,
# size, the font and the art twice as large, drawn for that size), presses
# landing on the scaled items. Runs in a Wine session of its own: a copy of
# the project's prefix whose LogPixels is 192, on a private Xvfb large enough
# for a dialog of 1074 x 650 pixels, with its own Wine server.
# Screenshot: dialog_hidpi/dialog_192dpi.png.
: "${LVX_ROOT:?}"
base="${LVX_WINEPREFIX:-${LVX_BUILD:-$LVX_ROOT/build}/wineprefix}"
export LVX_WINEPREFIX="${LVX_BUILD:-$LVX_ROOT/build}/wineprefix-192dpi"
if [ ! -f "$LVX_WINEPREFIX/.lvx-192dpi" ]; then
    # The project's prefix must exist first; this one is a copy of it.
    ( export LVX_WINEPREFIX="$base" && source "$LVX_ROOT/scripts/wine-env.sh" && lvx_wine_prefix )
    rm -rf "$LVX_WINEPREFIX"
    cp -a "$base" "$LVX_WINEPREFIX"
    touch "$LVX_WINEPREFIX/.lvx-192dpi"
fi
unset DISPLAY
export LVX_SCREEN=2048x1536x24
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/dialog_lib.sh"
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 192 /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
# The helper read the DPI when it started.
lvx_serve_stop
lvx_serve_start
DLG_DPI=192

dlg_ini "BGM区分= 1" "BGMﾘﾋﾟｰﾄ= 12" "ｸﾞﾗﾃﾞｰｼｮﾝ= 0" "形状= 0" "背景色ﾗﾝﾀﾞﾑ= 1" "背景色= 16711680"
lvx_check "the dialog opens" dlg_open d
lvx_expect_eq "the dialog lays out for 192 dpi" "192" "$(lvx_helper dpi)"
lvx_expect_eq "the client area is twice 537 x 325" "1074 650" "$DLG_W $DLG_H"
shot=$(lvx_shot dialog_192dpi)
for panel in "B 537 325" "C0 397 133" "C1 97 57" "C2 293 73" "C3 97 41" "C4 97 45"; do
    lvx_check "the texture covers panel ${panel%% *} to its last row and column" dlg_textured "$shot" $panel
done
lvx_expect_eq "the radio marks show audio CD, to white, square" "1 0 0" "$(dlg_radios "$shot")"
lvx_check "random background is set (blue box)" dlg_blue "$(dlg_pixel "$shot" C3 14 14)"
lvx_expect_eq "the swatch shows blue" "0000ff" "$(dlg_pixel "$shot" C3 74 18)"
lvx_expect_eq "the combo box sits at its doubled place and size, enabled, with its track" \
    "ComboBox 1 232 152 82 42 12" "$(lvx_helper controls "$DLG_CAPTION" | grep ComboBox)"
# The art is drawn for the size, not stretched: inside a clear radio mark
# (26 x 26 now) the shading changes from one screen row to the next, where a
# doubled 13-pixel picture would repeat each row.
read -r ox oy <<<"$(dlg_point C0 12 12)"
differ=0
for k in 4 5 6 7 8; do
    [ "$(lvx_pixel "$shot" $((ox + 13)) $((oy + 2 * k)))" != "$(lvx_pixel "$shot" $((ox + 13)) $((oy + 2 * k + 1)))" ] &&
        differ=$((differ + 1))
done
lvx_check "the radio mark is drawn for 192 dpi ($differ of 5 row pairs differ)" test "$differ" -ge 4

# Moved to a monitor of 144 dpi and back: the dialog is laid out anew for
# each (its size, the combo box, the art), and presses land on the new layout.
lvx_check "the change to 144 dpi is posted" lvx_helper dpichanged "$DLG_CAPTION" 144
sleep 0.8
read -r DLG_X DLG_Y DLG_W DLG_H _ <<<"$(lvx_helper client "$DLG_CAPTION")"
DLG_DPI=144
lvx_expect_eq "at 144 dpi the client area is 1.5 times 537 x 325" "806 488" "$DLG_W $DLG_H"
# The change came without a suggested place: the dialog is centred across
# its monitor again (the frame's borders are alike on both sides), not
# shrunk towards its old top-left corner, and wholly on the screen.
lvx_expect_eq "without a suggested place the dialog is centred across its monitor" \
    "$(( (2048 - DLG_W) / 2 ))" "$DLG_X"
lvx_check "... and wholly on it" test "$DLG_Y" -ge 0 -a $((DLG_Y + DLG_H)) -le 1536
lvx_expect_eq "the combo box moves to its place at 144 dpi" \
    "ComboBox 1 174 114 62 32 12" "$(lvx_helper controls "$DLG_CAPTION" | grep ComboBox)"
shot=$(lvx_shot dialog_144dpi)
for panel in "B 537 325" "C0 397 133" "C4 97 45"; do
    lvx_check "at 144 dpi the texture covers panel ${panel%% *}" dlg_textured "$shot" $panel
done
lvx_expect_eq "at 144 dpi the radio marks still show audio CD, to white, square" "1 0 0" "$(dlg_radios "$shot")"
lvx_expect_eq "at 144 dpi the swatch shows blue" "0000ff" "$(dlg_pixel "$shot" C3 74 18)"
lvx_check "the change back to 192 dpi is posted" lvx_helper dpichanged "$DLG_CAPTION" 192
sleep 0.8
read -r DLG_X DLG_Y DLG_W DLG_H _ <<<"$(lvx_helper client "$DLG_CAPTION")"
DLG_DPI=192
lvx_expect_eq "back at 192 dpi the client area is twice 537 x 325" "1074 650" "$DLG_W $DLG_H"
lvx_expect_eq "back at 192 dpi it is centred across its monitor" "$(( (2048 - DLG_W) / 2 ))" "$DLG_X"

dlg_click 1 C2 244 18        # lbl_Gra(2)
dlg_click 3 C4 14 30         # Img_Shape(1)
dlg_click 1 C1 40 14         # lbl_P_Rdm
read -r x y <<<"$(dlg_point C2 146 40)"
xdotool mousemove "$x" "$y" click --repeat 3 --delay 80 1   # interval up: 18
sleep 0.5
dlg_click 1 B 370 292        # OK
lvx_check "OK ends the program" dlg_wait_closed d 10
# The screen is 2048 pixels wide: the picture size defaults to 427 (512 - 85).
dlg_expect_ini "the presses landed on the scaled items" \
    "BGM区分= 1" "BGMﾘﾋﾟｰﾄ= 12" "ｸﾞﾗﾃﾞｰｼｮﾝ= 2" "形状= 1" "背景色ﾗﾝﾀﾞﾑ= 1" "背景色= 16711680" \
    "BGMﾌｧｲﾙ=" "ﾋﾟｸﾁｬのｻｲｽﾞ= 427" "ｻｲｽﾞﾗﾝﾀﾞﾑ= 1" "色の転換= 18"
