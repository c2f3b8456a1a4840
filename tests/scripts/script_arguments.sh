#!/usr/bin/env bash
# Every script in scripts/ (found by glob, so new ones are covered too):
# --help prints a usage line and ends with 0, an unknown argument ends with 2,
# and neither does anything. The scripts run from a copy of the folder, with
# stand-ins first on PATH for every program that installs, builds or starts
# something; a stand-in that is called writes its name down and fails, and
# the copy must not grow a file. wine-exec.sh is CMake's emulator: it answers
# a lone --help and hands everything else to Wine unread.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
T=$(mktemp -d "${TMPDIR:-/tmp}/lvx-script-args.XXXXXX")
trap 'rm -rf "$T"' EXIT

mkdir -p "$T/tree" "$T/bin"
cp -r "$ROOT/scripts" "$T/tree/scripts"
for tool in apt-get apt-cache dpkg dpkg-query sudo locale-gen mount cmake ctest cpack ninja make \
            cc gcc g++ clang clang++ wine wine64 wineboot wineserver winepath msiexec wixl msibuild \
            Xvfb Xorg xdotool xwd xrandr convert sox lame zip git faketime; do
    printf '#!/bin/sh\necho "%s $*" >>"%s/called"\nexit 97\n' "$tool" "$T" >"$T/bin/$tool"
    chmod +x "$T/bin/$tool"
done
# The Wine stand-in of the emulator rows records its arguments and succeeds.
mkdir -p "$T/wine-bin"
printf '#!/bin/sh\necho "wine $*" >>"%s/wine-args"\nexit 0\n' "$T" >"$T/wine-bin/wine"
printf '#!/bin/sh\nexit 0\n' >"$T/wine-bin/wineserver"
cp "$T/wine-bin/wineserver" "$T/wine-bin/wineboot"
printf '#!/bin/sh\necho "Z:\\\\x"\n' >"$T/wine-bin/winepath"
chmod +x "$T/wine-bin/"*

snapshot() { (cd "$T/tree" && find . | sort); }
before=$(snapshot)

passed=0
failed=0
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }

# run SCRIPT ARGS...: runs the copy with the stand-ins; sets status, out, err.
run() {
    local script=$1; shift
    rm -f "$T/called"
    out=$(cd "$T/tree" && env -u DISPLAY PATH="$T/bin:$PATH" LVX_ROOT="$T/tree" LVX_BUILD="$T/tree/build" \
          timeout 20 bash "scripts/$script" "$@" 2>"$T/err" </dev/null)
    status=$?
    err=$(cat "$T/err")
}

# check NAME ARGS EXPECTED_STATUS STREAM: one row of the table; STREAM is where
# the usage line must be (out or err).
check() {
    local script=$1 args=$2 want=$3 stream=$4 text called
    # shellcheck disable=SC2086
    run "$script" $args
    text=$out
    [ "$stream" = err ] && text=$err
    called=$(cat "$T/called" 2>/dev/null)
    if [ "$status" != "$want" ]; then
        fail "$script $args: exit $status, expected $want (stderr: ${err:0:200})"
    elif ! grep -q -i '^usage: ' <<<"$text"; then
        fail "$script $args: no usage line on std$stream"
    elif [ -n "$called" ]; then
        fail "$script $args: ran $(head -1 <<<"$called")"
    elif [ "$(snapshot)" != "$before" ]; then
        fail "$script $args: left files behind: $(diff <(echo "$before") <(snapshot) | grep '^>' | head -3 | tr '\n' ' ')"
    else
        passed=$((passed + 1))
    fi
}

scripts=()
for path in "$ROOT"/scripts/*.sh; do scripts+=("$(basename "$path")"); done
[ ${#scripts[@]} -ge 10 ] || fail "only ${#scripts[@]} scripts found in $ROOT/scripts"

for script in "${scripts[@]}"; do
    check "$script" --help 0 out
    [ "$script" = wine-exec.sh ] && continue
    check "$script" --bogus 2 err
done

# The emulator hands on whatever is not a lone --help, --help among others too.
for args in "--bogus" "prog.exe --help" "--help prog.exe" "-h"; do
    rm -f "$T/wine-args"
    out=$(cd "$T/tree" && env -u DISPLAY PATH="$T/wine-bin:$PATH" LVX_BUILD="$T/emu" \
          timeout 20 bash scripts/wine-exec.sh $args 2>&1 </dev/null)
    got=$(grep -v -e '^wine regedit' -e '^wine wineboot' "$T/wine-args" 2>/dev/null)
    if [ "$got" = "wine $args" ]; then
        passed=$((passed + 1))
    else
        fail "wine-exec.sh $args: Wine got [$got], output [${out:0:200}]"
    fi
done

echo "script_arguments: $passed passed, $failed failed (${#scripts[@]} scripts)"
[ "$failed" -eq 0 ]
