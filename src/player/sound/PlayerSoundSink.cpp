#include "player/sound/PlayerSoundSink.h"

#include "player/BitReader.h"
#include "player/Character.h"
#include "player/MovieLevel.h"
#include "player/PlayerCore.h"
#include "player/Timeline.h"
#include "player/sound/SoundInfo.h"

namespace tavro::player {

PlayerSoundSink::PlayerSoundSink(SoundMixer& mixer) : mixer_(mixer) {
    mixer_.Init();
}

PlayerSoundSink::~PlayerSoundSink() {
    // Timelines may already be gone: only the channels are stopped.
    for (auto& [timeline, s] : streams_)
        if (s.reader)
            s.reader->Channel()->RequestStop();
    for (auto& [character, cached] : sounds_)
        mixer_.StopSound(cached.record.get());
    mixer_.Term();
}

std::shared_ptr<const SoundRecord> PlayerSoundSink::RecordFor(const Character& c) {
    if (c.type != CharacterType::Sound || !c.owner)
        return nullptr;
    const auto& buffer = c.owner->SharedBytes();
    auto it = sounds_.find(&c);
    if (it != sounds_.end()) {
        const CachedSound& s = it->second;
        bool sameBuffer = !s.buffer.owner_before(buffer) && !buffer.owner_before(s.buffer);
        if (sameBuffer && !s.buffer.expired() && s.id == c.id && s.offset == c.data.offset &&
            s.length == c.data.length && s.format == c.soundFormat && s.count == c.sampleCount)
            return s.record;
        // A record left behind by a character that is gone: its address was reused.
        mixer_.StopSound(s.record.get());
        sounds_.erase(it);
    }
    CachedSound s;
    s.buffer = buffer;
    s.id = c.id;
    s.offset = c.data.offset;
    s.length = c.data.length;
    s.format = c.soundFormat;
    s.count = c.sampleCount;
    s.record = SoundRecord::Make(c.soundFormat, c.sampleCount, c.Data(), c.mp3Seek);
    auto record = s.record;
    sounds_[&c] = std::move(s);
    return record;
}

void PlayerSoundSink::StartSound(Timeline& timeline, std::span<const uint8_t> body) {
    if (!mixer_.CanPlay() || !timeline.root)
        return;
    BitReader r(body.data(), body.size());
    uint16_t id = r.U16();
    SoundInfo info;
    if (!r.ok() || !SoundInfo::Read(r, info))
        return;
    Character* c = timeline.root->dictionary.Find(id);
    if (!c)
        return;
    auto channel = SoundChannel::MakeEvent(RecordFor(*c), info, &timeline);
    if (channel)
        mixer_.StartSound(std::move(channel));
}

void PlayerSoundSink::StartButtonSound(Timeline& owner, std::span<const uint8_t> body, int event) {
    auto slot = SoundInfo::ButtonSlot(body, event);
    if (!slot.empty())
        StartSound(owner, slot);
}

void PlayerSoundSink::StreamHead(Timeline& timeline, std::span<const uint8_t> body) {
    Stream& s = streams_[&timeline];
    s.hasHead = SoundStreamReader::Head::Parse(body, s.head);
}

void PlayerSoundSink::StreamBlock(Timeline& timeline, uint32_t tagStart) {
    if (!timeline.Playing() || !timeline.player || !timeline.player->TimersOn())
        return;
    auto it = streams_.find(&timeline);
    if (it == streams_.end() || !it->second.hasHead || Alive(it->second))
        return;
    if (!mixer_.CanPlay())
        return;
    Stream& s = it->second;
    // Compressions above 0x30 have no decoder; MakeStream refuses them and a zero frame size.
    int32_t startFrame = timeline.currentFrame + 1;
    auto channel = SoundChannel::MakeStream(s.head.streamFormat, s.head.samplesPerFrame, startFrame,
                                            timeline.TakeSoundResync(), &timeline);
    if (!channel)
        return;
    Timeline* t = &timeline;
    s.reader = std::make_unique<SoundStreamReader>(
        timeline, s.head, tagStart, channel, startFrame,
        [this, t](uint16_t id) -> std::shared_ptr<const SoundRecord> {
            Character* c = t->root ? t->root->dictionary.Find(id) : nullptr;
            return c ? RecordFor(*c) : nullptr;
        });
    // Queue the first second before the channel can be mixed, so it does not start starved.
    s.reader->Pump(mixer_);
    mixer_.StartSound(channel);
    if (channel->StopRequested()) {
        s.reader.reset();
        return;
    }
    timeline.SetStreamActive(true);
}

bool PlayerSoundSink::Alive(Stream& s) {
    if (!s.reader)
        return false;
    const auto& ch = s.reader->Channel();
    if (ch->StreamEnded() || ch->StopRequested()) {
        EndStream(s);
        return false;
    }
    return true;
}

void PlayerSoundSink::EndStream(Stream& s) {
    if (!s.reader)
        return;
    s.reader->Channel()->RequestStop();
    s.reader->Owner().SetStreamActive(false);
    s.reader.reset();
}

int32_t PlayerSoundSink::StreamFrame(const Timeline& timeline) {
    auto it = streams_.find(&timeline);
    if (it == streams_.end() || !Alive(it->second))
        return -1;
    it->second.reader->Pump(mixer_);
    return mixer_.StreamFrame(*it->second.reader->Channel());
}

bool PlayerSoundSink::StreamFinished(const Timeline& timeline) {
    auto it = streams_.find(&timeline);
    return it == streams_.end() || !Alive(it->second);
}

bool PlayerSoundSink::StreamStarved(const Timeline& timeline) const {
    auto it = streams_.find(&timeline);
    if (it == streams_.end() || !it->second.reader)
        return false;
    return it->second.reader->Channel()->Starved();
}

void PlayerSoundSink::PumpStreams() {
    for (auto& [timeline, s] : streams_)
        if (Alive(s))
            s.reader->Pump(mixer_);
}

void PlayerSoundSink::StopStream(Timeline& timeline) {
    auto it = streams_.find(&timeline);
    if (it != streams_.end())
        EndStream(it->second);
    timeline.SetStreamActive(false);
}

void PlayerSoundSink::StopOwner(Timeline& timeline) {
    // The timeline may be going away: forget its stream head too.
    auto it = streams_.find(&timeline);
    if (it != streams_.end()) {
        EndStream(it->second);
        streams_.erase(it);
    }
    timeline.SetStreamActive(false);
    mixer_.StopOwner(&timeline);
}

void PlayerSoundSink::StopAll() {
    for (auto& [timeline, s] : streams_)
        EndStream(s);
    mixer_.StopAll();
}

void PlayerSoundSink::ReleaseSound(Character& character) {
    auto it = sounds_.find(&character);
    if (it == sounds_.end())
        return;
    mixer_.StopSound(it->second.record.get());
    sounds_.erase(it);
}

} // namespace tavro::player
