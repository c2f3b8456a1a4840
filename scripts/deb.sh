#!/usr/bin/env bash
# Builds the X11 hack lumvex-k47 in release form and packs it as a .deb in
# build/deb (installs what a fresh Debian 12 machine lacks first).
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
bash "$ROOT/scripts/deps.sh"
[ -f "$B/build.ninja" ] || cmake -S "$ROOT" -B "$B" -G Ninja -DLVX_TESTS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$B" --target lumvex-k47
(cd "$B" && cpack -G DEB)
ls "$B"/lumvex-k47_*.deb
