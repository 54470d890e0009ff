#!/usr/bin/env bash
# Size and speed of the web page of a movie (default examples/letters.swi) in headless Chromium;
# see bench/html5_bench.mjs for what is measured.
#
#   bench/html5_bench.sh [BUILD_DIR] [MOVIE] [--runs N] [--seconds S]
#
# Uses tavro-cli of the build and the browser driver the independent checks installed into
# <BUILD_DIR>/independent (run `ctest -R html5` once, or npm ci there, to install it).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
movie=${2:-$root/examples/letters.swi}
shift $(( $# > 2 ? 2 : $# ))
if [[ ! -f "$build/independent/node_modules/playwright-core/package.json" ]]; then
    echo "no browser driver in $build/independent: run ctest -R html5 in $build first" >&2
    exit 1
fi
TAVRO_PACKAGES="$build/independent" exec node "$root/bench/html5_bench.mjs" \
    "$build/apps/tavro-cli/tavro-cli" "$movie" "$@"
