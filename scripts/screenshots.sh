#!/usr/bin/env bash
# Takes the README's pictures from the real program under Wine on a private
# Xvfb: docs/saver.png (the running saver, default settings, half size) and
# docs/dialog.png (the settings dialog with its frame). Run it when the look
# changes and commit the pictures; about 30 seconds once built
# (bash scripts/build.sh). Reads LVX_DISPLAY.
usage() { echo "usage: bash scripts/screenshots.sh   (reads LVX_DISPLAY)"; }
if [ $# -gt 0 ]; then
  case "$1" in
    -h|--help) usage; exit 0 ;;
    *) echo "screenshots.sh: unknown argument '$1'" >&2; usage >&2; exit 2 ;;
  esac
fi
LVX_ROOT="$(cd "$(dirname "$0")/.." && pwd)"
export LVX_ROOT
export LVX_SCR="$LVX_ROOT/build/win64/src/Lumvex_K47.scr"
export LVX_E2E_HELPER="$LVX_ROOT/build/win64/tests/e2e/lvx_e2e.exe"
[ -f "$LVX_SCR" ] && [ -f "$LVX_E2E_HELPER" ] || { echo "build first: bash scripts/build.sh" >&2; exit 1; }
unset DISPLAY LVX_E2E_OUT
# The whole-program tests' library: a private display, Wine, and the helper.
source "$LVX_ROOT/tests/e2e/lib.sh"
source "$LVX_ROOT/tests/e2e/dialog_lib.sh"
docs="$LVX_ROOT/docs"
mkdir -p "$docs"

echo "== the saver"
dir=$(lvx_saver_folder)
lvx_start_saver saver "$dir" "/s"
lvx_check "the saver draws" lvx_wait_passes 20 20
shot=$(lvx_shot saver)
lvx_kill saver
convert "$shot" -resize 50% -strip -define png:compression-level=9 "$docs/saver.png"
echo "$docs/saver.png"

echo "== the settings dialog"
# Wine draws the caption and frame itself for this picture.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
lvx_check "the dialog opens" dlg_open dialog
shot=$(lvx_shot dialog)
wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1
# The client area and Wine's frame around it: caption above, border on the other sides.
fx=$((DLG_X - 3)) fy=$((DLG_Y - 25)) fw=$((DLG_W + 6)) fh=$((DLG_H + 28))
# Greys and a few colours: 256 of them keep it as it is at a third of the size.
convert "$shot" -crop "${fw}x${fh}+${fx}+${fy}" +repage -strip -colors 256 "PNG8:$docs/dialog.png"
echo "$docs/dialog.png"
