#!/usr/bin/env bash
# tavro-player under a virtual X server: the movie of a document (exported by tavro-cli) is
# opened from the command line, a button is clicked on frame CLICK_FRAME (through the stage
# widget's mouse handlers), the stage is grabbed from the screen after FRAMES frame rounds and
# compared pixel by pixel (ImageMagick compare -metric AE) with `tavro-cli play --click ...
# --snapshot` of the same movie. The click must change the picture, too. Exit status 77 means
# skipped: xvfb-run or ImageMagick is missing.
#
# Usage: run_player_stage.sh TAVRO_PLAYER TAVRO_CLI DOCUMENT X,Y CLICK_FRAME FRAMES WORK_DIR
set -euo pipefail
player=$1 cli=$2 document=$3 point=$4 click_frame=$5 frames=$6 work=$7
source "$(dirname "${BASH_SOURCE[0]}")/stage_common.sh"

prepare_stage "$work"
"$cli" export "$document" -o "$work/movie.swf"
TAVRO_TEST_CLICK="$point@$click_frame" TAVRO_TEST_GRAB=$work/stage.png \
TAVRO_TEST_GRAB_FRAMES=$frames \
    grab_stage "$work" player tavro-player "$player" "$work/movie.swf"
"$cli" play "$work/movie.swf" --frames "$frames" --click "$point@$click_frame" \
    --snapshot "$work/expected.png"
"$cli" render "$work/movie.swf" --frame 0 -o "$work/first.png"

differing=$(compare -metric AE "$work/stage.png" "$work/expected.png" "$work/diff.png" 2>&1) || true
unclicked=$(compare -metric AE "$work/stage.png" "$work/first.png" /dev/null 2>&1) || true
echo "differing pixels: $differing (against the first frame: $unclicked)"
identify "$work/stage.png" "$work/expected.png"
[[ $differing == 0 && $unclicked != 0 ]]
