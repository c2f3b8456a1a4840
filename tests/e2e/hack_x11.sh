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
#  5. on a display without MIT-SHM it draws with plain XPutImage.
# The daemon launches no hack as root, so as root this makes a user of its own
# and runs Xvfb, the daemon and the hack as that user.
# Usage: hack_x11.sh PATH/TO/lumvex-k47   Prints "hack_x11: N passed, N failed".
set -uo pipefail
HACK=$(readlink -f "${1:?usage: hack_x11.sh lumvex-k47}")
RUN_USER=""
if [ "$(id -u)" -eq 0 ]; then
  RUN_USER=lvxhack
  id "$RUN_USER" >/dev/null 2>&1 || useradd -m -s /bin/sh "$RUN_USER" || { echo "cannot add user $RUN_USER"; exit 1; }
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
[ -n "$RUN_USER" ] && chown -R "$RUN_USER" "$WORK/home"
HOMEDIR="$WORK/home"
# Leaks in Xlib's own caches are not ours to report when the hack is built
# with the sanitizers.
export ASAN_OPTIONS=detect_leaks=0
BASE_ENV=(HOME="$HOMEDIR" PATH="$WORK/bin:/usr/bin:/bin" ASAN_OPTIONS=detect_leaks=0)

n=171
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
export DISPLAY=":$n"
as_user "${BASE_ENV[@]}" Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
XVFB=$!
for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done

passed=0
failed=0
ok() { echo "ok: $*"; passed=$((passed + 1)); }
bad() { echo "FAILED: $*"; failed=$((failed + 1)); }
cleanup() {
  [ -n "${HPID:-}" ] && stop "$HPID"
  [ -n "${DAEMON:-}" ] && stop "$DAEMON"
  [ -n "${LOGO:-}" ] && stop "$LOGO"
  stop "$XVFB"
  wait 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT
trap "exit 1" INT TERM

shot() { as_user "${BASE_ENV[@]}" DISPLAY="$DISPLAY" xwd -root -silent | convert xwd:- "$1"; }
# The pixel at x,y as rrggbb.
pixel() { convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}' | head -1 | tr -d '#' | tr 'A-F' 'a-f'; }
# Segments of the user the hack runs as (other programs on the machine may
# come and go with their own).
shm_count() { ipcs -m | awk -v u="${RUN_USER:-$(id -un)}" '$3 == u' | wc -l; }
hack_pids() { pgrep -x lumvex-k47 || true; }
# Running, not merely waiting to be reaped by its parent.
alive() { [ -e "/proc/$1" ] && ! grep -q '^[0-9]* ([^)]*) Z' "/proc/$1/stat" 2>/dev/null; }

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
as_user "${BASE_ENV[@]}" DISPLAY="$DISPLAY" xscreensaver -no-splash >"$WORK/daemon.log" 2>&1 &
DAEMON=$!
for _ in $(seq 1 100); do
  as_user "${BASE_ENV[@]}" DISPLAY="$DISPLAY" xscreensaver-command -version >/dev/null 2>&1 && break
  sleep 0.1
done
# A daemon that has only just started may let the first request pass (seen
# once on a fresh machine): asked again, up to three times. Its replies are
# shown on failure.
pid=""
for asked in 1 2 3; do
  as_user "${BASE_ENV[@]}" DISPLAY="$DISPLAY" xscreensaver-command -activate >>"$WORK/activate.log" 2>&1
  for _ in $(seq 1 40); do pid=$(hack_pids); [ -n "$pid" ] && break 2; sleep 0.1; done
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
as_user "${BASE_ENV[@]}" DISPLAY="$DISPLAY" xlogo -geometry 300x200+50+60 -bg white >/dev/null 2>&1 &
LOGO=$!
wid=""
for _ in $(seq 1 50); do
  top=$(as_user "${BASE_ENV[@]}" DISPLAY="$DISPLAY" xwininfo -root -tree 2>/dev/null | awk '/"xlogo"/ {print $1; exit}')
  [ -n "$top" ] && break; sleep 0.1
done
# The logo widget's own window covers the top-level one: draw into that.
wid=$(as_user "${BASE_ENV[@]}" DISPLAY="$DISPLAY" xwininfo -tree -id "$top" | awk '/child/ {getline; print $1; exit}')
shm_before=$(shm_count)
as_user "${BASE_ENV[@]}" DISPLAY="$DISPLAY" "$WORK/bin/lumvex-k47" -window-id "$wid" -background '#400020' -shape circle \
  >"$WORK/small.log" 2>&1 &
HPID=$!
sleep 1
shot "$WORK/small.png"
if grid_ok "$WORK/small.png" 50 60 300 200 400020; then ok "300 x 200 window: the whole grid fits"
else bad "300 x 200 window: grid"; fi
# runuser stands between: the signal goes to the hack itself.
kill -TERM $(hack_pids) 2>/dev/null
wait "$HPID"; rc=$?
[ "$rc" -eq 0 ] && ok "SIGTERM: status 0" || { bad "SIGTERM: status $rc"; cat "$WORK/small.log"; }
[ "$(shm_count)" = "$shm_before" ] && ok "SIGTERM: no shared-memory segment left" || bad "SIGTERM: shared memory left"
[ -n "${LVX_SHOTS:-}" ] && cp "$WORK/small.png" "$LVX_SHOTS"/

# ---- 3. its own window, resized, then q ----------------------------------
as_user "${BASE_ENV[@]}" DISPLAY="$DISPLAY" "$WORK/bin/lumvex-k47" -fps -background '#000080' >"$WORK/own.log" 2>&1 &
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
as_user "${BASE_ENV[@]}" DISPLAY="$DISPLAY" xdotool key --window "$own" q
for _ in $(seq 1 20); do kill -0 "$HPID" 2>/dev/null || break; sleep 0.05; done
if kill -0 "$HPID" 2>/dev/null; then bad "q did not end the window"; kill "$HPID"; fi
wait "$HPID"; rc=$?
[ "$rc" -eq 0 ] && ok "q: status 0" || bad "q: status $rc"
grep -q 'first frame' "$WORK/own.log" && ok "-fps: $(grep -m1 'first frame' "$WORK/own.log")" || bad "-fps printed no first frame"
[ -n "${LVX_SHOTS:-}" ] && cp "$WORK/resized.png" "$LVX_SHOTS"/

# ---- 4. bad input ---------------------------------------------------------
check_fails() {  # expected-text, args...
  local want=$1; shift
  local out rc
  out=$(as_user "${BASE_ENV[@]}" DISPLAY="$DISPLAY" "$WORK/bin/lumvex-k47" "$@" 2>&1 >/dev/null); rc=$?
  if [ "$rc" -eq 1 ] && [ "$(wc -l <<<"$out")" -eq 1 ] && grep -q -- "$want" <<<"$out"; then ok "$* -> $out"
  else bad "$*: status $rc, \"$out\""; fi
}
check_fails "no window 0x7ffffff" -window-id 0x7ffffff
out=$(as_user "${BASE_ENV[@]}" DISPLAY=:9999 "$WORK/bin/lumvex-k47" -root 2>&1); rc=$?
[ "$rc" -eq 1 ] && grep -q "cannot open the X display" <<<"$out" && ok "no display -> $out" || bad "no display: $rc $out"
check_fails "unknown option" -frobnicate
out=$("$WORK/bin/lumvex-k47" --help); rc=$?
[ "$rc" -eq 0 ] && grep -q "silent" <<<"$out" && ok "--help on stdout, status 0" || bad "--help"

# ---- 5. a display without MIT-SHM: plain XPutImage --------------------------
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
kill -TERM $(hack_pids) 2>/dev/null
wait "$HPID"; rc=$?
[ "$rc" -eq 0 ] && [ ! -s "$WORK/noshm.log" ] && ok "no MIT-SHM: status 0, nothing on stderr" \
  || { bad "no MIT-SHM: status $rc"; cat "$WORK/noshm.log"; }
stop "$XVFB2"

bash "$(dirname "$0")/hack_depths.sh" "$HACK" "$(dirname "$HACK")/depth-shots" && ok "hack_depths.sh: depths 16, 30, 8" || bad "hack_depths.sh"
echo "hack_x11: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
