#!/usr/bin/env bash
# The real program embedding its preview into a host of another process, as
# the display settings do, and ending with it.
source "$(dirname "$0")/lib.sh"

lvx_host h1 152 112 100 100
lvx_host h2 300 200 400 100
lvx_start_scr p1 "/p $h1_hwnd"
lvx_start_scr p2 "/p $h2_hwnd"
pid1=$(lvx_wait_line p1 '^pid' 20 | cut -d' ' -f2)
pid2=$(lvx_wait_line p2 '^pid' 20 | cut -d' ' -f2)

read -r _ x y w h visible owner caption <<<"$(lvx_wait_children "$h1_hwnd" 20)"
lvx_expect_eq "the preview is a visible child at (0, 0) of the 152 x 112 host" \
    "0 0 152 112 1 $pid1 Preview Window" "$x $y $w $h $visible $owner $caption"
read -r _ x y w h visible owner caption <<<"$(lvx_wait_children "$h2_hwnd" 20)"
lvx_expect_eq "the preview is a visible child at (0, 0) of the 300 x 200 host" \
    "0 0 300 200 1 $pid2 Preview Window" "$x $y $w $h $visible $owner $caption"
lvx_shot embedded >/dev/null

# Neither preview is taken for a running saver: both live on.
sleep 1
lvx_check "two previews run at once (first)" lvx_alive p1
lvx_check "two previews run at once (second)" lvx_alive p2

# The host destroys its window: its preview ends, the other one does not.
lvx_send h1 destroy
lvx_check "destroying the host ends its preview within 2 s" lvx_wait_exit p1 2
echo "  ended after $LVX_WAITED_MS ms, exit code $LVX_EXIT"
lvx_expect_eq "the preview's exit code" 0 "${LVX_EXIT:-}"
lvx_check "the other preview lives on" lvx_alive p2

# The host's process dies: the embedded window gets no WM_DESTROY, only
# WM_NCDESTROY, and its preview must end all the same.
lvx_kill h2
lvx_check "killing the host's process ends its preview within 2 s" lvx_wait_exit p2 2
echo "  ended after $LVX_WAITED_MS ms, exit code $LVX_EXIT"
