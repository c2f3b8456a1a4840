# Sourced by pacing.sh and soak.sh: runs the built saver under the project's
# Wine on a private Xvfb and reads its figures from outside: passes (the
# window property the saver keeps), CPU time of its process, memory and
# handles. Needs build/win64 (bash scripts/build.sh).
# Run rather than sourced: say how it is used, and stop.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  usage() { echo "usage: source scripts/saver-probe.sh   (gives probe_display, probe_start, probe_stop ...; needs build/win64)"; }
  case "${1:-}" in
    -h|--help) usage; exit 0 ;;
  esac
  echo "saver-probe.sh: this file is sourced by other scripts, not run" >&2
  usage >&2
  exit 2
fi
LVX_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# A Wine prefix of its own: the single-instance guard would otherwise let no
# saver of a test run start beside the measured one.
export LVX_WINEPREFIX="${LVX_WINEPREFIX:-$LVX_ROOT/build/wineprefix-probe}"
source "$LVX_ROOT/scripts/wine-env.sh"
PROBE_SCR="$LVX_BUILD/win64/src/Lumvex_K47.scr"
PROBE_HELPER="$LVX_BUILD/win64/tests/e2e/lvx_e2e.exe"
[ -f "$PROBE_SCR" ] && [ -f "$PROBE_HELPER" ] || { echo "build first: bash scripts/build.sh" >&2; exit 1; }
PROBE_T=$(mktemp -d "${TMPDIR:-/tmp}/lvx-probe.XXXXXX")
PROBE_PIDS=()

probe_helper() { "$LVX_ROOT/scripts/wine-exec.sh" "$PROBE_HELPER" "$@" </dev/null 2>/dev/null | tr -d '\r'; }

# probe_display WxH: a private Xvfb of that size, the Wine server, and an X
# client that keeps the server from resetting the pointer.
probe_display() {
    LVX_SCREEN="$1x24" lvx_xvfb_start
    lvx_wine_prefix
    lvx_wineserver_start
    xdotool sleep 86400 &
    PROBE_PIDS+=($!)
}

probe_stop() {
    local p
    for p in "${PROBE_PIDS[@]}"; do kill "$p" 2>/dev/null; wait "$p" 2>/dev/null; done
    PROBE_PIDS=()
    lvx_wineserver_stop
    lvx_xvfb_stop
}

# probe_folder KEY=VALUE...: a folder with a copy of the program and its
# settings file (keys in UTF-8, stored in code page 932); prints it.
probe_folder() {
    local dir
    dir=$(mktemp -d "$PROBE_T/saver.XXXXXX")
    cp "$PROBE_SCR" "$dir/Lumvex_K47.scr"
    { printf '[Section]\r\n'; local kv; for kv in "$@"; do printf '%s\r\n' "$kv"; done; } |
        iconv -f UTF-8 -t CP932 >"$dir/Lumvex_K47.ini"
    echo "$dir"
}

probe_win_path() { local p; p=$(realpath "$1"); echo "Z:${p//\//\\}"; }

# probe_start FOLDER TEXT: starts the saver through the helper, which reports
# "window MS" and "frame MS" (first picture pixel on screen, from the process's
# creation) into FOLDER/run.out. Sets PROBE_WINPID and PROBE_UNIXPID.
probe_start() {
    local exe out
    exe="$(probe_win_path "$1")\\Lumvex_K47.scr"
    out="$1/run.out"
    "$LVX_ROOT/scripts/wine-exec.sh" "$PROBE_HELPER" firstframe "$exe" "$2" "${PROBE_X:-100}" "${PROBE_Y:-100}" \
        </dev/null >"$out" 2>/dev/null &
    PROBE_PIDS+=($!)
    local i
    for i in $(seq 1 200); do
        PROBE_WINPID=$(tr -d '\r' <"$out" | awk '/^pid/ {print $2}')
        [ -n "$PROBE_WINPID" ] && break
        sleep 0.05
    done
    # The saver's own Unix process: its command line starts with the program.
    PROBE_UNIXPID=""
    for i in $(seq 1 200); do
        local p
        for p in /proc/[0-9]*; do
            if [ "$({ tr '\0' '\n' <"$p/cmdline"; } 2>/dev/null | head -1)" = "$exe" ]; then
                PROBE_UNIXPID=${p#/proc/}
                break 2
            fi
        done
        sleep 0.05
    done
}

# probe_cpu SECONDS: the share of one core (percent) the saver's process used
# over SECONDS, and the pass rate meanwhile: "CPU RATE".
probe_cpu() {
    local t0 t1 hz rate
    hz=$(getconf CLK_TCK)
    t0=$(awk '{print $14 + $15}' "/proc/$PROBE_UNIXPID/stat")
    rate=$(probe_helper passes "$(($1 * 1000))" | awk '/^rate/ {print $2}')
    t1=$(awk '{print $14 + $15}' "/proc/$PROBE_UNIXPID/stat")
    # The helper's own start adds about a second to the CPU window.
    awk -v a="$t0" -v b="$t1" -v hz="$hz" -v s="$1" -v r="$rate" 'BEGIN { printf "%.1f %s\n", 100 * (b - a) / hz / (s + 0.9), r }'
}

# probe_memory: "handles N workingset KB pagefile KB rss KB".
probe_memory() {
    local rss
    rss=$(awk '/^VmRSS/ {print $2}' "/proc/$PROBE_UNIXPID/status")
    echo "$(probe_helper procinfo "$PROBE_WINPID" | awk '{print $1, $2, $3, $4, $5, $6}') rss $rss"
}

# probe_end: a key press ends the saver; waits for it.
probe_end() {
    xdotool key Escape
    local i
    for i in $(seq 1 100); do
        [ -d "/proc/$PROBE_UNIXPID" ] || return 0
        sleep 0.1
    done
    return 1
}
