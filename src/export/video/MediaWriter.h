// A video file or an animated image written by FFmpeg's libraries: MP4 (H.264 + AAC), WebM
// (VP9 + Opus), GIF, animated WebP and animated PNG. Pictures are converted for the encoder by
// libswscale (or, for a GIF, mapped to its palette), the sound is resampled by libswresample,
// and libavformat writes the container into a temporary file beside the output that becomes the
// output only when Finish succeeds.
#pragma once

#include "export/video/FrameSink.h"
#include "export/video/VideoFormat.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

struct AVFrame;

namespace tavro::video {

struct MediaSettings {
    VideoFormat format = VideoFormat::Mp4;
    int width = 0;
    int height = 0;
    VideoRate rate{12, 1};
    // Keep the pictures' alpha (WebM, GIF, WebP, animated PNG).
    bool alpha = false;
    bool highQuality = true;
    int crf = -1;
    int64_t bitrate = 0;
    // A sound track (MP4 and WebM) from 16-bit interleaved samples at this rate.
    bool sound = false;
    int sampleRate = 22050;
    int channels = 2;
    // Animated images play on and on; otherwise once.
    bool loop = true;
    // A GIF's palette, as PaletteBuilder made it; required for GIF.
    const AVFrame* palette = nullptr;
};

class MediaWriter : public FrameSink {
public:
    MediaWriter();
    ~MediaWriter() override;

    // Opens the encoders and the temporary file. The error names the output and the reason.
    bool Open(const std::filesystem::path& output, const MediaSettings& settings,
              std::string& error);
    bool AddFrame(const uint8_t* rgba, std::string& error) override;
    bool AddSound(std::span<const uint8_t> pcm, std::string& error) override;
    bool Finish(std::string& error) override;
    // Whether an animated WebP or PNG plays on and on or once, decided before Finish (the
    // container says it at its start, written last). A GIF's is set by Open.
    void SetLoop(bool loop);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace tavro::video
