#!/usr/bin/env bash
# Plays examples/letters.swi full screen (1920 x 1080) in tavro-player under a virtual X server
# for 10 seconds and reports the frame times from the player's frame log (TAVRO_FRAME_LOG):
#
#   work   the time a frame round took to play and render (tick) plus the paint that put it on
#          the window, in ms: median and worst
#   late   frame rounds that reached the window more than one frame period after they were due
#
# Usage: bench/player_fullscreen.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
seconds=${2:-10}
player=$build/apps/tavro-player/tavro-player
cli=$build/apps/tavro-cli/tavro-cli
for program in "$player" "$cli"; do
    [[ -x $program ]] || { echo "missing $program (build tavro-player and tavro-cli)"; exit 1; }
done
command -v xvfb-run >/dev/null 2>&1 || { echo "xvfb-run is not installed"; exit 1; }

work=$(mktemp -d)
trap '[[ -n ${KEEP_WORK:-} ]] && echo "kept $work" || rm -rf "$work"' EXIT
mkdir -p "$work/config" "$work/runtime"
chmod 700 "$work/runtime"
"$cli" export "$root/examples/letters.swi" -o "$work/letters.swf"

XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime TAVRO_FRAME_LOG=$work/frames.log \
TAVRO_TEST_QUIT_AFTER_MS=$((seconds * 1000)) \
    timeout $((seconds + 60)) xvfb-run -a -s "-screen 0 1920x1080x24" \
    "$player" --full-screen "$work/letters.swf" >/dev/null 2>"$work/player.err" || {
    echo "tavro-player failed:"
    cat "$work/player.err"
    exit 1
}

awk -v seconds="$seconds" '
    function sort(a, n,    i, j, v) {
        for (i = 2; i <= n; i++) { v = a[i]; j = i - 1
            while (j > 0 && a[j] > v) { a[j + 1] = a[j]; j-- } a[j + 1] = v }
    }
    function median(a, n) { return (n % 2) ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2 }
    $1 == "stage" { w = $2; h = $3; next }
    $1 == "frame" {
        period = $4
        n++
        if ($8 < 0) { unpainted++; next }
        all[++m] = $6 + $8
        if ($8 > 0) drawn[++d] = $6 + $8
        if ($10 > period) late++
    }
    END {
        if (m == 0) { print "no frames were logged"; exit 1 }
        sort(all, m)
        printf "stage %sx%s, frame period %d ms, %d frame rounds in %d s\n", w, h, period, n, seconds
        printf "work (tick + paint), every round: median %.2f ms, worst %.2f ms\n", median(all, m), all[m]
        if (d > 0) {
            sort(drawn, d)
            printf "work of the %d rounds that changed the picture: median %.2f ms, worst %.2f ms\n", d, median(drawn, d), drawn[d]
        }
        printf "late (on the window more than one period after due): %d of %d", late + 0, n
        if (unpainted) printf " (%d replaced before a paint)", unpainted
        printf "\n"
    }' "$work/frames.log"
