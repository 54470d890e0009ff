// A wave-output device without hardware: time passes only when the host calls Advance, which
// plays queued buffers at the format's rate, keeps what was played (when capturing) and reports
// finished buffers. By default it also refills the mixer right after each finished buffer, so
// the mixer needs no thread and the output is the same on every run: tests and the command
// line capture exactly what a sound card would have been sent.
#pragma once

#include "player/sound/WaveOutput.h"

#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

namespace tavro::player {

class VirtualWaveOutput : public WaveOutput {
public:
    // `servicesMixer` false leaves refilling to the mixer's own thread (for testing it).
    explicit VirtualWaveOutput(bool servicesMixer = true) : servicesMixer_(servicesMixer) {}

    // The formats the device accepts, one bit per format word (bit w accepts word w); all by
    // default.
    void SetAcceptedFormats(uint32_t mask) { accepted_ = mask; }
    // Makes Open fail, as when the sound card is in use.
    void SetOpenFails(bool fails) { openFails_ = fails; }
    // Keeps every played byte (and the silence of underruns) for Captured().
    void SetCapture(bool capture) { capture_ = capture; }

    // Plays `ms` milliseconds (sample-exact over many calls) and moves the clock on.
    void Advance(uint32_t ms);
    // Plays `frames` sample frames (nothing while closed); the clock moves by the time they
    // take.
    void AdvanceFrames(uint64_t frames);

    const std::vector<uint8_t>& Captured() const { return captured_; }
    void ClearCaptured() { captured_.clear(); }
    SoundFormat OpenFormat() const { return format_; }
    bool IsOpen() const { return open_; }
    size_t QueuedBuffers();
    // Sample frames that had to be played as silence because nothing was queued.
    uint64_t UnderrunFrames() const { return underrunFrames_; }

    bool Supports(SoundFormat format) override { return (accepted_ >> format.word) & 1; }
    bool Open(SoundFormat format, Listener& listener) override;
    bool Write(WaveHeader& header) override;
    void Reset() override;
    void Close() override;
    uint32_t NowMs() override { return uint32_t(clockMs_) & 0x7FFFFFFF; }
    bool ServicesMixer() const override { return servicesMixer_; }

private:
    void Play(uint64_t frames);

    bool servicesMixer_;
    uint32_t accepted_ = 0xFFFF;
    bool openFails_ = false;
    bool capture_ = false;
    bool open_ = false;
    SoundFormat format_;
    Listener* listener_ = nullptr;
    std::mutex mutex_;
    std::deque<WaveHeader*> queue_;
    size_t frontOffset_ = 0; // bytes of the front buffer already played
    std::vector<uint8_t> captured_;
    uint64_t clockMs_ = 0;
    uint64_t frameRemainder_ = 0; // thousandths of a frame not yet played
    uint64_t msRemainder_ = 0;
    uint64_t underrunFrames_ = 0;
};

} // namespace tavro::player
