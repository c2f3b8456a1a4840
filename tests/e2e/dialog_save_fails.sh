#!/usr/bin/env bash
# A settings file that cannot be replaced (read-only, and immutable so that
# not even root gets through): OK shows a message that says so and keeps the
# dialog open with the user's choices; once the file is writable again the
# same dialog saves them.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/dialog_lib.sh"

dlg_ini "形状= 0"
cp "$DLG_INI" "$LVX_T/before.ini"
wine cmd /c attrib +r "$(lvx_win_path "$DLG_INI")" >/dev/null 2>&1
chattr +i "$DLG_INI"
trap 'status=$?; chattr -i "$DLG_INI" 2>/dev/null; (exit $status); lvx_finish' EXIT

lvx_check "the dialog opens" dlg_open d
dlg_click 1 C4 46 30         # circle
dlg_click 1 B 370 292        # OK
message=""
for _ in $(seq 1 50); do
    message=$(lvx_helper top "$d_winpid" | grep ' Lumvex_K47$')
    [ -n "$message" ] && break
    sleep 0.1
done
lvx_check "a message box appears" test -n "$message"
read -r mhwnd mx my mw mh _ <<<"$message"
lvx_check "it says that the settings could not be saved" \
    grep -q '^[0-9]* .*設定を保存できませんでした。' <(lvx_children "$mhwnd")
sleep 0.5
shot=$(lvx_shot message)
lvx_check "the dialog stays open" dlg_is_open
lvx_check "the program keeps running" lvx_alive d
lvx_check "the file is unchanged" cmp -s "$LVX_T/before.ini" "$DLG_INI"

# Dismiss the message with its own key. (Under Wine without a window
# manager a second window of the same process stays unpainted on the screen,
# so its text is read from its controls above.)
xdotool mousemove $((mx + mw / 2)) $((my + mh / 2)) key Return
sleep 0.5
lvx_expect_eq "Enter closes the message" "" "$(lvx_helper top "$d_winpid" | grep ' Lumvex_K47$')"
lvx_check "the dialog is still open after the message" dlg_is_open

chattr -i "$DLG_INI"
wine cmd /c attrib -r "$(lvx_win_path "$DLG_INI")" >/dev/null 2>&1
dlg_click 1 B 370 292        # OK again
lvx_check "now OK ends the program" dlg_wait_closed d 10
lvx_check "and the choice made before the failure is saved" \
    grep -q "$(printf '\x8c\x60\x8f\xf3= 1\r')" "$DLG_INI"
