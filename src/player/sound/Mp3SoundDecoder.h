// MP3 sound data through Mp3Decoder: the data is fed as the decoder's input ring has room and
// decoded 8192 bytes at a time. "Sync searched" and "need data" feed more and retry, "sync
// lost" ends the sound, "sync eof" ends it (the channel pads with silence), information codes
// go on and errors stop the channel. Seeking skips whole frames by their headers before any
// data has been fed, then decodes and drops the remainder.
#pragma once

#include "player/sound/SoundDecoder.h"

#include <array>

namespace tavro::player {

class Mp3Decoder;

class Mp3SoundDecoder : public SoundDecoder {
public:
    static constexpr size_t kOutputBytes = 8192;

    Mp3SoundDecoder(uint8_t formatByte, bool streaming);
    ~Mp3SoundDecoder() override;

    void Start(const SoundRecord& sound, bool restart) override;
    void Seek(uint32_t samples) override;
    size_t Decode(int16_t* out, size_t frames) override;

    // The last status the decoder reported (for diagnostics).
    uint32_t LastStatus() const { return lastStatus_; }

private:
    // Feeds what the ring takes; false when nothing could be fed.
    bool FeedMore();

    bool streaming_;
    Mp3Decoder* decoder_ = nullptr;
    SoundRecord sound_;
    size_t inputPos_ = 0;
    bool ended_ = false;
    std::array<uint8_t, kOutputBytes> output_{};
    size_t outputPos_ = 0;
    size_t outputLen_ = 0;
    uint32_t lastStatus_ = 0;
};

} // namespace tavro::player
