#!/usr/bin/env bash
# Sets everything up on a fresh Debian machine, builds Tavro and runs the main job. With a display
# it opens the editor on a bundled example movie. Without one it does the headless job instead:
# export the example to SWF, list the SWF's tags, and render its first frame with Tavro's own
# player into a PNG picture.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup-deps.sh"
build=${TAVRO_BUILD_DIR:-$root/build}
"$root/scripts/build.sh" "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo

if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
  echo "Opening the editor on examples/letters.swi"
  exec "$build/apps/tavro/tavro" "$root/examples/letters.swi"
fi

echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set), so the editor is not opened;"
echo "running the headless example instead."
cli="$build/apps/tavro-cli/tavro-cli"
out="$build/example"
mkdir -p "$out"
"$cli" export "$root/examples/hello.swi" -o "$out/hello.swf"
"$cli" info "$out/hello.swf"
"$cli" render "$out/hello.swf" --frame 0 -o "$out/hello.png"
echo "Exported $out/hello.swf and rendered its first frame to $out/hello.png"
