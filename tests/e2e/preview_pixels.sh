#!/usr/bin/env bash
# What the preview shows, with the host in the preview's own process (Wine
# shows nothing that a child of another process's window draws).
source "$(dirname "$0")/lib.sh"

# The picture worked out here, not by the program: twelve square tiles on
# black in a 4 x 3 grid, each a top-to-bottom gradient. The tiles are as large
# as the narrower of the two scales of the 152 x 112 original allows (28 px
# there, rounded), centred in their cells (the spare row goes above when the
# spare rows are odd) with places rounded down:
#   152 x 112: cells 38 x 37;       tiles 28; left 5 43 81 119;   top 5 42 79
#   300 x 200: cells 75 x 66.07;    tiles 50; left 12 87 162 237; top 8 74 140
#   200 x 150: cells 50 x 49.55;    tiles 37; left 6 56 106 156;  top 6 56 105
# The gradient of an S-pixel tile has S + 2 lines, as the saver's has: row k
# shows dark + k / (S + 2) of the way to bright, per channel.
tile_colours=(  # dark R G B, bright R G B; in reading order
    "0 0 72 72 136 255"   "48 0 72 184 104 255"  "72 0 0 255 72 64"     "0 64 0 72 255 96"
    "0 32 72 96 208 255"  "72 0 40 255 136 208" "80 32 0 255 168 32"   "64 0 64 224 96 224"
    "0 56 40 64 240 176"  "80 0 24 255 80 120"  "24 64 0 184 255 64"   "0 48 56 64 232 232")

# expected_picture W H TILE "LEFTS" "TOPS" FILE: writes that picture (PPM).
expected_picture() {
    awk -v W="$1" -v H="$2" -v S="$3" -v lefts="$4" -v tops="$5" -v colours="${tile_colours[*]}" '
    function chan(d, b, k, v, f) {  # rounded half to even, as the saver rounds
        v = d + k * ((b - d) / (S + 2)); f = int(v)
        if (v - f > 0.5 || (v - f == 0.5 && f % 2 == 1)) f++
        return f
    }
    BEGIN {
        split(lefts, L, " "); split(tops, T, " "); split(colours, C, " ")
        printf "P3\n%d %d\n255\n", W, H
        for (y = 0; y < H; y++) {
            row = -1
            for (j = 1; j <= 3; j++) if (y >= T[j] && y < T[j] + S) row = j - 1
            for (x = 0; x < W; x++) {
                col = -1
                for (i = 1; i <= 4; i++) if (x >= L[i] && x < L[i] + S) col = i - 1
                if (row < 0 || col < 0) { print "0 0 0"; continue }
                c = 6 * (row * 4 + col); k = y - T[row + 1]
                print chan(C[c + 1], C[c + 4], k), chan(C[c + 2], C[c + 5], k), chan(C[c + 3], C[c + 6], k)
            }
        }
    }' >"$6"
}

# region_near PNG X Y REFERENCE: the region of the reference's size at (X, Y)
# holds the reference's pixels, each channel within 1 of it (the program
# rounds in single precision, the awk above in double: a value that lands on
# a half may go either way).
region_near() {
    local size region="$LVX_T/near.ppm"
    size=$(identify -format '%wx%h' "$4")
    convert "$1" -crop "$size+$2+$3" +repage -depth 8 -compress none "$region"
    paste <(values "$4") <(values "$region") |
        awk '{ d = $1 - $2 } d > 1 || d < -1 { bad++ } END { if (bad) print "  " bad " channel values differ"; exit bad > 0 }' >&2
}
# values PICTURE: its channel values, one a line (the header's four left out).
values() {
    convert "$1" -strip -depth 8 -compress none ppm:- | grep -v '^#' | tr -s ' \n' '\n\n' | grep -v '^$' | tail -n +5
}

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

lvx_check "the small host shows exactly the program's still picture" lvx_region_equals "$shot" 100 100 "$picture"
expected_picture 152 112 28 "5 43 81 119" "5 42 79" "$LVX_T/small-expected.ppm"
lvx_check "the small host shows the picture worked out here" \
    region_near "$shot" 100 100 "$LVX_T/small-expected.ppm"
# A larger host (high-DPI control panels give them) shows the same picture
# scaled to fill it: no corner picture with grey around it.
expected_picture 300 200 50 "12 87 162 237" "8 74 140" "$LVX_T/large-expected.ppm"
lvx_check "the large host shows the picture scaled to fill it" \
    region_near "$shot" 400 100 "$LVX_T/large-expected.ppm"
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
expected_picture 200 150 37 "6 56 106 156" "6 56 105" "$LVX_T/resized-expected.ppm"
lvx_check "the resized host shows the picture at its new size" \
    region_near "$(lvx_shot resized)" 400 100 "$LVX_T/resized-expected.ppm"
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
