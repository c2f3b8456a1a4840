#!/usr/bin/env bash
# Builds the Windows Installer packages from two built Lumvex_K47.scr files:
# OUTDIR/Lumvex_K47-VERSION-x64.msi (the 64-bit file into System32, the
# 32-bit one into SysWOW64) and OUTDIR/Lumvex_K47-VERSION-x86.msi (the 32-bit
# file into System32 of 32-bit Windows). The same inputs and SOURCE_DATE_EPOCH
# give byte-identical packages. Takes a second or two.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
usage() {
  cat <<'TEXT'
usage: bash scripts/msi.sh [--version V] [--web-address URL] X64_SCR X86_SCR OUTDIR

  --version V          the packages' version (default: the project's, from CMakeLists.txt)
  --web-address URL    the help link of the Apps & Features entry
                       (default: $LVX_WEB_ADDRESS, else the build's default)
  SOURCE_DATE_EPOCH    the packages' time (default: the last commit's)
TEXT
}
version="" web="${LVX_WEB_ADDRESS:-}" args=()
while [ $# -gt 0 ]; do
  case "$1" in
    -h|--help) usage; exit 0 ;;
    --version) [ $# -ge 2 ] || { usage >&2; exit 2; }; version=$2; shift 2 ;;
    --web-address) [ $# -ge 2 ] || { usage >&2; exit 2; }; web=$2; shift 2 ;;
    -*) echo "msi.sh: unknown argument '$1'" >&2; usage >&2; exit 2 ;;
    *) args+=("$1"); shift ;;
  esac
done
[ ${#args[@]} -eq 3 ] || { echo "msi.sh: two program files and an output folder are needed" >&2; usage >&2; exit 2; }
scr64=${args[0]} scr32=${args[1]} out=${args[2]}
[ -n "$version" ] || version=$(sed -nE 's/^project\(Lumvex_K47 VERSION ([0-9.]+).*/\1/p' "$ROOT/CMakeLists.txt")
# Windows Installer compares the first three fields of a version, each at most
# 255.65535.65535 (the first two) and the upgrade depends on it.
[[ $version =~ ^([0-9]{1,3})\.([0-9]{1,5})\.([0-9]{1,5})$ ]] && [ "${BASH_REMATCH[1]}" -le 255 ] &&
  [ "${BASH_REMATCH[2]}" -le 255 ] && [ "${BASH_REMATCH[3]}" -le 65535 ] ||
  { echo "msi.sh: version '$version' is not MAJOR.MINOR.BUILD (at most 255.255.65535)" >&2; exit 2; }
if [ -z "$web" ]; then
  web=$(sed -nE 's/^set\(LVX_WEB_ADDRESS "([^"]*)".*/\1/p' "$ROOT/src/dialog/CMakeLists.txt")
fi
[ -n "$web" ] || { echo "msi.sh: no web address" >&2; exit 1; }
for f in "$scr64" "$scr32"; do
  [ -f "$f" ] || { echo "msi.sh: $f does not exist" >&2; exit 1; }
done
for tool in wixl msibuild msiinfo faketime; do
  command -v "$tool" >/dev/null || { echo "msi.sh: $tool is missing (bash scripts/deps.sh)" >&2; exit 1; }
done
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$ROOT" log -1 --format=%ct 2>/dev/null || date +%s)
fi
export TZ=UTC SOURCE_DATE_EPOCH
# wixl and msibuild stamp the package with the current time: a frozen clock.
fake_time=$(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S')

# A GUID made from a text: the same text always gives the same GUID (the
# form of a name-based UUID, with SHA-256 as the hash).
guid_of() {
  local h
  h=$(printf '%s' "$1" | sha256sum | cut -c1-32 | tr a-f A-F)
  local variant
  variant=$(printf '%X' $(( (0x${h:16:1} & 0x3) | 0x8 )))
  printf '%s-%s-5%s-%s%s-%s\n' "${h:0:8}" "${h:8:4}" "${h:13:3}" "$variant" "${h:17:3}" "${h:20:12}"
}

mkdir -p "$out"
out=$(cd "$out" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/lvx-msi.XXXXXX")
trap 'rm -rf "$work"' EXIT
# wixl takes source files by relative path; their times go into the cabinet.
cp "$scr64" "$work/saver64.scr"
cp "$scr32" "$work/saver32.scr"
cp "$ROOT/src/resources/lumvex.ico" "$work/lumvex.ico"
touch -d "@$SOURCE_DATE_EPOCH" "$work"/*
files_hash=$(cd "$work" && sha256sum saver64.scr saver32.scr lumvex.ico "$ROOT/src/resources/msi/Lumvex_K47.wxs" | cut -c1-64 | tr '\n' ' ')

for arch in x64 x86; do
  msi="$out/Lumvex_K47-$version-$arch.msi"
  rm -f "$msi"
  defines=(-D "Arch=$arch" -D "Version=$version" -D "WebAddress=$web" -D Icon=lumvex.ico -D Scr32=saver32.scr
           -D "ProductCode=$(guid_of "Lumvex_K47 product $arch $version")")
  size=$(stat -c %s "$work/saver32.scr")
  if [ "$arch" = x64 ]; then
    defines+=(-D Scr64=saver64.scr)
    size=$((size + $(stat -c %s "$work/saver64.scr")))
  fi
  defines+=(-D "SizeKB=$(((size + 1023) / 1024))")
  (cd "$work" && faketime -f "$fake_time" wixl -a "$arch" "${defines[@]}" -o "$msi" "$ROOT/src/resources/msi/Lumvex_K47.wxs")

  # What wixl 0.101 cannot write. SETSAVER=1 installs the component that
  # chooses the saver (a secure property, so that it reaches the elevated
  # part of a per-machine install); that component is permanent, so removing
  # the saver never clears a saver the user chose later.
  attributes=$(msiinfo export "$msi" Component | awk -F'\t' '$1 == "ChooseSaver" {print $4}')
  [ -n "$attributes" ] || { echo "msi.sh: $msi has no component ChooseSaver" >&2; exit 1; }
  secure=$(msiinfo export "$msi" Property | awk -F'\t' '$1 == "SecureCustomProperties" {print $2}')
  queries=("UPDATE \`Component\` SET \`Condition\` = 'SETSAVER=1', \`Attributes\` = $((attributes | 16)) WHERE \`Component\` = 'ChooseSaver'"
           "UPDATE \`Property\` SET \`Value\` = '${secure:+$secure;}SETSAVER' WHERE \`Property\` = 'SecureCustomProperties'")
  # Removal takes along a settings file saved beside the program (by an
  # administrator) and what an interrupted save left; users' own settings
  # under %APPDATA% stay.
  folders=("Saver32 SystemFolder 32")
  [ "$arch" = x64 ] && folders+=("Saver64 System64Folder 64")
  for entry in "${folders[@]}"; do
    read -r component folder bits <<<"$entry"
    queries+=("INSERT INTO \`RemoveFile\` (\`FileKey\`, \`Component_\`, \`FileName\`, \`DirProperty\`, \`InstallMode\`) VALUES ('Ini$bits', '$component', 'Lumvex_K47.ini', '$folder', 2)"
              "INSERT INTO \`RemoveFile\` (\`FileKey\`, \`Component_\`, \`FileName\`, \`DirProperty\`, \`InstallMode\`) VALUES ('IniTemp$bits', '$component', 'Lumvex_K47.ini.tmp*', '$folder', 2)")
  done
  for q in "${queries[@]}"; do
    faketime -f "$fake_time" msibuild "$msi" -q "$q"
  done
  # wixl writes a random package code: one made from what the package holds.
  package=$(guid_of "Lumvex_K47 package $arch $version $web $SOURCE_DATE_EPOCH $files_hash")
  template="x64;1033"
  [ "$arch" = x86 ] && template="Intel;1033"
  faketime -f "$fake_time" msibuild "$msi" -s "Lumvex_K47 screen saver" "Lumvex" "$template" "{$package}"
  echo "$msi"
done
