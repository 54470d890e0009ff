// tavro-cli play: plays a movie headless for a number of frames and reports what its actions ask
// of the host (FSCommand and GetURL requests), optionally with trace output, simulated clicks, the
// mixed sound as a WAV file and the picture shown at the end as PNG.
#include "CliCommand.h"
#include "DocumentFiles.h"

#include "player/actions/ActionEngine.h"
#include "player/actions/HostCommands.h"
#include "player/host/HeadlessHost.h"
#include "player/host/HeadlessPngWriter.h"
#include "player/sound/PlayerSoundSink.h"
#include "player/sound/SoundMixer.h"
#include "player/sound/VirtualWaveOutput.h"
#include "player/sound/WaveFileWriter.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace tavro::cli {
namespace {

struct Click {
    int x = 0;
    int y = 0;
    int frame = 0;
};

struct PlayOptions {
    std::string file;
    int frames = 0;
    bool trace = false;
    std::string audio;
    std::string snapshot;
    std::vector<std::string> clicks;
};

// "X,Y@F" with whole numbers, X and Y not negative, F not negative.
Click ParseClick(const std::string& text) {
    Click c;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%d,%d@%d%c", &c.x, &c.y, &c.frame, &tail) != 3 || c.x < 0 ||
        c.y < 0 || c.frame < 0)
        throw CliError("--click " + text + ": expected X,Y@FRAME with whole numbers");
    return c;
}

// One output field: tabs, line ends and backslashes escaped so that a line stays a line.
std::string Field(std::string_view s) {
    std::string out;
    for (char ch : s) {
        switch (ch) {
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out.push_back(ch);
        }
    }
    return out;
}

// The frame number and the fields, tab-separated; empty fields at the end are left out.
std::string Line(int frame, std::initializer_list<std::string_view> fields) {
    std::string line = std::to_string(frame);
    size_t count = fields.size();
    while (count > 0 && fields.begin()[count - 1].empty())
        --count;
    for (size_t i = 0; i < count; ++i) {
        line.push_back('\t');
        line += Field(fields.begin()[i]);
    }
    return line;
}

std::string_view WithoutLineEnd(std::string_view s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// The headless host of the command: FSCommand calls go through the host commands (which never
// start a program here) and end the run on "quit".
class PlayHost : public player::HeadlessHost {
public:
    PlayHost() : commands_(*this) {}
    player::HostCommands& Commands() { return commands_; }
    void FsCommand(std::string_view command, std::string_view args) override {
        HeadlessHost::FsCommand(command, args);
        commands_.Handle(command, args);
    }

private:
    player::HostCommands commands_;
};

void Run(const PlayOptions& o) {
    std::vector<Click> clicks;
    for (const std::string& c : o.clicks)
        clicks.push_back(ParseClick(c));

    std::vector<uint8_t> bytes = ReadMovieBytes(o.file);

    // Sound goes to a virtual device that keeps what it plays.
    auto device = std::make_shared<player::VirtualWaveOutput>(true);
    device->SetCapture(true);
    player::SoundMixer mixer;
    mixer.SetDevice(device);
    mixer.Init();
    struct Terminate {
        player::SoundMixer& mixer;
        bool done = false;
        ~Terminate() {
            if (!done)
                mixer.Term();
        }
    } terminate{mixer};
    {
        player::PlayerSoundSink sink(mixer);
        PlayHost host;
        host.SetSoundSink(&sink);
        std::filesystem::path moviePath = std::filesystem::absolute(o.file);
        host.SetBaseFolder(moviePath.parent_path());

        int frame = 0;
        bool quit = false;
        auto print = [](const std::string& line) { std::fprintf(stdout, "%s\n", line.c_str()); };
        player::HostCommands::Callbacks callbacks;
        callbacks.quit = [&] { quit = true; };
        if (o.trace)
            callbacks.diagnostic = [&](std::string_view s) {
                print(Line(frame, {"diagnostic", WithoutLineEnd(s)}));
            };
        host.Commands().SetCallbacks(callbacks);
        host.Commands().SetMoviePath(moviePath);
        host.Commands().SetExecAllowed(false);

        player::ActionEngine* engine = host.Engine();
        if (engine) {
            engine->SetRequestObserver([&](const player::UrlRequest& r) {
                constexpr std::string_view kFs = "FSCommand:";
                bool fs = r.url.size() >= kFs.size();
                for (size_t i = 0; fs && i < kFs.size(); ++i)
                    fs = std::tolower(static_cast<unsigned char>(r.url[i])) ==
                         std::tolower(static_cast<unsigned char>(kFs[i]));
                if (fs) {
                    print(Line(frame, {"FSCommand", std::string_view(r.url).substr(kFs.size()),
                                       r.target}));
                    return;
                }
                std::string_view method = r.Method() == player::UrlRequest::kGet    ? "GET"
                                          : r.Method() == player::UrlRequest::kPost ? "POST"
                                                                                    : "";
                std::string kind;
                if (r.flags & player::UrlRequest::kLoadVariables)
                    kind = "variables";
                else if (r.flags & player::UrlRequest::kSpriteTarget)
                    kind = "sprite";
                print(Line(frame, {"GetURL", r.url, r.target, method, kind}));
            });
            if (o.trace) {
                engine->SetTraceSink([&](std::string_view s) { print(Line(frame, {"trace", s})); });
                engine->SetDiagnosticSink([&](std::string_view s) {
                    print(Line(frame, {"diagnostic", WithoutLineEnd(s)}));
                });
            }
        }
        if (o.trace)
            host.SetDiagnosticSink([&](std::string_view s) {
                print(Line(frame, {"diagnostic", WithoutLineEnd(s)}));
            });

        // The device plays from the start, so that the sound lines up with the frames.
        mixer.Lock();
        mixer.OpenDevice(mixer.GetFormat());
        mixer.Unlock();

        host.Load(bytes.data(), bytes.size());
        if (!host.Loaded())
            throw CliError(o.file + ": not a playable SWF movie");
        for (;;) {
            for (const Click& c : clicks) {
                if (c.frame != frame)
                    continue;
                host.MouseMove(c.x, c.y, false);
                host.MouseDown(c.x, c.y);
                host.MouseUp(c.x, c.y);
            }
            if (quit || frame >= o.frames)
                break;
            // What the step's actions ask for belongs to the frame it shows.
            ++frame;
            device->Advance(uint32_t(std::max(host.Level0().frameMs, 1)));
            host.StepFrame();
        }
        std::fflush(stdout);
        // The picture shown now: after the last frame and the clicks on it (or after the frame
        // whose "quit" ended the run). It is written before the movie is closed.
        if (!o.snapshot.empty()) {
            std::vector<uint8_t> rgba;
            int w = 0, h = 0;
            if (!host.Snapshot(rgba, w, h))
                throw CliError(o.file + ": the movie has an empty frame size");
            std::string error;
            if (!player::HeadlessPngWriter::Write(o.snapshot, rgba, w, h, error))
                throw CliError(error);
        }
        host.Close();
    }
    player::SoundFormat format = device->OpenFormat();
    std::vector<uint8_t> pcm = device->Captured();
    terminate.done = true;
    mixer.Term();
    if (!o.audio.empty() && !player::WaveFileWriter::Save(o.audio, format, pcm))
        throw CliError(o.audio + ": cannot write the file");
}

void Setup(CLI::App& app) {
    auto opts = std::make_shared<PlayOptions>();
    auto* cmd = app.add_subcommand(
        "play", "Play a movie without a window and list what its actions ask of the host");
    cmd->add_option("FILE", opts->file, "Movie to play (.swf, .swi or .json)")->required();
    cmd->add_option("--frames", opts->frames, "Frames to advance after the first")
        ->required()
        ->check(CLI::NonNegativeNumber);
    cmd->add_flag("--trace", opts->trace, "Also list Trace actions and diagnostic lines");
    cmd->add_option("--audio", opts->audio, "WAV file to write the mixed sound to");
    cmd->add_option("--snapshot", opts->snapshot,
                    "PNG file to write the picture shown after the last frame to");
    cmd->add_option("--click", opts->clicks,
                    "Press and release the mouse at stage pixel X,Y on frame F (X,Y@F); may be "
                    "given several times");
    cmd->callback([opts] { Run(*opts); });
}

const CliCommandRegistrar registrar(Setup);

} // namespace
} // namespace tavro::cli
