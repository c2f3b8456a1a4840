# Sourced by every whole-program test. Runs the real Lumvex_K47.scr and the
# helper program lvx_e2e.exe under the project's Wine, on the display and Wine
# server that scripts/test.sh started (or on its own Xvfb and server when run
# alone), and offers checks that count failures; the script's exit status is 1
# when any check failed.
#
# Environment (set by tests/e2e/CMakeLists.txt): LVX_ROOT, LVX_SCR,
# LVX_E2E_HELPER; LVX_E2E_OUT, a folder that keeps screenshots after the run.
set -uo pipefail
: "${LVX_ROOT:?}" "${LVX_SCR:?}" "${LVX_E2E_HELPER:?}"
source "$LVX_ROOT/scripts/wine-env.sh"
# Captions are handed to Wine as UTF-8 command-line text.
export LC_ALL=C.UTF-8

# Waits are this many times longer for the 32-bit file, which may run
# through CPU emulation.
LVX_TIME_SCALE="${LVX_TIME_SCALE:-1}"
LVX_TEST_NAME=$(basename "$0" .sh)
LVX_T=$(mktemp -d "${TMPDIR:-/tmp}/lvx-e2e-$LVX_TEST_NAME.XXXXXX")
LVX_SHOTS="${LVX_E2E_OUT:-$LVX_T}/$LVX_TEST_NAME"
mkdir -p "$LVX_SHOTS"
LVX_FAILURES=0
LVX_CHECKS=0
LVX_NAMES=()
LVX_OWN_DISPLAY=0

lvx_cleanup() {
    local name pidvar
    [ -n "${LVX_HOLD_PID:-}" ] && { kill "$LVX_HOLD_PID" 2>/dev/null; wait "$LVX_HOLD_PID" 2>/dev/null; }
    for name in "${LVX_NAMES[@]}"; do
        pidvar="${name}_pid"
        kill -9 "${!pidvar}" 2>/dev/null
        wait "${!pidvar}" 2>/dev/null
    done
    lvx_serve_stop
    if [ "$LVX_OWN_DISPLAY" = 1 ]; then
        lvx_wineserver_stop
        lvx_xvfb_stop
    fi
    rm -rf "$LVX_T"
}

lvx_finish() {
    local status=$?
    lvx_cleanup
    echo "$LVX_TEST_NAME: $LVX_CHECKS checks, $LVX_FAILURES failed"
    [ "$LVX_FAILURES" -eq 0 ] && [ "$status" -eq 0 ] && exit 0
    exit 1
}
trap lvx_finish EXIT

if [ -z "${DISPLAY:-}" ]; then
    lvx_wine_prefix
    lvx_xvfb_start
    lvx_wineserver_start
    LVX_OWN_DISPLAY=1
fi

# ---- checks

lvx_fail() {
    echo "FAIL: $*" >&2
    LVX_FAILURES=$((LVX_FAILURES + 1))
}

# lvx_check DESCRIPTION COMMAND...: the command must succeed.
lvx_check() {
    local what=$1; shift
    LVX_CHECKS=$((LVX_CHECKS + 1))
    if "$@"; then echo "ok: $what"; else lvx_fail "$what"; fi
}

# lvx_expect_eq DESCRIPTION EXPECTED ACTUAL
lvx_expect_eq() {
    LVX_CHECKS=$((LVX_CHECKS + 1))
    if [ "$2" = "$3" ]; then
        echo "ok: $1"
    else
        lvx_fail "$1: expected [$2], got [$3]"
    fi
}

# ---- programs

# A Unix path as Wine's Z: drive names it.
lvx_win_path() {
    local p
    p=$(realpath "$1")
    echo "Z:${p//\//\\}"
}

# lvx_start NAME ARGS...: runs "lvx_e2e.exe ARGS..." in the background.
# Sets NAME_pid (the Unix process that is the Windows process) and NAME_out
# (its output file); lvx_send NAME TEXT writes a line to its input.
lvx_start() {
    local name=$1; shift
    local fifo="$LVX_T/$name.in" oldfd="${name}_fd" fd pid
    # A name may be used again once its program has ended.
    if [ -n "${!oldfd:-}" ]; then eval "exec ${!oldfd}>&-"; fi
    rm -f "$fifo"
    mkfifo "$fifo"
    "$LVX_ROOT/scripts/wine-exec.sh" "$LVX_E2E_HELPER" "$@" <"$fifo" >"$LVX_T/$name.out" 2>"$LVX_T/$name.err" &
    pid=$!
    exec {fd}>"$fifo"
    printf -v "${name}_pid" %s "$pid"
    printf -v "${name}_fd" %s "$fd"
    printf -v "${name}_out" %s "$LVX_T/$name.out"
    LVX_NAMES+=("$name")
}

lvx_send() {
    local fdvar="${1}_fd"
    echo "$2" >&"${!fdvar}" 2>/dev/null
}

# lvx_start_scr NAME TEXT: the real program with exactly the argument text TEXT
# (through the helper's launcher, which ends the program when it is killed).
# NAME_winpid is the program's Windows process id once lvx_wait_line has seen it.
lvx_start_scr() {
    lvx_start "$1" run "$(lvx_win_path "$LVX_SCR")" "$2"
}

# lvx_wait_line NAME REGEX SECONDS: waits for an output line of NAME matching
# REGEX and prints it; fails after SECONDS.
lvx_wait_line() {
    local outvar="${1}_out" deadline line
    deadline=$(($(date +%s%N) + ${3%.*} * LVX_TIME_SCALE * 1000000000))
    while :; do
        # Wine's console output ends lines with CR LF.
        line=$(tr -d '\r' <"${!outvar}" 2>/dev/null | grep -m1 -E "$2") && { echo "$line"; return 0; }
        [ "$(date +%s%N)" -lt "$deadline" ] || return 1
        sleep 0.02
    done
}

# lvx_host NAME W H [X Y]: a host window; sets NAME_hwnd. lvx_preview_host: the
# same with the preview opened inside it in the host's own process.
lvx_host() {
    local name=$1; shift
    lvx_start "$name" host "$@"
    printf -v "${name}_hwnd" %s "$(lvx_wait_line "$name" '^[0-9]+$' 20)"
}
lvx_preview_host() {
    local name=$1; shift
    lvx_start "$name" preview-host "$@"
    printf -v "${name}_hwnd" %s "$(lvx_wait_line "$name" '^[0-9]+$' 20)"
}

# lvx_caption_window NAME TEXT: a window captioned TEXT (UTF-8); sets NAME_hwnd.
lvx_caption_window() {
    lvx_start "$1" caption "$2"
    printf -v "${1}_hwnd" %s "$(lvx_wait_line "$1" '^[0-9]+$' 20)"
}

lvx_alive() {
    local pidvar="${1}_pid"
    kill -0 "${!pidvar}" 2>/dev/null
}

# lvx_wait_exit NAME SECONDS: waits until NAME's process has ended; fails
# after SECONDS (fractions allowed). Sets LVX_EXIT (its exit code) and
# LVX_WAITED_MS.
lvx_wait_exit() {
    local pidvar="${1}_pid" start limit now
    LVX_EXIT=""
    start=$(date +%s%N)
    limit=$(awk -v s="$2" -v k="$LVX_TIME_SCALE" 'BEGIN { printf "%.0f", s * k * 1000000000 }')  # %d stops at 2^31 in mawk
    while kill -0 "${!pidvar}" 2>/dev/null; do
        now=$(date +%s%N)
        if [ $((now - start)) -ge "$limit" ]; then
            LVX_WAITED_MS=$(((now - start) / 1000000))
            return 1
        fi
        sleep 0.02
    done
    wait "${!pidvar}" 2>/dev/null
    LVX_EXIT=$?
    LVX_WAITED_MS=$((($(date +%s%N) - start) / 1000000))
    return 0
}

# lvx_kill NAME: kills NAME's process outright (no clean-up runs in it).
lvx_kill() {
    local pidvar="${1}_pid"
    kill -9 "${!pidvar}" 2>/dev/null
    wait "${!pidvar}" 2>/dev/null
    return 0
}

# lvx_quit NAME: asks a helper to end and waits for it.
lvx_quit() {
    lvx_send "$1" quit
    lvx_wait_exit "$1" 10 || lvx_kill "$1"
}

# One helper process answers all of a test's one-shot queries: each Wine
# start costs most of a second, and seconds for the 32-bit file under
# emulation. Started by lib.sh; a test that changes what a process reads once
# at its start (the DPI) starts it anew.
lvx_serve_start() {
    local in="$LVX_T/serve.in" out="$LVX_T/serve.out"
    rm -f "$in" "$out"
    mkfifo "$in" "$out"
    "$LVX_ROOT/scripts/wine-exec.sh" "$LVX_E2E_HELPER" serve <"$in" >"$out" 2>/dev/null &
    LVX_SERVE_PID=$!
    exec {LVX_SERVE_IN}>"$in" {LVX_SERVE_OUT}<"$out"
}

lvx_serve_stop() {
    [ -n "${LVX_SERVE_PID:-}" ] || return 0
    exec {LVX_SERVE_IN}>&- {LVX_SERVE_OUT}<&-
    local i
    for i in $(seq 1 50); do kill -0 "$LVX_SERVE_PID" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$LVX_SERVE_PID" 2>/dev/null
    wait "$LVX_SERVE_PID" 2>/dev/null
    LVX_SERVE_PID=""
}

# lvx_helper ARGS...: the helper's answer to one query, with its exit status.
# The whole answer is read before any of it is printed, so a reader that
# stops early (head -1) leaves nothing behind for the next query; answers
# to other tokens (a query abandoned after a timeout) are skipped.
lvx_helper() {
    local token="$BASHPID.$RANDOM.$RANDOM" line answer="" IFS=$'\t'
    printf '%s\n' "$token$IFS$*" >&"$LVX_SERVE_IN" || return 1
    while IFS= read -r -t 120 line <&"$LVX_SERVE_OUT"; do
        line=${line%$'\r'}
        case "$line" in
            "lvx-e2e-done $token "*)
                [ -n "$answer" ] && printf '%s' "$answer"
                return "${line##* }" ;;
            "lvx-e2e-done "*) answer="" ;;
            *) answer+="$line"$'\n' ;;
        esac
    done
    echo "lvx_helper: no answer to '$*'" >&2
    return 1
}

# lvx_children HWND: "HWND X Y W H VISIBLE PID CAPTION" per child window.
lvx_children() {
    lvx_helper children "$1"
}

# lvx_wait_children HWND SECONDS: waits until HWND has a visible child window
# (an embedded window is linked in before it is shown), then prints its
# children. At the deadline it prints what there is and fails when there is
# no child at all.
lvx_wait_children() {
    local deadline out
    deadline=$(($(date +%s) + $2))
    while :; do
        out=$(lvx_children "$1")
        awk '$6 == 1 { found = 1 } END { exit !found }' <<<"$out" && { echo "$out"; return 0; }
        if [ "$(date +%s)" -ge "$deadline" ]; then
            echo "$out"
            [ -n "$out" ]
            return
        fi
        sleep 0.1
    done
}

# ---- screen

# lvx_shot NAME: a screenshot of the whole screen; prints the PNG's path.
lvx_shot() {
    local file="$LVX_SHOTS/$1.png"
    xwd -root -silent | convert xwd:- "$file"
    echo "$file"
}

# lvx_pixel PNG X Y: the pixel's colour as RRGGBB (lower case hex).
lvx_pixel() {
    convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | awk 'NR == 2 { print tolower(substr($3, 2, 6)) }'
}

# lvx_colours PNG W H X Y: the distinct colours of a region, one RRGGBB per
# line, most frequent first, each with its count: "COUNT RRGGBB".
lvx_colours() {
    convert "$1" -crop "$2x$3+$4+$5" +repage -depth 8 -format %c histogram:info:- |
        sed -E 's/^ *([0-9]+):.*#([0-9A-Fa-f]{6}).*/\1 \2/' | tr 'A-F' 'a-f' | sort -rn
}

# lvx_region_equals PNG X Y REFERENCE: the region of the reference picture's
# size at (X, Y) holds exactly the reference's pixels.
lvx_region_equals() {
    local size diff region="$LVX_T/region.ppm"
    size=$(identify -format '%wx%h' "$4")
    convert "$1" -crop "$size+$2+$3" +repage -depth 8 "$region"
    diff=$(compare -metric AE "$region" "$4" null: 2>&1)
    [ "$diff" = "0" ] || { echo "  $diff pixels differ" >&2; return 1; }
}

# ---- input (xdotool): keys and the mouse, in screen pixels.

# lvx_hold_pointer: keeps an X client connected until the test ends, so that
# the pointer stays where the test puts it: Xvfb resets itself, the pointer
# back to the screen's centre, whenever its last client leaves (as each
# xdotool call does while no Wine window is open).
lvx_hold_pointer() {
    [ -n "${LVX_HOLD_PID:-}" ] && return 0
    xdotool sleep 86400 &
    LVX_HOLD_PID=$!
    sleep 0.2
}
lvx_key() { xdotool key "$@"; }
lvx_click() { xdotool mousemove "$1" "$2" click "${3:-1}"; }
lvx_move() { xdotool mousemove "$1" "$2"; }
lvx_move_by() { xdotool mousemove_relative -- "$1" "$2"; }

# ---- the running saver

# lvx_saver_folder KEY=VALUE...: a folder holding a copy of the program and a
# settings file with these lines (keys in UTF-8, written in code page 932, as
# the settings dialog writes them); prints the folder.
lvx_saver_folder() {
    local dir
    dir=$(mktemp -d "$LVX_T/saver.XXXXXX")
    cp "$LVX_SCR" "$dir/Lumvex_K47.scr"
    { printf '[Section]\r\n'; local kv; for kv in "$@"; do printf '%s\r\n' "$kv"; done; } |
        iconv -f UTF-8 -t CP932 >"$dir/Lumvex_K47.ini"
    echo "$dir"
}

# lvx_start_saver NAME FOLDER TEXT: the program in FOLDER with the argument
# text TEXT (as lvx_start_scr).
lvx_start_saver() {
    lvx_start "$1" run "$(lvx_win_path "$2")\\Lumvex_K47.scr" "$3"
}

# lvx_passes [MS]: the running saver's pass count, empty without a saver;
# with MS, the passes per second over MS milliseconds instead.
lvx_passes() {
    if [ $# -gt 0 ]; then
        lvx_helper passes "$1" | awk '/^rate/ {print $2}'
    else
        lvx_helper passes | awk '/^passes [0-9]/ {print $2}'
    fi
}

# lvx_wait_passes N SECONDS: waits until the saver has made N passes.
lvx_wait_passes() {
    local deadline n
    deadline=$(($(date +%s) + $2 * LVX_TIME_SCALE))
    while :; do
        n=$(lvx_passes)
        [ -n "$n" ] && [ "$n" -ge "$1" ] && return 0
        [ "$(date +%s)" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

# lvx_non_background PNG RRGGBB [W H X Y]: how many pixels of the region (the
# whole picture without one) differ from the colour.
lvx_non_background() {
    local crop=()
    [ $# -ge 6 ] && crop=(-crop "$3x$4+$5+$6" +repage)
    convert "$1" "${crop[@]}" -fill black -opaque "#$2" -fill white +opaque black -format '%[fx:round(mean*w*h)]' info:
}

lvx_serve_start
