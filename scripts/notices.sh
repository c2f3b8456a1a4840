#!/usr/bin/env bash
# Writes THIRD-PARTY-NOTICES.txt: what the static link puts into
# Lumvex_K47.scr besides the project's own code, with the licence texts from
# the Debian packages that supply it. Run when the compilers or the link
# change (check with -Wl,-Map); the file is committed and shipped.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
usage() { echo "usage: bash scripts/notices.sh"; }
if [ $# -gt 0 ]; then
  case "$1" in
    -h|--help) usage; exit 0 ;;
    *) echo "notices.sh: unknown argument '$1'" >&2; usage >&2; exit 2 ;;
  esac
fi
mingw=/usr/share/doc/mingw-w64-common/copyright
gcc=/usr/share/doc/gcc-mingw-w64-base/copyright
gpl=/usr/share/common-licenses/GPL-3
for f in "$mingw" "$gcc" "$gpl"; do
  [ -f "$f" ] || { echo "notices.sh: $f is missing (bash scripts/deps.sh)" >&2; exit 1; }
done
{
  cat <<'TEXT'
Third-party notices for Lumvex_K47.scr
======================================

Lumvex_K47.scr (both the x64 and the x86 file) is linked statically. Besides
the project's own code (MIT licence, see LICENSE) it contains parts of:

1. The MinGW-w64 runtime (Debian packages mingw-w64-x86-64-dev and
   mingw-w64-i686-dev): the program start-up code (libmingw32, crt2),
   libmingwex (number formatting with gdtoa, maths functions) and the
   winpthreads thread library (libwinpthread), which the C++ runtime uses.
   Their copyright notices and licences follow in section A.

2. The GCC runtime libraries (Debian packages g++-mingw-w64-*-posix):
   libstdc++, libgcc and libgcc_eh. They are under the GNU General Public
   License version 3 with the GCC Runtime Library Exception version 3.1,
   which allows a program compiled with GCC to be distributed under terms of
   its own choice. The exception follows in section B, the licence in
   section C.

The program calls the Windows system libraries (kernel32, user32, gdi32,
winmm, comdlg32, shell32, msvcrt) but contains none of their code.


A. MinGW-w64 (from Debian's copyright file for mingw-w64)
----------------------------------------------------------

TEXT
  cat "$mingw"
  printf '\n\nB. GCC Runtime Library Exception (from Debian'"'"'s copyright file for gcc-mingw-w64)\n'
  printf -- '------------------------------------------------------------------------------\n\n'
  awk '/^GCC RUNTIME LIBRARY EXCEPTION/ {p = 1} p && /^libquadmath/ {exit} p' "$gcc"
  printf '\nC. GNU General Public License, version 3\n'
  printf -- '-----------------------------------------\n\n'
  cat "$gpl"
} >"$ROOT/THIRD-PARTY-NOTICES.txt"
echo "$ROOT/THIRD-PARTY-NOTICES.txt"
