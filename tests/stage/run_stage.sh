#!/usr/bin/env bash
# The stage under a virtual X server: starts the real editor on a movie with --play, lets it play
# FRAMES frame rounds, grabs the stage window as the X server shows it and compares the grab with
# `tavro-cli render --frame FRAMES` of the same movie, pixel by pixel (ImageMagick compare -metric
# AE). Exit status 77 means skipped: xvfb-run or ImageMagick is missing.
#
# Usage: run_stage.sh TAVRO TAVRO_CLI MOVIE FRAMES WORK_DIR
set -euo pipefail
tavro=$1 cli=$2 movie=$3 frames=$4 work=$5

skip() {
    echo "SKIPPED: $*"
    exit 77
}
command -v xvfb-run >/dev/null 2>&1 || skip "xvfb-run is not installed"
command -v compare >/dev/null 2>&1 || skip "ImageMagick (compare) is not installed"

rm -rf "$work"
mkdir -p "$work/config" "$work/runtime"
chmod 700 "$work/runtime"
# Settings of this run only, never the user's.
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
export TAVRO_TEST_GRAB=$work/stage.png TAVRO_TEST_GRAB_FRAMES=$frames

status=0
timeout 120 xvfb-run -a -s "-screen 0 1280x1024x24" "$tavro" --play "$movie" \
    >"$work/tavro.out" 2>"$work/tavro.err" || status=$?
if [[ $status -ne 0 || ! -s $work/stage.png ]]; then
    echo "the editor did not grab the stage (status $status)"
    cat "$work/tavro.err"
    exit 1
fi
"$cli" render "$movie" --frame "$frames" -o "$work/expected.png"

differing=$(compare -metric AE "$work/stage.png" "$work/expected.png" "$work/diff.png" 2>&1) || true
echo "differing pixels: $differing"
identify "$work/stage.png" "$work/expected.png"
[[ $differing == 0 ]]
