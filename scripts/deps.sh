#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test the saver.
# Idempotent and silent when everything is already there.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev libpng-dev libcli11-dev zip
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine64 wine fonts-wine xvfb xdotool x11-apps x11-utils imagemagick fonts-ipafont-gothic
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  lame sox libsox-fmt-mp3 locales
  libx11-dev libxext-dev libxrandr-dev xscreensaver procps
)

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

missing=()
for p in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = "installed" ] || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  ensure_japanese_locale
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
ensure_japanese_locale
