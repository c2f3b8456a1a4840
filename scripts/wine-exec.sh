#!/usr/bin/env bash
# Runs one Windows program under the project's private Wine (CTest's
# cross-compiling emulator and the whole-program tests use it).
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
[ -f "$WINEPREFIX/.lvx-ready" ] || lvx_wine_prefix
# ALSA chatter and the 64-bit-only install's warnings are noise on stderr.
exec wine "$@" 2> >(grep -v -E '^ALSA lib|wine32 is missing|multiarch needs|dpkg --add-architecture|apt-get install wine32|syswow64' >&2)
