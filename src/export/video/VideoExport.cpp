// The video exporter: plays the movie once (twice for a GIF, whose palette comes from a first
// pass over every picture) and sends each video frame and the sound behind it to a sink.
//
// Invariants:
// - Video frame i shows the movie as it is after the frame clock ticked MovieFrameOf(i) times and
//   the clicks of that frame were made, which is what `tavro-cli play --frames k --snapshot`
//   shows; the picture is drawn again only when the movie ticked.
// - The sound track is the mixer's output from the start to the end of the last video frame,
//   sample for sample: the virtual device plays exactly the sound of each frame period.
// - Nothing is at the output's name until the sink finishes; any failure or a cancel drops the
//   sink, which removes its temporary file or folder.
#include "export/video/VideoExport.h"

#include "export/video/FrameSink.h"
#include "export/video/GifPalette.h"
#include "export/video/MediaWriter.h"
#include "export/video/PngFolderWriter.h"
#include "export/video/VideoTimeline.h"
#include "player/TagHeader.h"
#include "player/host/HeadlessHost.h"
#include "swf/SwfTagReader.h"
#include "swfformat/TagCodes.h"

#include "base/AtomicFile.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace tavro::video {

namespace {

using Length = VideoExportOptions::Length;

constexpr int kMaxSide = 8192;
// An export that waits for the movie to stop records at most this long.
constexpr int kMaxUntilStopSeconds = 600;
// After the movie stops, a sound that still plays is recorded for at most this long.
constexpr int kMaxSoundTailSeconds = 10;

bool ScanForSound(const uint8_t* data, uint32_t pos, uint32_t limit, int depth) {
    namespace sf = swfformat;
    player::TagHeader tag;
    while (player::TagHeader::Read(data, limit, pos, tag)) {
        switch (tag.code) {
        case sf::kTagDefineSound:
        case sf::kTagStartSound:
        case sf::kTagDefineButtonSound:
        case sf::kTagSoundStreamHead:
        case sf::kTagSoundStreamHead2:
        case sf::kTagSoundStreamBlock:
            return true;
        case sf::kTagDefineSprite:
            if (depth < 8 && tag.end - tag.bodyPos > 4 &&
                ScanForSound(data, tag.bodyPos + 4, tag.end, depth + 1))
                return true;
            break;
        case sf::kTagEnd:
            return false;
        default:
            break;
        }
        pos = tag.end;
    }
    return false;
}

// The first pass of a GIF: every new picture goes into the palette.
class PaletteSink : public FrameSink {
public:
    bool Open(int width, int height, int colours, std::string& error) {
        return builder_.Open(width, height, colours, error);
    }
    bool AddFrame(const uint8_t* rgba, std::string& error) override {
        ScopedSeconds timing(times_.convert);
        return rgba == nullptr || builder_.Add(rgba, error);
    }
    bool AddSound(std::span<const uint8_t>, std::string&) override { return true; }
    bool Finish(std::string& error) override {
        ScopedSeconds timing(times_.convert);
        palette_ = builder_.Finish(error);
        return palette_ != nullptr;
    }
    const AVFrame* Palette() const { return palette_.get(); }

private:
    PaletteBuilder builder_;
    FramePtr palette_;
};

// What every pass of one export shares.
struct Plan {
    VideoFormat format = VideoFormat::Mp4;
    int width = 0;
    int height = 0;
    VideoRate movieRate;
    VideoRate rate;
    int frameCount = 1;
    bool sound = false;
    int sampleRate = 22050;
    int channels = 2;
    int passes = 1;
};

struct PassOutcome {
    bool ok = false;
    bool cancelled = false;
    std::string error;
    int64_t frames = 0;
    bool stopped = false; // ended because the movie stopped or quit
    bool capped = false;
    int64_t lastTick = 0; // the movie frame the last video frame shows
};

class Recorder {
public:
    Recorder(std::span<const uint8_t> swf, const VideoExportOptions& options, const Plan& plan,
             const VideoProgressFn& progress, VideoExportResult& result)
        : swf_(swf), options_(options), plan_(plan), timeline_(plan.movieRate, plan.rate),
          progress_(progress), result_(result), start_(std::chrono::steady_clock::now()) {
        for (const MovieClick& c : options.clicks)
            lastClick_ = std::max(lastClick_, c.frame);
    }

    // One pass into `sink`: `frames` video frames, or as many as the options say when -1.
    // One pass into `sink`: `frames` video frames never past movie frame `lastTick`, or as the
    // options say when `frames` is -1.
    PassOutcome Run(FrameSink& sink, int pass, int64_t frames, int64_t lastTick);

private:
    // The picture of the frame shown, in the form the export wants.
    bool Draw(MoviePlayback& playback, std::vector<uint8_t>& rgba);
    int64_t Estimate(int64_t done) const;
    bool Report(int pass, int64_t done, int64_t total);

    std::span<const uint8_t> swf_;
    const VideoExportOptions& options_;
    const Plan& plan_;
    VideoTimeline timeline_;
    const VideoProgressFn& progress_;
    VideoExportResult& result_;
    std::chrono::steady_clock::time_point start_;
    int lastClick_ = -1;
};

bool Recorder::Draw(MoviePlayback& playback, std::vector<uint8_t>& rgba) {
    ScopedSeconds timing(result_.renderSeconds);
    int w = 0, h = 0;
    const bool ok = options_.transparent ? playback.TransparentPicture(rgba, w, h)
                                         : playback.Picture(rgba, w, h);
    return ok && w == plan_.width && h == plan_.height;
}

int64_t Recorder::Estimate(int64_t done) const {
    int64_t ticks = plan_.frameCount;
    if (options_.length == Length::Loops)
        ticks = int64_t(plan_.frameCount) * std::max(options_.loops, 1);
    ticks = std::max<int64_t>(ticks, lastClick_ + 1);
    return std::max(timeline_.FramesFor(ticks), done);
}

bool Recorder::Report(int pass, int64_t done, int64_t total) {
    if (!progress_)
        return true;
    VideoProgress p;
    p.total = total * plan_.passes;
    p.done = int64_t(pass) * total + done;
    p.pass = pass;
    p.passes = plan_.passes;
    p.frame = done;
    p.frames = total;
    p.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    return progress_(p);
}

PassOutcome Recorder::Run(FrameSink& sink, int pass, int64_t frames, int64_t lastTick) {
    PassOutcome out;
    MoviePlayback::Options po;
    po.width = plan_.width;
    po.height = plan_.height;
    po.keepSound = plan_.sound;
    po.moviePath = options_.moviePath;
    MoviePlayback playback(po);
    {
        ScopedSeconds timing(result_.renderSeconds);
        if (!playback.Load(swf_)) {
            out.error = "not a playable SWF movie";
            return out;
        }
    }
    const std::vector<MovieClick>& clicks = options_.clicks;
    const bool untilStop = frames < 0 && options_.length == Length::UntilStop;
    // The number of video frames, once known.
    int64_t end = frames >= 0                         ? frames
                  : options_.length == Length::Frames ? options_.frames
                  : options_.length == Length::Loops
                      ? timeline_.FramesFor(int64_t(plan_.frameCount) * std::max(options_.loops, 1))
                      : -1;
    const int64_t maxTicks =
        int64_t(kMaxUntilStopSeconds) * plan_.movieRate.num / plan_.movieRate.den;
    const int64_t tailTicks = std::max<int64_t>(1, int64_t(kMaxSoundTailSeconds) *
                                                       plan_.movieRate.num / plan_.movieRate.den);
    int64_t tailUntil = -1; // stopped, recording the sound that still plays
    bool settled = false;   // ends with the frame the movie is on

    // Called with the movie on a new frame (after its clicks) while video frame `i` waits for
    // a picture: sets `end` when the recording ends. A movie that stops or quits ends with the
    // frame it stopped on, shown by frame `i` at the latest; one that starts over ends before
    // the frame it starts over with.
    auto checkEnd = [&](int64_t i, int previousFrame, bool wasPlaying) {
        const int64_t tick = playback.Frame();
        const int64_t here = std::max(timeline_.FramesFor(tick + 1), i + 1);
        auto endHere = [&] {
            end = end >= 0 ? std::min(end, here) : here;
            settled = true;
        };
        if (playback.QuitRequested() && !out.stopped) {
            out.stopped = true;
            endHere();
            return;
        }
        if (!untilStop || end >= 0)
            return;
        if (tailUntil >= 0) {
            if (!playback.SoundPlaying() || tick >= tailUntil)
                endHere();
            return;
        }
        if (previousFrame >= 0 && tick > lastClick_ && wasPlaying &&
            playback.MovieFrame() <= previousFrame) {
            end = timeline_.FramesFor(tick);
        } else if (tick >= lastClick_ && !playback.Playing()) {
            out.stopped = true;
            if (plan_.sound && playback.SoundPlaying())
                tailUntil = tick + tailTicks;
            else
                endHere();
        } else if (tick + 1 >= maxTicks) {
            out.capped = true;
            endHere();
        }
    };

    playback.ApplyClicks(clicks);
    checkEnd(0, -1, false);

    // The sound track starts `lag` sample frames into the mixer's output (see SoundLag).
    const uint64_t lag = plan_.sound ? playback.SoundLag() : 0;
    const size_t frameBytes = size_t(playback.SoundFormat().BlockAlign());
    size_t dropBytes = size_t(lag) * frameBytes;
    auto addSound = [&] {
        std::vector<uint8_t> pcm = playback.TakeSound();
        const size_t drop = std::min(dropBytes, pcm.size());
        dropBytes -= drop;
        return sink.AddSound(std::span<const uint8_t>(pcm).subspan(drop), out.error);
    };

    std::vector<uint8_t> rgba;
    int64_t shownTick = -1;
    int64_t i = 0;
    for (;; ++i) {
        if (end >= 0 && i >= end)
            break;
        const int64_t tick = std::min<int64_t>(timeline_.MovieFrameOf(i), lastTick);
        while (playback.Frame() < tick && !settled && !(end >= 0 && i >= end)) {
            const int before = playback.MovieFrame();
            const bool wasPlaying = playback.Playing();
            {
                ScopedSeconds timing(result_.renderSeconds);
                playback.Step();
                playback.ApplyClicks(clicks);
            }
            checkEnd(i, before, wasPlaying);
        }
        if (end >= 0 && i >= end)
            break;
        const bool fresh = playback.Frame() != shownTick;
        if (fresh && !Draw(playback, rgba)) {
            out.error = "cannot draw frame " + std::to_string(i) + " of the movie";
            return out;
        }
        shownTick = playback.Frame();
        if (!sink.AddFrame(fresh ? rgba.data() : nullptr, out.error))
            return out;
        if (plan_.sound) {
            playback.PlaySoundTo(timeline_.SampleAt(i + 1, plan_.sampleRate) + lag);
            if (!addSound())
                return out;
        }
        if (!Report(pass, i + 1, end >= 0 ? end : Estimate(i + 1))) {
            out.cancelled = true;
            return out;
        }
    }
    out.lastTick = playback.Frame();
    out.frames = i;
    if (plan_.sound) {
        // The sound of the last frame may run past the movie frame it shows.
        const uint64_t target = timeline_.SampleAt(i, plan_.sampleRate) + lag;
        while (playback.SoundPosition() < target) {
            if (playback.SoundFrameStart(int64_t(playback.Frame()) + 1) <= target)
                playback.Step();
            else
                playback.PlaySoundTo(target);
        }
        if (!addSound())
            return out;
    }
    out.ok = true;
    return out;
}

int RoundedRatio(int64_t a, int64_t b, int64_t c) {
    return c > 0 ? int((a * b + c / 2) / c) : 0;
}

} // namespace

bool MovieHasSound(std::span<const uint8_t> swf) {
    if (swf.size() < 8 + 2 || swf.size() > UINT32_MAX || swf[0] != 'F' || swf[1] != 'W' ||
        swf[2] != 'S')
        return false;
    // The frame rectangle: 5 bits of field size, then four fields of that size.
    const uint32_t bits = 5 + 4 * uint32_t(swf[8] >> 3);
    const uint32_t tags = 8 + (bits + 7) / 8 + 4;
    return tags <= swf.size() && ScanForSound(swf.data(), tags, uint32_t(swf.size()), 0);
}

VideoExportResult ExportVideo(std::span<const uint8_t> swf, const VideoExportOptions& options,
                              const VideoProgressFn& progress) {
    QuietFfmpegLog();
    const auto started = std::chrono::steady_clock::now();
    VideoExportResult result;
    const std::string out = options.output.string();
    const std::string movie = options.moviePath.empty() ? "the movie" : options.moviePath.string();
    auto fail = [&](std::string message) {
        result.ok = false;
        result.message = std::move(message);
        result.totalSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        return result;
    };

    const std::optional<VideoFormat> format =
        options.format ? options.format : VideoFormatForPath(options.output);
    if (!format)
        return fail(out + ": not a kind of file Tavro writes (expected " + KnownVideoExtensions() +
                    ")");
    const VideoFormatTraits& traits = TraitsOf(*format);
    result.format = *format;
    if (options.width < 0 || options.height < 0 || options.width > kMaxSide ||
        options.height > kMaxSide)
        return fail(out + ": the width and height must be between 1 and " +
                    std::to_string(kMaxSide) + " pixels");
    if (options.transparent && !traits.alpha)
        return fail(out + ": " + traits.name +
                    " cannot leave the background out; write .webm, .gif, .webp, .apng or PNG "
                    "files");
    if (options.crf > (*format == VideoFormat::Mp4 ? 51 : 63))
        return fail(out + ": the constant quality of " + traits.name + " is at most " +
                    (*format == VideoFormat::Mp4 ? "51" : "63"));
    if (options.length == Length::Frames && options.frames < 1)
        return fail(out + ": the video needs at least one frame");
    if (options.length == Length::Loops && options.loops < 1)
        return fail(out + ": the movie must play at least once");

    // A damaged movie is refused as `tavro-cli info` reports it, before anything is written.
    try {
        const SwfTagReader::Header header = SwfTagReader::ReadHeader(swf);
        SwfTagReader::ListMovie(swf, header, [](const SwfTagReader::Entry&) {});
    } catch (const SwfTagReader::Error& e) {
        return fail(movie + ": " + e.what());
    }

    Plan plan;
    plan.format = *format;
    {
        // The movie's own size, rate and length.
        ScopedSeconds timing(result.renderSeconds);
        MoviePlayback probe(MoviePlayback::Options{});
        if (!probe.Load(swf))
            return fail(movie + ": not a playable SWF movie");
        plan.movieRate = Reduced(VideoRate{probe.RateNumerator(), probe.RateDenominator()});
        plan.frameCount = probe.FrameCount();
        plan.sampleRate = probe.SoundFormat().Rate();
        plan.channels = probe.SoundFormat().Channels();
        const int mw = probe.Host().movieWidth, mh = probe.Host().movieHeight;
        int w = options.width, h = options.height;
        if (w == 0 && h == 0) {
            w = mw;
            h = mh;
        } else if (w == 0) {
            w = RoundedRatio(h, mw, mh);
        } else if (h == 0) {
            h = RoundedRatio(w, mh, mw);
        }
        if (w <= 0 || h <= 0)
            return fail(movie + ": the movie has an empty frame size; give a width and height");
        if (traits.evenSize && (w % 2 != 0 || h % 2 != 0)) {
            result.notes.push_back(std::string(traits.name) + " needs an even width and height: " +
                                   std::to_string(w) + " x " + std::to_string(h) + " becomes " +
                                   std::to_string(w + w % 2) + " x " + std::to_string(h + h % 2));
            w += w % 2;
            h += h % 2;
        }
        if (w > kMaxSide || h > kMaxSide)
            return fail(out + ": the width and height must be between 1 and " +
                        std::to_string(kMaxSide) + " pixels");
        plan.width = w;
        plan.height = h;
    }

    if (options.rate.Valid()) {
        plan.rate = Reduced(options.rate);
        if (plan.rate.Value() > traits.maxRate || plan.rate.Value() < 1)
            return fail(out + ": " + traits.name + " takes 1 to " + std::to_string(traits.maxRate) +
                        " frames a second");
    } else {
        plan.rate = plan.movieRate;
        if (plan.rate.Value() > traits.maxRate || plan.rate.Value() < 1) {
            plan.rate =
                VideoRate{std::clamp(int(std::lround(plan.rate.Value())), 1, traits.maxRate), 1};
            result.notes.push_back("the movie's rate of " + std::to_string(plan.movieRate.Value()) +
                                   " frames a second is recorded at " +
                                   std::to_string(plan.rate.num) + " frames a second");
        }
    }
    plan.sound = traits.sound && options.sound && MovieHasSound(swf);
    plan.passes = *format == VideoFormat::Gif ? 2 : 1;
    result.width = plan.width;
    result.height = plan.height;
    result.rate = plan.rate;
    result.hasSound = plan.sound;

    Recorder recorder(swf, options, plan, progress, result);
    auto passFailed = [&](const PassOutcome& pass, FrameSink& sink) {
        result.convertSeconds += sink.Times().convert;
        result.encodeSeconds += sink.Times().encode;
        if (pass.cancelled) {
            result.cancelled = true;
            return fail(out + ": cancelled; nothing was written");
        }
        return fail(pass.error.find(out) == 0 ? pass.error : out + ": " + pass.error);
    };

    std::unique_ptr<FrameSink> sink;
    int64_t frames = -1;
    int64_t lastTick = INT64_MAX;
    bool loop = true;
    std::optional<PaletteSink> palette;
    if (*format == VideoFormat::Gif) {
        // The folder must take the file before the long first pass.
        std::string error;
        AtomicFile probe;
        if (!probe.Open(options.output, error))
            return fail(error);
        probe.Discard();
        palette.emplace();
        if (!palette->Open(plan.width, plan.height, options.highQuality ? 256 : 64, error))
            return fail(out + ": " + error);
        const PassOutcome first = recorder.Run(*palette, 0, -1, INT64_MAX);
        if (!first.ok)
            return passFailed(first, *palette);
        if (!palette->Finish(error))
            return fail(out + ": " + error);
        result.convertSeconds += palette->Times().convert;
        frames = first.frames;
        lastTick = first.lastTick;
        loop = !first.stopped;
    }

    std::string error;
    if (*format == VideoFormat::PngFolder) {
        auto folder = std::make_unique<PngFolderWriter>();
        const int64_t expected =
            options.length == Length::Frames ? options.frames
            : options.length == Length::Loops
                ? VideoTimeline(plan.movieRate, plan.rate)
                      .FramesFor(int64_t(plan.frameCount) * options.loops)
                : int64_t(kMaxUntilStopSeconds) * plan.rate.num / plan.rate.den;
        if (!folder->Open(options.output, plan.width, plan.height, options.transparent, expected,
                          error))
            return fail(error);
        sink = std::move(folder);
    } else {
        MediaSettings settings;
        settings.format = *format;
        settings.width = plan.width;
        settings.height = plan.height;
        settings.rate = plan.rate;
        settings.alpha = options.transparent && traits.alpha;
        settings.highQuality = options.highQuality;
        settings.crf = options.crf;
        settings.bitrate = options.bitrate;
        settings.sound = plan.sound;
        settings.sampleRate = plan.sampleRate;
        settings.channels = plan.channels;
        settings.loop = loop;
        settings.palette = palette ? palette->Palette() : nullptr;
        auto media = std::make_unique<MediaWriter>();
        if (!media->Open(options.output, settings, error))
            return fail(error);
        sink = std::move(media);
    }
    const PassOutcome last = recorder.Run(*sink, plan.passes - 1, frames, lastTick);
    if (!last.ok)
        return passFailed(last, *sink);
    if (auto* media = dynamic_cast<MediaWriter*>(sink.get()); media && *format != VideoFormat::Gif)
        media->SetLoop(!last.stopped);
    if (!sink->Finish(error)) {
        result.convertSeconds += sink->Times().convert;
        result.encodeSeconds += sink->Times().encode;
        return fail(error);
    }
    result.convertSeconds += sink->Times().convert;
    result.encodeSeconds += sink->Times().encode;
    if (last.capped)
        result.notes.push_back("the movie neither stopped nor started over within " +
                               std::to_string(kMaxUntilStopSeconds / 60) +
                               " minutes; the video ends there");
    result.frames = last.frames;
    result.seconds = VideoTimeline(plan.movieRate, plan.rate).SecondsAt(last.frames);
    result.ok = true;
    result.totalSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return result;
}

} // namespace tavro::video
