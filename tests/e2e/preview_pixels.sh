#!/usr/bin/env bash
# What the preview shows, with the host in the preview's own process (Wine
# shows nothing that a child of another process's window draws).
source "$(dirname "$0")/lib.sh"

picture="$LVX_T/picture.ppm"
lvx_helper picture "$(lvx_win_path "$LVX_T")\\picture.ppm" >/dev/null
lvx_check "the still picture is written" test -s "$picture"
lvx_expect_eq "the picture is 152 x 112" "152x112" "$(identify -format '%wx%h' "$picture")"

# A host of the picture's own size, and a larger one.
lvx_preview_host small 152 112 100 100
lvx_preview_host large 300 200 400 100
lvx_expect_eq "the preview opens in the small host" "open 1" "$(lvx_wait_line small '^open' 20)"
lvx_expect_eq "the preview opens in the large host" "open 1" "$(lvx_wait_line large '^open' 20)"
read -r _ x y w h visible _ caption <<<"$(lvx_children "$small_hwnd")"
lvx_expect_eq "the preview fills the small host" "0 0 152 112 1 Preview Window" "$x $y $w $h $visible $caption"
read -r _ x y w h visible _ caption <<<"$(lvx_children "$large_hwnd")"
lvx_expect_eq "the preview fills the large host" "0 0 300 200 1 Preview Window" "$x $y $w $h $visible $caption"
sleep 0.5
shot=$(lvx_shot previews)

lvx_check "the small host shows exactly the picture" lvx_region_equals "$shot" 100 100 "$picture"
# A larger host (high-DPI control panels give them) shows the same picture
# scaled to fill it: no corner picture with grey around it.
large_picture="$LVX_T/large.ppm"
lvx_helper picture "$(lvx_win_path "$LVX_T")\\large.ppm" 300 200 >/dev/null
lvx_check "the large host shows the picture scaled to fill it" lvx_region_equals "$shot" 400 100 "$large_picture"
lvx_expect_eq "nothing of the window's grey shows in the large host" "" \
    "$(lvx_colours "$shot" 300 200 400 100 | awk '$2 == "c0c0c0"')"
lvx_expect_eq "the large host's far corner is the black background" "000000" "$(lvx_pixel "$shot" 699 299)"
tile=$(lvx_pixel "$shot" $((400 + 37)) $((100 + 33)))
lvx_check "a scaled tile lies where the grid puts it ($tile)" test "$tile" != "000000"

# A host that is resized is followed: the preview takes its new size and
# draws the picture at it.
lvx_send large "resize 200 150"
lvx_wait_line large '^resized' 5 >/dev/null
sleep 0.8
read -r _ x y w h visible _ caption <<<"$(lvx_children "$large_hwnd")"
lvx_expect_eq "the preview follows its resized host" "0 0 200 150 1 Preview Window" "$x $y $w $h $visible $caption"
lvx_helper picture "$(lvx_win_path "$LVX_T")\\resized.ppm" 200 150 >/dev/null
lvx_check "the resized host shows the picture at its new size" \
    lvx_region_equals "$(lvx_shot resized)" 400 100 "$LVX_T/resized.ppm"
# Spot checks that do not depend on the helper's copy of the picture: the
# black background, and a tile that runs from dark at the top to bright.
lvx_expect_eq "the picture's corner is black" "000000" "$(lvx_pixel "$shot" 100 100)"
lvx_expect_eq "the picture's far corner is black" "000000" "$(lvx_pixel "$shot" 251 211)"
top=$(lvx_pixel "$shot" 120 106)
bottom=$(lvx_pixel "$shot" 120 132)
lvx_check "tile 1 is darker at the top ($top) than at the bottom ($bottom)" \
    test $((16#${top:0:2} + 16#${top:2:2} + 16#${top:4:2})) -lt $((16#${bottom:0:2} + 16#${bottom:2:2} + 16#${bottom:4:2}))
lvx_expect_eq "the screen beside the small host is untouched" "000000" "$(lvx_pixel "$shot" 252 150)"

# Destroying the host ends the preview's message loop.
lvx_send small destroy
lvx_check "the small preview ends with its host" lvx_wait_line small '^ended' 2
lvx_send large destroy
lvx_check "the large preview ends with its host" lvx_wait_line large '^ended' 2
