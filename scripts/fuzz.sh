#!/usr/bin/env bash
# Runs one fuzz target from build-fuzz on a scratch copy of its seeds and of the committed
# reproducers, so that neither grows in the source tree:
#   scripts/fuzz.sh TARGET [SECONDS] [libFuzzer options...]
# Seeds live in fuzz/corpus/TARGET; reproducers (replayed by the unit tests) in tests/data/DIR.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
target=${1:?usage: scripts/fuzz.sh TARGET [SECONDS] [libFuzzer options...]}
seconds=${2:-600}
shift $(($# < 2 ? $# : 2))

# Where each target's reproducers are kept.
case $target in
archive) repro=archive ;;
swf_info) repro=swf ;;
player_load) repro=player ;;
sound_decode) repro=sound_decode ;;
doc_load) repro=doc_load ;;
actions) repro=actions ;;
bitmap_decode) repro=bitmap_decode ;;
*) echo "unknown target $target" >&2; exit 2 ;;
esac

work=${TMPDIR:-/tmp}/tavro-fuzz-$target
mkdir -p "$work/corpus" "$work/artifacts"
cp -n "$root/fuzz/corpus/$target"/* "$work/corpus/" 2>/dev/null || true
if [ -d "$root/tests/data/$repro" ]; then
    find "$root/tests/data/$repro" -maxdepth 1 -type f ! -name '*.md' -exec cp -n {} "$work/corpus/" \;
fi
exec "$root/build-fuzz/fuzz/fuzz_$target" "$work/corpus" -max_total_time="$seconds" \
    -artifact_prefix="$work/artifacts/" "$@"
