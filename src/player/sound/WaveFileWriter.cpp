#include "player/sound/WaveFileWriter.h"
#include "base/AtomicFile.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace tavro::player {

namespace {
void Put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
void PutTag(std::vector<uint8_t>& b, const char* tag) {
    b.insert(b.end(), tag, tag + 4);
}
} // namespace

std::vector<uint8_t> WaveFileWriter::Encode(SoundFormat format, std::span<const uint8_t> pcm) {
    // A RIFF chunk cannot describe more than 4 GiB; longer captures are cut there.
    size_t limit = 0xFFFFFFFFu - 36;
    size_t size = std::min(pcm.size(), limit - limit % size_t(format.BlockAlign()));
    std::vector<uint8_t> b;
    b.reserve(44 + size);
    PutTag(b, "RIFF");
    Put32(b, uint32_t(36 + size));
    PutTag(b, "WAVE");
    PutTag(b, "fmt ");
    Put32(b, 16);
    Put16(b, 1); // PCM
    Put16(b, uint32_t(format.Channels()));
    Put32(b, uint32_t(format.Rate()));
    Put32(b, uint32_t(format.Rate() * format.BlockAlign()));
    Put16(b, uint32_t(format.BlockAlign()));
    Put16(b, uint32_t(8 * format.BytesPerSample()));
    PutTag(b, "data");
    Put32(b, uint32_t(size));
    b.insert(b.end(), pcm.begin(), pcm.begin() + ptrdiff_t(size));
    return b;
}

bool WaveFileWriter::Save(const std::string& path, SoundFormat format,
                          std::span<const uint8_t> pcm) {
    std::string error;
    return SaveFileAtomically(path, Encode(format, pcm), error);
}

} // namespace tavro::player
