// Export of a movie to a video file, an animated image or a folder of numbered PNG files: the
// movie is played by MoviePlayback exactly as the command line's render and play show it, and
// its pictures and mixed sound are encoded by FFmpeg's libraries. The output is written beside
// its final name and renamed into place at the end, so a failed or cancelled export leaves no
// file behind.
#pragma once

#include "export/MoviePlayback.h"
#include "export/video/VideoFormat.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tavro::video {

struct VideoExportOptions {
    enum class Length {
        UntilStop, // until the movie stops, quits or starts over (and its sound ends)
        Frames,    // `frames` video frames
        Loops,     // the movie's frames `loops` times over
    };

    std::filesystem::path output;
    // nullopt: by the output's name.
    std::optional<VideoFormat> format;
    // 0: the movie's own size. Formats that need even sizes get the next even number.
    int width = 0;
    int height = 0;
    // Not valid: the movie's own rate (no more than the format's maximum).
    VideoRate rate;
    Length length = Length::UntilStop;
    int64_t frames = 0;
    int loops = 1;
    std::vector<MovieClick> clicks;
    bool highQuality = true;
    // Constant quality (the codec's own scale) or a bit rate in bits a second for MP4 and WebM;
    // negative or 0 leaves the choice to `highQuality`.
    int crf = -1;
    int64_t bitrate = 0;
    bool sound = true;
    bool transparent = false;
    // The movie's file, for its relative URL loads; may be empty.
    std::filesystem::path moviePath;
};

struct VideoProgress {
    int64_t done = 0;  // units of work done: frames (twice as many for a GIF's two passes)
    int64_t total = 0; // the whole work as far as known
    double seconds = 0;
    // The pass over the movie (a GIF gathers its colours first), and its frames.
    int pass = 0;
    int passes = 1;
    int64_t frame = 0;  // frames done in this pass
    int64_t frames = 0; // frames of the video as far as known
};

// Called after every video frame; returning false cancels the export.
using VideoProgressFn = std::function<bool(const VideoProgress&)>;

struct VideoExportResult {
    bool ok = false;
    bool cancelled = false;
    // "<file>: <reason>" when not ok.
    std::string message;
    // Things the user should know, such as a size made even.
    std::vector<std::string> notes;

    VideoFormat format = VideoFormat::Mp4;
    int width = 0;
    int height = 0;
    VideoRate rate;
    int64_t frames = 0;
    double seconds = 0; // length of the video
    bool hasSound = false;

    // Time spent in playing and drawing the movie, in converting pictures and sound for the
    // encoders (colour conversion, palettes, resampling), in encoding and writing, and in all.
    double renderSeconds = 0;
    double convertSeconds = 0;
    double encodeSeconds = 0;
    double totalSeconds = 0;
};

// True when the movie holds anything that can make a sound (sound definitions, stream sound or
// button sounds), in its main timeline or any sprite.
bool MovieHasSound(std::span<const uint8_t> swf);

VideoExportResult ExportVideo(std::span<const uint8_t> swf, const VideoExportOptions& options,
                              const VideoProgressFn& progress = {});

} // namespace tavro::video
