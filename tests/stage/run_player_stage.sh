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

skip() {
    echo "SKIPPED: $*"
    exit 77
}
command -v xvfb-run >/dev/null 2>&1 || skip "xvfb-run is not installed"
command -v compare >/dev/null 2>&1 || skip "ImageMagick (compare) is not installed"

rm -rf "$work"
mkdir -p "$work/config" "$work/runtime"
chmod 700 "$work/runtime"
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
"$cli" export "$document" -o "$work/movie.swf"

status=0
TAVRO_TEST_CLICK="$point@$click_frame" TAVRO_TEST_GRAB=$work/stage.png \
TAVRO_TEST_GRAB_FRAMES=$frames \
    timeout 120 xvfb-run -a -s "-screen 0 1280x1024x24" "$player" "$work/movie.swf" \
    >"$work/player.out" 2>"$work/player.err" || status=$?
if [[ $status -ne 0 || ! -s $work/stage.png ]]; then
    echo "tavro-player did not grab the stage (status $status)"
    cat "$work/player.err"
    exit 1
fi
"$cli" play "$work/movie.swf" --frames "$frames" --click "$point@$click_frame" \
    --snapshot "$work/expected.png"
"$cli" render "$work/movie.swf" --frame 0 -o "$work/first.png"

differing=$(compare -metric AE "$work/stage.png" "$work/expected.png" "$work/diff.png" 2>&1) || true
unclicked=$(compare -metric AE "$work/stage.png" "$work/first.png" /dev/null 2>&1) || true
echo "differing pixels: $differing (against the first frame: $unclicked)"
identify "$work/stage.png" "$work/expected.png"
[[ $differing == 0 && $unclicked != 0 ]]
