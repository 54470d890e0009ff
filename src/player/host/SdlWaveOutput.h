// Wave output through SDL2's audio subsystem (only that subsystem is initialised). SDL pulls
// sound from a callback on its own thread; the callback copies from the queue of written
// buffers and reports each buffer it has used up, as a wave device reports finished buffers.
// When the queue runs dry it plays silence. Without an audio device Open fails and the player
// stays silent; the sound library's own complaints about the missing device are kept off
// standard error (TAVRO_AUDIO_DEBUG=1 shows them).
#pragma once

#include "player/sound/SoundFormat.h"
#include "player/sound/WaveOutput.h"

#include <cstdint>
#include <deque>

namespace tavro::player {

class SdlWaveOutput : public WaveOutput {
public:
    SdlWaveOutput();
    ~SdlWaveOutput() override;
    SdlWaveOutput(const SdlWaveOutput&) = delete;
    SdlWaveOutput& operator=(const SdlWaveOutput&) = delete;

    // Whether the default output device opens with exactly this format (the device is opened
    // and closed again; the open device answers for its own format). False without an audio
    // device.
    bool Supports(SoundFormat format) override;
    bool Open(SoundFormat format, Listener& listener) override;
    bool Write(WaveHeader& header) override;
    void Reset() override;
    void Close() override;

private:
    static void Callback(void* self, uint8_t* stream, int length);
    void Fill(uint8_t* stream, int length);
    bool StartSubsystem();

    bool subsystem_ = false;
    uint32_t device_ = 0;
    SoundFormat openFormat_;
    uint8_t silence_ = 0;
    Listener* listener_ = nullptr;
    std::deque<WaveHeader*> queue_; // guarded by SDL's device lock
    uint32_t frontOffset_ = 0;
};

} // namespace tavro::player
