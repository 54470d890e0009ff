// A wave-audio output device: it accepts PCM buffers of one format in a queue, plays them in
// order and reports each finished buffer to its listener (from any thread). Without a device
// the mixer stays closed and the player runs silently.
#pragma once

#include "player/sound/SoundFormat.h"
#include "player/sound/WaveHeader.h"

#include <chrono>
#include <cstdint>

namespace tavro::player {

class WaveOutput {
public:
    class Listener {
    public:
        virtual ~Listener() = default;
        // A buffer has been played (or dropped by Reset). Must not block for long.
        virtual void BufferDone(WaveHeader& header) = 0;
        // Refill the buffers now: called by devices that run the mixer themselves (see
        // ServicesMixer) after reporting finished buffers.
        virtual void Service() = 0;
    };

    virtual ~WaveOutput() = default;

    // Whether the device would accept this format.
    virtual bool Supports(SoundFormat format) = 0;
    virtual bool Open(SoundFormat format, Listener& listener) = 0;
    // Queues a buffer; false when the device refuses it.
    virtual bool Write(WaveHeader& header) = 0;
    // Stops playing; every queued buffer is reported finished before this returns.
    virtual void Reset() = 0;
    virtual void Close() = 0;
    // The device's millisecond clock (31 bits used).
    virtual uint32_t NowMs() {
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now().time_since_epoch())
                      .count();
        return uint32_t(ms) & 0x7FFFFFFF;
    }
    // True when the device calls Listener::Service itself, so the mixer needs no thread of
    // its own (a device driven by the caller's clock, for deterministic output).
    virtual bool ServicesMixer() const { return false; }
};

} // namespace tavro::player
