#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test the saver.
# Idempotent and silent when everything is already there.
set -euo pipefail
usage() { echo "usage: bash scripts/deps.sh   (installs with apt-get, as root or through sudo)"; }
if [ $# -gt 0 ]; then
  case "$1" in
    -h|--help) usage; exit 0 ;;
    *) echo "deps.sh: unknown argument '$1'" >&2; usage >&2; exit 2 ;;
  esac
fi

PACKAGES=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev libpng-dev libcli11-dev zip
  dpkg-dev lintian
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine64 wine fonts-wine xvfb xdotool x11-apps x11-utils imagemagick fonts-ipafont-gothic
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  lame sox libsox-fmt-mp3 locales
  libx11-dev libxext-dev libxrandr-dev xscreensaver procps
  wixl msitools faketime osslsigncode
  emscripten chromium
)
# The web page's tests run under node with npm packages; a machine with a
# node of its own (not Debian's) keeps it.
command -v node >/dev/null || PACKAGES+=(nodejs)
command -v npm >/dev/null || PACKAGES+=(npm)

# Wine under a Japanese system code page needs the glibc locale for file names.
ensure_japanese_locale() {
  locale -a 2>/dev/null | grep -q -i '^ja_JP\.utf-\?8$' && return 0
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  if ! grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'ja_JP.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  fi
  $sudo locale-gen >/dev/null
}

# The 32-bit program runs under Wine's 32-bit half. A kernel that refuses
# i386 programs (no IA-32 emulation) runs that half through QEMU's user-mode
# emulation; the preloader keeps each start fast there (without it Wine's
# memory probing takes about a minute under emulation). MP3 music in the
# 32-bit program needs the 32-bit GStreamer plugins.
PACKAGES_I386=(wine32:i386 wine32-preloader:i386 wine64-preloader qemu-user-static binfmt-support
               gstreamer1.0-plugins-base:i386 gstreamer1.0-plugins-good:i386)

ensure_i386_architecture() {
  dpkg --print-foreign-architectures | grep -q -x i386 && return 0
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo dpkg --add-architecture i386
}

# Registers QEMU for i386 programs, only when this kernel cannot run them
# itself and nothing is registered yet (Debian's package leaves i386 out on
# amd64).
ensure_i386_runs() {
  local loader=/usr/lib/wine/wine
  [ -x "$loader" ] || return 0
  "$loader" --version >/dev/null 2>&1 && return 0
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  local misc=/proc/sys/fs/binfmt_misc
  [ -e "$misc/register" ] || $sudo mount -t binfmt_misc binfmt_misc "$misc"
  [ -e "$misc/qemu-i386" ] && return 0
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' |
    $sudo tee "$misc/register" >/dev/null
}

ensure_i386_architecture
PACKAGES+=("${PACKAGES_I386[@]}")

missing=()
for p in "${PACKAGES[@]}"; do
  # One line per installed architecture (gstreamer is there as amd64 and i386).
  dpkg-query -W -f='${db:Status-Status}\n' "$p" 2>/dev/null | grep -q -x installed || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  ensure_japanese_locale
  ensure_i386_runs
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
ensure_japanese_locale
ensure_i386_runs
