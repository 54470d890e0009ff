#!/usr/bin/env bash
# Speed of the video export: exports MOVIE (default examples/letters.swi) at 1920 x 1080 and
# 30 frames a second to MP4 and to GIF, RUNS times each (default 3), and prints for each format
# the median of
#   fps        video frames encoded per second of wall time
#   speed      seconds of video per second of wall time (above 1: faster than real time)
#   cpu        processor seconds (user + system, all threads) per second of video; below 1 the
#              export keeps ahead of real time even on a single free processor
# and the share of the wall time spent playing and drawing the movie, converting the pictures
# (colour conversion, the GIF's palette) and encoding and writing them. The machine's load
# average is printed first: on a shared machine other work slows the wall-clock figures, and the
# cpu figure tells what the export itself costs.
#
# Use a Release build:
#   cmake -S . -B build-rel -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVRO_TESTS=OFF
#   cmake --build build-rel --target tavro-cli
#   bench/video_export.sh build-rel/apps/tavro-cli/tavro-cli
#
# Usage: bench/video_export.sh [TAVRO_CLI] [MOVIE] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cli=${1:-$root/build-rel/apps/tavro-cli/tavro-cli}
movie=${2:-$root/examples/letters.swi}
runs=${3:-3}
[[ -x $cli ]] || { echo "no tavro-cli at $cli (build a Release tavro-cli first)" >&2; exit 1; }
[[ -x /usr/bin/time ]] || { echo "/usr/bin/time is needed (Debian package time)" >&2; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "movie: $movie, 1920 x 1080 at 30 frames a second, $runs runs a format"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) processors"
for format in mp4 gif; do
    : >"$work/$format.runs"
    for _ in $(seq "$runs"); do
        rm -f "$work/out.$format"
        /usr/bin/time -f "cpu %U %S" -o "$work/time" \
            "$cli" video "$movie" -o "$work/out.$format" --width 1920 --height 1080 --fps 30 \
            --quiet --stats >"$work/stats"
        # "... 393 frames, ... 13.10 s of video in 12.73 s (30.9 frames a second, 1.03 x real
        # time); render 24%, convert 29%, encode 48%"
        awk -v time="$(cat "$work/time")" '{
            split(time, t, " ");
            for (i = 1; i <= NF; i++) {
                if ($(i + 1) == "frames,") frames = $i;
                if ($(i + 1) == "s" && $(i + 2) == "of") video = $i;
                if ($(i + 1) == "s" && $(i - 1) == "in") wall = $i;
                if ($i == "render") render = $(i + 1);
                if ($i == "convert") convert = $(i + 1);
                if ($i == "encode") encode = $(i + 1);
            }
            gsub(/[%,;]/, "", render); gsub(/[%,;]/, "", convert); gsub(/[%,;]/, "", encode);
            printf "%.1f %.2f %.2f %s %s %s %s %.2f\n", frames / wall, video / wall,
                   (t[2] + t[3]) / video, render, convert, encode, frames, wall
        }' "$work/stats" >>"$work/$format.runs"
    done
    sort -n -k2 "$work/$format.runs" | awk -v f="$format" -v n="$runs" '
        {row[NR] = $0}
        END {
            split(row[int((NR + 1) / 2)], m, " ");
            printf "%-4s %s frames: fps %s, speed %sx real time, cpu %s s per s of video; " \
                   "render %s%%, convert %s%%, encode %s%% (median of %d, wall %s s)\n",
                   f, m[7], m[1], m[2], m[3], m[4], m[5], m[6], n, m[8]
        }'
done
