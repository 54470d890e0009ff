// Shared pieces of the video export tests: running tavro-cli, ffprobe and ffmpeg, decoding what
// was written back to RGBA pictures, and comparing pictures.
#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tavro::video::test {

namespace fs = std::filesystem;

struct RunResult {
    int status = -1; // exit status, or 128 + signal
    std::string out;
    std::string err;
};

// Runs a program with arguments (no shell), its output captured.
RunResult RunProgram(const std::vector<std::string>& args);
// tavro-cli of this build.
std::string Cli();
// True when ffprobe and ffmpeg can be run.
bool HaveFfmpeg();

// A folder of its own under the build tree for the current test, emptied first.
fs::path TestFolder();
// Files and folders directly inside `folder`, by name.
std::vector<std::string> Listing(const fs::path& folder);

// ffprobe's view of a file: streams (frames counted) and format, as JSON.
nlohmann::json Probe(const fs::path& file);
// The first stream of a kind ("video", "audio"), or null.
nlohmann::json StreamOf(const nlohmann::json& probe, const std::string& type);
// Where the last packet of a file's stream of a kind ends, in seconds.
double StreamEnd(const fs::path& file, const std::string& type);
// A rational "num/den" of ffprobe as a number.
double Ratio(const std::string& text);

using Picture = std::vector<uint8_t>; // RGBA rows

// Every frame of a file as RGBA pictures of width x height, decoded by ffmpeg. `vp9Alpha` uses
// libvpx's decoder, which keeps the alpha of a WebM.
std::vector<Picture> Decode(const fs::path& file, int width, int height, bool vp9Alpha = false);
// The frames of an animated WebP, composited, one per `frameMs` of its timeline (libwebp's
// demuxer: the FFmpeg of this system cannot decode animated WebP). Empty when unavailable.
std::vector<Picture> DecodeWebp(const fs::path& file, double frameMs, int count,
                                int* width = nullptr, int* height = nullptr);
bool HaveWebpDecoder();
// `tavro-cli render` of one frame, decoded to RGBA.
Picture Render(const fs::path& movie, int frame, int width, int height, const fs::path& work);

// Peak signal-to-noise ratio of the colour channels, in dB (1000 for identical pictures).
double Psnr(const Picture& a, const Picture& b);
// The alpha of pixel (x, y).
int AlphaAt(const Picture& p, int width, int x, int y);

// 16-bit mono samples of a file's sound track at `rate`.
std::vector<int16_t> DecodeSound(const fs::path& file, int rate);

} // namespace tavro::video::test
