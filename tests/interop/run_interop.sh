#!/usr/bin/env bash
# The interop stage: writes the record test movie and the still-text movies, installs the independent parser `swf-parser`
# from the npm registry into the build tree (once), and checks the movie with it.
#
#   run_interop.sh GENERATOR WORK_DIR SCRIPT_DIR
#
# Exit status 77 means skipped (no node, or the package cannot be had); the reason is printed.
set -uo pipefail
generator=$1
work=$2
scripts=$3
package="swf-parser@^0.14.1"

skip() {
    echo "SKIPPED: $*"
    exit 77
}

mkdir -p "$work" || exit 1
command -v node >/dev/null 2>&1 || skip "node is not installed"
if [[ ! -f "$work/node_modules/swf-parser/package.json" ]]; then
    command -v npm >/dev/null 2>&1 || skip "npm is not installed, so $package cannot be installed"
    echo "Installing $package into $work"
    if ! log=$(timeout 300 npm install --prefix "$work" --no-audit --no-fund "$package" 2>&1); then
        echo "$log" | tail -n 5
        skip "npm could not install $package (offline or registry unreachable)"
    fi
fi

out="$work/check"
rm -rf "$out"
mkdir -p "$out"
TAVRO_INTEROP_DIR="$out" "$generator" --gtest_filter='InteropMovie.*:InteropText.*' --gtest_brief=1 || {
    echo "FAILED: the test program could not write the movies"
    exit 1
}
cp "$scripts/check_swf.mjs" "$scripts/check_text.mjs" "$work/" || exit 1
status=0
node "$work/check_swf.mjs" "$out/records.swf" "$out/records.expected.json" || status=1
for movie in hello texts; do
    node "$work/check_text.mjs" "$out/$movie.swf" "$scripts/$movie.expected.json" || status=1
done
exit $status
