// The 32-bit header of an MPEG audio Layer III frame: enough to know the frame's size and how
// many samples it holds, so that whole frames can be skipped without decoding them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tavro::player {

struct Mp3FrameHeader {
    int version = 0; // 1 (MPEG-1), 2 (MPEG-2) or 25 (MPEG-2.5)
    int bitRate = 0; // kbit/s
    int sampleRate = 0;
    int channels = 0;
    bool padding = false;
    uint32_t frameBytes = 0;
    uint32_t samplesPerFrame = 0;

    // Reads the header at `p`; false unless it is a valid Layer III header with a fixed bit
    // rate (free-format frames have no size in their header).
    static bool Parse(const uint8_t* p, size_t available, Mp3FrameHeader& out);
};

} // namespace tavro::player
