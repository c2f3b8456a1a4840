#!/usr/bin/env bash
# Builds the X11 hack lumvex-k47 in release form with Debian's hardening
# flags and packs it as a .deb in build/deb. Installs first what a fresh
# Debian 12 machine lacks for that build alone (no Wine, no i386).
set -euo pipefail
usage() { echo "usage: bash scripts/deb.sh   (writes build/deb/lumvex-k47_VERSION_amd64.deb)"; }
if [ $# -gt 0 ]; then
  case "$1" in
    -h|--help) usage; exit 0 ;;
    *) echo "deb.sh: unknown argument '$1'" >&2; usage >&2; exit 2 ;;
  esac
fi
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
B="$ROOT/build/deb"

# The hack's build: compiler, CMake, the X libraries, dpkg-shlibdeps (for
# the package's dependencies) and lintian (to check it).
PACKAGES=(cmake ninja-build g++ libx11-dev libxext-dev libxrandr-dev dpkg-dev gzip lintian)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${db:Status-Status}\n' "$p" 2>/dev/null | grep -q -x installed || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Debian's hardening: PIE, stack protector, fortified functions, full RELRO
# and immediate binding. CMake takes them from the environment when it
# configures the tree.
if [ ! -f "$B/build.ninja" ]; then
  eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
  # CMake reads no CPPFLAGS: _FORTIFY_SOURCE comes in with the compiler flags.
  export CFLAGS="$CFLAGS $CPPFLAGS" CXXFLAGS="$CXXFLAGS $CPPFLAGS"
  cmake -S "$ROOT" -B "$B" -G Ninja -DLVX_TESTS=OFF -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_POSITION_INDEPENDENT_CODE=ON >/dev/null
fi
cmake --build "$B" --target lumvex-k47
(cd "$B" && cpack -G DEB >/dev/null)
ls "$B"/lumvex-k47_*.deb
