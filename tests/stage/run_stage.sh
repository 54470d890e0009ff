#!/usr/bin/env bash
# The stage under a virtual X server: starts the real editor on a movie with --play, lets it play
# FRAMES frame rounds, grabs the stage window as the X server shows it and compares the grab with
# `tavro-cli render --frame FRAMES` of the same movie, pixel by pixel (ImageMagick compare -metric
# AE). Exit status 77 means skipped: xvfb-run or ImageMagick is missing.
#
# Usage: run_stage.sh TAVRO TAVRO_CLI MOVIE FRAMES WORK_DIR
set -euo pipefail
tavro=$1 cli=$2 movie=$3 frames=$4 work=$5
source "$(dirname "${BASH_SOURCE[0]}")/stage_common.sh"

prepare_stage "$work"
export TAVRO_TEST_GRAB=$work/stage.png TAVRO_TEST_GRAB_FRAMES=$frames
grab_stage "$work" tavro "the editor" "$tavro" --play "$movie"
"$cli" render "$movie" --frame "$frames" -o "$work/expected.png"

differing=$(compare -metric AE "$work/stage.png" "$work/expected.png" "$work/diff.png" 2>&1) || true
echo "differing pixels: $differing"
identify "$work/stage.png" "$work/expected.png"
[[ $differing == 0 ]]
