// One output buffer as the wave-output device sees it: where its bytes are, how many, the
// mixer's index for it, and its state flags. The mixer prepares a buffer (fills it) and
// writes it; the device marks it queued while it holds it and clears that before reporting it
// finished; the mixer's completion handler then marks it done.
#pragma once

#include <atomic>
#include <cstdint>

namespace tavro::player {

struct WaveHeader {
    static constexpr uint32_t kPrepared = 0x01;
    static constexpr uint32_t kDone = 0x02;
    static constexpr uint32_t kQueued = 0x04;

    uint8_t* data = nullptr;
    uint32_t length = 0;
    uint32_t index = 0; // the buffer's index in the mixer
    std::atomic<uint32_t> flags{0};
};

} // namespace tavro::player
