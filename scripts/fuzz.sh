#!/usr/bin/env bash
# Runs each fuzz target for longer than the test run does (default 300 s,
# or the seconds given) and folds the inputs that reach new code into the
# seed corpus in tests/fuzz/seeds, minimised, so that the next bounded run
# starts from there. Commit the grown seeds. Needs "scripts/build.sh all".
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
B="$ROOT/build"
usage() { echo "usage: bash scripts/fuzz.sh [SECONDS]   (each target, default 300)"; }
case "${1:-300}" in
  -h|--help) usage; exit 0 ;;
  *[!0-9]*|0) echo "fuzz.sh: SECONDS must be a whole number above 0, not '$1'" >&2; usage >&2; exit 2 ;;
esac
[ $# -le 1 ] || { echo "fuzz.sh: one argument at most" >&2; usage >&2; exit 2; }
seconds="${1:-300}"
compgen -G "$B/fuzz/tests/fuzz/fuzz_*" >/dev/null || { echo "fuzz.sh: no fuzz targets; build first: bash scripts/build.sh" >&2; exit 1; }
source "$ROOT/scripts/fuzz-env.sh"
for target in "$B"/fuzz/tests/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  seeds="$ROOT/tests/fuzz/seeds/${name#fuzz_}"
  corpus="$B/fuzz-corpus/$name"
  mkdir -p "$seeds" "$corpus"
  echo "$name: running for $seconds s..."
  "$target" -max_total_time="$seconds" $LVX_FUZZ_FLAGS "$corpus" "$seeds" >"$B/$name.long.log" 2>&1
  echo "$name: $(lvx_fuzz_summary "$B/$name.long.log")"
  before=$(ls "$seeds" | wc -l)
  "$target" -merge=1 $LVX_FUZZ_FLAGS "$seeds" "$corpus" >"$B/$name.merge.log" 2>&1
  echo "$name: seeds $before -> $(ls "$seeds" | wc -l)"
done
