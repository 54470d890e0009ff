#!/usr/bin/env bash
# Start-up and play timings of the editor under a virtual X server: the median of RUNS runs
# (default 10) of
#   first-paint-ms       process start to the first painted stage (target <= 300 ms)
#   play-first-frame-ms  the Play command to the first played frame on the stage (target <= 30 ms)
# with MOVIE (default examples/letters.swi). Each run starts `tavro --play MOVIE` with
# TAVRO_TIMING=1, which prints both figures to stderr, and ends after the first played frame.
#
# Usage: bench/editor_timing.sh [TAVRO] [MOVIE] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tavro=${1:-$root/build/apps/tavro/tavro}
movie=${2:-$root/examples/letters.swi}
runs=${3:-10}
command -v xvfb-run >/dev/null 2>&1 || { echo "xvfb-run is not installed" >&2; exit 77; }
[[ -x $tavro ]] || { echo "no editor at $tavro" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/config" "$work/runtime"
chmod 700 "$work/runtime"

# One X server for all runs; each run is a fresh editor process.
XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime TAVRO_TIMING=1 \
TAVRO_TEST_GRAB=$work/grab.png TAVRO_TEST_GRAB_FRAMES=1 ASAN_OPTIONS=detect_leaks=0 \
    xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
        for i in $(seq "$2"); do
            timeout 60 "$0" --play "$1" 2>&1 >/dev/null | grep -E "^(first-paint-ms|play-first-frame-ms) " || true
        done' "$tavro" "$movie" "$runs" >"$work/times"

median() {
    grep "^$1 " "$work/times" | awk '{print $2}' | sort -n |
        awk '{v[NR] = $1} END {if (NR == 0) print "none"; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2}'
}
echo "runs: $(grep -c '^first-paint-ms ' "$work/times") of $runs"
echo "first-paint-ms median: $(median first-paint-ms) (target <= 300)"
echo "play-first-frame-ms median: $(median play-first-frame-ms) (target <= 30)"
