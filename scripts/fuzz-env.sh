# Sourced by test.sh and fuzz.sh: how the libFuzzer targets run.
# Run rather than sourced: say how it is used, and stop.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  usage() { echo "usage: source scripts/fuzz-env.sh   (sets LVX_FUZZ_FLAGS and ASAN_OPTIONS, gives lvx_fuzz_summary)"; }
  case "${1:-}" in
    -h|--help) usage; exit 0 ;;
  esac
  echo "fuzz-env.sh: this file is sourced by other scripts, not run" >&2
  usage >&2
  exit 2
fi
#
# Inputs are bounded to 4 KB (a settings file is a few hundred bytes). The
# sanitizer's allocator is told to keep a small quarantine, not to fill new
# blocks and not to record where each block was allocated: with these the
# settings fuzzer runs several times faster and still stops at every fault
# (rerun a crash input without them for allocation stacks).
LVX_FUZZ_FLAGS="-max_len=4096 -rss_limit_mb=2048"
export ASAN_OPTIONS="${ASAN_OPTIONS:-quarantine_size_mb=16:max_malloc_fill_size=0:malloc_context_size=0}"

# "N inputs, N/s, coverage N edges" from the DONE line of a run's log.
lvx_fuzz_summary() {
  sed -nE 's/^#([0-9]+)[[:space:]]+DONE[[:space:]]+cov: ([0-9]+).*exec\/s: ([0-9]+).*/\1 inputs, \3\/s, coverage \2 edges/p' "$1" | tail -1
}
