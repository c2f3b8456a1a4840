#!/usr/bin/env bash
# Benchmark of the web page (not part of the test run): the page in headless
# Chromium at 1920 x 1080 with the default settings for SECONDS (default 20),
# beside a stand-in page that only puts twelve ready-made 400 x 400 images a
# frame (tools/bench-web/standin.html). Prints passes per second, the main
# thread's busy time per displayed frame (median and 99th percentile), the
# time of each frame's drawing on the thread that draws (the page's worker,
# or the main thread) and the CPU share of the browser's processes for each.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
usage() { echo "usage: bash scripts/bench-web.sh [SECONDS]   (default 20)"; }
case "${1:-}" in -h|--help) usage; exit 0 ;; esac
[ $# -le 1 ] || { echo "bench-web.sh: one argument at most" >&2; usage >&2; exit 2; }
seconds="${1:-20}"
case "$seconds" in ''|*[!0-9]*|0) echo "bench-web.sh: SECONDS must be a whole number above 0, not '$seconds'" >&2; usage >&2; exit 2 ;; esac
bash "$ROOT/scripts/deps.sh"
page=$(bash "$ROOT/scripts/build.sh" web | tail -1)
modules=$(bash "$ROOT/tests/web/modules.sh")
export NODE_PATH="$modules"
# kiosk: it starts at once, as a wrapper shows it.
node "$ROOT/tools/bench-web/bench.cjs" "file://$page?kiosk=1" "$seconds" page
node "$ROOT/tools/bench-web/bench.cjs" "file://$ROOT/tools/bench-web/standin.html" "$seconds" stand-in
