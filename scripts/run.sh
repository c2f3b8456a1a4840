#!/usr/bin/env bash
# Installs what is missing, builds both Lumvex_K47.scr files (and the tool
# lvx, into build/out/lvx, and the web page, whose path it prints) and runs the
# saver under Wine: on $DISPLAY when there is one, otherwise on a private
# Xvfb for a few seconds, saving a screenshot and printing its path.
set -euo pipefail
usage() { echo "usage: bash scripts/run.sh   (reads LVX_ARGS, LVX_SECONDS, LVX_SCREEN, LVX_DISPLAY, LVX_HEADLESS)"; }
if [ $# -gt 0 ]; then
  case "$1" in
    -h|--help) usage; exit 0 ;;
    *) echo "run.sh: unknown argument '$1'" >&2; usage >&2; exit 2 ;;
  esac
fi
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
export LVX_ROOT="$ROOT"
bash "$ROOT/scripts/deps.sh"
bash "$ROOT/scripts/build.sh" scr
bash "$ROOT/scripts/build.sh" lvx
page=$(bash "$ROOT/scripts/build.sh" web | tail -1)
echo "The web page (open it in any browser): $page"
source "$ROOT/scripts/wine-env.sh"
lvx_wine_prefix
scr="$ROOT/build/out/x64/Lumvex_K47.scr"
args="${LVX_ARGS:-/s}"
if [ -n "${DISPLAY:-}" ] && [ -z "${LVX_HEADLESS:-}" ]; then
  "$ROOT/scripts/wine-exec.sh" "$scr" $args
  exit 0
fi
lvx_xvfb_start
lvx_wineserver_start
trap 'lvx_wineserver_stop; lvx_xvfb_stop' EXIT
"$ROOT/scripts/wine-exec.sh" "$scr" $args &
pid=$!
sleep "${LVX_SECONDS:-5}"
shot="$ROOT/build/screenshot.png"
xwd -root -silent | convert xwd:- "$shot"
kill "$pid" 2>/dev/null || true
echo "$shot"
