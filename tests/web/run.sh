#!/usr/bin/env bash
# The web page in headless Chromium (Debian's chromium, driven by
# puppeteer-core from npm; no browser is downloaded). Builds the page, takes
# lvx from the native build, installs the test's npm packages into
# build/webtest once per lock file, and ends with "web: N passed, N failed".
# Usage: bash tests/web/run.sh [LVX]
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
B="$ROOT/build"
tool="${1:-$B/native/tools/lvx/lvx}"
fail() { echo "web: $1" >&2; echo "web: 0 passed, 1 failed"; exit 1; }

page=$(bash "$ROOT/scripts/build.sh" web | tail -1) || fail "the page did not build"
[ -f "$page" ] || fail "the page did not build"
[ -x "$tool" ] || fail "no lvx at $tool (bash scripts/build.sh all builds it)"
command -v chromium >/dev/null || fail "chromium is missing (bash scripts/deps.sh installs it)"

modules=$(bash "$ROOT/tests/web/modules.sh") || fail "npm ci failed"

out="$B/webtest/out"
rm -rf "$out"
mkdir -p "$out"
log="$out/node-test.log"
LVX_PAGE="$page" LVX_TOOL="$tool" LVX_OUT="$out" NODE_PATH="$modules" \
  node --test --test-reporter=tap "$ROOT/tests/web/page.test.cjs" >"$log" 2>&1
status=$?
grep -E '^(not )?ok |^# Subtest|^ +(error|expected|actual|message):' "$log" | grep -v '^# Subtest' || true
pass=$(grep -E '^# pass [0-9]+' "$log" | tail -1 | awk '{print $3}')
failn=$(grep -E '^# fail [0-9]+' "$log" | tail -1 | awk '{print $3}')
if [ -z "$pass" ] || [ -z "$failn" ]; then
  tail -40 "$log"
  fail "the test runner did not finish"
fi
[ "$status" -eq 0 ] || [ "$failn" -gt 0 ] || { tail -40 "$log"; failn=$((failn + 1)); }
[ "$failn" -eq 0 ] || echo "web: details in $log; screenshots in $out"
echo "web: $pass passed, $failn failed"
[ "$failn" -eq 0 ]
