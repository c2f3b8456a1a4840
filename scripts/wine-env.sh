# Sourced by the build and test scripts: a private, quiet, crash-safe Wine
# and a private Xvfb. Nothing here touches ~/.wine or the user's display.
# Run rather than sourced: say how it is used, and stop.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  usage() { echo "usage: source scripts/wine-env.sh   (gives lvx_wine_prefix, lvx_xvfb_start, lvx_wineserver_start ...; reads LVX_DISPLAY, LVX_SCREEN, LVX_WINEPREFIX)"; }
  case "${1:-}" in
    -h|--help) usage; exit 0 ;;
  esac
  echo "wine-env.sh: this file is sourced by other scripts, not run" >&2
  usage >&2
  exit 2
fi
LVX_ROOT="${LVX_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
LVX_BUILD="${LVX_BUILD:-$LVX_ROOT/build}"

export WINEPREFIX="${LVX_WINEPREFIX:-$LVX_BUILD/wineprefix}"
export WINEARCH=win64
export WINEDEBUG=-all
# winedbg disabled: a crash exits with code 5 instead of hanging on a dialog.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
# A home whose ALSA config gives Wine one null wave device (no sound card here).
export HOME="$LVX_BUILD/home"

lvx_wine_home() {
  mkdir -p "$HOME"
  if [ ! -f "$HOME/.asoundrc" ]; then
    printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' >"$HOME/.asoundrc"
  fi
}

# Makes the prefix once; later calls only check a marker. A prefix made
# before the 32-bit half was installed lacks syswow64 for good: made anew.
lvx_wine_prefix() {
  lvx_wine_home
  if [ -f "$WINEPREFIX/.lvx-ready" ]; then
    [ -d "$WINEPREFIX/drive_c/windows/syswow64" ] && return 0
    echo "Wine prefix without its 32-bit half: making it anew" >&2
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
  fi
  mkdir -p "$(dirname "$WINEPREFIX")"
  wineboot -i </dev/null >/dev/null 2>&1 || true
  wineserver -w
  # Japanese dialog fonts fall back to a face without Latin glyphs unless
  # replaced; the .reg file must be UTF-16LE with a BOM for the names to survive.
  local reg="$LVX_BUILD/fonts.reg"
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    printf '"ＭＳ Ｐゴシック"="IPAPGothic"\r\n"MS PGothic"="IPAPGothic"\r\n'
    printf '"ＭＳ ゴシック"="IPAGothic"\r\n"MS Gothic"="IPAGothic"\r\n'
    printf '"ＭＳ UI Gothic"="IPAPGothic"\r\n"MS UI Gothic"="IPAPGothic"\r\n'
  } | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$reg"
  wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" </dev/null >/dev/null 2>&1 || true
  wineserver -w
  touch "$WINEPREFIX/.lvx-ready"
}

# Fails loudly unless a 32-bit Windows program starts and reports back:
# without Wine's 32-bit half "wine" prints one line and ends with status 0.
lvx_wine32_check() {
  local probe="${LVX_PROBE:-$LVX_BUILD/win32/tests/e2e/lvx_e2e.exe}" out
  [ -f "$probe" ] || { echo "32-bit probe $probe is not built" >&2; return 1; }
  out=$(wine "$probe" bits </dev/null 2>&1)
  if ! grep -q '^bits 32' <<<"$out"; then
    echo "The 32-bit program does not run under this Wine (wine32 missing?):" >&2
    echo "$out" | head -5 >&2
    return 1
  fi
}

# Starts Xvfb on the first free display from :91 on, or from LVX_DISPLAY on
# (a number, e.g. 120) to keep apart from others on a shared machine.
lvx_xvfb_start() {
  local n=${LVX_DISPLAY:-91}
  n=${n#:}
  case "$n" in ''|*[!0-9]*) echo "LVX_DISPLAY must be a display number, not '$LVX_DISPLAY'" >&2; return 1 ;; esac
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 "${LVX_SCREEN:-1024x768x24}" -nolisten tcp >/dev/null 2>&1 &
  LVX_XVFB_PID=$!
  export DISPLAY=":$n"
  local i
  for i in $(seq 1 50); do
    [ -e "/tmp/.X11-unix/X$n" ] && return 0
    sleep 0.1
  done
  echo "Xvfb did not start on :$n" >&2
  return 1
}

lvx_xvfb_stop() {
  [ -n "${LVX_XVFB_PID:-}" ] && kill "$LVX_XVFB_PID" 2>/dev/null || true
  wait "${LVX_XVFB_PID:-}" 2>/dev/null || true
  LVX_XVFB_PID=""
}

# One persistent Wine server for a whole batch: each run through a pipe would
# otherwise wait seconds for Wine's background processes. With HOLDER, that
# program keeps the server's desktop open (lvx_desktop_hold); it starts first,
# before any desktop can be closing.
lvx_wineserver_start() {
  local status=0
  wineserver -p
  if [ -n "${1:-}" ]; then lvx_desktop_hold "$1" || status=1; fi
  wine wineboot </dev/null >/dev/null 2>&1 || true
  return $status
}

# lvx_desktop_hold HELPER: keeps Wine's desktop open for a whole batch.
# Wine closes a desktop one second after its last program has ended; a
# program that starts just then can attach to the closing desktop and see
# none of the windows of the programs after it. One idle program on it
# (the tests' helper, waiting for queries) means it never closes.
lvx_desktop_hold() {
  local line
  coproc LVX_DESKTOP_HOLDER { wine "$1" serve 2>/dev/null; }
  # Its answer to one query that enumerates windows: it is on the desktop.
  printf 'hold\ttop\t0\n' >&"${LVX_DESKTOP_HOLDER[1]}"
  while IFS= read -r -t 60 line <&"${LVX_DESKTOP_HOLDER[0]}"; do
    [[ $line == "lvx-e2e-done hold "* ]] && return 0
  done
  echo "the program that holds Wine's desktop did not answer" >&2
  return 1
}

lvx_desktop_release() {
  [ -n "${LVX_DESKTOP_HOLDER_PID:-}" ] || return 0
  local pid=$LVX_DESKTOP_HOLDER_PID
  eval "exec ${LVX_DESKTOP_HOLDER[1]}>&- ${LVX_DESKTOP_HOLDER[0]}<&-"
  wait "$pid" 2>/dev/null || true
}

lvx_wineserver_stop() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
}
