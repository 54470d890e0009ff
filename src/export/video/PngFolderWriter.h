// A folder of numbered PNG files, one a frame ("frame-00000.png", ...), encoded by FFmpeg's PNG
// encoder. The files go into a temporary folder beside the output, which is renamed to the
// output's name by Finish; the output must not exist yet or be an empty folder.
#pragma once

#include "export/video/FrameSink.h"

#include <filesystem>
#include <memory>
#include <string>

namespace tavro::video {

class PngFolderWriter : public FrameSink {
public:
    PngFolderWriter();
    ~PngFolderWriter() override;

    bool Open(const std::filesystem::path& folder, int width, int height, bool alpha,
              int64_t expectedFrames, std::string& error);
    bool AddFrame(const uint8_t* rgba, std::string& error) override;
    bool AddSound(std::span<const uint8_t>, std::string&) override { return true; }
    bool Finish(std::string& error) override;

    // The name of frame `index` for a video of `frames` frames: at least five digits.
    static std::string FileName(int64_t index, int64_t frames);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace tavro::video
