#!/usr/bin/env bash
# A preview whose host number names no window could never be seen or closed:
# the program ends at once instead of living on.
source "$(dirname "$0")/lib.sh"

lvx_host gone 152 112 100 100
gone=$gone_hwnd
lvx_send gone destroy
lvx_wait_line gone '^destroyed' 10 >/dev/null

n=0
for text in "/p" "/p 0" "/p abc" "/p $gone" "/P -1" "/p 99999999999"; do
    n=$((n + 1))
    lvx_start_scr "bad$n" "$text"
    lvx_check "'$text' ends at once" lvx_wait_exit "bad$n" 3
    echo "  ended after $LVX_WAITED_MS ms, exit code ${LVX_EXIT:-}"
done
