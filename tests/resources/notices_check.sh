#!/usr/bin/env bash
# scripts/notices.sh --check against link maps made up for each case: it
# passes only when every library member is on the list that
# THIRD-PARTY-NOTICES.txt covers, and that file is up to date.
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
t=$(mktemp -d)
trap 'rm -rf "$t"' EXIT
# A copy of the parts of the tree the script reads, so a case may spoil them.
mkdir -p "$t/root/scripts"
cp "$root/scripts/notices.sh" "$root/scripts/notices-members.txt" "$t/root/scripts/"
cp "$root/THIRD-PARTY-NOTICES.txt" "$t/root/"

gcc=/usr/lib/gcc/x86_64-w64-mingw32/12-posix
lib=/usr/x86_64-w64-mingw32/lib
map() {  # member paths...: a link map that includes them
    printf 'Archive member included to satisfy reference by file (symbol)\n\n'
    local m
    for m in "$@"; do printf '%s\n                              src/x.obj (sym)\n' "$m"; done
    printf '\nDiscarded input sections\n\n %s/libstdc++.a(floating_from_chars.o)\n' "$gcc"
}

# description | expected status | members (; separated) | what the output must name
cases=(
    "listed members of every kind|0|$gcc/libstdc++.a(bad_alloc.o);$lib/libkernel32.a(libkernel32s00123.o);$lib/libmingwex.a(lib64_libmingwex_a-gdtoa.o);$gcc/libgcc_eh.a(unwind-seh.o);$lib/libmsvcrt.a(libmsvcrt_defs00063.o)|"
    "the project's own libraries need no notice|0|src/liblvxcore.a(number_rules.cpp.obj);$gcc/libstdc++.a(tree.o)|"
    "the from_chars member with fast_float inside|1|$gcc/libstdc++.a(bad_alloc.o);$gcc/libstdc++.a(floating_from_chars.o)|libstdc++.a(floating_from_chars.o)"
    "a library no notice covers|1|$lib/libfoo.a(foo.o)|libfoo.a(foo.o)"
    "an import stub's name in another library|1|$gcc/libstdc++.a(libkernel32s00001.o)|libstdc++.a(libkernel32s00001.o)"
    "a stub of a DLL that is not on the list|1|$lib/libws2_32.a(libws2_32s00001.o)|libws2_32.a(libws2_32s00001.o)"
    "a map without library members|1|src/liblvxcore.a(a.cpp.obj)|lists no library member"
)
fail=0
n=0
for c in "${cases[@]}"; do
    IFS='|' read -r what want members named <<<"$c"
    IFS=';' read -r -a list <<<"$members"
    map "${list[@]}" >"$t/case.map"
    out=$(bash "$t/root/scripts/notices.sh" --check "$t/case.map" 2>&1)
    got=$?
    n=$((n + 1))
    if [ "$got" != "$want" ] || { [ -n "$named" ] && ! grep -qF "$named" <<<"$out"; }; then
        echo "FAIL: $what: status $got (expected $want), output: $out"
        fail=1
    fi
done

# The shipped notices must be what the script writes from the list.
good=$(map "$gcc/libstdc++.a(bad_alloc.o)")
echo "$good" >"$t/good.map"
echo "  extra line" >>"$t/root/THIRD-PARTY-NOTICES.txt"
out=$(bash "$t/root/scripts/notices.sh" --check "$t/good.map" 2>&1)
got=$?
n=$((n + 1))
[ "$got" -ne 0 ] && grep -q 'out of date' <<<"$out" || { echo "FAIL: a stale THIRD-PARTY-NOTICES.txt passes: $out"; fail=1; }
cp "$root/THIRD-PARTY-NOTICES.txt" "$t/root/"
sed -i '/^libstdc++.a *bad_alloc.o/d' "$t/root/scripts/notices-members.txt"
bash "$t/root/scripts/notices.sh" >/dev/null
out=$(bash "$t/root/scripts/notices.sh" --check "$t/good.map" 2>&1)
got=$?
n=$((n + 1))
[ "$got" -ne 0 ] && grep -qF 'libstdc++.a(bad_alloc.o)' <<<"$out" ||
    { echo "FAIL: a member taken off the list (and the notices rewritten) still passes: $out"; fail=1; }
[ "$fail" = 0 ] && echo "notices check: $n cases passed"
exit "$fail"
