#!/usr/bin/env bash
# While a window captioned like the saver or the settings dialog exists, every
# start ends at once and opens nothing.
source "$(dirname "$0")/lib.sh"

saver="Lumvex_K47_Main"
dialog="Lumvex_K47の設定"

lvx_host h 152 112 100 100

# The watch below must see a window that appears while it runs, or its
# silence would mean nothing.
lvx_start w watch 20000 "$saver" "$dialog"
lvx_wait_line w '^watching' 20 >/dev/null
lvx_caption_window probe "$dialog"
lvx_check "the watch sees a new window captioned '$dialog'" lvx_wait_line w "^seen [0-9]+ [0-9]+ $dialog\$" 5
lvx_quit probe
lvx_quit w

for guard in "$saver" "$dialog"; do
    lvx_caption_window g "$guard"
    lvx_check "the guard window '$guard' exists" test -n "$g_hwnd"
    for text in "/p $h_hwnd" "/s" "/c" ""; do
        # Watch for a saver window or a dialog other than the guard's own.
        lvx_start w watch 20000 "$saver" "$dialog"
        lvx_wait_line w '^watching' 20 >/dev/null
        lvx_start_scr s "$text"
        lvx_check "with '$guard' open, '$text' ends at once" lvx_wait_exit s 3
        echo "  ended after $LVX_WAITED_MS ms"
        lvx_quit w
        lvx_expect_eq "with '$guard' open, '$text' opens no saver or dialog" "" "$(grep '^seen' "$w_out")"
    done
    lvx_expect_eq "the preview was not embedded while '$guard' was open" "" "$(lvx_children "$h_hwnd")"
    lvx_quit g
done

# Without a guard window the same preview start embeds and lives on, so the
# runs above ended because of the guard.
lvx_start_scr p "/p $h_hwnd"
lvx_check "without a guard the preview is embedded" lvx_wait_children "$h_hwnd" 20
lvx_check "without a guard the preview lives on" lvx_alive p
