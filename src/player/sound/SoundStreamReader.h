// Reads a timeline's stream sound ahead of its playing position: from the first block on, its
// own cursor walks the timeline's tags, queues each SoundStreamBlock on the stream channel,
// queues the event sounds that StartSound tags on the way start (so they begin when the stream
// reaches them), learns the sounds that DefineSound tags on the way define, and ends the stream
// at End. It runs on the window thread, which owns the movie's bytes; the sound thread only
// sees the copies in the channel's queue.
//
// While the movie is still loading, the reader waits at the start and whenever the channel ran
// dry until the level has loaded `soundBufferSeconds` of frames beyond the reader's own frame,
// so that playing resumes with a cushion instead of stuttering.
#pragma once

#include "player/sound/SoundChannel.h"
#include "player/sound/SoundRecord.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>

namespace tavro::player {

class SoundMixer;
class Timeline;

class SoundStreamReader {
public:
    // The body of SoundStreamHead / SoundStreamHead2.
    struct Head {
        uint8_t playbackFormat = 0;
        uint8_t streamFormat = 0;
        uint16_t samplesPerFrame = 0;
        int16_t latencySeek = 0; // MP3 streams only
        static bool Parse(std::span<const uint8_t> body, Head& out);
    };

    // Finds the sound a StartSound names in the timeline's dictionary.
    using Resolver = std::function<std::shared_ptr<const SoundRecord>(uint16_t id)>;

    static constexpr size_t kMaxQueuedItems = 512;
    static constexpr int kMaxTagsPerPump = 4096;

    // `tagStart` is the offset of the first block's tag header in the timeline's data;
    // `startFrame` the frame that block belongs to.
    SoundStreamReader(Timeline& timeline, const Head& head, uint32_t tagStart,
                      std::shared_ptr<SoundChannel> channel, int32_t startFrame, Resolver resolve);

    // Queues blocks until about a second of sound is ahead of the mixer, the reader has to
    // wait for more of the movie, or the stream's tags end.
    void Pump(SoundMixer& mixer);

    const std::shared_ptr<SoundChannel>& Channel() const { return channel_; }
    Timeline& Owner() const { return timeline_; }
    bool Waiting() const { return waiting_; }
    bool ReachedEnd() const { return ended_; }
    int32_t Frame() const { return frame_; }

private:
    // Reads one tag; false when the reader must stop for now.
    bool ReadTag(SoundMixer& mixer);
    void QueueBlock(SoundMixer& mixer, std::span<const uint8_t> body);
    void QueueStartSound(SoundMixer& mixer, std::span<const uint8_t> body);
    void LearnSound(std::span<const uint8_t> body);

    Timeline& timeline_;
    Head head_;
    uint32_t cursor_;
    std::shared_ptr<SoundChannel> channel_;
    int32_t frame_;
    Resolver resolve_;
    std::map<uint16_t, std::shared_ptr<const SoundRecord>> learned_;
    bool waiting_ = true;
    bool ended_ = false;
};

} // namespace tavro::player
