#!/usr/bin/env bash
# Writes the README.txt of the release archive, for people who download the
# saver: src/resources/README.txt.in with the version, the maker's web
# address and, from src/resources/english.tsv, every Japanese text of the
# Windows program with its English meaning. UTF-8 with a byte-order mark and CR LF
# line ends, so that every Notepad shows it right.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
usage() { echo "usage: bash scripts/readme-txt.sh [--version V] [--web-address URL] OUT"; }
version="" web="${LVX_WEB_ADDRESS:-}" out=""
while [ $# -gt 0 ]; do
  case "$1" in
    -h|--help) usage; exit 0 ;;
    --version) [ $# -ge 2 ] || { usage >&2; exit 2; }; version=$2; shift 2 ;;
    --web-address) [ $# -ge 2 ] || { usage >&2; exit 2; }; web=$2; shift 2 ;;
    -*) echo "readme-txt.sh: unknown argument '$1'" >&2; usage >&2; exit 2 ;;
    *) [ -z "$out" ] || { echo "readme-txt.sh: one output file only" >&2; usage >&2; exit 2; }; out=$1; shift ;;
  esac
done
[ -n "$out" ] || { usage >&2; exit 2; }
[ -n "$version" ] || version=$(sed -nE 's/^project\(Lumvex_K47 VERSION ([0-9.]+).*/\1/p' "$ROOT/CMakeLists.txt")
[ -n "$web" ] || web=$(sed -nE 's/^set\(LVX_WEB_ADDRESS "([^"]*)".*/\1/p' "$ROOT/src/dialog/CMakeLists.txt")
table="$ROOT/src/resources/english.tsv"

# The table's rows under the headings its comments give (the comment line
# just before a row; the ones before it, which describe the file, are left
# out). "\n" in a text breaks the line.
texts=$(awk -F'\t' '
  function lines(text, indent,    n, parts, i, s) {
    n = split(text, parts, /\\n/)
    s = ""
    for (i = 1; i <= n; i++) if (parts[i] != "") s = s indent parts[i] "\n"
    return s
  }
  /^#/ { heading = $0; sub(/^# */, "", heading); sub(/\.$/, "", heading); next }
  /^$/ { next }
  # The Linux hack'"'"'s and the web page'"'"'s own rows are not the Windows program'"'"'s.
  $1 ~ /^(xml|web)\./ { heading = ""; next }
  {
    if (NF != 3 || $3 == "") { printf "english.tsv:%d: not KEY TAB JAPANESE TAB ENGLISH\n", NR > "/dev/stderr"; bad = 1; exit 1 }
    if (heading != "") { printf "%s%s\n", (shown ? "\n" : ""), heading; heading = ""; shown = 1 }
    printf "%s%s", lines($2 == "" ? "(no text)" : $2, "  "), lines($3, "      ")
    # A message of several lines stands apart from the next.
    if ($2 ~ /\\n/) print ""
  }
  END { exit bad }' "$table")

tmp=$(mktemp)
trap 'rm -f "$tmp"' EXIT
while IFS= read -r line; do
  if [ "$line" = "@TEXTS@" ]; then
    printf '%s\n' "$texts"
  else
    line=${line//@VERSION@/$version}
    printf '%s\n' "${line//@WEB_ADDRESS@/$web}"
  fi
done <"$ROOT/src/resources/README.txt.in" >"$tmp"
if grep -n '@[A-Z_]*@' "$tmp" >&2; then
  echo "readme-txt.sh: a placeholder of README.txt.in is left" >&2
  exit 1
fi
{ printf '\xef\xbb\xbf'; sed 's/$/\r/' "$tmp"; } >"$out"
echo "$out"
