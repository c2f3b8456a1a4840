#!/usr/bin/env bash
# The archive's README.txt as scripts/readme-txt.sh writes it: readable by
# every Notepad (a UTF-8 byte-order mark, CR LF on every line), with the
# version and address given, and every text of the table of English
# meanings in it; a broken table or template stops it.
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
t=$(mktemp -d)
trap 'rm -rf "$t"' EXIT
fail=0
n=0
check() {  # description, command...
    local what=$1; shift
    n=$((n + 1))
    "$@" || { echo "FAIL: $what"; fail=1; }
}

out="$t/README.txt"
bash "$root/scripts/readme-txt.sh" --version 9.8.7 --web-address https://saver.test/k47/ "$out" >/dev/null
check "it is written" test -s "$out"
check "it starts with the UTF-8 byte-order mark" test "$(head -c 3 "$out" | od -An -tx1 | tr -d ' ')" = efbbbf
check "every line ends with CR LF" test "$(tr -d '\r' <"$out" | wc -c)" -eq $(($(wc -c <"$out") - $(wc -l <"$out")))
check "no line holds a stray CR" test "$(grep -c $'\r.' "$out")" -eq 0
check "the version is named" grep -q 'Lumvex_K47-9.8.7-x64.msi' "$out"
check "the maker's address is named" grep -q 'https://saver.test/k47/' "$out"
check "no placeholder is left" test "$(grep -c '@[A-Z_]*@' "$out")" -eq 0
# Every Japanese and English text of the table, line by line.
missing=0
while IFS=$'\t' read -r key japanese english; do
    # The Linux hack's and the web page's own rows are not the Windows program's.
    case "$key" in '#'*|''|xml.*|web.*) continue ;; esac
    while IFS= read -r part; do
        [ -z "$part" ] && continue
        grep -qF -- "$part"$'\r' "$out" || { echo "  not in README.txt ($key): $part"; missing=1; }
    done < <(printf '%s\n%s\n' "${japanese//\\n/$'\n'}" "${english//\\n/$'\n'}")
done <"$root/src/resources/english.tsv"
check "every text of the Windows program's rows is in it, each on a line of its own" test "$missing" = 0
check "the hack's and the page's own rows are left out" test "$(grep -c -e 'Show frame rate' -e 'This browser cannot keep' "$out")" -eq 0

# A copy of what the script reads, to spoil.
spoil() {  # name, sed script, file
    rm -rf "$t/root"
    mkdir -p "$t/root/scripts" "$t/root/src/resources" "$t/root/src/dialog"
    cp "$root/scripts/readme-txt.sh" "$t/root/scripts/"
    cp "$root/src/resources/README.txt.in" "$root/src/resources/english.tsv" "$t/root/src/resources/"
    cp "$root/CMakeLists.txt" "$t/root/"
    cp "$root/src/dialog/CMakeLists.txt" "$t/root/src/dialog/"
    sed -i "$2" "$t/root/$3"
    bash "$t/root/scripts/readme-txt.sh" "$t/spoilt.txt" >/dev/null 2>&1
}
# description | sed script | file | expected status
cases=(
    "an unchanged copy|s/^//|src/resources/english.tsv|0"
    "a row without English|s/^lbl_Gra(0)\t白に\t.*/lbl_Gra(0)\t白に/|src/resources/english.tsv|1"
    "a row with an empty English|s/^lbl_Gra(0)\t白に\t.*/lbl_Gra(0)\t白に\t/|src/resources/english.tsv|1"
    "a placeholder nobody fills|s/^Licence\$/@LICENCE@/|src/resources/README.txt.in|1"
)
for c in "${cases[@]}"; do
    IFS='|' read -r what script file want <<<"$c"
    spoil "$what" "$script" "$file"
    got=$?
    [ "$got" = 0 ] || got=1
    check "$what: status $want" test "$got" = "$want"
done
[ "$fail" = 0 ] && echo "user README: $n checks passed"
exit "$fail"
