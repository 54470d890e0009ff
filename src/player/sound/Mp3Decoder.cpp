#include "player/sound/Mp3Decoder.h"

#include <mpg123.h>

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <new>

namespace tavro::player {

namespace {

bool LibraryReady() {
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] { ready = mpg123_init() == MPG123_OK; });
    return ready;
}

} // namespace

std::string Mp3Decoder::Message(uint32_t status) {
    switch (status) {
    case kSuccess:
        return "(Mp3Ssc) success: no error";
    case kBadParameter:
        return "(Mp3Ssc) error: at least one parameter is wrong";
    case kOutOfMemory:
        return "(Mp3Ssc) error: not enough memory";
    case kInvalidHandle:
        return "(Mp3Ssc) error: invalid handle";
    case kIoGeneric:
        return "(Mp3Ssc) error: I/O - generic error";
    case kIoOpenFailed:
        return "(Mp3Ssc) error: I/O - open failed";
    case kIoCloseFailed:
        return "(Mp3Ssc) error: I/O - close failed";
    case kIoReadError:
        return "(Mp3Ssc) error: I/O - read error";
    case kCrcError:
        return "(Mp3Ssc) info: Decoder - CRC error";
    case kNotEnoughMainData:
        return "(Mp3Ssc) info: Decoder - not enough main data present";
    case kDecoderGeneric:
        return "(Mp3Ssc) error: Decoder - generic error";
    case kWrongLayer:
        return "(Mp3Ssc) error: Decoder - wrong MPEG layer";
    case kBufferTooSmall:
        return "(Mp3Ssc) error: Decoder - buffer is too small";
    case kSyncSearched:
        return "(Mp3Ssc) warning: Decoder - sync searched";
    case kSyncLost:
        return "(Mp3Ssc) warning: Decoder - sync lost";
    case kSyncNeedData:
        return "(Mp3Ssc) warning: Decoder - sync need data";
    case kSyncEof:
        return "(Mp3Ssc) warning: Decoder - sync eof";
    default: {
        char text[48];
        std::snprintf(text, sizeof text, "(Mp3Ssc) unknown SSC (0x%.8x)", unsigned(status));
        return text;
    }
    }
}

uint32_t Mp3Decoder::Create(int sampleRate, int channels, uint32_t flags, Mp3Decoder** out) {
    if (!out)
        return kBadParameter;
    *out = nullptr;
    if (channels < 1 || channels > 2 || sampleRate < 8000 || sampleRate > 48000 || flags != 0)
        return kBadParameter;
    if (!LibraryReady())
        return kOutOfMemory;
    Mp3Decoder* d = new (std::nothrow) Mp3Decoder();
    if (!d)
        return kOutOfMemory;
    d->channels_ = channels;
    uint32_t status = d->OpenCore();
    if (status != kSuccess) {
        delete d;
        return status;
    }
    *out = d;
    return kSuccess;
}

uint32_t Mp3Decoder::Destroy(Mp3Decoder* handle) {
    if (!handle || handle->tag_ != kHandleTag)
        return kInvalidHandle;
    handle->tag_ = 0;
    delete handle;
    return kSuccess;
}

Mp3Decoder::~Mp3Decoder() {
    if (core_)
        mpg123_delete(core_);
}

uint32_t Mp3Decoder::OpenCore() {
    if (core_) {
        mpg123_delete(core_);
        core_ = nullptr;
    }
    int err = MPG123_OK;
    core_ = mpg123_new(nullptr, &err);
    if (!core_)
        return err == MPG123_OUT_OF_MEM ? kOutOfMemory : kDecoderGeneric;
    // Quiet (no printouts from damaged data), no gapless trimming: the sound's own sample
    // counts and seek values place the samples. Every rate, 16-bit, our channel count.
    long flags = MPG123_QUIET | (channels_ == 1 ? MPG123_MONO_MIX : MPG123_FORCE_STEREO);
    if (mpg123_param(core_, MPG123_FLAGS, flags, 0) != MPG123_OK ||
        mpg123_format_none(core_) != MPG123_OK)
        return kDecoderGeneric;
    const long* rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    int channelMask = channels_ == 1 ? MPG123_MONO : MPG123_STEREO;
    for (size_t i = 0; i < count; ++i)
        mpg123_format(core_, rates[i], channelMask, MPG123_ENC_SIGNED_16);
    if (mpg123_open_feed(core_) != MPG123_OK)
        return kDecoderGeneric;
    streamRate_ = 0;
    endOfInput_ = false;
    return kSuccess;
}

uint32_t Mp3Decoder::Reset() {
    if (tag_ != kHandleTag)
        return kInvalidHandle;
    return OpenCore();
}

uint32_t Mp3Decoder::MapError() const {
    switch (mpg123_errcode(core_)) {
    case MPG123_OUT_OF_MEM:
    case MPG123_NO_BUFFERS:
        return kOutOfMemory;
    case MPG123_BAD_HANDLE:
        return kInvalidHandle;
    case MPG123_BAD_BUFFER:
    case MPG123_NO_SPACE:
        return kBufferTooSmall;
    case MPG123_BAD_PARAM:
    case MPG123_BAD_CHANNEL:
    case MPG123_BAD_RATE:
    case MPG123_ERR_NULL:
    case MPG123_NULL_BUFFER:
    case MPG123_NULL_POINTER:
        return kBadParameter;
    case MPG123_OUT_OF_SYNC:
    case MPG123_RESYNC_FAIL:
        return kSyncLost;
    case MPG123_ERR_READER:
        return kIoReadError;
    default:
        return kDecoderGeneric;
    }
}

uint32_t Mp3Decoder::Decode(uint8_t* buffer, size_t size, size_t* produced) {
    if (tag_ != kHandleTag || !core_)
        return kInvalidHandle;
    if (!produced || !buffer)
        return kBadParameter;
    *produced = 0;
    if (size < size_t(2 * channels_))
        return kBufferTooSmall;
    size -= size % size_t(2 * channels_);
    // A new format is announced once per stream (and again if the stream changes); it only
    // needs a look before decoding goes on, so the loop is short.
    for (int attempt = 0; attempt < 4; ++attempt) {
        size_t done = 0;
        int r = mpg123_read(core_, buffer, size, &done);
        *produced = done;
        switch (r) {
        case MPG123_OK:
            return kSuccess;
        case MPG123_NEW_FORMAT: {
            mpg123_frameinfo2 info{};
            if (mpg123_info2(core_, &info) == MPG123_OK) {
                if (info.layer != 3)
                    return kWrongLayer;
                streamRate_ = int(info.rate);
            }
            if (done > 0)
                return kSuccess;
            continue;
        }
        case MPG123_NEED_MORE:
            if (done > 0)
                return kSuccess;
            return endOfInput_ ? kSyncEof : kSyncNeedData;
        case MPG123_DONE:
            return done > 0 ? kSuccess : kSyncEof;
        default:
            return MapError();
        }
    }
    return kSuccess;
}

uint32_t Mp3Decoder::Feed(const uint8_t* data, size_t length, size_t* accepted) {
    if (tag_ != kHandleTag || !core_)
        return kInvalidHandle;
    if (!accepted || (!data && length > 0))
        return kBadParameter;
    *accepted = 0;
    size_t n = std::min(length, FreeInput());
    if (n == 0)
        return kSuccess;
    if (mpg123_feed(core_, data, n) != MPG123_OK)
        return MapError();
    *accepted = n;
    return kSuccess;
}

size_t Mp3Decoder::FreeInput() const {
    if (tag_ != kHandleTag || !core_)
        return 0;
    long fill = 0;
    double unused = 0;
    if (mpg123_getstate(core_, MPG123_BUFFERFILL, &fill, &unused) != MPG123_OK || fill < 0)
        fill = 0;
    return size_t(fill) >= kInputRingBytes ? 0 : kInputRingBytes - size_t(fill);
}

} // namespace tavro::player
