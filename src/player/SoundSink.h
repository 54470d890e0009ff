// The seam between the player core and sound output. Without a sink the player is silent and
// frames follow the clock alone.
#pragma once

#include <cstdint>
#include <span>

namespace tavro::player {

class Character;
class Timeline;

class SoundSink {
public:
    virtual ~SoundSink() = default;

    // A StartSound tag (its body) met while playing.
    virtual void StartSound(Timeline&, std::span<const uint8_t>) {}
    // SoundStreamHead / SoundStreamHead2 body.
    virtual void StreamHead(Timeline&, std::span<const uint8_t>) {}
    // The first SoundStreamBlock reached; `tagStart` is its offset in the timeline's data.
    virtual void StreamBlock(Timeline&, uint32_t) {}
    // The frame the timeline's stream sound has reached, or -1 when it has no active stream.
    virtual int32_t StreamFrame(const Timeline&) { return -1; }
    // The timeline's stream sound ended or was stopped by the data running out.
    virtual bool StreamFinished(const Timeline&) { return true; }
    // The timeline's stream has run dry (incomplete data): it does not lead the frame clock
    // until data arrives, so other timelines keep playing at the movie's rate.
    virtual bool StreamStarved(const Timeline&) const { return false; }
    virtual void StopStream(Timeline&) {}
    virtual void StopOwner(Timeline&) {}
    virtual void StopAll() {}
    // A sound character is being removed from its dictionary.
    virtual void ReleaseSound(Character&) {}
};

} // namespace tavro::player
