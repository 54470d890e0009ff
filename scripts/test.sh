#!/usr/bin/env bash
# Sets everything up on a fresh Debian machine and runs the whole test suite.
# TAVRO_SANITIZE=ON (the default) builds with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup-deps.sh"
sanitize=${TAVRO_SANITIZE:-ON}
build=${TAVRO_BUILD_DIR:-$root/build-test}
"$root/scripts/build.sh" "$build" -DTAVRO_SANITIZE="$sanitize" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cd "$build"
ctest --output-on-failure -j "$(nproc)"
