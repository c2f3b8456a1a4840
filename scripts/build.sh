#!/usr/bin/env bash
# Builds the project. "scr": both Lumvex_K47.scr files only; "lvx": the tool
# lvx alone, without sanitizers, into build/out/lvx; "all" (default): both
# .scr files, also the native core, tool and tests with sanitizers, the
# Windows tests and the fuzz targets. The program files land in build/out/x64
# and build/out/x86. A first "all" takes about four minutes on two cores.
# "web": the single-file web page, build/out/web/lumvex-k47.html (build/web).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
B="$ROOT/build"
usage() { echo "usage: bash scripts/build.sh [all|scr|lvx|web]   (with CI=true a compiler warning stops the build)"; }
what="${1:-all}"
case "$what" in
  all|scr|lvx|web) ;;
  -h|--help) usage; exit 0 ;;
  *) echo "build.sh: unknown argument '$what'" >&2; usage >&2; exit 2 ;;
esac
[ $# -le 1 ] || { echo "build.sh: one argument at most" >&2; usage >&2; exit 2; }
jobs=$(nproc)
# A continuous-integration run (CI=true) stops at any compiler warning, so
# that a new one cannot slip in; elsewhere a warning is only printed.
werror=OFF
[ "${CI:-}" = true ] && werror=ON

configure() {  # dir, extra cmake args...
  local dir=$1; shift
  if [ ! -f "$B/$dir/build.ninja" ]; then
    cmake -S "$ROOT" -B "$B/$dir" -G Ninja -DLVX_WERROR=$werror "$@" >/dev/null
  elif ! grep -q -x "LVX_WERROR:BOOL=$werror" "$B/$dir/CMakeCache.txt"; then
    cmake "$B/$dir" -DLVX_WERROR=$werror >/dev/null
  fi
}

if [ "$what" = "lvx" ]; then
  echo "== lvx, release (build/release-native)"
  configure release-native -DCMAKE_BUILD_TYPE=Release
  cmake --build "$B/release-native" -j "$jobs" --target lvx
  mkdir -p "$B/out"
  cp "$B/release-native/tools/lvx/lvx" "$B/out/lvx"
  echo "$B/out/lvx"
  exit 0
fi

if [ "$what" = "web" ]; then
  echo "== the web page (build/web)"
  # Debian's emcc runs its JavaScript steps with the machine's node, which
  # finds Debian's acorn only through NODE_PATH when it is not Debian's own.
  export NODE_PATH="${NODE_PATH:+$NODE_PATH:}/usr/share/nodejs"
  [ -f "$B/web/build.ninja" ] ||
    emcmake cmake -S "$ROOT" -B "$B/web" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$B/web" -j "$jobs" --target lumvex-k47-web
  page="$B/web/src/saver/web/lumvex-k47.html"
  # One file and nothing beside it: the WebAssembly is inside.
  if [ -e "$B/web/src/saver/web/lumvex-k47.wasm" ] || ! grep -q 'data:application/octet-stream;base64,' "$page"; then
    echo "build.sh: $page is not self-contained" >&2; exit 1
  fi
  size=$(stat -c %s "$page")
  [ "$size" -le 307200 ] || { echo "build.sh: $page is $size bytes, more than 300 KB" >&2; exit 1; }
  mkdir -p "$B/out/web"
  cp "$page" "$B/out/web/lumvex-k47.html"
  echo "$B/out/web/lumvex-k47.html"
  exit 0
fi

echo "== Lumvex_K47.scr, 64-bit (build/win64) and 32-bit (build/win32)"
configure win64 -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release
configure win32 -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release
# A tree configured when the 32-bit file was only built, not tested.
if grep -q '^LVX_TESTS:BOOL=OFF' "$B/win32/CMakeCache.txt"; then
  cmake "$B/win32" -DLVX_TESTS=ON >/dev/null
fi
if [ "$what" = "scr" ]; then
  cmake --build "$B/win64" -j "$jobs" --target Lumvex_K47
  cmake --build "$B/win32" -j "$jobs" --target Lumvex_K47
else
  cmake --build "$B/win64" -j "$jobs"
  # The 32-bit file with its unit tests and the whole-program tests' helper.
  cmake --build "$B/win32" -j "$jobs" --target Lumvex_K47 win_tests lvx_e2e
fi

mkdir -p "$B/out/x64" "$B/out/x86"
cp "$B/win64/src/Lumvex_K47.scr" "$B/out/x64/Lumvex_K47.scr"
cp "$B/win32/src/Lumvex_K47.scr" "$B/out/x86/Lumvex_K47.scr"

# Both files must be self-contained GUI programs of their kind.
check_scr() {  # file, objdump, expected format
  local f=$1 dump=$2 format=$3
  local headers info bad
  headers=$("$dump" -f "$f")
  info=$("$dump" -p "$f")
  grep -q "file format $format" <<<"$headers" || { echo "$f: not $format" >&2; exit 1; }
  bad=$(awk '/DLL Name:/ {print tolower($3)}' <<<"$info" |
        grep -v -x -E 'kernel32.dll|user32.dll|gdi32.dll|winmm.dll|comdlg32.dll|shell32.dll|msvcrt.dll|advapi32.dll|ole32.dll' || true)
  [ -z "$bad" ] || { echo "$f imports DLLs not on every Windows: $bad" >&2; exit 1; }
  grep -q 'Subsystem.*(Windows GUI)' <<<"$info" || { echo "$f: not a GUI program" >&2; exit 1; }
  # A statically linked saver of this size stays well under a megabyte.
  local size
  size=$(stat -c %s "$f")
  [ "$size" -lt 1048576 ] || { echo "$f: $size bytes, more than 1 MiB" >&2; exit 1; }
}
check_scr "$B/out/x64/Lumvex_K47.scr" x86_64-w64-mingw32-objdump pei-x86-64
check_scr "$B/out/x86/Lumvex_K47.scr" i686-w64-mingw32-objdump pei-i386

if [ "$what" != "scr" ]; then
  echo "== native core, lvx and tests with sanitizers (build/native), fuzz targets (build/fuzz)"
  configure native -DLVX_SANITIZE=ON -DLVX_BENCH=ON
  cmake --build "$B/native" -j "$jobs"
  configure fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang -DLVX_TESTS=OFF -DLVX_FUZZ=ON
  cmake --build "$B/fuzz" -j "$jobs" --target fuzzers
fi
