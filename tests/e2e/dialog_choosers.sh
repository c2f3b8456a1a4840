#!/usr/bin/env bash
# The colour and music-file choosers, driven with the keyboard (under Wine
# without a window manager a second window of the same process is not
# painted on the screen, but it works). A stored music file that is away
# stays chosen; a chosen path that code page 932 cannot hold is stored as
# its short form, which names the same file.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/dialog_lib.sh"

# chooser NAME: waits for the chooser window of NAME's program; prints "HWND X Y W H".
chooser() {
    local pidvar="${1}_winpid" line
    for _ in $(seq 1 100); do
        line=$(lvx_helper top "${!pidvar}" | grep -v "$DLG_CAPTION" | head -1)
        [ -n "$line" ] && { echo "$line"; return 0; }
        sleep 0.1
    done
    return 1
}
# press_in WINDOW-LINE KEY: a key with the pointer over that window.
press_in() {
    local _h x y w h
    read -r _h x y w h _ <<<"$1"
    xdotool mousemove $((x + w / 2)) $((y + h / 2)) key "$2"
    sleep 0.5
}
# no_chooser NAME: waits until NAME's program shows only its dialog again.
no_chooser() {
    local pidvar="${1}_winpid"
    for _ in $(seq 1 100); do
        [ -z "$(lvx_helper top "${!pidvar}" | grep -v "$DLG_CAPTION")" ] && { sleep 0.3; return 0; }
        sleep 0.1
    done
    return 1
}
stored_file() { grep -a "$(printf 'BGM\xcc\xa7\xb2\xd9=')" "$DLG_INI" | cut -d= -f2- | tr -d '\r'; }

mkdir -p "$LVX_T/music"
: >"$LVX_T/music/夜の曲.mp3"
: >"$LVX_T/music/café ♫ song.mp3"
away='Z:\nowhere\gone.mp3'

# A music file that is away: cancelling the chooser keeps it, and OK writes it back.
dlg_ini "BGM区分= 2" "BGMﾘﾋﾟｰﾄ= 0" "BGMﾌｧｲﾙ=$away"
lvx_check "the dialog opens with a music file that is away" dlg_open a
dlg_click 1 C0 146 72        # 参照...
win=$(chooser a)
lvx_check "the browse button opens the file chooser" test -n "$win"
press_in "$win" Escape
lvx_check "cancelling closes the chooser" no_chooser a
dlg_click 1 B 370 292
lvx_check "OK ends the program" dlg_wait_closed a 10
lvx_check "kind 2 and the path that is away are kept" grep -q "$(printf 'BGM\x8b\xe6\x95\xaa= 2\r')" "$DLG_INI"
lvx_expect_eq "the stored path is unchanged" "$away" "$(stored_file)"

# A chosen file whose name code page 932 holds: its full path.
lvx_check "the dialog opens again" dlg_open b
dlg_click 1 C0 146 72
chooser b >/dev/null
win=$(lvx_helper set-edit "$b_winpid" "$(lvx_win_path "$LVX_T/music/夜の曲.mp3")")
lvx_check "the file name is typed into the chooser" test -n "$win"
press_in "$win" Return
lvx_check "the chooser closes" no_chooser b
dlg_click 1 B 370 292
lvx_check "OK ends the program" dlg_wait_closed b 10
lvx_expect_eq "the full path is stored" "$(lvx_win_path "$LVX_T/music/夜の曲.mp3")" "$(stored_file | iconv -f CP932 -t UTF-8)"

# A name outside code page 932: its short form.
lvx_check "the dialog opens a third time" dlg_open c
dlg_click 1 C0 146 72
chooser c >/dev/null
win=$(lvx_helper set-edit "$c_winpid" "$(lvx_win_path "$LVX_T/music/café ♫ song.mp3")")
press_in "$win" Return
lvx_check "the chooser closes" no_chooser c
dlg_click 1 B 370 292
lvx_check "OK ends the program" dlg_wait_closed c 10
short=$(stored_file)
echo "  stored: $short"
lvx_check "the short form is plain ASCII" grep -qvP '[^\x20-\x7e]' <<<"$short"
lvx_check "the short form is not the long name" test "${short##*\\}" != "café ♫ song.mp3"
lvx_expect_eq "the short form names the chosen file" 1 \
    "$(lvx_helper same-file "$short" "$(lvx_win_path "$LVX_T/music/café ♫ song.mp3")")"

# The colour chooser: Escape keeps the swatch, Enter takes the chooser's colour.
dlg_ini "背景色= 255"
lvx_check "the dialog opens with a red background colour" dlg_open d
dlg_click 1 C3 74 18
win=$(chooser d)
lvx_check "the swatch opens the colour chooser" test -n "$win"
press_in "$win" Escape
lvx_check "Escape closes the colour chooser" no_chooser d
sleep 2.5
shot=$(lvx_shot colour_cancelled)
lvx_expect_eq "cancelling keeps the swatch red" "ff0000" "$(dlg_pixel "$shot" C3 74 18)"
dlg_click 1 C3 74 18
win=$(chooser d)
press_in "$win" Return
lvx_check "Enter closes the colour chooser" no_chooser d
# The chooser's window takes a while to go without a window manager; the
# swatch changes once it has.
for _ in $(seq 1 30); do
    shot=$(lvx_shot colour_chosen)
    chosen=$(dlg_pixel "$shot" C3 74 18)
    [ "$chosen" != ff0000 ] && break
    sleep 0.2
done
lvx_check "confirming changes the swatch (now $chosen)" test "$chosen" != ff0000
dlg_click 1 B 370 292
lvx_check "OK ends the program" dlg_wait_closed d 10
# The file holds 0x00BBGGRR, red in the low byte.
lvx_check "the swatch's colour is saved" \
    grep -q "$(printf '\x94\x77\x8c\x69\x90\x46= %d\r' $((16#${chosen:4:2}${chosen:2:2}${chosen:0:2})))" "$DLG_INI"
