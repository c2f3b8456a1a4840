#!/usr/bin/env bash
# Runs one Windows program under the project's private Wine (CTest's
# cross-compiling emulator and the whole-program tests use it). Every
# argument goes on to Wine unread, whatever it looks like; only a lone
# --help is answered here.
if [ $# -eq 1 ] && [ "$1" = "--help" ]; then
  echo "usage: bash scripts/wine-exec.sh PROGRAM.exe [ARGUMENT...]   (runs it under the project's Wine; reads LVX_WINEPREFIX)"
  exit 0
fi
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
lvx_wine_prefix
# ALSA chatter is noise on stderr. Wine's word that its 32-bit half is
# missing is not: it is the only trace of a 32-bit program that never ran.
exec wine "$@" 2> >(grep -v -E '^ALSA lib' >&2)
