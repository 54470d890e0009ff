// A movie played without a window on a virtual clock: the one way the command line's render,
// play and video commands and the editor's video export run a movie, so that they all show the
// same frames. The sound is always mixed (a stream sound paces the frames, as it does in a
// window), on a virtual device that plays exactly the sound of each frame period of the movie's
// own rate; it may be kept for a sound track.
//
//   MoviePlayback playback(options);
//   playback.Load(swf);            // frame 0 is shown
//   playback.Click(x, y);          // stage pixels of the movie
//   playback.Step();               // the sound of the frame shown, then the next frame
//   playback.Picture(rgba, w, h);  // what the window shows now
#pragma once

#include "player/sound/SoundFormat.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace tavro::player {
class HeadlessHost;
class PlayerSoundSink;
class SoundMixer;
class VirtualWaveOutput;
} // namespace tavro::player

namespace tavro {

// A press and release of the mouse at a stage pixel of the movie on one frame.
struct MovieClick {
    int x = 0;
    int y = 0;
    int frame = 0;
};

// "X,Y@F" with whole numbers, none of them negative; nullopt for anything else.
std::optional<MovieClick> ParseMovieClick(std::string_view text);

class MoviePlayback {
public:
    struct Options {
        // The picture size; 0 follows the movie's own frame size. Another size shows the whole
        // movie scaled to fit, centred (the player's default view).
        int width = 0;
        int height = 0;
        bool highQuality = true;
        // Keep the mixed sound for TakeSound.
        bool keepSound = false;
        // The movie's file: relative URL loads are read beside it. Empty: the current folder.
        std::filesystem::path moviePath;
    };

    explicit MoviePlayback(const Options& options);
    ~MoviePlayback();
    MoviePlayback(const MoviePlayback&) = delete;
    MoviePlayback& operator=(const MoviePlayback&) = delete;

    // Plays the movie from its first frame. False when the bytes are not a playable movie.
    bool Load(std::span<const uint8_t> swf);

    // Frames advanced since the load (0 while the first frame is shown).
    int Frame() const { return frame_; }
    // The frame rate of the movie as frames per `RateDenominator()` seconds.
    int RateNumerator() const;
    int RateDenominator() const;
    // Frames of the movie's main timeline.
    int FrameCount() const;
    // The main timeline's current frame (0-based) and whether it plays on.
    int MovieFrame() const;
    bool Playing() const;
    // The movie asked the host to quit (FSCommand "quit").
    bool QuitRequested() const { return quit_; }

    // Presses and releases the mouse at a stage pixel of the movie (mapped to the picture when
    // its size differs from the movie's). The pointer stays there.
    void Click(int x, int y);
    // The clicks of `clicks` that belong to the current frame.
    void ApplyClicks(std::span<const MovieClick> clicks);

    // Plays the sound of the frame shown, then advances the movie by one frame period.
    void Step();
    // Plays the sound up to `sampleFrames` sample frames from the start of the movie (never
    // past the end of the frame shown; earlier positions are ignored).
    void PlaySoundTo(uint64_t sampleFrames);
    // Sample frames played so far.
    uint64_t SoundPosition() const { return soundPosition_; }
    // The sample frame where frame `frame` of the movie starts.
    uint64_t SoundFrameStart(int64_t frame) const;
    // The format of the mixed sound (16-bit PCM).
    player::SoundFormat SoundFormat() const;
    // The sound played since the last call (interleaved samples), when kept.
    std::vector<uint8_t> TakeSound();
    // A sound is still playing.
    bool SoundPlaying();
    // How many sample frames the mixed sound lags behind the frames, on average: a sound that
    // a frame starts is mixed into the buffer after those already queued, so it is heard
    // between (buffers - 1) and (buffers) buffer lengths later. A sound track that drops this
    // many sample frames at its start is in step with the pictures to half a buffer (23 ms).
    uint64_t SoundLag() const;

    // The picture of the frame shown, repainted whole, as RGBA rows (top-down). False when the
    // picture has no size.
    bool Snapshot(std::vector<uint8_t>& rgba, int& width, int& height);
    // The picture as the updates of each frame left it (the same pixels as Snapshot, without
    // painting what did not change).
    bool Picture(std::vector<uint8_t>& rgba, int& width, int& height);
    // The picture without the movie's background: straight (not premultiplied) RGBA whose alpha
    // is the coverage of what the movie draws. Two repaints, over black and over white.
    bool TransparentPicture(std::vector<uint8_t>& rgba, int& width, int& height);

    // Receives the host commands' diagnostic lines (a refused "exec", say); none by default.
    void SetCommandDiagnostics(std::function<void(std::string_view)> sink);

    player::HeadlessHost& Host();

private:
    class PlaybackHost;

    std::shared_ptr<player::VirtualWaveOutput> device_;
    std::unique_ptr<player::SoundMixer> mixer_;
    std::unique_ptr<player::PlayerSoundSink> sink_;
    std::unique_ptr<PlaybackHost> host_;
    Options options_;
    int frame_ = 0;
    int frameRate_ = 0; // 8.8, from the movie's header
    uint64_t soundPosition_ = 0;
    bool quit_ = false;
};

} // namespace tavro
