#!/usr/bin/env bash
# Whole-program test of the X11 hack lumvex-k47 on Xvfb, natively:
#  1. the real XScreenSaver daemon starts it from a ~/.xscreensaver that names
#     only this hack, shows twelve pictures over the chosen background that
#     move, and ends it on -deactivate within a second, leaving no
#     shared-memory segment;
#  2. a 300 x 200 window given with -window-id holds the whole grid, and the
#     hack ends on SIGTERM with status 0;
#  3. its own -window follows a resize at once and ends on "q";
#  4. bad input: one line on stderr and status 1;
#  5. on a display without MIT-SHM it draws with plain XPutImage, and a
#     resize whose frame cannot be made ends it with status 1;
#  6. SIGINT ends it with status 0 and no segment left, unless the parent
#     ignores SIGINT; a colour name with spaces is the X server's;
#  7. pacing: the refresh of its monitor (RandR modes of 50 and 100 Hz),
#     at most 60 a second without -delay, followed when the mode changes;
#  8. SIGTERM ends it within 100 ms after a storm of 300 resizes, and with a
#     50 MB settings file;
#  9. -root draws in a virtual root (__SWM_VROOT);
# 10. the Debian package builds and lintian finds no error or warning.
# The daemon launches no hack as root, so as root this makes a user of its own
# for this run and runs Xvfb, the daemon and the hack as that user. Hacks are
# found only among the programs this test started. Displays from
# $LVX_DISPLAY (default 171) upwards.
# Usage: hack_x11.sh PATH/TO/lumvex-k47   Prints "hack_x11: N passed, N failed".
set -uo pipefail
HACK=$(readlink -f "${1:?usage: hack_x11.sh lumvex-k47}")
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
RUN_USER=""
if [ "$(id -u)" -eq 0 ]; then
  RUN_USER="lvxh$$"
  useradd -M -s /bin/sh "$RUN_USER" || { echo "cannot add user $RUN_USER"; exit 1; }
fi
as_user() {
  if [ -n "$RUN_USER" ]; then runuser -u "$RUN_USER" -- env "$@"; else env "$@"; fi
}
# Ends a program started with as_user in the background, and everything
# under it: runuser does not pass signals on, so the program gets them first.
stop() {  # pid
  local child
  for child in $(pgrep -P "$1"); do stop "$child"; done
  kill "$1" 2>/dev/null
}

WORK=$(mktemp -d /tmp/lvx-hack.XXXXXX)
chmod 755 "$WORK"
mkdir -p "$WORK/bin" "$WORK/home"
cp "$HACK" "$WORK/bin/lumvex-k47"
cc -O2 -o "$WORK/bin/x11_poke" "$ROOT/tests/e2e/helpers/x11_poke.c" -lX11 -lXrandr || { echo "cannot build x11_poke"; exit 1; }
[ -n "$RUN_USER" ] && chown -R "$RUN_USER" "$WORK/home"
HOMEDIR="$WORK/home"
# Leaks in Xlib's own caches are not ours to report when the hack is built
# with the sanitizers.
export ASAN_OPTIONS=detect_leaks=0
BASE_ENV=(HOME="$HOMEDIR" PATH="$WORK/bin:/usr/bin:/bin" ASAN_OPTIONS=detect_leaks=0)

n=${LVX_DISPLAY:-171}
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
export DISPLAY=":$n"
as_user "${BASE_ENV[@]}" Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
XVFB=$!
# Ready when a client of the test user's is served, not when the socket
# appears: a client that comes too early fails, and the daemon with it.
for _ in $(seq 1 200); do
  as_user DISPLAY="$DISPLAY" xdpyinfo >/dev/null 2>&1 && break
  sleep 0.1
done
as_user DISPLAY="$DISPLAY" xdpyinfo >/dev/null 2>&1 || { echo "hack_x11: Xvfb $DISPLAY never answered"; echo "hack_x11: 0 passed, 1 failed"; exit 1; }

passed=0
failed=0
section() { echo "-- $* (at $SECONDS s)"; }
ok() { echo "ok: $*"; passed=$((passed + 1)); }
bad() { echo "FAILED: $*"; failed=$((failed + 1)); }
cleanup() {
  [ -n "${HPID:-}" ] && stop "$HPID"
  [ -n "${DAEMON:-}" ] && stop "$DAEMON"
  [ -n "${LOGO:-}" ] && stop "$LOGO"
  stop "$XVFB"
  wait 2>/dev/null
  rm -rf "$WORK"
  [ -n "$RUN_USER" ] && userdel "$RUN_USER" 2>/dev/null
}
trap cleanup EXIT
trap "exit 1" INT TERM

shot() { as_user "${BASE_ENV[@]}" DISPLAY="$DISPLAY" xwd -root -silent | convert xwd:- "$1"; }
# The pixel at x,y as rrggbb.
pixel() { convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}' | head -1 | tr -d '#' | tr 'A-F' 'a-f'; }
# Segments of the user the hack runs as (other programs on the machine may
# come and go with their own).
shm_count() { ipcs -m | awk -v u="${RUN_USER:-$(id -un)}" '$3 == u' | wc -l; }
# The hack this test started as PID (as_user execs it, or runuser starts it
# as its child), or the one among the descendants of PID (the daemon's):
# never another user's or another test's.
hack_of() {  # pid
  local p
  [ "$(cat "/proc/$1/comm" 2>/dev/null)" = lumvex-k47 ] && { echo "$1"; return; }
  for p in $(pgrep -P "$1"); do
    p=$(hack_of "$p")
    [ -n "$p" ] && { echo "$p"; return; }
  done
}
# Running, not merely waiting to be reaped by its parent.
alive() { [ -n "$1" ] && [ -e "/proc/$1" ] && ! grep -q '^[0-9]* ([^)]*) Z' "/proc/$1/stat" 2>/dev/null; }
# Sends a signal to the hack under PID and prints how many ms it took to end.
end_ms() {  # signal pid
  local h s
  h=$(hack_of "$2"); s=$(date +%s%N)
  [ -n "$h" ] && kill "-$1" "$h"
  while [ -n "$h" ] && alive "$h" && [ $(( ($(date +%s%N) - s) / 1000000 )) -lt 5000 ]; do sleep 0.002; done
  echo $(( ($(date +%s%N) - s) / 1000000 ))
}
# The last frame rate a hack printed with LVX_STATS=1.
last_fps() { grep -o '[0-9.]* fps' "$1" | tail -1 | cut -d' ' -f1; }
within() { awk -v v="${1:-0}" -v lo="$2" -v hi="$3" 'BEGIN { exit !(v != "" && v + 0 >= lo && v + 0 <= hi) }'; }
# Waits until a hack's LVX_STATS log shows its first frame.
first_frame() {  # log seconds
  local i
  for i in $(seq 1 $(($2 * 20))); do grep -q 'first frame' "$1" && return 0; sleep 0.05; done
  return 1
}
x() { as_user "${BASE_ENV[@]}" DISPLAY="$DISPLAY" "$@"; }

# Twelve pictures on the 4 x 3 grid of a w x h area at (ox, oy): every cell's
# centre differs from the background, the gap at each cell's corner has it.
grid_ok() {  # file ox oy w h background
  local f=$1 ox=$2 oy=$3 w=$4 h=$5 bg=$6 cw ch i x y bad=0 corner
  cw=$((w / 4)); ch=$((h / 3))
  for i in $(seq 0 11); do
    x=$((ox + (i % 4) * cw)); y=$((oy + (i / 4) * ch))
    [ "$(pixel "$f" $((x + cw / 2)) $((y + ch / 2)))" != "$bg" ] || { echo "  cell $i: no picture"; bad=1; }
    corner=$(pixel "$f" $((x + 1)) $((y + 1)))
    [ "$corner" = "$bg" ] || { echo "  cell $i: corner $corner, not $bg"; bad=1; }
  done
  return $bad
}

# ---- 1. the real daemon --------------------------------------------------
section "the real daemon"
cat >"$HOMEDIR/.xscreensaver" <<'CONF'
mode:		one
selected:	0
timeout:	0:30:00
lock:		False
fade:		False
unfade:		False
splash:		False
dpmsEnabled:	False
programs:	lumvex-k47 --root -background #204060 -interval 60
CONF
[ -n "$RUN_USER" ] && chown "$RUN_USER" "$HOMEDIR/.xscreensaver"
shm_before=$(shm_count)
# The daemon is started once more if it has not answered within 15 s (its
# log is shown then).
for start in 1 2; do
  as_user "${BASE_ENV[@]}" DISPLAY="$DISPLAY" xscreensaver -no-splash -verbose >>"$WORK/daemon.log" 2>&1 &
  DAEMON=$!
  for _ in $(seq 1 150); do
    as_user "${BASE_ENV[@]}" DISPLAY="$DISPLAY" xscreensaver-command -version >/dev/null 2>&1 && break 2
    sleep 0.1
  done
  echo "  the daemon did not answer within 15 s (start $start):"; tail -5 "$WORK/daemon.log" | sed 's/^/    /'
  stop "$DAEMON"; wait "$DAEMON" 2>/dev/null
done
# A daemon that has only just started may let the first request pass (seen
# once on a fresh machine): asked again, up to three times. Its replies are
# shown on failure.
pid=""
for asked in 1 2 3; do
  as_user "${BASE_ENV[@]}" DISPLAY="$DISPLAY" xscreensaver-command -activate >>"$WORK/activate.log" 2>&1
  for _ in $(seq 1 40); do pid=$(hack_of "$DAEMON"); [ -n "$pid" ] && break 2; sleep 0.1; done
done
[ -n "$pid" ] && [ "$asked" -gt 1 ] && echo "  the daemon started the hack on request $asked:" && sed 's/^/    /' "$WORK/activate.log"
if [ -z "$pid" ]; then
  bad "daemon: the hack was not started"; cat "$WORK/activate.log" "$WORK/daemon.log" | sed 's/^/  /' | tail -20
else
  env_window=$(tr '\0' '\n' <"/proc/$pid/environ" | sed -n 's/^XSCREENSAVER_WINDOW=//p')
  args=$(tr '\0' ' ' <"/proc/$pid/cmdline")
  echo "  daemon started: $args with XSCREENSAVER_WINDOW=$env_window"
  sleep 1
  shot "$WORK/daemon1.png"; sleep 0.3; shot "$WORK/daemon2.png"
  if grid_ok "$WORK/daemon1.png" 0 0 1024 768 204060; then ok "daemon: twelve pictures over the background"
  else bad "daemon: the picture is not the saver's"; fi
  if [ "$(compare -metric AE "$WORK/daemon1.png" "$WORK/daemon2.png" null: 2>&1 | cut -d' ' -f1)" -gt 1000 ]; then
    ok "daemon: the pictures turn"
  else bad "daemon: two screenshots 0.3 s apart are alike"; fi
  start=$(date +%s%N)
  as_user "${BASE_ENV[@]}" DISPLAY="$DISPLAY" xscreensaver-command -deactivate >/dev/null 2>&1
  while alive "$pid" && [ $(( ($(date +%s%N) - start) / 1000000 )) -lt 3000 ]; do sleep 0.02; done
  ms=$(( ($(date +%s%N) - start) / 1000000 ))
  if ! alive "$pid" && [ "$ms" -le 1000 ]; then ok "daemon: -deactivate ended the hack in $ms ms"
  else bad "daemon: the hack still ran $ms ms after -deactivate"; fi
  [ "$(shm_count)" = "$shm_before" ] && ok "daemon: no shared-memory segment left" || { bad "daemon: shared memory left"; ipcs -m; }
fi
stop "$DAEMON"; wait "$DAEMON" 2>/dev/null; DAEMON=""
[ -n "${LVX_SHOTS:-}" ] && cp "$WORK"/daemon*.png "$LVX_SHOTS"/ 2>/dev/null

# ---- 2. a 300 x 200 window given by id, ended by SIGTERM -----------------
section "a 300 x 200 window given by id, ended by SIGTERM"
as_user "${BASE_ENV[@]}" DISPLAY="$DISPLAY" xlogo -geometry 300x200+50+60 -bg white >/dev/null 2>&1 &
LOGO=$!
wid=""
for _ in $(seq 1 50); do
  top=$(as_user "${BASE_ENV[@]}" DISPLAY="$DISPLAY" xwininfo -root -tree 2>/dev/null | awk '/"xlogo"/ {print $1; exit}')
  [ -n "$top" ] && break; sleep 0.1
done
# The logo widget's own window covers the top-level one: draw into that.
# (Without a window, xwininfo would wait for a click for ever.)
[ -n "$top" ] && wid=$(as_user "${BASE_ENV[@]}" DISPLAY="$DISPLAY" timeout 10 xwininfo -tree -id "$top" 2>/dev/null |
                       awk '/child/ {getline; print $1; exit}')
[ -n "$wid" ] || bad "300 x 200 window: xlogo's window did not appear"
shm_before=$(shm_count)
as_user "${BASE_ENV[@]}" DISPLAY="$DISPLAY" "$WORK/bin/lumvex-k47" -window-id "$wid" -background '#400020' -shape circle \
  >"$WORK/small.log" 2>&1 &
HPID=$!
sleep 1
shot "$WORK/small.png"
if grid_ok "$WORK/small.png" 50 60 300 200 400020; then ok "300 x 200 window: the whole grid fits"
else bad "300 x 200 window: grid"; fi
# runuser stands between: the signal goes to the hack itself.
kill -TERM "$(hack_of "$HPID")" 2>/dev/null
wait "$HPID"; rc=$?
[ "$rc" -eq 0 ] && ok "SIGTERM: status 0" || { bad "SIGTERM: status $rc"; cat "$WORK/small.log"; }
[ "$(shm_count)" = "$shm_before" ] && ok "SIGTERM: no shared-memory segment left" || bad "SIGTERM: shared memory left"
[ -n "${LVX_SHOTS:-}" ] && cp "$WORK/small.png" "$LVX_SHOTS"/

# ---- 3. its own window, resized, then q ----------------------------------
section "its own window, resized, then q"
# $XSCREENSAVER_WINDOW is the daemon's, for -root only: a window of its own.
as_user "${BASE_ENV[@]}" DISPLAY="$DISPLAY" XSCREENSAVER_WINDOW="$wid" LVX_STATS=1 "$WORK/bin/lumvex-k47" -fps \
  -size-percent 60 -background '#000080' >"$WORK/own.log" 2>&1 &
HPID=$!
own=""
for _ in $(seq 1 50); do
  own=$(as_user "${BASE_ENV[@]}" DISPLAY="$DISPLAY" xdotool search --name '^Lumvex_K47$' 2>/dev/null | head -1)
  [ -n "$own" ] && break; sleep 0.1
done
sleep 0.5
as_user "${BASE_ENV[@]}" DISPLAY="$DISPLAY" xdotool windowsize "$own" 640 480
sleep 0.5
shot "$WORK/resized.png"
if grid_ok "$WORK/resized.png" 0 0 640 480 000080; then ok "resize: the grid follows the window"
else bad "resize: grid"; fi
# -fps: white text in the bottom-left corner, below the pictures.
white=$(convert "$WORK/resized.png" -crop 120x24+0+450 -depth 8 txt:- | grep -c '#FFFFFF')
[ "$white" -ge 10 ] && ok "-fps: the frame rate in the corner ($white white pixels)" || bad "-fps: no text in the corner"
as_user "${BASE_ENV[@]}" DISPLAY="$DISPLAY" xdotool key --window "$own" q 2>/dev/null  # the key-up meets a window already gone
for _ in $(seq 1 20); do kill -0 "$HPID" 2>/dev/null || break; sleep 0.05; done
if kill -0 "$HPID" 2>/dev/null; then bad "q did not end the window"; kill "$HPID"; fi
wait "$HPID"; rc=$?
[ "$rc" -eq 0 ] && ok "q: status 0" || bad "q: status $rc"
grep -q 'first frame' "$WORK/own.log" && ok "LVX_STATS: $(grep -m1 'first frame' "$WORK/own.log")" || bad "LVX_STATS printed no first frame"
[ -n "${LVX_SHOTS:-}" ] && cp "$WORK/resized.png" "$LVX_SHOTS"/

# ---- 4. bad input ---------------------------------------------------------
section "bad input"
check_fails() {  # expected-text, args...
  local want=$1; shift
  local out rc
  out=$(as_user "${BASE_ENV[@]}" DISPLAY="$DISPLAY" "$WORK/bin/lumvex-k47" "$@" 2>&1 >/dev/null); rc=$?
  if [ "$rc" -eq 1 ] && [ "$(wc -l <<<"$out")" -eq 1 ] && grep -q -- "$want" <<<"$out"; then ok "$* -> $out"
  else bad "$*: status $rc, \"$out\""; fi
}
check_fails "no window 0x7ffffff" -window-id 0x7ffffff
check_fails "takes a window id" -window-id 0
mkdir -p "$WORK/folder.ini"
check_fails "cannot read the settings file" -settings "$WORK/folder.ini"
check_fails "unknown colour" -background "no such colour"
check_fails "no visual" -visual nonsense
out=$(as_user "${BASE_ENV[@]}" DISPLAY=:9999 "$WORK/bin/lumvex-k47" -root 2>&1); rc=$?
[ "$rc" -eq 1 ] && grep -q "cannot open the X display" <<<"$out" && ok "no display -> $out" || bad "no display: $rc $out"
check_fails "unknown option" -frobnicate
out=$("$WORK/bin/lumvex-k47" --help); rc=$?
[ "$rc" -eq 0 ] && grep -q "silent" <<<"$out" && grep -q "every N + 1 seconds" <<<"$out" && ok "--help on stdout, status 0" \
  || bad "--help"

# ---- 5. a display without MIT-SHM: plain XPutImage --------------------------
section "a display without MIT-SHM: plain XPutImage"
m=$((n + 1))
while [ -e "/tmp/.X11-unix/X$m" ] || [ -e "/tmp/.X$m-lock" ]; do m=$((m + 1)); done
as_user "${BASE_ENV[@]}" Xvfb ":$m" -screen 0 640x480x24 -nolisten tcp -extension MIT-SHM >/dev/null 2>&1 &
XVFB2=$!
for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$m" ] && break; sleep 0.1; done
as_user "${BASE_ENV[@]}" DISPLAY=":$m" "$WORK/bin/lumvex-k47" -root -background '#006000' >"$WORK/noshm.log" 2>&1 &
HPID=$!
sleep 1
as_user "${BASE_ENV[@]}" DISPLAY=":$m" xwd -root -silent | convert xwd:- "$WORK/noshm.png"
if grid_ok "$WORK/noshm.png" 0 0 640 480 006000; then ok "no MIT-SHM: drawn with XPutImage"; else bad "no MIT-SHM: grid"; fi
kill -TERM "$(hack_of "$HPID")" 2>/dev/null
wait "$HPID"; rc=$?
[ "$rc" -eq 0 ] && [ ! -s "$WORK/noshm.log" ] && ok "no MIT-SHM: status 0, nothing on stderr" \
  || { bad "no MIT-SHM: status $rc"; cat "$WORK/noshm.log"; }

# A window grown to 8000 x 8000 with memory for less: the frame cannot be
# made, so it ends with status 1 and one line (not a loop at full CPU).
# A sanitizer build reserves too much address space for ulimit -v: its
# allocator is told the limit instead.
limit="ulimit -v 400000;"
if grep -q -a __asan_init "$WORK/bin/lumvex-k47"; then
  limit=""
  big_env=(ASAN_OPTIONS=detect_leaks=0:allocator_may_return_null=1:max_allocation_size_mb=100)
else
  big_env=()
fi
as_user "${BASE_ENV[@]}" "${big_env[@]}" DISPLAY=":$m" sh -c "$limit exec \"$WORK/bin/lumvex-k47\" -geometry 200x150" \
  >/dev/null 2>"$WORK/huge.log" &
HPID=$!
big=""
for _ in $(seq 1 50); do
  big=$(as_user "${BASE_ENV[@]}" DISPLAY=":$m" xdotool search --name '^Lumvex_K47$' 2>/dev/null | head -1)
  [ -n "$big" ] && break; sleep 0.1
done
sleep 0.3
h=$(hack_of "$HPID")
as_user "${BASE_ENV[@]}" DISPLAY=":$m" xdotool windowsize "$big" 8000 8000
for _ in $(seq 1 100); do alive "$h" || break; sleep 0.05; done
if [ -z "$h" ]; then bad "8000 x 8000: the hack was not running"
elif alive "$h"; then bad "8000 x 8000: still running 5 s later"; kill -TERM "$h"; fi
wait "$HPID"; rc=$?
# The sanitizer's own warning about the refused allocation is not the hack's.
grep -v '^==[0-9]*==' "$WORK/huge.log" >"$WORK/huge.txt"
if [ "$rc" -eq 1 ] && [ "$(wc -l <"$WORK/huge.txt")" -eq 1 ] && grep -q "cannot make a 8000 x 8000 picture" "$WORK/huge.txt"; then
  ok "8000 x 8000 without the memory: status 1, \"$(cat "$WORK/huge.txt")\""
else bad "8000 x 8000: status $rc"; head -5 "$WORK/huge.log"; fi
HPID=""
stop "$XVFB2"

# ---- 6. SIGINT, and a SIGINT the parent ignores; a colour with spaces -------
section "SIGINT, and a SIGINT the parent ignores; a colour with spaces"
shm_before=$(shm_count)
# Started with SIGINT at its default: a test run started in the background
# of a shell inherits it ignored, and the hack rightly keeps it so.
as_user "${BASE_ENV[@]}" DISPLAY="$DISPLAY" env --default-signal=INT "$WORK/bin/lumvex-k47" -geometry 320x240 \
  -background "dark slate gray" >"$WORK/int.log" 2>&1 &
HPID=$!
sleep 0.8
shot "$WORK/int.png"
corner=$(pixel "$WORK/int.png" 2 2)
[ "$corner" = 2f4f4f ] && ok "-background \"dark slate gray\": $corner" || bad "dark slate gray: corner $corner"
h=$(hack_of "$HPID")
ms=$(end_ms INT "$HPID")
if alive "$h"; then bad "SIGINT: still running after $ms ms"; kill -KILL "$h"; wait "$HPID"
else wait "$HPID"; rc=$?
  [ "$rc" -eq 0 ] && ok "SIGINT: status 0 after $ms ms" || { bad "SIGINT: status $rc"; cat "$WORK/int.log"; }
fi
[ "$(shm_count)" = "$shm_before" ] && ok "SIGINT: no shared-memory segment left" || bad "SIGINT: shared memory left"
as_user "${BASE_ENV[@]}" DISPLAY="$DISPLAY" sh -c "trap '' INT; exec \"$WORK/bin/lumvex-k47\" -geometry 100x80" \
  >"$WORK/ign.log" 2>&1 &
HPID=$!
sleep 0.5
kill -INT "$(hack_of "$HPID")"; sleep 0.3
if alive "$(hack_of "$HPID")"; then ok "SIGINT ignored by the parent: still running"; else bad "SIGINT ignored by the parent ended it"; fi
end_ms TERM "$HPID" >/dev/null; wait "$HPID"; rc=$?
[ "$rc" -eq 0 ] && ok "then SIGTERM: status 0" || bad "SIGTERM after an ignored SIGINT: status $rc"
HPID=""

# ---- 7. pacing by the monitor's refresh -------------------------------------
section "pacing by the monitor's refresh"
# Three hacks side by side: no -delay, -delay 0, -delay 40000; the screen's
# mode is 50 Hz, then 100 Hz. Each frame rate is the last whole second's.
x x11_poke modes 50 3.0 >/dev/null &
POKE=$!
sleep 0.3
pids=()
for d in none 0 40000; do
  delay=(); [ "$d" != none ] && delay=(-delay "$d")
  as_user "${BASE_ENV[@]}" DISPLAY="$DISPLAY" LVX_STATS=1 "$WORK/bin/lumvex-k47" -geometry 160x120 "${delay[@]}" \
    >"$WORK/pace-$d.log" 2>&1 &
  pids+=($!)
done
sleep 2.5
for d in none 0 40000; do cp "$WORK/pace-$d.log" "$WORK/pace50-$d.log"; done
wait "$POKE"
x x11_poke modes 100 2.6 >/dev/null &
POKE=$!
sleep 2.3
for d in none 0 40000; do cp "$WORK/pace-$d.log" "$WORK/pace100-$d.log"; done
for p in "${pids[@]}"; do end_ms TERM "$p" >/dev/null; wait "$p"; done
wait "$POKE"
pace() {  # log label low high
  local f
  f=$(last_fps "$1")
  within "$f" "$3" "$4" && ok "pacing, $2: $f fps" || { bad "pacing, $2: ${f:-no} fps, not $3..$4"; tail -3 "$1"; }
}
# Upper bounds are the rule (a busy machine may only fall short); lower
# bounds tell 50 from 60 and 100 from 60.
pace "$WORK/pace50-none.log" "50 Hz, no -delay: the refresh" 40 51.5
pace "$WORK/pace50-0.log" "50 Hz, -delay 0: the refresh" 40 51.5
pace "$WORK/pace50-40000.log" "50 Hz, -delay 40000" 20 25.5
pace "$WORK/pace100-none.log" "100 Hz, no -delay: at most 60" 48 61.5
pace "$WORK/pace100-0.log" "100 Hz, -delay 0: the refresh" 72 101.5
pace "$WORK/pace100-40000.log" "100 Hz, -delay 40000" 20 25.5

# ---- 8. SIGTERM within 100 ms: after a resize storm, with a 50 MB file -------
section "SIGTERM within 100 ms: after a resize storm, with a 50 MB file"
# Measured by the X server's word that its window is gone (the program has
# let go of the display), from a client that sends the signal itself.
as_user "${BASE_ENV[@]}" DISPLAY="$DISPLAY" LVX_STATS=1 "$WORK/bin/lumvex-k47" >"$WORK/storm.log" 2>&1 &
HPID=$!
first_frame "$WORK/storm.log" 10
own=$(x xdotool search --name '^Lumvex_K47$' 2>/dev/null | head -1)
x x11_poke storm "$own" 300
ms=$(x x11_poke term "$(hack_of "$HPID")" "$own"); wait "$HPID"; rc=$?
[ "$rc" -eq 0 ] && [ "$ms" -le 100 ] && ok "300 resizes, then SIGTERM: ended in $ms ms" \
  || bad "300 resizes, then SIGTERM: status $rc after $ms ms"
# Fifty lines of a megabyte each: a comment the reader skips.
{ printf '[Section]\r\n'; for _ in $(seq 1 50); do printf ';'; head -c 1000000 /dev/zero | tr '\0' x; printf '\r\n'; done; } \
  >"$WORK/big.ini"
chmod 644 "$WORK/big.ini"
as_user "${BASE_ENV[@]}" DISPLAY="$DISPLAY" LVX_STATS=1 "$WORK/bin/lumvex-k47" -settings "$WORK/big.ini" \
  >"$WORK/big.log" 2>&1 &
HPID=$!
first_frame "$WORK/big.log" 20
own=$(x xdotool search --name '^Lumvex_K47$' 2>/dev/null | head -1)
x x11_poke storm "$own" 10
ms=$(x x11_poke term "$(hack_of "$HPID")" "$own"); wait "$HPID"; rc=$?
[ "$rc" -eq 0 ] && [ "$ms" -le 100 ] && ok "50 MB settings file, 10 resizes, then SIGTERM: ended in $ms ms" \
  || { bad "50 MB settings file: status $rc after $ms ms"; cat "$WORK/big.log"; }
HPID=""

# ---- 9. -root in a virtual root ---------------------------------------------
section "-root in a virtual root"
x x11_poke vroot 100 100 400 300 3 >"$WORK/vroot.id" &
POKE=$!
sleep 0.4
as_user "${BASE_ENV[@]}" DISPLAY="$DISPLAY" "$WORK/bin/lumvex-k47" -root -background '#203040' >"$WORK/vroot.log" 2>&1 &
HPID=$!
sleep 1
shot "$WORK/vroot.png"
if grid_ok "$WORK/vroot.png" 100 100 400 300 203040 && [ "$(pixel "$WORK/vroot.png" 50 50)" != 203040 ]; then
  ok "-root: drawn in the virtual root $(cat "$WORK/vroot.id")"
else bad "-root: not in the virtual root"; fi
end_ms TERM "$HPID" >/dev/null; wait "$HPID"; HPID=""
wait "$POKE"

# ---- 10. the Debian package ---------------------------------------------------
section "the Debian package"
if [ -f "$ROOT/scripts/deb.sh" ]; then
  if deb=$(bash "$ROOT/scripts/deb.sh" 2>"$WORK/deb.log" | tail -1) && [ -f "$deb" ]; then
    if lintian --fail-on error,warning --display-info "$deb" >"$WORK/lintian.log" 2>&1; then
      ok "lintian: no error or warning in $(basename "$deb")"
    else bad "lintian"; grep -E '^[EW]:' "$WORK/lintian.log" | head -20; fi
    if grep -q 'hardening-' "$WORK/lintian.log"; then bad "lintian: $(grep hardening- "$WORK/lintian.log" | head -3)"
    else ok "lintian --display-info: no hardening tag"; fi
    rec=$(dpkg-deb -f "$deb" Recommends)
    if ! grep -q -i font <<<"$rec" && ! LC_ALL=C grep -q -P '[^\x00-\x7F]' "$ROOT/src/saver/x11/lumvex-k47.xml"; then
      ok "English settings window, no CJK font recommended ($rec)"
    else bad "Recommends: $rec"; fi
  else bad "deb.sh failed"; tail -20 "$WORK/deb.log"; fi
fi

bash "$(dirname "$0")/hack_depths.sh" "$HACK" "$(dirname "$HACK")/depth-shots" && ok "hack_depths.sh: depths 16, 30, 8" || bad "hack_depths.sh"
echo "hack_x11: $passed passed, $failed failed ($SECONDS s)"
[ "$failed" -eq 0 ]
