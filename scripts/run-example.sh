#!/usr/bin/env bash
# Sets everything up on a fresh Debian machine, builds Tavro and runs the main job on the
# bundled example movie: export it to SWF, list the SWF's tags, and render its first frame
# with Tavro's own player into a PNG picture.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup-deps.sh"
build=${TAVRO_BUILD_DIR:-$root/build}
"$root/scripts/build.sh" "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cli="$build/apps/tavro-cli/tavro-cli"
out="$build/example"
mkdir -p "$out"
"$cli" export "$root/examples/hello.swi" -o "$out/hello.swf"
"$cli" info "$out/hello.swf"
"$cli" render "$out/hello.swf" --frame 0 -o "$out/hello.png"
echo "Exported $out/hello.swf and rendered its first frame to $out/hello.png"
