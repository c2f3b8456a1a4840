#!/usr/bin/env bash
# Shows the saver on two monitors under Wine, which Xvfb cannot present: an
# X server with the dummy video driver and two RandR outputs (1024 x 768, the
# primary, and 800 x 600 to its right), in a Wine prefix of its own. Installs
# that X server when it is missing (apt). Checks that the second monitor gets
# one cover in the saver's background colour, changing with it, that a click
# on it leaves the saver running and that a key ends it; saves a screenshot of
# both monitors as build/two-monitors.png. Not part of the test run.
set -uo pipefail
usage() { echo "usage: bash scripts/two-monitors.sh   (reads LVX_DISPLAY, first display number to try, default 101)"; }
if [ $# -gt 0 ]; then
  case "$1" in
    -h|--help) usage; exit 0 ;;
    *) echo "two-monitors.sh: unknown argument '$1'" >&2; usage >&2; exit 2 ;;
  esac
fi
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
export LVX_ROOT="$ROOT"
export LVX_WINEPREFIX="$ROOT/build/wineprefix-monitors"
source "$ROOT/scripts/wine-env.sh"
SCR="$LVX_BUILD/win64/src/Lumvex_K47.scr"
HELPER="$LVX_BUILD/win64/tests/e2e/lvx_e2e.exe"
[ -f "$SCR" ] && [ -f "$HELPER" ] || { echo "build first: bash scripts/build.sh" >&2; exit 1; }

missing=()
for p in xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils; do
    [ "$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null)" = installed ] || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

T=$(mktemp -d "${TMPDIR:-/tmp}/lvx-monitors.XXXXXX")
pids=()
cleanup() {
    local p
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; wait "$p" 2>/dev/null; done
    lvx_wineserver_stop
    [ -n "${xorg:-}" ] && { kill "$xorg" 2>/dev/null; wait "$xorg" 2>/dev/null; }
    rm -rf "$T"
}
trap cleanup EXIT

cat >"$T/xorg.conf" <<'CONF'
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoAddGPU" "false"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 128000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Modes "1024x768"
    Virtual 1824 768
  EndSubSection
EndSection
CONF
n=${LVX_DISPLAY:-101}
n=${n#:}
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
Xorg ":$n" -config "$T/xorg.conf" -noreset -nolisten tcp -logfile "$T/xorg.log" >/dev/null 2>&1 &
xorg=$!
export DISPLAY=":$n"
for i in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
xrandr --newmode second 40.00 800 840 968 1056 600 601 605 628 +hsync +vsync
xrandr --addmode DUMMY1 second
xrandr --output DUMMY0 --primary --mode 1024x768 --pos 0x0 --output DUMMY1 --mode second --pos 1024x0
xdotool sleep 86400 &  # keeps the pointer where it is put
pids+=($!)
lvx_wine_prefix
# A fresh prefix knows the monitors as they were while it was made.
lvx_wineserver_stop
lvx_wineserver_start

helper() { "$ROOT/scripts/wine-exec.sh" "$HELPER" "$@" </dev/null 2>/dev/null | tr -d '\r'; }
failures=0
check() {  # description, command...
    local what=$1; shift
    if "$@"; then echo "ok: $what"; else echo "FAIL: $what"; failures=$((failures + 1)); fi
}
pixel() { convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | awk 'NR == 2 { print tolower(substr($3, 2, 6)) }'; }

echo "X outputs: $(xrandr | grep " connected" | tr "\n" ";")"
echo "monitors as Wine sees them: $(helper monitors | tr '\n' ';')"
mkdir -p "$T/saver"
cp "$SCR" "$T/saver/Lumvex_K47.scr"
printf '[Section]\r\nﾋﾟｸﾁｬのｻｲｽﾞ= 200\r\n色の転換= 0\r\n背景色ﾗﾝﾀﾞﾑ= 1\r\n' | iconv -f UTF-8 -t CP932 >"$T/saver/Lumvex_K47.ini"
p=$(realpath "$T/saver/Lumvex_K47.scr")
xdotool mousemove 512 384
"$ROOT/scripts/wine-exec.sh" "$HELPER" run "Z:${p//\//\\}" /s </dev/null >"$T/run.out" 2>/dev/null &
pids+=($!)
sleep 3
covers=$(helper covers)
check "one cover, of the second monitor's size ($covers)" test "$covers" = "1024 0 1824 600"
xwd -root -silent | convert xwd:- "$T/one.png"
sleep 1.2
xwd -root -silent | convert xwd:- "$LVX_BUILD/two-monitors.png"
a1=$(pixel "$T/one.png" 2 2) c1=$(pixel "$T/one.png" 1400 300)
a2=$(pixel "$LVX_BUILD/two-monitors.png" 2 2) c2=$(pixel "$LVX_BUILD/two-monitors.png" 1400 300)
check "the cover has the background colour ($a1 / $c1)" test "$a1" = "$c1"
check "and changes with it ($a2 / $c2)" test "$a2" = "$c2" -a "$a2" != "$a1"
xdotool mousemove 1400 384 click 1
sleep 1
check "a click on the cover leaves the saver running" test -n "$(helper passes | grep -v none)"
xdotool key a
sleep 0.5
xwd -root -silent | convert xwd:- "$T/after.png"
check "a key over the cover clears both monitors at once" \
    test "$(pixel "$T/after.png" 1400 300) $(pixel "$T/after.png" 2 2)" = "000000 000000"
# Without a window manager Wine waits up to 2 s for each full-screen window
# it destroys: the saver and its cover.
for i in $(seq 1 80); do [ "$(helper passes)" = "passes none" ] && break; sleep 0.1; done
check "and the saver's window is gone" test "$(helper passes)" = "passes none"
echo "screenshot: $LVX_BUILD/two-monitors.png"
[ "$failures" -eq 0 ]
