#include "export/MoviePlayback.h"

#include "player/DisplayList.h"
#include "player/RenderBridge.h"
#include "player/actions/HostCommands.h"
#include "player/host/HeadlessHost.h"
#include "player/render/Renderer.h"
#include "player/sound/PlayerSoundSink.h"
#include "player/sound/SoundMixer.h"
#include "player/sound/VirtualWaveOutput.h"

#include <algorithm>
#include <charconv>

namespace tavro {

namespace {

bool ParseWhole(std::string_view& text, char end, int& out) {
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first == last || *first < '0' || *first > '9')
        return false;
    auto [p, ec] = std::from_chars(first, last, out);
    if (ec != std::errc() || (end != 0 && (p == last || *p != end)) || (end == 0 && p != last))
        return false;
    text.remove_prefix(size_t(p - first) + (end != 0 ? 1 : 0));
    return true;
}

// The frame rate field of an SWF header (8.8 fixed point, after the frame rectangle); 0 when
// the bytes are too short to hold it.
int HeaderFrameRate(std::span<const uint8_t> swf) {
    if (swf.size() < 9)
        return 0;
    const size_t rectBits = 5 + 4 * size_t(swf[8] >> 3);
    const size_t at = 8 + (rectBits + 7) / 8;
    return at + 2 <= swf.size() ? int(swf[at]) | (int(swf[at + 1]) << 8) : 0;
}

} // namespace

std::optional<MovieClick> ParseMovieClick(std::string_view text) {
    MovieClick c;
    if (!ParseWhole(text, ',', c.x) || !ParseWhole(text, '@', c.y) || !ParseWhole(text, 0, c.frame))
        return std::nullopt;
    return c;
}

// FSCommand calls go through the host commands, which never start a program here; "quit" ends
// the run.
class MoviePlayback::PlaybackHost : public player::HeadlessHost {
public:
    PlaybackHost(int width, int height) : HeadlessHost(width, height), commands_(*this) {}
    player::HostCommands& Commands() { return commands_; }
    void FsCommand(std::string_view command, std::string_view args) override {
        HeadlessHost::FsCommand(command, args);
        commands_.Handle(command, args);
    }

private:
    player::HostCommands commands_;
};

MoviePlayback::MoviePlayback(const Options& options)
    : device_(std::make_shared<player::VirtualWaveOutput>(true)),
      mixer_(std::make_unique<player::SoundMixer>()), options_(options) {
    device_->SetCapture(options.keepSound);
    mixer_->SetDevice(device_);
    mixer_->Init();
    sink_ = std::make_unique<player::PlayerSoundSink>(*mixer_);
    host_ = std::make_unique<PlaybackHost>(options.width, options.height);
    host_->SetSoundSink(sink_.get());
    const std::filesystem::path moviePath = options.moviePath.empty()
                                                ? std::filesystem::path()
                                                : std::filesystem::absolute(options.moviePath);
    if (!moviePath.empty())
        host_->SetBaseFolder(moviePath.parent_path());
    SetCommandDiagnostics({});
    host_->Commands().SetMoviePath(moviePath);
    host_->Commands().SetExecAllowed(false);
    host_->SetQuality(options.highQuality, host_->BestQuality());
    // The device plays from the start, so that the sound lines up with the frames.
    mixer_->Lock();
    mixer_->OpenDevice(mixer_->GetFormat());
    mixer_->Unlock();
}

// The movie goes first (its channels refer to the sink's sounds), then the sink, then the mixer.
MoviePlayback::~MoviePlayback() {
    host_->Close();
    host_.reset();
    sink_.reset();
    mixer_->Term();
}

bool MoviePlayback::Load(std::span<const uint8_t> swf) {
    frame_ = 0;
    quit_ = false;
    frameRate_ = HeaderFrameRate(swf);
    host_->Load(swf.data(), swf.size());
    return host_->Loaded();
}

int MoviePlayback::RateNumerator() const {
    // A rate of 0 plays a frame a second, as the player's frame clock does.
    return frameRate_ > 0 ? frameRate_ : 1;
}

int MoviePlayback::RateDenominator() const {
    return frameRate_ > 0 ? 256 : 1;
}

int MoviePlayback::FrameCount() const {
    return std::max(host_->Level0().frameCount, 1);
}

int MoviePlayback::MovieFrame() const {
    return host_->Level0().currentFrame;
}

bool MoviePlayback::Playing() const {
    return host_->Level0().Playing();
}

void MoviePlayback::Click(int x, int y) {
    int wx = x, wy = y;
    player::Rect client;
    host_->GetClientRect(client);
    if (client.Width() != host_->movieWidth || client.Height() != host_->movieHeight) {
        // Stage pixels to window pixels through the view (device units are quarter pixels
        // while anti-aliasing is on).
        const player::DisplayList& dl = host_->GetDisplayList();
        const player::Point16 p = dl.viewMatrix.Map(x * 20, y * 20);
        const int k = dl.antiAlias ? 4 : 1;
        wx = p.x >= 0 ? p.x / k : -((-p.x + k - 1) / k);
        wy = p.y >= 0 ? p.y / k : -((-p.y + k - 1) / k);
    }
    host_->MouseMove(wx, wy, false);
    host_->MouseDown(wx, wy);
    host_->MouseUp(wx, wy);
}

void MoviePlayback::ApplyClicks(std::span<const MovieClick> clicks) {
    for (const MovieClick& c : clicks) {
        if (c.frame == frame_)
            Click(c.x, c.y);
    }
}

uint64_t MoviePlayback::SoundFrameStart(int64_t frame) const {
    const uint64_t rate = uint64_t(SoundFormat().Rate());
    return uint64_t(std::max<int64_t>(frame, 0)) * rate * uint64_t(RateDenominator()) /
           uint64_t(RateNumerator());
}

void MoviePlayback::PlaySoundTo(uint64_t sampleFrames) {
    sampleFrames = std::min(sampleFrames, SoundFrameStart(int64_t(frame_) + 1));
    if (sampleFrames <= soundPosition_)
        return;
    device_->AdvanceFrames(sampleFrames - soundPosition_);
    soundPosition_ = sampleFrames;
}

void MoviePlayback::Step() {
    PlaySoundTo(SoundFrameStart(int64_t(frame_) + 1));
    ++frame_;
    host_->StepFrame();
}

player::SoundFormat MoviePlayback::SoundFormat() const {
    return device_->IsOpen() ? device_->OpenFormat() : mixer_->Format();
}

std::vector<uint8_t> MoviePlayback::TakeSound() {
    std::vector<uint8_t> out = device_->Captured();
    device_->ClearCaptured();
    return out;
}

bool MoviePlayback::SoundPlaying() {
    return mixer_->LiveChannels() > 0;
}

uint64_t MoviePlayback::SoundLag() const {
    // The queue grows by one buffer at the first refill and then stays (the virtual device
    // refills after every buffer it finishes).
    const int buffers = std::max(mixer_->BufferCount(), player::SoundMixer::kStartBuffers + 1);
    const int samples = mixer_->SamplesPerBuffer();
    return uint64_t(2 * buffers - 1) * uint64_t(samples) / 2;
}

bool MoviePlayback::Snapshot(std::vector<uint8_t>& rgba, int& width, int& height) {
    return host_->Snapshot(rgba, width, height);
}

bool MoviePlayback::Picture(std::vector<uint8_t>& rgba, int& width, int& height) {
    player::Rect client;
    host_->GetClientRect(client);
    if (client.IsEmpty())
        return false;
    // Until the first frame update there is no surface (or one of another size): paint it.
    const player::NativeBitmap& surface = player::Renderer::Of(*host_).Surface();
    if (!surface.IsValid() || surface.Width() != client.Width() ||
        surface.Height() != client.Height())
        return Snapshot(rgba, width, height);
    width = surface.Width();
    height = surface.Height();
    rgba.resize(size_t(width) * size_t(height) * 4);
    if (surface.DepthIndex() != 7)
        return host_->Renderer().ReadRgba(rgba, width, height);
    // The 32-bit surface holds little-endian words 0xFFRRGGBB: bytes B, G, R, 255.
    for (int y = 0; y < height; ++y) {
        const uint8_t* s = surface.Row(y);
        uint8_t* d = rgba.data() + size_t(y) * size_t(width) * 4;
        for (int x = 0; x < width; ++x, s += 4, d += 4) {
            d[0] = s[2];
            d[1] = s[1];
            d[2] = s[0];
            d[3] = 255;
        }
    }
    return true;
}

bool MoviePlayback::TransparentPicture(std::vector<uint8_t>& rgba, int& width, int& height) {
    player::DisplayList& dl = host_->GetDisplayList();
    const bool hadBackground = dl.hasBackground;
    const uint32_t background = dl.backgroundColor;
    std::vector<uint8_t> overWhite;
    dl.hasBackground = true;
    dl.backgroundColor = 0x000000;
    bool ok = Snapshot(rgba, width, height);
    dl.backgroundColor = 0xFFFFFF;
    ok = ok && Snapshot(overWhite, width, height);
    dl.hasBackground = hadBackground;
    dl.backgroundColor = background;
    // The next update paints everything again, over the movie's own background.
    host_->Renderer().InvalidateAll();
    if (!ok || overWhite.size() != rgba.size())
        return false;
    // Over black a pixel is alpha * colour; over white it is that plus (1 - alpha) * 255. The
    // difference of the two gives the alpha, the picture over black the colour.
    for (size_t i = 0; i + 3 < rgba.size(); i += 4) {
        int spread = 0;
        for (int c = 0; c < 3; ++c)
            spread += int(overWhite[i + size_t(c)]) - int(rgba[i + size_t(c)]);
        const int alpha = 255 - std::clamp((spread + 1) / 3, 0, 255);
        for (int c = 0; c < 3; ++c) {
            const int premultiplied = rgba[i + size_t(c)];
            rgba[i + size_t(c)] =
                alpha == 0 ? 0 : uint8_t(std::min(255, (premultiplied * 255 + alpha / 2) / alpha));
        }
        rgba[i + 3] = uint8_t(alpha);
    }
    return true;
}

void MoviePlayback::SetCommandDiagnostics(std::function<void(std::string_view)> sink) {
    player::HostCommands::Callbacks callbacks;
    callbacks.quit = [this] { quit_ = true; };
    callbacks.diagnostic = std::move(sink);
    host_->Commands().SetCallbacks(callbacks);
}

player::HeadlessHost& MoviePlayback::Host() {
    return *host_;
}

} // namespace tavro
