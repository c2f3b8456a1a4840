# Sourced by the settings dialog's whole-program tests, after lib.sh. The
# program runs from a private copy in the test's own folder, so its settings
# file (beside it) belongs to the test alone.

DLG_CAPTION="Lumvex_K47の設定"
DLG_DIR="$LVX_T/program"
mkdir -p "$DLG_DIR"
cp "$LVX_SCR" "$DLG_DIR/Lumvex_K47.scr"
LVX_SCR="$DLG_DIR/Lumvex_K47.scr"
DLG_INI="$DLG_DIR/Lumvex_K47.ini"
DLG_DPI=96

# dlg_bytes LINE...: "[Section]" and the lines (UTF-8 here, code page 932 in
# the file), each ended by CR LF, on stdout.
dlg_bytes() {
    { printf '[Section]\r\n'; for line in "$@"; do printf '%s\r\n' "$line"; done; } | iconv -f UTF-8 -t CP932
}

# dlg_ini LINE...: writes the settings file.
dlg_ini() { dlg_bytes "$@" >"$DLG_INI"; }

# dlg_expect_ini DESCRIPTION LINE...: the settings file holds exactly these bytes.
dlg_expect_ini() {
    local what=$1; shift
    dlg_bytes "$@" >"$LVX_T/expected.ini"
    LVX_CHECKS=$((LVX_CHECKS + 1))
    if cmp -s "$LVX_T/expected.ini" "$DLG_INI"; then
        echo "ok: $what"
    else
        lvx_fail "$what"
        echo "  expected:" >&2; iconv -f CP932 -t UTF-8 "$LVX_T/expected.ini" | cat -A >&2
        echo "  file:" >&2; { iconv -f CP932 -t UTF-8 "$DLG_INI" 2>/dev/null || echo "(none)"; } | cat -A >&2
    fi
}

# dlg_open NAME: starts the program with "/c" and waits until its dialog is
# shown; sets DLG_X, DLG_Y (its client area on the screen), DLG_W, DLG_H and
# NAME_winpid.
dlg_open() {
    local name=$1 deadline found=""
    lvx_start_scr "$name" "/c"
    printf -v "${name}_winpid" %s "$(lvx_wait_line "$name" '^pid [0-9]+' 20 | awk '{print $2}')"
    deadline=$(($(date +%s) + 20))
    while [ "$(date +%s)" -lt "$deadline" ]; do
        found=$(lvx_helper client "$DLG_CAPTION")
        [ -n "$found" ] && break
        sleep 0.1
    done
    read -r DLG_X DLG_Y DLG_W DLG_H _ <<<"$found"
    # Let it paint.
    sleep 0.6
    [ -n "$found" ]
}

dlg_is_open() { [ -n "$(lvx_helper client "$DLG_CAPTION")" ]; }

# dlg_point PANEL X Y: the screen position of the 96-dpi point (X, Y) of a
# panel: B (the background) or C0 .. C4 (the groups).
dlg_point() {
    local px py
    case $1 in
        B) px=0; py=0 ;;
        C0) px=16; py=44 ;;
        C1) px=424; py=44 ;;
        C2) px=120; py=192 ;;
        C3) px=424; py=136 ;;
        C4) px=424; py=220 ;;
    esac
    echo "$((DLG_X + (px + $2) * DLG_DPI / 96)) $((DLG_Y + (py + $3) * DLG_DPI / 96))"
}

# dlg_click BUTTON PANEL X Y: a press and release of mouse button BUTTON (1
# left, 2 middle, 3 right) there.
dlg_click() {
    local button=$1 x y; shift
    read -r x y <<<"$(dlg_point "$@")"
    xdotool mousemove "$x" "$y" click "$button"
    sleep 0.2
}

# dlg_pixel SHOT PANEL X Y: the colour (RRGGBB) at a panel's 96-dpi point.
dlg_pixel() {
    local shot=$1 x y; shift
    read -r x y <<<"$(dlg_point "$@")"
    lvx_pixel "$shot" "$x" "$y"
}

# Colour tests on RRGGBB.
dlg_red() { local c=$1; [ $((16#${c:0:2})) -gt 150 ] && [ $((16#${c:2:2})) -lt 90 ] && [ $((16#${c:4:2})) -lt 90 ]; }
dlg_blue() { local c=$1; [ $((16#${c:4:2})) -gt 150 ] && [ $((16#${c:0:2})) -lt 120 ]; }
dlg_white() { local c=$1; [ $((16#${c:0:2})) -gt 220 ] && [ $((16#${c:2:2})) -gt 220 ] && [ $((16#${c:4:2})) -gt 220 ]; }

# dlg_radios SHOT: "BGM GRA SHAPE": the index of the option showing the red
# dot in each group ("-" when none or more than one does).
dlg_radios() {
    local shot=$1 group i found answer=""
    for group in "C0 18 18 0 24 3" "C2 98 18 52 0 3" "C4 14 10 0 20 2"; do
        read -r panel x y dx dy n <<<"$group"
        found="-"
        for ((i = 0; i < n; i++)); do
            # The third gradation option sits 4 pixels further right.
            local extra=0
            [ "$panel" = C2 ] && [ "$i" = 2 ] && extra=4
            if dlg_red "$(dlg_pixel "$shot" "$panel" $((x + i * dx + extra)) $((y + i * dy)))"; then
                [ "$found" = "-" ] && found=$i || found="+"
            fi
        done
        answer="$answer${answer:+ }$found"
    done
    echo "${answer//+/-}"
}

# dlg_textured SHOT PANEL W H: the bottom-right corner of the panel (W x H at
# 96 dpi), its last partial row and column, shows the brushed texture: several
# greys and none of the group panels' own flat fill.
dlg_textured() {
    local shot=$1 panel=$2 w=$3 h=$4 x y colours
    read -r x y <<<"$(dlg_point "$panel" $((w - 8)) $((h - 3)))"
    colours=$(lvx_colours "$shot" $((8 * DLG_DPI / 96)) $((3 * DLG_DPI / 96)) "$x" "$y")
    [ "$(wc -l <<<"$colours")" -ge 3 ] || { echo "  $panel: flat: $colours" >&2; return 1; }
    ! grep -q ' e0e0e0$' <<<"$colours" || { echo "  $panel: group fill shows" >&2; return 1; }
    while read -r _ c; do
        local r=$((16#${c:0:2})) g=$((16#${c:2:2})) b=$((16#${c:4:2}))
        if [ "$r" -lt 150 ] || [ "$r" -gt 240 ] || [ $((r - g)) -gt 16 ] || [ $((g - r)) -gt 16 ] || [ $((r - b)) -gt 16 ]; then
            echo "  $panel: $c is no metal grey" >&2
            return 1
        fi
    done <<<"$colours"
}

# dlg_scroll_positions: the two spinners' scroll positions, "SIZE INTERVAL"
# (each counts down from its top value: 0 is the top).
dlg_scroll_positions() {
    lvx_helper controls "$DLG_CAPTION" | awk '$1 == "ScrollBar" {printf "%s%s", sep, $7; sep = " "}'
}

# dlg_wait_scroll EXPECTED: waits up to 10 s until the positions read EXPECTED
# (clicks queue up faster than they are served); prints the last reading.
dlg_wait_scroll() {
    local deadline now
    deadline=$(($(date +%s) + 10))
    while :; do
        now=$(dlg_scroll_positions)
        [ "$now" = "$1" ] || [ "$(date +%s)" -ge "$deadline" ] && break
        sleep 0.2
    done
    echo "$now"
}

# cursor_at PANEL X Y: moves the pointer there and prints the handle of the
# pointer's shape (another process's cursor is known only by its handle).
cursor_at() {
    local x y
    read -r x y <<<"$(dlg_point "$@")"
    xdotool mousemove "$x" "$y"
    sleep 0.25
    lvx_helper cursor | awk '{print $1}'
}

# dlg_wait_closed NAME SECONDS: the program ends (and its dialog is gone).
dlg_wait_closed() { lvx_wait_exit "$1" "$2"; }
