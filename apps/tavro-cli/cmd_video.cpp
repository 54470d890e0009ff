// tavro-cli video: plays a movie headless and writes its frames and sound as a video file, an
// animated image or a folder of numbered PNG files.
#include "CliCommand.h"
#include "DocumentFiles.h"

#include "export/video/ConsoleProgress.h"
#include "export/video/VideoExport.h"

#include <atomic>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace tavro::cli {
namespace {

struct VideoCliOptions {
    std::string file;
    std::string output;
    std::string fps;
    int width = 0;
    int height = 0;
    int64_t frames = 0;
    bool untilStop = false;
    int loops = 0;
    std::vector<std::string> clicks;
    std::string quality = "high";
    int crf = -1;
    std::string bitrate;
    bool noAudio = false;
    bool transparent = false;
    bool quiet = false;
    bool stats = false;
};

volatile std::sig_atomic_t interrupted = 0;

extern "C" void OnInterrupt(int) {
    interrupted = 1;
}

// Ctrl+C, a kill or a closed terminal cancels the export (which then removes what it wrote)
// instead of ending the process; a closed pipe on the progress output does not stop it.
class InterruptGuard {
public:
    InterruptGuard() {
        interrupted = 0;
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        sigemptyset(&action.sa_mask);
        for (size_t i = 0; i < std::size(kCancel); ++i)
            sigaction(kCancel[i], &action, &old_[i]);
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        sigaction(SIGPIPE, &ignore, &oldPipe_);
    }
    ~InterruptGuard() {
        for (size_t i = 0; i < std::size(kCancel); ++i)
            sigaction(kCancel[i], &old_[i], nullptr);
        sigaction(SIGPIPE, &oldPipe_, nullptr);
    }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

private:
    static constexpr int kCancel[] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction old_[std::size(kCancel)]{};
    struct sigaction oldPipe_ {};
};

// "2500000", "2500k" or "2.5M" bits a second.
int64_t ParseBitrate(const std::string& text) {
    size_t used = 0;
    double value = 0;
    try {
        value = std::stod(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    double scale = 1;
    if (used + 1 == text.size()) {
        const char unit = char(std::tolower(static_cast<unsigned char>(text.back())));
        scale = unit == 'k' ? 1e3 : unit == 'm' ? 1e6 : 0;
        ++used;
    }
    const double bits = value * scale;
    if (used == 0 || used != text.size() || !(bits >= 1000) || bits > 1e9)
        throw CliError("--bitrate " + text +
                       ": expected bits a second from 1000 to 1000M, like 2500k or 4M");
    return int64_t(bits);
}

void Run(const VideoCliOptions& o) {
    video::VideoExportOptions options;
    options.output = o.output;
    options.width = o.width;
    options.height = o.height;
    if (!o.fps.empty()) {
        const std::optional<video::VideoRate> rate = video::ParseVideoRate(o.fps);
        if (!rate)
            throw CliError("--fps " + o.fps + ": expected frames a second, like 30, 29.97 or " +
                           "30000/1001");
        options.rate = *rate;
    }
    if (o.frames > 0) {
        options.length = video::VideoExportOptions::Length::Frames;
        options.frames = o.frames;
    } else if (o.loops > 0) {
        options.length = video::VideoExportOptions::Length::Loops;
        options.loops = o.loops;
    }
    for (const std::string& c : o.clicks) {
        const std::optional<MovieClick> click = ParseMovieClick(c);
        if (!click)
            throw CliError("--click " + c + ": expected X,Y@FRAME with whole numbers");
        options.clicks.push_back(*click);
    }
    options.highQuality = o.quality != "low";
    options.crf = o.crf;
    if (!o.bitrate.empty())
        options.bitrate = ParseBitrate(o.bitrate);
    options.sound = !o.noAudio;
    options.transparent = o.transparent;
    options.moviePath = o.file;
    if (!video::VideoFormatForPath(o.output))
        throw CliError(o.output + ": not a kind of file Tavro writes (expected " +
                       video::KnownVideoExtensions() + ")");

    std::vector<uint8_t> bytes = ReadMovieBytes(o.file);

    video::ConsoleProgress bar(o.quiet ? nullptr : stderr, isatty(STDERR_FILENO) != 0);
    video::VideoProgress last;
    video::VideoExportResult result;
    {
        InterruptGuard guard;
        result = video::ExportVideo(bytes, options, [&](const video::VideoProgress& p) {
            last = p;
            bar.Update(p);
            return interrupted == 0;
        });
    }
    if (result.ok) {
        // The whole work, now that the length is known (a GIF plays the movie twice).
        last.frame = last.frames = result.frames;
        last.done = last.total = result.frames * last.passes;
        bar.Update(last);
    }
    bar.Finish();
    for (const std::string& note : result.notes)
        std::fprintf(stderr, "tavro-cli: note: %s\n", note.c_str());
    if (!result.ok)
        throw CliError(result.cancelled ? o.output + ": interrupted; nothing was written"
                                        : result.message);
    if (o.stats) {
        const double total = result.totalSeconds > 0 ? result.totalSeconds : 1;
        std::printf("%s: %lld frames, %d x %d, %.3f fps, %.2f s of video in %.2f s (%.1f frames "
                    "a second, %.2f x real time); render %.0f%%, convert %.0f%%, encode %.0f%%%s\n",
                    o.output.c_str(), static_cast<long long>(result.frames), result.width,
                    result.height, result.rate.Value(), result.seconds, result.totalSeconds,
                    double(result.frames) / total, result.seconds / total,
                    100 * result.renderSeconds / total, 100 * result.convertSeconds / total,
                    100 * result.encodeSeconds / total, result.hasSound ? ", with sound" : "");
    }
}

void Setup(CLI::App& app) {
    auto opts = std::make_shared<VideoCliOptions>();
    auto* cmd = app.add_subcommand(
        "video", "Play a movie without a window and write it as a video or an animated image");
    cmd->add_option("FILE", opts->file, "Movie to play (.swf, .swi or .json)")->required();
    cmd->add_option("-o,--output", opts->output,
                    "File to write: .mp4 (H.264 + AAC), .webm (VP9 + Opus), .gif, .webp, .apng; a "
                    "name without an extension is a folder of numbered PNG files")
        ->required();
    cmd->add_option("--fps", opts->fps,
                    "Frames a second of the video (default: the movie's rate); the movie keeps "
                    "its speed");
    cmd->add_option("--width", opts->width,
                    "Picture width in pixels (default: the movie's; the height follows)")
        ->check(CLI::Range(1, 8192));
    cmd->add_option("--height", opts->height,
                    "Picture height in pixels (default: the movie's; the width follows)")
        ->check(CLI::Range(1, 8192));
    auto* frames = cmd->add_option("--frames", opts->frames, "Length in video frames")
                       ->check(CLI::Range(int64_t(1), int64_t(10000000)));
    auto* until = cmd->add_flag("--until-stop", opts->untilStop,
                                "End when the movie stops or has played once (the default)");
    auto* loops = cmd->add_option("--loops", opts->loops, "Length: the movie's frames K times")
                      ->check(CLI::Range(1, 10000));
    frames->excludes(until)->excludes(loops);
    until->excludes(loops);
    cmd->add_option("--click", opts->clicks,
                    "Press and release the mouse at stage pixel X,Y on frame F (X,Y@F), as in "
                    "play; may be given several times");
    cmd->add_option("--quality", opts->quality, "low or high (default high)")
        ->check(CLI::IsMember({"low", "high"}));
    cmd->add_option("--crf", opts->crf,
                    "Constant quality of MP4 (0-51) and WebM (0-63); lower is better")
        ->check(CLI::Range(0, 63));
    cmd->add_option("--bitrate", opts->bitrate,
                    "Bits a second for MP4 and WebM instead of constant quality (2500k, 4M)");
    cmd->add_flag("--no-audio", opts->noAudio, "Leave the sound out");
    cmd->add_flag("--transparent", opts->transparent,
                  "Leave the background out (WebM, GIF, WebP, APNG and PNG files)");
    cmd->add_flag("-q,--quiet", opts->quiet, "Show no progress");
    cmd->add_flag("--stats", opts->stats,
                  "Print the frames, the speed and where the time went when done");
    cmd->callback([opts] { Run(*opts); });
}

const CliCommandRegistrar registrar(Setup);

} // namespace
} // namespace tavro::cli
