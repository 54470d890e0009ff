#!/usr/bin/env bash
# Sets everything up on a fresh Debian machine, builds Tavro and runs the main job on the
# bundled example movie.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup-deps.sh"
build=${TAVRO_BUILD_DIR:-$root/build}
"$root/scripts/build.sh" "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
"$build/apps/tavro-cli/tavro-cli" info "$root/examples/hello.swf"
