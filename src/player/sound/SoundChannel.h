// One playing sound: an event sound (a sound record with its sound-info values) or the stream
// sound of a timeline (fed block by block through its queue). Channels are shared: the mixer's
// list, the buffers a channel was mixed into (until the device has played them) and whoever
// started it hold references, so a channel stopped by the window thread stays valid while the
// sound thread still mixes it; its decoder goes with the last reference.
//
// Everything but the atomics is touched only under the mixer's lock. The device callback adds
// to samplesPlayed and stamps lastBufferTime without the lock; the window thread reads them.
#pragma once

#include "player/sound/SampleConverter.h"
#include "player/sound/SoundDecoder.h"
#include "player/sound/SoundInfo.h"
#include "player/sound/SoundRecord.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

namespace tavro::player {

class SoundMixer;

class SoundChannel {
public:
    // An entry of a stream's queue, in stream order.
    struct StreamItem {
        enum class Kind { Block, StartSound, End };
        Kind kind = Kind::Block;
        std::shared_ptr<const SoundRecord> block; // the block's data and sample count
        int32_t seek = 0; // MP3 blocks: < 0 inserts that much silence, > 0 skips decoded samples
        std::shared_ptr<SoundChannel> start; // an event sound met in the stream's tags
    };

    // nullptr when the sound's compression has no decoder.
    static std::shared_ptr<SoundChannel> MakeEvent(std::shared_ptr<const SoundRecord> sound,
                                                   const SoundInfo& info, const void* owner);
    // `startFrame` is the frame whose block starts the stream; samplesPlayed starts at
    // samplesPerFrame x startFrame so that positions count from the movie's first frame.
    // nullptr when the format has no decoder or samplesPerFrame is 0.
    static std::shared_ptr<SoundChannel> MakeStream(uint8_t streamFormatByte,
                                                    uint16_t samplesPerFrame, int32_t startFrame,
                                                    bool restartDecoder, const void* owner);

    SoundChannel(const SoundChannel&) = delete;
    SoundChannel& operator=(const SoundChannel&) = delete;

    // Fills `dest` with `outFrames` sample frames of `out` (silence where the sound has none).
    // Returns the sample frames of the sound's own rate that played (decoded samples, and
    // for streams the silence their seek values insert); a starved stream counts nothing.
    // Called by the mixer, under its lock.
    uint32_t Render(uint8_t* dest, SoundFormat out, uint32_t outFrames, SoundMixer& mixer);

    // The frame a stream has reached (Algorithms of the frame clock): samples played plus the
    // time since the last finished buffer (at most 63 ms; left out while starved), rounded to
    // the nearest frame. -1 for event sounds.
    int32_t StreamFrame(uint32_t nowMs) const;

    // ---- stream queue (under the mixer's lock) ----
    void PushBlock(std::shared_ptr<const SoundRecord> block, int32_t seek);
    void PushStartSound(std::shared_ptr<SoundChannel> channel);
    void PushEnd();
    // Samples of the queued blocks not yet decoded, and the number of queued items.
    uint64_t QueuedSamples() const { return queuedSamples_; }
    size_t QueuedItems() const { return queue_.size(); }

    // ---- state ----
    // Marks the channel stopped; the mixer drops it at its next purge.
    void RequestStop() { stopRequested = true; }
    bool StopRequested() const { return stopRequested; }
    // The timeline (or other owner) that started it.
    const void* Owner() const { return owner; }
    // A stream met its End (or ran out for good).
    bool StreamEnded() const { return streamEnded; }
    // A stream has no data for the next samples.
    bool Starved() const { return starved; }
    // The sample range of an event sound, in its own rate; decoding restarts at `first`.
    void SetRange(uint32_t first, uint32_t last) {
        start = first;
        end = last;
        position = first;
    }

private:
    friend class SoundMixer; // starts, mixes, counts and stops channels
    SoundMixer* mixer = nullptr;
    std::atomic<bool> stopRequested{false};
    const void* owner = nullptr; // the timeline that started it, to stop all of its sounds

    std::shared_ptr<const SoundRecord> sound; // event sounds
    SoundInfo info;
    uint32_t start = 0; // sample range of an event sound, in its own rate
    uint32_t end = 0;
    uint32_t position = 0; // next sample to decode
    int playsLeft = 1;

    bool isStream = false;
    uint8_t streamFormat = 0;
    uint16_t samplesPerFrame = 0;

    std::atomic<int64_t> samplesPlayed{0};
    std::atomic<uint32_t> lastBufferTime{0};
    std::atomic<bool> streamEnded{false};
    std::atomic<bool> starved{false};
    bool silent = false; // produced only silence in the last buffer

    SoundChannel() = default;
    size_t FillEvent(int16_t* native, size_t frames);
    size_t FillStream(int16_t* native, size_t frames, uint32_t& counted, SoundMixer& mixer);
    void ApplyEnvelope(int16_t* samples, int channels, int srcShift);

    std::unique_ptr<SoundDecoder> decoder_;
    bool decoderStarted_ = false;
    bool restartDecoder_ = false;
    bool blockActive_ = false;
    uint32_t pendingSilence_ = 0;
    uint32_t producedThisPlay_ = 0;
    std::deque<StreamItem> queue_;
    uint64_t queuedSamples_ = 0;
    SampleConverter converter_;
    // Runs of the last native block: where each starts and its sample position in the sound.
    struct Run {
        size_t offset;
        uint32_t position;
    };
    std::vector<Run> runs_;
    size_t runEnd_ = 0;
    std::vector<int16_t> native_, channels_, rated_, work_;
};

} // namespace tavro::player
