#include "player/sound/SoundChannel.h"

#include "player/sound/SoundMixer.h"

#include <algorithm>
#include <cstring>

namespace tavro::player {

namespace {
constexpr size_t kMaxFrames = 2048; // one buffer of 44.1-kHz samples
} // namespace

std::shared_ptr<SoundChannel> SoundChannel::MakeEvent(std::shared_ptr<const SoundRecord> sound,
                                                      const SoundInfo& info, const void* owner) {
    if (!sound)
        return nullptr;
    auto decoder = SoundDecoder::Create(sound->formatByte, false);
    if (!decoder)
        return nullptr;
    std::shared_ptr<SoundChannel> ch(new SoundChannel());
    ch->decoder_ = std::move(decoder);
    ch->sound = std::move(sound);
    ch->info = info;
    ch->owner = owner;
    ch->playsLeft = info.Plays();
    return ch;
}

std::shared_ptr<SoundChannel> SoundChannel::MakeStream(uint8_t streamFormatByte,
                                                       uint16_t samplesPerFrame, int32_t startFrame,
                                                       bool restartDecoder, const void* owner) {
    if (samplesPerFrame == 0)
        return nullptr;
    auto decoder = SoundDecoder::Create(streamFormatByte, true);
    if (!decoder)
        return nullptr;
    std::shared_ptr<SoundChannel> ch(new SoundChannel());
    ch->decoder_ = std::move(decoder);
    ch->isStream = true;
    ch->streamFormat = streamFormatByte;
    ch->samplesPerFrame = samplesPerFrame;
    ch->owner = owner;
    ch->restartDecoder_ = restartDecoder;
    ch->samplesPlayed = int64_t(samplesPerFrame) * std::max<int32_t>(startFrame, 0);
    return ch;
}

void SoundChannel::PushBlock(std::shared_ptr<const SoundRecord> block, int32_t seek) {
    StreamItem item;
    item.kind = StreamItem::Kind::Block;
    queuedSamples_ += block->sampleCount;
    item.block = std::move(block);
    item.seek = seek;
    queue_.push_back(std::move(item));
}

void SoundChannel::PushStartSound(std::shared_ptr<SoundChannel> channel) {
    StreamItem item;
    item.kind = StreamItem::Kind::StartSound;
    item.start = std::move(channel);
    queue_.push_back(std::move(item));
}

void SoundChannel::PushEnd() {
    StreamItem item;
    item.kind = StreamItem::Kind::End;
    queue_.push_back(std::move(item));
}

int32_t SoundChannel::StreamFrame(uint32_t nowMs) const {
    if (!isStream || samplesPerFrame == 0)
        return -1;
    int64_t played = samplesPlayed.load();
    if (!starved.load()) {
        uint32_t since = (nowMs - lastBufferTime.load()) & 0x7FFFFFFF;
        int shift = SoundFormat::FromSwf(streamFormat).RateShift();
        played += (int64_t(std::min<uint32_t>(since, 63)) * 44) >> shift;
    }
    return int32_t((samplesPerFrame / 2 + played) / samplesPerFrame);
}

size_t SoundChannel::FillEvent(int16_t* native, size_t frames) {
    const size_t ch = size_t(decoder_->Channels());
    size_t filled = 0;
    while (filled < frames && !stopRequested.load()) {
        if (!decoderStarted_) {
            decoder_->Start(*sound, true);
            decoder_->Seek(start);
            position = start;
            producedThisPlay_ = 0;
            decoderStarted_ = true;
        }
        size_t want = std::min<size_t>(frames - filled, end - position);
        size_t n = want > 0 ? decoder_->Decode(native + filled * ch, want) : 0;
        if (n > 0) {
            runs_.push_back({filled, position});
            filled += n;
            position += uint32_t(n);
            producedThisPlay_ += uint32_t(n);
        }
        if (n == want && position < end)
            continue;
        // The end of this play: the out-point, the end of the data, or damage.
        if (decoder_->Failed() || producedThisPlay_ == 0 || --playsLeft <= 0) {
            stopRequested = true;
            break;
        }
        decoderStarted_ = false;
    }
    return filled;
}

size_t SoundChannel::FillStream(int16_t* native, size_t frames, uint32_t& counted,
                                SoundMixer& mixer) {
    const size_t ch = size_t(decoder_->Channels());
    size_t filled = 0;
    while (filled < frames && !stopRequested.load()) {
        if (pendingSilence_ > 0) {
            size_t n = std::min<size_t>(frames - filled, pendingSilence_);
            std::fill_n(native + filled * ch, n * ch, int16_t(0));
            filled += n;
            counted += uint32_t(n);
            pendingSilence_ -= uint32_t(n);
            continue;
        }
        if (blockActive_) {
            size_t want = frames - filled;
            size_t n = decoder_->Decode(native + filled * ch, want);
            filled += n;
            counted += uint32_t(n);
            if (n < want) {
                blockActive_ = false;
                if (decoder_->Failed()) {
                    streamEnded = true;
                    stopRequested = true;
                }
            }
            continue;
        }
        if (queue_.empty()) {
            starved = true;
            break;
        }
        StreamItem item = std::move(queue_.front());
        queue_.pop_front();
        switch (item.kind) {
        case StreamItem::Kind::End:
            streamEnded = true;
            stopRequested = true;
            break;
        case StreamItem::Kind::StartSound:
            if (item.start)
                mixer.StartSoundLocked(std::move(item.start));
            break;
        case StreamItem::Kind::Block:
            queuedSamples_ -= std::min<uint64_t>(queuedSamples_, item.block->sampleCount);
            starved = false;
            decoder_->Start(*item.block, restartDecoder_);
            restartDecoder_ = false;
            if (item.seek < 0)
                pendingSilence_ = uint32_t(-int64_t(item.seek));
            else if (item.seek > 0)
                decoder_->Seek(uint32_t(item.seek));
            blockActive_ = true;
            break;
        }
    }
    return filled;
}

void SoundChannel::ApplyEnvelope(int16_t* samples, int channels, int srcShift) {
    // Each run covers the frames up to the next run's start (the last one up to its length,
    // which is where the sound's position ended).
    for (size_t r = 0; r < runs_.size(); ++r) {
        size_t from = runs_[r].offset;
        size_t to = r + 1 < runs_.size() ? runs_[r + 1].offset : runEnd_;
        for (size_t i = from; i < to; ++i) {
            uint64_t pos44 = uint64_t(runs_[r].position + (i - from)) << srcShift;
            for (int c = 0; c < channels; ++c) {
                int level = channels == 2 ? info.Level(pos44, c)
                                          : (info.Level(pos44, 0) + info.Level(pos44, 1)) / 2;
                int v = int((int64_t(samples[i * size_t(channels) + size_t(c)]) * level) >> 15);
                samples[i * size_t(channels) + size_t(c)] = int16_t(std::clamp(v, -32768, 32767));
            }
        }
    }
}

uint32_t SoundChannel::Render(uint8_t* dest, SoundFormat out, uint32_t outFrames,
                              SoundMixer& mixer) {
    const SoundFormat src = decoder_->Format();
    const int srcShift = src.RateShift();
    const int outShift = out.RateShift();
    const int srcCh = src.Channels();
    const int outCh = out.Channels();
    size_t srcFrames = outShift >= srcShift ? size_t(outFrames) << (outShift - srcShift)
                                            : size_t(outFrames) >> (srcShift - outShift);
    srcFrames = std::min(srcFrames, kMaxFrames);
    const size_t scratch = kMaxFrames * 2;
    native_.resize(scratch);
    channels_.resize(scratch);
    rated_.resize(scratch);
    work_.resize(scratch);

    runs_.clear();
    uint32_t counted = 0;
    size_t filled = 0;
    if (isStream) {
        filled = FillStream(native_.data(), srcFrames, counted, mixer);
    } else {
        filled = FillEvent(native_.data(), srcFrames);
        counted = uint32_t(filled);
    }
    silent = filled == 0;
    std::fill(native_.begin() + ptrdiff_t(filled * size_t(srcCh)),
              native_.begin() + ptrdiff_t(srcFrames * size_t(srcCh)), int16_t(0));

    SampleConverter::ToChannels(native_.data(), srcFrames, srcCh, outCh, channels_.data());
    if (!isStream && info.envelopeCount > 0) {
        runEnd_ = filled;
        ApplyEnvelope(channels_.data(), outCh, srcShift);
    }
    size_t n = converter_.ChangeRate(channels_.data(), srcFrames, outCh, srcShift, outShift,
                                     rated_.data(), work_.data());
    n = std::min<size_t>(n, outFrames);
    SampleConverter::Pack(rated_.data(), n * size_t(outCh), out.SixteenBit(), dest);
    if (n < outFrames) {
        size_t from = n * size_t(out.BlockAlign());
        size_t to = size_t(outFrames) * size_t(out.BlockAlign());
        std::memset(dest + from, out.SixteenBit() ? 0x00 : 0x80, to - from);
    }
    return counted;
}

} // namespace tavro::player
