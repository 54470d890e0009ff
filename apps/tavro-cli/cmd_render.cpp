// tavro-cli render: plays a movie headless up to a frame and writes the picture as PNG.
#include "CliCommand.h"
#include "DocumentFiles.h"

#include "export/MoviePlayback.h"
#include "player/host/HeadlessPngWriter.h"

#include <string>
#include <vector>

namespace tavro::cli {
namespace {

struct RenderOptions {
    std::string file;
    int frame = 0;
    std::string output;
    int width = 0;
    int height = 0;
    std::string quality = "high";
};

void Run(const RenderOptions& o) {
    // A movie document is exported in memory first, exactly as Play does in the editor.
    std::vector<uint8_t> bytes = ReadMovieBytes(o.file);

    MoviePlayback::Options options;
    options.width = o.width;
    options.height = o.height;
    options.highQuality = o.quality != "low";
    options.moviePath = o.file;
    MoviePlayback playback(options);
    if (!playback.Load(bytes))
        throw CliError(o.file + ": not a playable SWF movie");
    for (int i = 0; i < o.frame; ++i)
        playback.Step();

    std::vector<uint8_t> rgba;
    int w = 0, h = 0;
    if (!playback.Snapshot(rgba, w, h))
        throw CliError(o.file + ": the movie has an empty frame size; give --width and --height");
    std::string error;
    if (!player::HeadlessPngWriter::Write(o.output, rgba, w, h, error))
        throw CliError(error);
}

void Setup(CLI::App& app) {
    auto opts = std::make_shared<RenderOptions>();
    auto* cmd = app.add_subcommand(
        "render", "Play a movie without a window up to a frame and write the picture as PNG");
    cmd->add_option("FILE", opts->file, "Movie to play (.swf)")->required();
    cmd->add_option("--frame", opts->frame, "Frames to advance after the first (default 0)")
        ->check(CLI::NonNegativeNumber);
    cmd->add_option("-o,--output", opts->output, "PNG file to write")->required();
    cmd->add_option("--width", opts->width, "Picture width in pixels (default: the movie's)")
        ->check(CLI::PositiveNumber);
    cmd->add_option("--height", opts->height, "Picture height in pixels (default: the movie's)")
        ->check(CLI::PositiveNumber);
    cmd->add_option("--quality", opts->quality, "Anti-aliasing: low or high (default high)")
        ->check(CLI::IsMember({"low", "high"}));
    cmd->callback([opts] { Run(*opts); });
}

const CliCommandRegistrar registrar(Setup);

} // namespace
} // namespace tavro::cli
