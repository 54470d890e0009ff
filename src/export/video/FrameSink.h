// Where the exporter sends the pictures and the sound of a video: a container file of FFmpeg's
// or a folder of PNG files. Until Finish succeeds nothing is at the output's name; destroying a
// sink that was not finished removes what it wrote.
#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <string>

namespace tavro::video {

// Seconds spent converting pictures and sound for the encoders, and encoding and writing them.
struct SinkTimes {
    double convert = 0;
    double encode = 0;
};

// Adds the time from construction to destruction to a counter.
class ScopedSeconds {
public:
    explicit ScopedSeconds(double& counter)
        : counter_(counter), start_(std::chrono::steady_clock::now()) {}
    ~ScopedSeconds() {
        counter_ +=
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }
    ScopedSeconds(const ScopedSeconds&) = delete;
    ScopedSeconds& operator=(const ScopedSeconds&) = delete;

private:
    double& counter_;
    std::chrono::steady_clock::time_point start_;
};

class FrameSink {
public:
    virtual ~FrameSink() = default;
    // The next picture: width * height RGBA rows, straight alpha. nullptr repeats the picture
    // before (the exporter only draws again when the movie moved on).
    virtual bool AddFrame(const uint8_t* rgba, std::string& error) = 0;
    // Interleaved 16-bit samples of the mixed sound that belong to the frames added so far.
    virtual bool AddSound(std::span<const uint8_t> pcm, std::string& error) = 0;
    // Ends the encoding and moves the output to its name.
    virtual bool Finish(std::string& error) = 0;
    const SinkTimes& Times() const { return times_; }

protected:
    SinkTimes times_;
};

} // namespace tavro::video
