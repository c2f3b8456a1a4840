#!/usr/bin/env bash
# Builds the release in build/release: both Lumvex_K47.scr files in release
# mode with the maker's real web address, the installers
# Lumvex_K47-VERSION-x64.msi and -x86.msi, the archive Lumvex_K47-VERSION.zip
# (x64\ and x86\Lumvex_K47.scr, both installers, README.txt for users,
# LICENSE.txt, THIRD-PARTY-NOTICES.txt and SHA256SUMS) and, beside it,
# SHA256SUMS of the zip and the installers. Runs the quick ring (the native
# unit tests) first. The same commit gives the same bytes: times come from
# SOURCE_DATE_EPOCH (default: the commit's time). About 5 minutes from a
# clean build folder on two cores, seconds when built.
# --check builds the whole release twice, in two folders of its own, and
# compares every file.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
B="$ROOT/build"
usage() {
  cat <<'TEXT'
usage: bash scripts/release.sh [--web-address URL] [--check | --dry-run]

  --web-address URL   the maker's web page, shown and opened by the settings
                      window and linked from Apps & Features (default:
                      $LVX_WEB_ADDRESS; one of the two is needed; an address
                      on an example. domain is refused)
  --check             build the release twice in separate folders
                      (build/release-check) and compare every file
  --dry-run           say what would be built, and build nothing
Environment:
  SOURCE_DATE_EPOCH       the time of every file (default: the last commit's)
  LVX_SIGN_PKCS12         sign both .scr files and both installers with this
                          certificate and key (a .pfx/.p12 file; unsigned without it)
  LVX_SIGN_PASSWORD_FILE  the file that holds its password
  LVX_SIGN_TIMESTAMP_URL  a time-stamping service (RFC 3161) for the signatures
TEXT
}
web="${LVX_WEB_ADDRESS:-}" check=0 dry=0
while [ $# -gt 0 ]; do
  case "$1" in
    -h|--help) usage; exit 0 ;;
    --check) check=1; shift ;;
    --dry-run) dry=1; shift ;;
    --web-address)
      [ $# -ge 2 ] || { echo "release.sh: --web-address needs a URL" >&2; usage >&2; exit 2; }
      web=$2; shift 2 ;;
    *) echo "release.sh: unknown argument '$1'" >&2; usage >&2; exit 2 ;;
  esac
done

# lvx_release_address URL: fails, saying why, unless URL is a plain http(s)
# address of a real site. It goes into the program, the installers and the
# README, so it must not be the build's placeholder or any example address.
lvx_release_address() {
  local url=$1 host
  [ -n "$url" ] || { echo "no web address: set LVX_WEB_ADDRESS or give --web-address" >&2; return 1; }
  [[ $url =~ ^https?://([A-Za-z0-9.-]+)(:[0-9]{1,5})?(/[A-Za-z0-9._~/%+=-]*)?$ ]] ||
    { echo "not a plain http(s) address: '$url'" >&2; return 1; }
  host=$(tr 'A-Z' 'a-z' <<<"${BASH_REMATCH[1]}")
  host=${host%.}
  # Names reserved for examples and tests (RFC 2606, RFC 6761) never name
  # the maker's real page.
  if [[ .$host. == *.example.* || $host =~ \.(test|invalid|localhost|local)$ || $host == localhost ]]; then
    echo "'$url' is an example or test address, not the maker's page" >&2
    return 1
  fi
  [[ $host == *.* ]] || { echo "'$url' names no public host" >&2; return 1; }
}
lvx_release_address "$web" || { echo "release.sh: refused" >&2; exit 2; }

version=$(sed -nE 's/^project\(Lumvex_K47 VERSION ([0-9.]+).*/\1/p' "$ROOT/CMakeLists.txt")
[ -n "$version" ] || { echo "release.sh: no version in CMakeLists.txt" >&2; exit 1; }
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$ROOT" log -1 --format=%ct)
fi
[[ $SOURCE_DATE_EPOCH =~ ^[0-9]+$ ]] || { echo "release.sh: SOURCE_DATE_EPOCH is not a number of seconds" >&2; exit 2; }
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C
if [ "$dry" = 1 ]; then
  echo "version $version"
  echo "web address $web"
  echo "time $(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S') UTC"
  echo "signed ${LVX_SIGN_PKCS12:+yes}${LVX_SIGN_PKCS12:-no}"
  exit 0
fi
export LVX_ROOT="$ROOT"
bash "$ROOT/scripts/deps.sh"
if [ -n "$(git -C "$ROOT" status --porcelain 2>/dev/null)" ]; then
  echo "release.sh: note: the tree has changes not committed; the release is built from them" >&2
fi

# sign FILE: the signing hook. Signs a .scr or .msi in place with the
# certificate given by the environment; does nothing without one. Without a
# time-stamping service the signing time is SOURCE_DATE_EPOCH, so a signed
# release is as reproducible as an unsigned one.
sign() {
  [ -n "${LVX_SIGN_PKCS12:-}" ] || return 0
  local file=$1 args
  args=(-pkcs12 "$LVX_SIGN_PKCS12" -h sha256 -n Lumvex_K47 -i "$web")
  [ -n "${LVX_SIGN_PASSWORD_FILE:-}" ] && args+=(-readpass "$LVX_SIGN_PASSWORD_FILE")
  if [ -n "${LVX_SIGN_TIMESTAMP_URL:-}" ]; then
    args+=(-ts "$LVX_SIGN_TIMESTAMP_URL")
  else
    args+=(-time "$SOURCE_DATE_EPOCH")
  fi
  osslsigncode sign "${args[@]}" -in "$file" -out "$file.signed" >/dev/null
  mv "$file.signed" "$file"
  echo "signed $(basename "$file")"
}

# A program file must be a self-contained GUI program of its kind that
# shows the release's address and not the build's placeholder.
check_scr() {  # file, objdump, expected format
  local f=$1 dump=$2 format=$3 bad
  "$dump" -f "$f" | grep -q "file format $format" || { echo "$f: not $format" >&2; return 1; }
  bad=$("$dump" -p "$f" | awk '/DLL Name:/ {print tolower($3)}' |
        grep -v -x -E 'kernel32.dll|user32.dll|gdi32.dll|winmm.dll|comdlg32.dll|shell32.dll|msvcrt.dll|advapi32.dll|ole32.dll' || true)
  [ -z "$bad" ] || { echo "$f imports DLLs not on every Windows: $bad" >&2; return 1; }
  grep -q -a -F -- "$web" "$f" || { echo "$f does not hold the address $web" >&2; return 1; }
  ! grep -q -a -F 'example.' "$f" || { echo "$f still holds an example address" >&2; return 1; }
}

# to_crlf SOURCE DEST: a text file with Windows line ends.
to_crlf() { sed 's/\r$//; s/$/\r/' "$1" >"$2"; }

# make_release BUILDS OUT: the whole release from build folders under BUILDS
# into the folder OUT (made anew).
make_release() {
  local builds=$1 out=$2 arch dir
  for arch in x86_64:win64 i686:win32; do
    dir="$builds/${arch#*:}"
    echo "== Lumvex_K47.scr, ${arch#*:} ($dir)"
    cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-${arch%%:*}.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DLVX_TESTS=OFF -DLVX_WEB_ADDRESS="$web" >/dev/null
    cmake --build "$dir" -j "$(nproc)" --target Lumvex_K47
  done
  check_scr "$builds/win64/src/Lumvex_K47.scr" x86_64-w64-mingw32-objdump pei-x86-64
  check_scr "$builds/win32/src/Lumvex_K47.scr" i686-w64-mingw32-objdump pei-i386

  echo "== notices cover every linked library member"
  bash "$ROOT/scripts/notices.sh" --check "$builds/win64/src/Lumvex_K47.map" "$builds/win32/src/Lumvex_K47.map"

  echo "== installers and archive ($out)"
  local stage="$out/stage"
  rm -rf "$out"
  mkdir -p "$stage/x64" "$stage/x86"
  cp "$builds/win64/src/Lumvex_K47.scr" "$stage/x64/"
  cp "$builds/win32/src/Lumvex_K47.scr" "$stage/x86/"
  sign "$stage/x64/Lumvex_K47.scr"
  sign "$stage/x86/Lumvex_K47.scr"
  bash "$ROOT/scripts/msi.sh" --version "$version" --web-address "$web" \
    "$stage/x64/Lumvex_K47.scr" "$stage/x86/Lumvex_K47.scr" "$out" >/dev/null
  local msi
  for msi in "$out/Lumvex_K47-$version-x64.msi" "$out/Lumvex_K47-$version-x86.msi"; do
    sign "$msi"
    cp "$msi" "$stage/"
  done
  bash "$ROOT/scripts/readme-txt.sh" --version "$version" --web-address "$web" "$stage/README.txt" >/dev/null
  to_crlf "$ROOT/LICENSE" "$stage/LICENSE.txt"
  to_crlf "$ROOT/THIRD-PARTY-NOTICES.txt" "$stage/THIRD-PARTY-NOTICES.txt"
  (cd "$stage" && find . -type f | sed 's|^\./||' | sort | xargs sha256sum >SHA256SUMS)
  # Fixed times (zip keeps local times: TZ is UTC) and order; no extra
  # attributes (owner, Unix times) and no folder entries.
  find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
  local zip="$out/Lumvex_K47-$version.zip"
  (cd "$stage" && find . -type f | sed 's|^\./||' | sort | zip -q -X -D "$zip" -@)
  rm -rf "$stage"
  (cd "$out" && sha256sum "Lumvex_K47-$version.zip" "Lumvex_K47-$version-x64.msi" "Lumvex_K47-$version-x86.msi" >SHA256SUMS)
  touch -d "@$SOURCE_DATE_EPOCH" "$out"/*
}

echo "== quick ring: native unit tests (build/release-native)"
[ -f "$B/release-native/build.ninja" ] || cmake -S "$ROOT" -B "$B/release-native" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$B/release-native" -j "$(nproc)" --target core_tests
(cd "$B/release-native" && ctest -j 2 --output-on-failure) | tail -3

if [ "$check" = 0 ]; then
  make_release "$B/release-build" "$B/release"
  echo
  (cd "$B/release" && ls -l && cat SHA256SUMS)
  zip -sf "$B/release/Lumvex_K47-$version.zip" | sed '1d'
  exit 0
fi

# Two builds from nothing, in folders of their own, must agree byte for byte.
rm -rf "$B/release-check"
make_release "$B/release-check/build-1" "$B/release-check/1"
make_release "$B/release-check/build-2" "$B/release-check/2"
differ=0
for f in "$B/release-check/1"/* "$B/release-check/build-1"/win64/src/Lumvex_K47.scr "$B/release-check/build-1"/win32/src/Lumvex_K47.scr; do
  other=${f/release-check\/1/release-check\/2}
  other=${other/release-check\/build-1/release-check\/build-2}
  if cmp -s "$f" "$other"; then
    echo "same: ${f#"$B"/}"
  else
    echo "DIFFERENT: ${f#"$B"/} and ${other#"$B"/} ($(cmp -l "$f" "$other" 2>/dev/null | wc -l) bytes)"
    differ=1
  fi
done
[ "$differ" = 0 ] && echo "the two releases are identical"
exit "$differ"
