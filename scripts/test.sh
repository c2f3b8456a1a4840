#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the native
# core (AddressSanitizer + UBSan), the X11 hack under XScreenSaver on Xvfb,
# the web page in headless Chromium against lvx,
# the fuzz targets for a bounded time, and the Windows unit and whole-program
# tests under Wine on a private Xvfb.
# Ends with the line "N passed, N failed".
set -uo pipefail
usage() { echo "usage: bash scripts/test.sh   (reads LVX_FUZZ_SECONDS, LVX_DISPLAY)"; }
if [ $# -gt 0 ]; then
  case "$1" in
    -h|--help) usage; exit 0 ;;
    *) echo "test.sh: unknown argument '$1'" >&2; usage >&2; exit 2 ;;
  esac
fi
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
B="$ROOT/build"
export LVX_ROOT="$ROOT"

bash "$ROOT/scripts/deps.sh" || { echo "0 passed, 1 failed"; exit 1; }
bash "$ROOT/scripts/build.sh" all || { echo "build failed"; echo "0 passed, 1 failed"; exit 1; }

passed=0
failed=0
count_ctest() {  # log file
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$1" | tail -1)
  if [ -z "$line" ]; then
    failed=$((failed + 1))
    return
  fi
  local total bad
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
  bad=$(sed -E 's/.*tests passed, ([0-9]+) tests failed.*/\1/' <<<"$line")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
}

echo "== native tests"
(cd "$B/native" && ctest --output-on-failure -j 2) 2>&1 | tee "$B/native-ctest.log"
count_ctest "$B/native-ctest.log"

echo "== X11 hack on Xvfb with XScreenSaver"
bash "$ROOT/tests/e2e/hack_x11.sh" "$B/native/src/saver/x11/lumvex-k47" 2>&1 | tee "$B/hack-x11.log"
line=$(grep -E '^hack_x11: [0-9]+ passed, [0-9]+ failed' "$B/hack-x11.log" | tail -1)
if [ -n "$line" ]; then
  passed=$((passed + $(sed -E 's/.*: ([0-9]+) passed.*/\1/' <<<"$line")))
  failed=$((failed + $(sed -E 's/.* ([0-9]+) failed.*/\1/' <<<"$line")))
else
  failed=$((failed + 1))
fi

echo "== the web page in headless Chromium"
bash "$ROOT/tests/web/run.sh" "$B/native/tools/lvx/lvx" 2>&1 | tee "$B/web.log"
line=$(grep -E '^web: [0-9]+ passed, [0-9]+ failed' "$B/web.log" | tail -1)
if [ -n "$line" ]; then
  passed=$((passed + $(sed -E 's/.*: ([0-9]+) passed.*/\1/' <<<"$line")))
  failed=$((failed + $(sed -E 's/.* ([0-9]+) failed.*/\1/' <<<"$line")))
else
  failed=$((failed + 1))
fi

echo "== fuzz (bounded)"
source "$ROOT/scripts/fuzz-env.sh"
# The targets run side by side, one per core, then report in order.
fuzz_names=()
fuzz_pids=()
for target in "$B"/fuzz/tests/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="$B/fuzz-corpus/$name"
  mkdir -p "$corpus"
  seeds="$ROOT/tests/fuzz/seeds/${name#fuzz_}"
  [ -d "$seeds" ] || seeds=""
  "$target" -max_total_time="${LVX_FUZZ_SECONDS:-20}" $LVX_FUZZ_FLAGS "$corpus" $seeds >"$B/$name.log" 2>&1 &
  fuzz_names+=("$name")
  fuzz_pids+=($!)
done
for i in "${!fuzz_pids[@]}"; do
  name=${fuzz_names[$i]}
  if wait "${fuzz_pids[$i]}"; then
    echo "fuzz $name: ok ($(lvx_fuzz_summary "$B/$name.log"))"; passed=$((passed + 1))
  else
    echo "fuzz $name: FAILED (see $B/$name.log)"; tail -30 "$B/$name.log"; failed=$((failed + 1))
  fi
done

echo "== Windows tests under Wine"
source "$ROOT/scripts/wine-env.sh"
lvx_wine_prefix
lvx_xvfb_start
cleanup() { lvx_desktop_release; lvx_wineserver_stop; lvx_xvfb_stop; }
trap cleanup EXIT
lvx_wineserver_start "$B/win64/tests/e2e/lvx_e2e.exe" || failed=$((failed + 1))
(cd "$B/win64" && ctest --output-on-failure --timeout 120) 2>&1 | tee "$B/win-ctest.log"
count_ctest "$B/win-ctest.log"

echo "== the 32-bit file under Wine's 32-bit half"
(cd "$B/win32" && ctest --output-on-failure --timeout 240) 2>&1 | tee "$B/win32-ctest.log"
count_ctest "$B/win32-ctest.log"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
