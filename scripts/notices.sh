#!/usr/bin/env bash
# Writes THIRD-PARTY-NOTICES.txt: what the static link puts into
# Lumvex_K47.scr besides the project's own code, with the licence texts from
# the Debian packages that supply it, and the list of library members those
# notices cover (scripts/notices-members.txt). Run when the compilers or the
# link change; the file is committed and shipped.
# With --check MAP...: fails, naming them, when a link map shows a library
# member that the list does not cover, or when THIRD-PARTY-NOTICES.txt is
# not what this script writes.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
LIST="$ROOT/scripts/notices-members.txt"
usage() { echo "usage: bash scripts/notices.sh [--check LINK.map...]"; }
check=0
if [ $# -gt 0 ]; then
  case "$1" in
    -h|--help) usage; exit 0 ;;
    --check) check=1; shift
             [ $# -gt 0 ] || { echo "notices.sh: --check needs at least one link map" >&2; usage >&2; exit 2; } ;;
    *) echo "notices.sh: unknown argument '$1'" >&2; usage >&2; exit 2 ;;
  esac
fi

# The list without comments: "library member section" per line.
members_list() { grep -v -E '^[[:space:]]*(#|$)' "$LIST"; }

# The library members a GNU ld map shows in its "Archive member included"
# part, as "library member" (the project's own libraries, given by a path
# inside the build folder, left out).
map_members() {
  awk '/^Archive member included/ {p = 1; next}
       /^(Discarded input sections|Allocating common symbols|Memory Configuration)/ {p = 0}
       p && /^[^ \t]/ && /\.a\(/ {print $1}' "$1" |
    grep '^/' | sed -E 's|^.*/([^/]+\.a)\((.*)\)$|\1 \2|' | LC_ALL=C sort -u
}

mingw=/usr/share/doc/mingw-w64-common/copyright
gcc=/usr/share/doc/gcc-mingw-w64-base/copyright
gpl=/usr/share/common-licenses/GPL-3
for f in "$mingw" "$gcc" "$gpl"; do
  [ -f "$f" ] || { echo "notices.sh: $f is missing (bash scripts/deps.sh)" >&2; exit 1; }
done

write_notices() {  # file
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
  printf '\nD. What the program files take from these libraries\n'
  printf -- '----------------------------------------------------\n\n'
  printf 'Every member of a static library that the link of Lumvex_K47.scr takes\n'
  printf 'in, with the section above that covers it ("-": an import stub that only\n'
  printf 'names a function of a Windows DLL). The release is checked against this\n'
  printf 'list: a member not on it stops the release.\n\n'
  members_list | awk '{printf "  %-14s %-25s %s\n", $1, $2, $3}'
} >"$1"
}


if [ "$check" = 1 ]; then
  declare -a lib pattern
  while read -r l m _; do lib+=("$l"); pattern+=("$m"); done < <(members_list)
  bad=0
  for map in "$@"; do
    [ -s "$map" ] || { echo "notices.sh: no link map $map" >&2; exit 1; }
    found=0
    while read -r l m; do
      found=$((found + 1))
      ok=0
      for i in "${!lib[@]}"; do
        # shellcheck disable=SC2053  # the member column is a pattern
        if [ "${lib[$i]}" = "$l" ] && [[ $m == ${pattern[$i]} ]]; then ok=1; break; fi
      done
      [ "$ok" = 1 ] || { echo "$map: $l($m) is not covered by THIRD-PARTY-NOTICES.txt (scripts/notices-members.txt)" >&2; bad=1; }
    done < <(map_members "$map")
    # A map without library members is not a map of this link.
    [ "$found" -gt 0 ] || { echo "notices.sh: $map lists no library member" >&2; exit 1; }
  done
  fresh=$(mktemp)
  trap 'rm -f "$fresh"' EXIT
  write_notices "$fresh"
  cmp -s "$fresh" "$ROOT/THIRD-PARTY-NOTICES.txt" ||
    { echo "THIRD-PARTY-NOTICES.txt is out of date: bash scripts/notices.sh" >&2; bad=1; }
  exit "$bad"
fi
write_notices "$ROOT/THIRD-PARTY-NOTICES.txt"
echo "$ROOT/THIRD-PARTY-NOTICES.txt"
