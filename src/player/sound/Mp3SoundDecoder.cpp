#include "player/sound/Mp3SoundDecoder.h"

#include "player/sound/Mp3Decoder.h"
#include "player/sound/Mp3FrameHeader.h"

#include <algorithm>
#include <cstring>

namespace tavro::player {

Mp3SoundDecoder::Mp3SoundDecoder(uint8_t formatByte, bool streaming)
    : SoundDecoder(formatByte), streaming_(streaming) {}

Mp3SoundDecoder::~Mp3SoundDecoder() {
    if (decoder_)
        Mp3Decoder::Destroy(decoder_);
}

void Mp3SoundDecoder::Start(const SoundRecord& sound, bool restart) {
    sound_ = sound;
    inputPos_ = 0;
    ended_ = false;
    if (failed_)
        return;
    if (!decoder_) {
        lastStatus_ = Mp3Decoder::Create(format_.Rate() < 8000 ? 8000 : format_.Rate(), Channels(),
                                         0, &decoder_);
        if (lastStatus_ != Mp3Decoder::kSuccess) {
            failed_ = true;
            return;
        }
    } else if (restart) {
        lastStatus_ = decoder_->Reset();
        outputPos_ = outputLen_ = 0;
        if (lastStatus_ != Mp3Decoder::kSuccess)
            failed_ = true;
    }
}

bool Mp3SoundDecoder::FeedMore() {
    auto data = sound_.Data();
    size_t accepted = 0;
    if (inputPos_ < data.size()) {
        lastStatus_ = decoder_->Feed(data.data() + inputPos_, data.size() - inputPos_, &accepted);
        if (Mp3Decoder::Classify(lastStatus_) == Mp3Decoder::Severity::Error) {
            failed_ = true;
            return false;
        }
        inputPos_ += accepted;
    }
    if (inputPos_ >= data.size() && !streaming_)
        decoder_->EndOfInput();
    return accepted > 0;
}

void Mp3SoundDecoder::Seek(uint32_t samples) {
    if (decoder_ && !failed_ && inputPos_ == 0 && outputLen_ == 0) {
        auto data = sound_.Data();
        size_t pos = 0;
        Mp3FrameHeader h;
        while (Mp3FrameHeader::Parse(data.data() + pos, data.size() - pos, h) &&
               samples >= h.samplesPerFrame && h.frameBytes <= data.size() - pos) {
            pos += h.frameBytes;
            samples -= h.samplesPerFrame;
        }
        inputPos_ = pos;
    }
    SoundDecoder::Seek(samples);
}

size_t Mp3SoundDecoder::Decode(int16_t* out, size_t frames) {
    if (!decoder_ || failed_)
        return 0;
    const size_t frameBytes = size_t(2 * Channels());
    size_t done = 0;
    // Every round either hands out samples, feeds input or ends; the bound only guards
    // against a decoder that keeps answering without progress.
    for (int idle = 0; done < frames && idle < 64;) {
        if (outputPos_ < outputLen_) {
            size_t n = std::min(frames - done, (outputLen_ - outputPos_) / frameBytes);
            if (n == 0) {
                outputPos_ = outputLen_ = 0; // a partial frame cannot be used
                continue;
            }
            std::memcpy(out + done * size_t(Channels()), output_.data() + outputPos_,
                        n * frameBytes);
            outputPos_ += n * frameBytes;
            done += n;
            idle = 0;
            continue;
        }
        if (ended_)
            break;
        size_t produced = 0;
        lastStatus_ = decoder_->Decode(output_.data(), output_.size(), &produced);
        outputPos_ = 0;
        outputLen_ = produced - produced % frameBytes;
        if (outputLen_ > 0) {
            idle = 0;
            continue;
        }
        ++idle;
        switch (lastStatus_) {
        case Mp3Decoder::kSuccess:
            continue;
        case Mp3Decoder::kSyncSearched:
        case Mp3Decoder::kSyncNeedData:
            if (!FeedMore()) {
                if (failed_)
                    return done;
                auto size = sound_.Data().size();
                if (inputPos_ < size)
                    ended_ = true; // the ring is full yet the decoder wants more: give up
                else if (streaming_)
                    return done; // this block is used up; the next one continues
            }
            continue;
        case Mp3Decoder::kSyncLost:
        case Mp3Decoder::kSyncEof:
            ended_ = true;
            continue;
        default:
            if (Mp3Decoder::Classify(lastStatus_) == Mp3Decoder::Severity::Information)
                continue;
            if (Mp3Decoder::Classify(lastStatus_) == Mp3Decoder::Severity::Error)
                failed_ = true;
            ended_ = true;
            continue;
        }
    }
    return done;
}

} // namespace tavro::player
