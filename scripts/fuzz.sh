#!/usr/bin/env bash
# Runs each fuzz target for longer than the test run does (default 300 s,
# or the seconds given, or with --runs until it has tried N inputs) and
# folds the inputs that reach new code into the seed corpus in
# tests/fuzz/seeds, minimised, so that the next bounded run starts from
# there. Commit the grown seeds. Needs "scripts/build.sh all".
# LVX_FUZZ_LOGS names the folder for the logs and any crash input (default
# build/).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
B="$ROOT/build"
usage() { echo "usage: bash scripts/fuzz.sh [SECONDS | --runs N]   (each target, default 300 s)"; }
limit="-max_total_time=300"
what="300 s"
case "${1:-300}" in
  -h|--help) usage; exit 0 ;;
  --runs)
    case "${2:-}" in
      ''|*[!0-9]*|0) echo "fuzz.sh: --runs needs a whole number above 0, not '${2:-}'" >&2; usage >&2; exit 2 ;;
    esac
    [ $# -eq 2 ] || { echo "fuzz.sh: --runs N takes nothing after it" >&2; usage >&2; exit 2 ;}
    limit="-runs=$2"
    what="$2 inputs"
    ;;
  *[!0-9]*|0) echo "fuzz.sh: SECONDS must be a whole number above 0, not '$1'" >&2; usage >&2; exit 2 ;;
  *)
    [ $# -le 1 ] || { echo "fuzz.sh: one argument at most" >&2; usage >&2; exit 2; }
    limit="-max_total_time=${1:-300}"
    what="${1:-300} s"
    ;;
esac
compgen -G "$B/fuzz/tests/fuzz/fuzz_*" >/dev/null || { echo "fuzz.sh: no fuzz targets; build first: bash scripts/build.sh" >&2; exit 1; }
source "$ROOT/scripts/fuzz-env.sh"
logs="${LVX_FUZZ_LOGS:-$B}"
mkdir -p "$logs"
for target in "$B"/fuzz/tests/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  seeds="$ROOT/tests/fuzz/seeds/${name#fuzz_}"
  corpus="$B/fuzz-corpus/$name"
  mkdir -p "$seeds" "$corpus"
  echo "$name: running for $what..."
  "$target" $limit -artifact_prefix="$logs/$name-" $LVX_FUZZ_FLAGS "$corpus" "$seeds" >"$logs/$name.long.log" 2>&1
  echo "$name: $(lvx_fuzz_summary "$logs/$name.long.log")"
  before=$(ls "$seeds" | wc -l)
  "$target" -merge=1 $LVX_FUZZ_FLAGS "$seeds" "$corpus" >"$logs/$name.merge.log" 2>&1
  echo "$name: seeds $before -> $(ls "$seeds" | wc -l)"
done
