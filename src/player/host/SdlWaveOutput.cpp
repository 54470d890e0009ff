#include "player/host/SdlWaveOutput.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include <fcntl.h>
#include <unistd.h>

namespace tavro::player {

namespace {

// libasound reports a missing sound card on standard error by itself, several lines for every
// attempt to open it; the player says it once, in its own words. So standard error is pointed at
// /dev/null while SDL looks for a device (TAVRO_AUDIO_DEBUG=1 keeps the library's lines).
class QuietStandardError {
public:
    QuietStandardError() {
        const char* debug = std::getenv("TAVRO_AUDIO_DEBUG");
        if (debug && *debug && std::string_view(debug) != "0")
            return;
        std::fflush(stderr);
        saved_ = ::dup(STDERR_FILENO);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved_ < 0 || null < 0) {
            if (null >= 0)
                ::close(null);
            return;
        }
        ::dup2(null, STDERR_FILENO);
        ::close(null);
    }
    ~QuietStandardError() {
        if (saved_ < 0)
            return;
        std::fflush(stderr);
        ::dup2(saved_, STDERR_FILENO);
        ::close(saved_);
    }
    QuietStandardError(const QuietStandardError&) = delete;
    QuietStandardError& operator=(const QuietStandardError&) = delete;

private:
    int saved_ = -1;
};

} // namespace

SdlWaveOutput::SdlWaveOutput() = default;

SdlWaveOutput::~SdlWaveOutput() {
    Close();
    if (subsystem_)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlWaveOutput::StartSubsystem() {
    if (!subsystem_) {
        QuietStandardError quiet;
        subsystem_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    }
    return subsystem_;
}

namespace {

SDL_AudioSpec DeviceFormatFor(SoundFormat format) {
    SDL_AudioSpec wanted{};
    wanted.freq = format.Rate();
    wanted.format = format.SixteenBit() ? AUDIO_S16LSB : AUDIO_U8;
    wanted.channels = uint8_t(format.Channels());
    wanted.samples = 512;
    return wanted;
}

bool SameFormat(const SDL_AudioSpec& a, const SDL_AudioSpec& b) {
    return a.freq == b.freq && a.format == b.format && a.channels == b.channels;
}

} // namespace

bool SdlWaveOutput::Supports(SoundFormat format) {
    if (!StartSubsystem())
        return false;
    if (device_ && format == openFormat_)
        return true;
    // Ask the default device itself: open it with exactly this format (no changes allowed, as
    // Open does) and close it again. Without a device, or when the driver refuses the format,
    // the open fails at once.
    SDL_AudioSpec want = DeviceFormatFor(format);
    SDL_AudioSpec have{};
    SDL_AudioDeviceID probe = 0;
    {
        QuietStandardError quiet;
        probe = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    }
    if (probe == 0)
        return false;
    SDL_CloseAudioDevice(probe);
    return SameFormat(want, have);
}

bool SdlWaveOutput::Open(SoundFormat format, Listener& listener) {
    if (device_ || !StartSubsystem())
        return false;
    SDL_AudioSpec want = DeviceFormatFor(format);
    want.callback = &SdlWaveOutput::Callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    listener_ = &listener;
    silence_ = format.SixteenBit() ? 0x00 : 0x80;
    // No changes allowed: SDL converts to whatever the hardware takes.
    {
        QuietStandardError quiet;
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    }
    if (device_ == 0) {
        listener_ = nullptr;
        return false;
    }
    openFormat_ = format;
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

void SdlWaveOutput::Callback(void* self, uint8_t* stream, int length) {
    static_cast<SdlWaveOutput*>(self)->Fill(stream, length);
}

void SdlWaveOutput::Fill(uint8_t* stream, int length) {
    // Runs on SDL's audio thread with the device lock held.
    size_t want = size_t(std::max(length, 0));
    while (want > 0) {
        if (queue_.empty()) {
            std::memset(stream, silence_, want);
            return;
        }
        WaveHeader* h = queue_.front();
        size_t n = std::min<size_t>(want, h->length - frontOffset_);
        std::memcpy(stream, h->data + frontOffset_, n);
        stream += n;
        want -= n;
        frontOffset_ += uint32_t(n);
        if (frontOffset_ >= h->length) {
            queue_.pop_front();
            frontOffset_ = 0;
            h->flags.fetch_and(~WaveHeader::kQueued);
            if (listener_)
                listener_->BufferDone(*h);
        }
    }
}

bool SdlWaveOutput::Write(WaveHeader& header) {
    if (!device_ || !header.data || header.length == 0)
        return false;
    SDL_LockAudioDevice(device_);
    header.flags.fetch_or(WaveHeader::kQueued);
    queue_.push_back(&header);
    SDL_UnlockAudioDevice(device_);
    return true;
}

void SdlWaveOutput::Reset() {
    if (!device_)
        return;
    SDL_LockAudioDevice(device_);
    while (!queue_.empty()) {
        WaveHeader* h = queue_.front();
        queue_.pop_front();
        h->flags.fetch_and(~WaveHeader::kQueued);
        if (listener_)
            listener_->BufferDone(*h);
    }
    frontOffset_ = 0;
    SDL_UnlockAudioDevice(device_);
}

void SdlWaveOutput::Close() {
    if (!device_)
        return;
    Reset();
    SDL_CloseAudioDevice(device_);
    device_ = 0;
    listener_ = nullptr;
}

} // namespace tavro::player
