// Writes captured PCM output as a RIFF WAVE file (for saving what the virtual device played).
#pragma once

#include "player/sound/SoundFormat.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tavro::player {

class WaveFileWriter {
public:
    // The whole file: a 44-byte header followed by `pcm`.
    static std::vector<uint8_t> Encode(SoundFormat format, std::span<const uint8_t> pcm);
    // Writes beside `path` first and renames, so an existing file is only replaced by a
    // complete one. False when the file cannot be written.
    static bool Save(const std::string& path, SoundFormat format, std::span<const uint8_t> pcm);
};

} // namespace tavro::player
