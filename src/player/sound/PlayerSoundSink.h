// Connects the player core to the sound mixer: event sounds from StartSound tags and button
// slots, the stream sound of each timeline, and the stream position that paces the frame clock.
// All of it runs on the window thread.
//
// Sound characters are copied once, on first use, into a shared record that the mixer's
// channels keep; the copy is dropped when the character is removed (ReleaseSound), so the
// sound thread never reads a movie buffer.
#pragma once

#include "player/SoundSink.h"
#include "player/sound/SoundMixer.h"
#include "player/sound/SoundStreamReader.h"

#include <cstdint>
#include <memory>
#include <span>
#include <unordered_map>
#include <vector>

namespace tavro::player {

class PlayerSoundSink : public SoundSink {
public:
    // Takes part in the mixer's Init/Term pairing for the life of the sink.
    explicit PlayerSoundSink(SoundMixer& mixer = SoundMixer::Shared());
    ~PlayerSoundSink() override;
    PlayerSoundSink(const PlayerSoundSink&) = delete;
    PlayerSoundSink& operator=(const PlayerSoundSink&) = delete;

    void StartSound(Timeline& timeline, std::span<const uint8_t> body) override;
    void StreamHead(Timeline& timeline, std::span<const uint8_t> body) override;
    void StreamBlock(Timeline& timeline, uint32_t tagStart) override;
    // Also reads the stream ahead (the core asks on every tick).
    int32_t StreamFrame(const Timeline& timeline) override;
    bool StreamFinished(const Timeline& timeline) override;
    void StopStream(Timeline& timeline) override;
    void StopOwner(Timeline& timeline) override;
    void StopAll() override;
    void ReleaseSound(Character& character) override;

    // The sound of a button transition: `body` is the button's DefineButtonSound record (after
    // the button id), `event` the transition (0..8).
    void StartButtonSound(Timeline& owner, std::span<const uint8_t> body, int event);
    // True while the timeline's stream has run dry (it then does not lead the frame clock).
    bool StreamStarved(const Timeline& timeline) const override;
    // Reads every stream ahead without asking for positions.
    void PumpStreams();

    SoundMixer& Mixer() { return mixer_; }
    // The shared record of a sound character (nullptr for other characters).
    std::shared_ptr<const SoundRecord> RecordFor(const Character& character);

private:
    struct Stream {
        bool hasHead = false;
        SoundStreamReader::Head head;
        std::unique_ptr<SoundStreamReader> reader;
    };
    struct CachedSound {
        std::weak_ptr<std::vector<uint8_t>> buffer;
        uint16_t id = 0;
        uint32_t offset = 0;
        uint32_t length = 0;
        uint8_t format = 0;
        uint32_t count = 0;
        std::shared_ptr<const SoundRecord> record;
    };

    // Drops a stream whose channel ended or was stopped; true when one is still playing.
    bool Alive(Stream& s);
    void EndStream(Stream& s);

    SoundMixer& mixer_;
    std::unordered_map<const Timeline*, Stream> streams_;
    std::unordered_map<const Character*, CachedSound> sounds_;
};

} // namespace tavro::player
