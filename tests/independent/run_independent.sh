#!/usr/bin/env bash
# The independent-player stage: compares pictures from Tavro's player with pictures of the same
# movies from an independent web player running in headless Chromium.
#
#   run_independent.sh TOOLS_DIR WORK_DIR frames CLI MOVIE OUT_DIR FRAMES
#   run_independent.sh TOOLS_DIR WORK_DIR page CLI MOVIE OUT_DIR
#   run_independent.sh TOOLS_DIR WORK_DIR clicks CLI MOVIE OUT_DIR NAME=X,Y+X,Y...
#   run_independent.sh TOOLS_DIR WORK_DIR html5-frames|html5-clicks|html5-gestures|html5-stop ARGS...
#
# The html5-* cases check the web pages of `tavro-cli publish --html5` (tests/html5.cmake); they
# need Chromium and the driver package only.
#
# TOOLS_DIR holds the node scripts and package.json (tools/independent); they are copied into
# WORK_DIR, where the npm packages are installed on first run. Exit status 77 means skipped: no
# node, npm or Chromium, or the packages cannot be had; the reason is printed.
set -uo pipefail
tools=$1
work=$2
shift 2

skip() {
    echo "SKIPPED: $*"
    exit 77
}

chromium=${TAVRO_CHROMIUM:-/usr/bin/chromium}
command -v node >/dev/null 2>&1 || skip "node is not installed"
[[ -x "$chromium" ]] || skip "Chromium is not installed at $chromium (scripts/setup-deps.sh installs it)"
mkdir -p "$work" || exit 1

# One install at a time: the stage's tests may run in parallel.
exec 9>"$work/.install.lock"
flock 9
if ! cmp -s "$tools/package-lock.json" "$work/package-lock.json" ||
    [[ ! -f "$work/node_modules/@ruffle-rs/ruffle/package.json" ||
       ! -f "$work/node_modules/playwright-core/package.json" ||
       ! -f "$work/node_modules/pngjs/package.json" ]]; then
    command -v npm >/dev/null 2>&1 || skip "npm is not installed, so the player packages cannot be installed"
    cp "$tools/package.json" "$tools/package-lock.json" "$work/" || exit 1
    echo "Installing the packages of $tools/package.json into $work"
    if ! log=$(cd "$work" && timeout 300 npm ci --no-audit --no-fund 2>&1); then
        echo "$log" | tail -n 5
        rm -f "$work/package-lock.json"
        skip "npm could not install the packages (offline or registry unreachable)"
    fi
fi
cp "$tools"/*.mjs "$work/" || exit 1
flock -u 9

export TAVRO_CHROMIUM="$chromium"
case=$1
shift
case $case in
frames) exec node "$work/check_frames.mjs" "$@" ;;
page) exec node "$work/check_page.mjs" "$@" ;;
clicks) exec node "$work/check_clicks.mjs" "$@" ;;
html5-frames) exec node "$work/html5_frames.mjs" "$@" ;;
html5-clicks) exec node "$work/html5_clicks.mjs" "$@" ;;
html5-stop) exec node "$work/html5_stop.mjs" "$@" ;;
html5-gestures) exec node "$work/html5_gestures.mjs" "$@" ;;
*)
    echo "unknown case $case"
    exit 2
    ;;
esac
