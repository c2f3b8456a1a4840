#!/usr/bin/env bash
# The version set in project() must reach every place the built program
# shows it: the fixed and the text fields of the version resource, the
# manifest and the dialog's credit. Usage: version_texts.sh PROGRAM.scr
set -uo pipefail
scr=$1
root="$(cd "$(dirname "$0")/../.." && pwd)"
version=$(sed -nE 's/^project\(Lumvex_K47 VERSION ([0-9]+\.[0-9]+\.[0-9]+).*/\1/p' "$root/CMakeLists.txt")
[ -n "$version" ] || { echo "no three-part version in CMakeLists.txt"; exit 1; }
IFS=. read -r major minor patch <<<"$version"
fail=0
has() {  # description, PCRE byte pattern
  LC_ALL=C grep -qaP "$2" "$scr" || { echo "missing: $1"; fail=1; }
}
utf16() {  # the PCRE pattern of a UTF-16LE text
  local s=$1 out="" i
  for ((i = 0; i < ${#s}; i++)); do out+="\\Q${s:i:1}\\E\\x00"; done
  echo "$out"
}
has "FileVersion/ProductVersion text $version.0" "$(utf16 "$version.0")"
has "manifest version=\"$version.0\"" "version=\"\\Q$version\\E\\.0\""
has "credit text Ver.$version" "Lumvex_K47 Ver\\.\\Q$version\\E\\x00"
has "CompanyName" "$(utf16 CompanyName)"
# The description Explorer shows is the one the table of English meanings holds.
description=$(awk -F'\t' '$1 == "FileDescription" {print $2}' "$root/src/resources/english.tsv")
[ -n "$description" ] || { echo "no FileDescription in src/resources/english.tsv"; exit 1; }
# The value follows its key (NUL-ended, padded to four bytes) and ends with a NUL.
has "FileDescription $description" "$(utf16 FileDescription)\\x00\\x00(\\x00\\x00)?$(printf '%s' "$description" | iconv -f UTF-8 -t UTF-16LE | od -An -v -tx1 | tr -s ' \n' ' ' | sed -E 's/ ([0-9a-f]{2})/\\x\1/g; s/ //g')\\x00\\x00"
has "LegalCopyright" "$(utf16 LegalCopyright)"
# VS_FIXEDFILEINFO: signature, structure version, then file version MS (minor, major) and LS (0, patch).
fixed=$(printf '\\xbd\\x04\\xef\\xfe\\x00\\x00\\x01\\x00\\x%02x\\x%02x\\x%02x\\x%02x\\x00\\x00\\x%02x\\x%02x' \
  $((minor & 255)) $((minor >> 8)) $((major & 255)) $((major >> 8)) $((patch & 255)) $((patch >> 8)))
has "FILEVERSION $major,$minor,$patch,0" "$fixed"
# No other version may be left in the program.
others=$(LC_ALL=C grep -aoP 'Ver\.[0-9]+\.[0-9]+\.[0-9]+|version="[0-9.]+"' "$scr" | grep -v -e "Ver.$version" \
  -e "version=\"$version.0\"" -e 'version="6.0.0.0"' -e 'version="1.0"' || true)
[ -z "$others" ] || { echo "other versions in the program: $others"; fail=1; }
[ "$fail" = 0 ] && echo "version $version agrees everywhere"
exit "$fail"
