#include "player/host/SdlWaveOutput.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

namespace tavro::player {

SdlWaveOutput::SdlWaveOutput() = default;

SdlWaveOutput::~SdlWaveOutput() {
    Close();
    if (subsystem_)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlWaveOutput::StartSubsystem() {
    if (!subsystem_)
        subsystem_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    return subsystem_;
}

bool SdlWaveOutput::Supports(SoundFormat) {
    return StartSubsystem() && SDL_GetNumAudioDevices(0) != 0;
}

bool SdlWaveOutput::Open(SoundFormat format, Listener& listener) {
    if (device_ || !StartSubsystem())
        return false;
    SDL_AudioSpec want{};
    want.freq = format.Rate();
    want.format = format.SixteenBit() ? AUDIO_S16LSB : AUDIO_U8;
    want.channels = uint8_t(format.Channels());
    want.samples = 512;
    want.callback = &SdlWaveOutput::Callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    listener_ = &listener;
    silence_ = format.SixteenBit() ? 0x00 : 0x80;
    // No changes allowed: SDL converts to whatever the hardware takes.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device_ == 0) {
        listener_ = nullptr;
        return false;
    }
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
