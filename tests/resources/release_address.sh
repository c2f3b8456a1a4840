#!/usr/bin/env bash
# The release takes the maker's address only when it is a plain web address
# of a real site: never the build's placeholder, an example or test name, or
# text that could break out of the places it is written to.
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
# address | expected status (0 taken, 2 refused)
cases=(
    "https://www.lumvex.net/k47/|0"
    "http://lumvex.co.jp|0"
    "https://lumvex.net:8443/saver/K47_v1.1~x/|0"
    "|2"
    "https://lumvex.example.jp/k47/|2"
    "https://example.com/|2"
    "http://www.EXAMPLE.org/k47|2"
    "https://example./|2"
    "https://saver.test/|2"
    "https://saver.invalid/|2"
    "https://localhost/|2"
    "https://lumvex/|2"
    "ftp://lumvex.net/|2"
    "https://lumvex.net/\"x|2"
    "https://lumvex.net/a\\b|2"
    "https://lumvex.net/a b|2"
)
fail=0
for c in "${cases[@]}"; do
    url=${c%|*} want=${c##*|}
    out=$(env -u LVX_WEB_ADDRESS bash "$root/scripts/release.sh" --dry-run --web-address "$url" 2>&1)
    got=$?
    if [ "$got" != "$want" ] || { [ "$want" = 0 ] && ! grep -qxF "web address $url" <<<"$out"; }; then
        echo "FAIL: [$url]: status $got, expected $want: $out"
        fail=1
    fi
done
# The environment variable is the other way in.
out=$(LVX_WEB_ADDRESS=https://www.lumvex.net/ bash "$root/scripts/release.sh" --dry-run 2>&1)
grep -qxF "web address https://www.lumvex.net/" <<<"$out" || { echo "FAIL: LVX_WEB_ADDRESS is not taken: $out"; fail=1; }
[ "$fail" = 0 ] && echo "release address: ${#cases[@]} cases passed"
exit "$fail"
