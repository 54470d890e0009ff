// The MPEG-1/2 audio Layer III decoder behind MP3 sounds, with its own status codes. A handle
// is created for a channel count, fed coded bytes through a bounded input ring and asked for
// 16-bit PCM. The top two bits of a status classify it: success, information (decoding goes
// on), warning, error. Message() gives the diagnostic text of a status.
//
// The decoding itself is done by libmpg123 in feed mode; this class maps its results onto the
// status codes and keeps the input bounded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct mpg123_handle_struct;

namespace tavro::player {

class Mp3Decoder {
public:
    static constexpr uint32_t kHandleTag = 0x00726973;
    static constexpr size_t kInputRingBytes = 8192;

    static constexpr uint32_t kSuccess = 0x00000000;
    static constexpr uint32_t kBadParameter = 0xC0000001;
    static constexpr uint32_t kOutOfMemory = 0xC0000002;
    static constexpr uint32_t kInvalidHandle = 0xC0000003;
    static constexpr uint32_t kIoGeneric = 0x80010001;
    static constexpr uint32_t kIoOpenFailed = 0x80010002;
    static constexpr uint32_t kIoCloseFailed = 0x80010003;
    static constexpr uint32_t kIoReadError = 0x80010004;
    static constexpr uint32_t kCrcError = 0x41010001;
    static constexpr uint32_t kNotEnoughMainData = 0x41010002;
    static constexpr uint32_t kDecoderGeneric = 0xC1010001;
    static constexpr uint32_t kWrongLayer = 0xC1010002;
    static constexpr uint32_t kBufferTooSmall = 0xC1010003;
    static constexpr uint32_t kSyncSearched = 0x81010001;
    static constexpr uint32_t kSyncLost = 0x81010002;
    static constexpr uint32_t kSyncNeedData = 0x81010003;
    static constexpr uint32_t kSyncEof = 0x81010004;

    enum class Severity { Success, Information, Warning, Error };
    static Severity Classify(uint32_t status) { return static_cast<Severity>(status >> 30); }
    static std::string Message(uint32_t status);

    // A decoder whose output has `channels` channels (1 or 2; the stream's own channels are
    // mixed down or duplicated) for a stream of `sampleRate` Hz (8000..48000). No flags are
    // defined; any non-zero value is refused. Returns kSuccess, kBadParameter or kOutOfMemory.
    static uint32_t Create(int sampleRate, int channels, uint32_t flags, Mp3Decoder** out);
    // kInvalidHandle for a null handle or one that is not a decoder.
    static uint32_t Destroy(Mp3Decoder* handle);

    // Forgets all input and decoder state.
    uint32_t Reset();
    // Decodes into `buffer` (`size` bytes, at least one sample frame); `produced` is the number
    // of bytes written. kSyncNeedData asks for more input, kSyncEof follows EndOfInput() once
    // everything has been decoded.
    uint32_t Decode(uint8_t* buffer, size_t size, size_t* produced);
    // Takes as much of `data` as the input ring has room for.
    uint32_t Feed(const uint8_t* data, size_t length, size_t* accepted);
    size_t FreeInput() const;
    // No more input will come.
    void EndOfInput() { endOfInput_ = true; }

    int Channels() const { return channels_; }
    // The rate of the stream as decoded (0 before the first frame).
    int StreamRate() const { return streamRate_; }

private:
    Mp3Decoder() = default;
    ~Mp3Decoder();
    uint32_t OpenCore();
    uint32_t MapError() const;

    uint32_t tag_ = kHandleTag;
    mpg123_handle_struct* core_ = nullptr;
    int channels_ = 2;
    int streamRate_ = 0;
    bool endOfInput_ = false;
};

} // namespace tavro::player
