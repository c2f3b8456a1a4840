#!/usr/bin/env bash
# Argument texts that open no window end the program at once and show nothing.
source "$(dirname "$0")/lib.sh"

# The watch must see a visible window that appears while it runs.
lvx_start w watch 20000 "*"
lvx_wait_line w '^watching' 20 >/dev/null
lvx_caption_window probe "any caption"
lvx_check "the watch sees a new visible window" lvx_wait_line w "^seen [0-9]+ [0-9]+ any caption\$" 5
lvx_quit probe
lvx_quit w

n=0
for text in "/x" "/help" "S" "/a 4711" "/a xyz" "-"; do
    n=$((n + 1))
    lvx_start w watch 20000 "*"
    lvx_wait_line w '^watching' 20 >/dev/null
    lvx_start_scr s$n "$text"
    pid=$(lvx_wait_line s$n '^pid [0-9]+' 10 | awk '{print $2}')
    lvx_check "'$text' was started" test -n "$pid"
    lvx_check "'$text' ends at once" lvx_wait_exit s$n 3
    echo "  ended after $LVX_WAITED_MS ms"
    lvx_expect_eq "'$text' ends with exit code 0" 0 "$LVX_EXIT"
    lvx_quit w
    lvx_expect_eq "'$text' shows no window" "" "$(grep -E "^seen [0-9]+ $pid( |\$)" "$w_out")"
done
