#include "player/sound/SoundStreamReader.h"

#include "player/BitReader.h"
#include "player/MovieLevel.h"
#include "player/PlayerCore.h"
#include "player/TagHeader.h"
#include "player/Timeline.h"
#include "player/sound/SoundInfo.h"
#include "player/sound/SoundMixer.h"
#include "swfformat/TagCodes.h"

#include <algorithm>

namespace tavro::player {

using namespace swfformat;

bool SoundStreamReader::Head::Parse(std::span<const uint8_t> body, Head& out) {
    BitReader r(body.data(), body.size());
    Head h;
    h.playbackFormat = r.U8();
    h.streamFormat = r.U8();
    h.samplesPerFrame = r.U16();
    if (!r.ok())
        return false;
    if ((h.streamFormat & 0xF0) == SoundRecord::kMp3 && r.Remaining() >= 2)
        h.latencySeek = r.S16();
    out = h;
    return true;
}

SoundStreamReader::SoundStreamReader(Timeline& timeline, const Head& head, uint32_t tagStart,
                                     std::shared_ptr<SoundChannel> channel, int32_t startFrame,
                                     Resolver resolve)
    : timeline_(timeline), head_(head), cursor_(tagStart), channel_(std::move(channel)),
      frame_(startFrame), resolve_(std::move(resolve)) {}

void SoundStreamReader::Pump(SoundMixer& mixer) {
    if (ended_ || !channel_)
        return;
    const int shift = SoundFormat::FromSwf(head_.streamFormat).RateShift();
    const uint64_t target = uint64_t(44100 >> shift) + head_.samplesPerFrame;
    for (int tags = 0; tags < kMaxTagsPerPump; ++tags) {
        mixer.Lock();
        uint64_t queued = channel_->QueuedSamples();
        size_t items = channel_->QueuedItems();
        bool starved = channel_->Starved();
        mixer.Unlock();
        if (queued >= target || items >= kMaxQueuedItems)
            return;
        if (starved && !waiting_)
            waiting_ = true;
        if (waiting_) {
            const MovieLevel* level = timeline_.root;
            if (!timeline_.DataComplete() && level) {
                int frameMs = level->frameMs;
                int seconds = timeline_.player ? timeline_.player->SoundBufferSeconds() : 5;
                int64_t ahead = frameMs > 0 ? int64_t(seconds) * 1000 / frameMs : 100;
                if (int64_t(level->framesLoaded) < int64_t(frame_) + ahead)
                    return;
            }
            waiting_ = false;
        }
        if (!ReadTag(mixer))
            return;
    }
}

bool SoundStreamReader::ReadTag(SoundMixer& mixer) {
    auto data = timeline_.Data();
    uint32_t limit = uint32_t(std::min<size_t>(timeline_.Limit(), data.size()));
    TagHeader h;
    if (!TagHeader::Read(data.data(), limit, cursor_, h)) {
        if (timeline_.DataComplete()) {
            // The movie ends at its last complete tag.
            mixer.Lock();
            channel_->PushEnd();
            mixer.Unlock();
            ended_ = true;
        } else {
            waiting_ = true; // starve until more of the movie arrives
        }
        return false;
    }
    cursor_ = h.end;
    auto body = data.subspan(h.bodyPos, h.end - h.bodyPos);
    switch (h.code) {
    case kTagEnd:
        mixer.Lock();
        channel_->PushEnd();
        mixer.Unlock();
        ended_ = true;
        return false;
    case kTagShowFrame:
        ++frame_;
        break;
    case kTagDefineSound:
        LearnSound(body);
        break;
    case kTagStartSound:
        QueueStartSound(mixer, body);
        break;
    case kTagSoundStreamBlock:
        QueueBlock(mixer, body);
        break;
    default:
        break;
    }
    return true;
}

void SoundStreamReader::QueueBlock(SoundMixer& mixer, std::span<const uint8_t> body) {
    uint32_t samples = head_.samplesPerFrame;
    int32_t seek = 0;
    if ((head_.streamFormat & 0xF0) == SoundRecord::kMp3) {
        BitReader r(body.data(), body.size());
        samples = r.U16();
        seek = r.S16();
        if (!r.ok())
            return;
        body = body.subspan(4);
    }
    auto block = SoundRecord::Make(head_.streamFormat, samples, body);
    mixer.Lock();
    channel_->PushBlock(std::move(block), seek);
    mixer.Unlock();
}

void SoundStreamReader::QueueStartSound(SoundMixer& mixer, std::span<const uint8_t> body) {
    BitReader r(body.data(), body.size());
    uint16_t id = r.U16();
    SoundInfo info;
    if (!r.ok() || !SoundInfo::Read(r, info))
        return;
    std::shared_ptr<const SoundRecord> sound = resolve_ ? resolve_(id) : nullptr;
    if (!sound) {
        auto it = learned_.find(id);
        if (it != learned_.end())
            sound = it->second;
    }
    auto channel = SoundChannel::MakeEvent(std::move(sound), info, &timeline_);
    if (!channel)
        return;
    mixer.Lock();
    channel_->PushStartSound(std::move(channel));
    mixer.Unlock();
}

void SoundStreamReader::LearnSound(std::span<const uint8_t> body) {
    BitReader r(body.data(), body.size());
    uint16_t id = r.U16();
    uint8_t format = r.U8();
    uint32_t count = r.U32();
    int16_t seek = 0;
    if ((format & 0xF0) == SoundRecord::kMp3)
        seek = r.S16();
    if (!r.ok() || (format >> 4) > 3 || learned_.count(id) || (resolve_ && resolve_(id)))
        return;
    learned_[id] = SoundRecord::Make(format, count, body.subspan(r.Pos()), seek);
}

} // namespace tavro::player
