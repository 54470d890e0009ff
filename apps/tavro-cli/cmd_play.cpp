// tavro-cli play: plays a movie headless for a number of frames and reports what its actions ask
// of the host (FSCommand and GetURL requests), optionally with trace output, simulated clicks and
// typing, the mixed sound as a WAV file and the picture shown at the end as PNG.
#include "CliCommand.h"
#include "DocumentFiles.h"

#include "export/MoviePlayback.h"
#include "player/actions/ActionEngine.h"
#include "player/host/HeadlessHost.h"
#include "player/host/HeadlessPngWriter.h"
#include "player/sound/WaveFileWriter.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tavro::cli {
namespace {

// What happens on a frame, in command-line order: a click, typed text or a key.
struct Input {
    enum class Kind { Click, Type, Key } kind = Kind::Click;
    int frame = 0;
    MovieClick click;
    player::PlayerKey key;
};

struct PlayOptions {
    std::string file;
    int frames = 0;
    bool trace = false;
    std::string audio;
    std::string snapshot;
    std::vector<std::string> clicks;
    std::vector<std::string> types;
    std::vector<std::string> keys;
    // The options above in the order they were given.
    std::vector<Input::Kind> order;
};

MovieClick ParseClick(const std::string& text) {
    const std::optional<MovieClick> c = ParseMovieClick(text);
    if (!c)
        throw CliError("--click " + text + ": expected X,Y@FRAME with whole numbers");
    return *c;
}

// "WHAT@F": the frame after the last '@'.
std::pair<std::string, int> SplitAtFrame(const std::string& option, const std::string& text) {
    size_t at = text.rfind('@');
    int frame = -1;
    char tail = 0;
    if (at == std::string::npos || std::sscanf(text.c_str() + at + 1, "%d%c", &frame, &tail) != 1 ||
        frame < 0)
        throw CliError(option + " " + text + ": expected ...@FRAME with a whole frame number");
    return {text.substr(0, at), frame};
}

std::vector<Input> ParseInputs(const PlayOptions& o) {
    std::vector<Input> inputs;
    size_t c = 0, t = 0, k = 0;
    for (Input::Kind kind : o.order) {
        Input in;
        in.kind = kind;
        if (kind == Input::Kind::Click && c < o.clicks.size()) {
            in.click = ParseClick(o.clicks[c++]);
            in.frame = in.click.frame;
        } else if (kind == Input::Kind::Type && t < o.types.size()) {
            auto [text, frame] = SplitAtFrame("--type", o.types[t++]);
            in.key = player::PlayerKey::Typed(text);
            in.frame = frame;
        } else if (kind == Input::Kind::Key && k < o.keys.size()) {
            auto [name, frame] = SplitAtFrame("--key", o.keys[k++]);
            std::optional<player::PlayerKey> key = player::PlayerKey::FromName(name);
            if (!key)
                throw CliError("--key " + o.keys[k - 1] + ": unknown key \"" + name + "\"");
            in.key = *key;
            in.frame = frame;
        } else {
            continue;
        }
        inputs.push_back(std::move(in));
    }
    return inputs;
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

void Run(const PlayOptions& o) {
    const std::vector<Input> inputs = ParseInputs(o);

    std::vector<uint8_t> bytes = ReadMovieBytes(o.file);

    MoviePlayback::Options options;
    options.keepSound = !o.audio.empty();
    options.moviePath = o.file;
    MoviePlayback playback(options);
    player::HeadlessHost& host = playback.Host();

    int frame = 0;
    auto print = [](const std::string& line) { std::fprintf(stdout, "%s\n", line.c_str()); };
    if (o.trace)
        playback.SetCommandDiagnostics([&](std::string_view s) {
            print(Line(frame, {"diagnostic", WithoutLineEnd(s)}));
        });

    player::ActionEngine* engine = host.Engine();
    if (engine) {
        engine->SetRequestObserver([&](const player::UrlRequest& r) {
            constexpr std::string_view kFs = "FSCommand:";
            bool fs = r.url.size() >= kFs.size();
            for (size_t i = 0; fs && i < kFs.size(); ++i)
                fs = std::tolower(static_cast<unsigned char>(r.url[i])) ==
                     std::tolower(static_cast<unsigned char>(kFs[i]));
            if (fs) {
                print(Line(frame,
                           {"FSCommand", std::string_view(r.url).substr(kFs.size()), r.target}));
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

    if (!playback.Load(bytes))
        throw CliError(o.file + ": not a playable SWF movie");
    for (;;) {
        for (const Input& in : inputs) {
            if (in.frame != frame)
                continue;
            if (in.kind == Input::Kind::Click)
                playback.Click(in.click.x, in.click.y);
            else
                host.KeyDown(in.key);
        }
        if (playback.QuitRequested() || frame >= o.frames)
            break;
        // What the step's actions ask for belongs to the frame it shows.
        ++frame;
        playback.Step();
    }
    std::fflush(stdout);
    // The picture shown now: after the last frame and the clicks on it (or after the frame
    // whose "quit" ended the run).
    if (!o.snapshot.empty()) {
        std::vector<uint8_t> rgba;
        int w = 0, h = 0;
        if (!playback.Snapshot(rgba, w, h))
            throw CliError(o.file + ": the movie has an empty frame size");
        std::string error;
        if (!player::HeadlessPngWriter::Write(o.snapshot, rgba, w, h, error))
            throw CliError(error);
    }
    if (!o.audio.empty() &&
        !player::WaveFileWriter::Save(o.audio, playback.SoundFormat(), playback.TakeSound()))
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
    auto* click = cmd->add_option("--click", opts->clicks,
                                  "Press and release the mouse at stage pixel X,Y on frame F "
                                  "(X,Y@F); may be given several times")
                      ->allow_extra_args(false);
    auto* type = cmd->add_option("--type", opts->types,
                                 "Type TEXT into the focused edit-text field on frame F "
                                 "(TEXT@F); may be given several times")
                     ->allow_extra_args(false);
    auto* key = cmd->add_option("--key", opts->keys,
                                "Press a key in the focused edit-text field on frame F (KEY@F): "
                                "Backspace, Delete, Left, Right, Up, Down, Home, End, Enter, "
                                "Ctrl+A, with Shift+ and Ctrl+ in front; may be given several "
                                "times")
                    ->allow_extra_args(false);
    cmd->footer("On each frame the clicks, typing and keys happen in the order they are given.");
    cmd->callback([opts, cmd, click, type, key] {
        opts->order.clear();
        for (const CLI::Option* option : cmd->parse_order()) {
            if (option == click)
                opts->order.push_back(Input::Kind::Click);
            else if (option == type)
                opts->order.push_back(Input::Kind::Type);
            else if (option == key)
                opts->order.push_back(Input::Kind::Key);
        }
        Run(*opts);
    });
}

const CliCommandRegistrar registrar(Setup);

} // namespace
} // namespace tavro::cli
