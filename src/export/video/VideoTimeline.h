// Where the frames of a video fall on the movie's clock. The video shows frame i at i / fps
// seconds; the movie shows its frame k from k / rate seconds on, so video frame i shows the
// movie frame floor(i * rate / fps). Another video rate samples the movie's clock more or less
// often and never changes the movie's speed.
#pragma once

#include "export/video/VideoFormat.h"

#include <cstdint>

namespace tavro::video {

class VideoTimeline {
public:
    VideoTimeline(VideoRate movieRate, VideoRate videoRate);

    // The movie frame that video frame `frame` shows.
    int64_t MovieFrameOf(int64_t frame) const;
    // Video frames that cover the first `movieFrames` movie frames: the first video frame that
    // shows movie frame `movieFrames` or later.
    int64_t FramesFor(int64_t movieFrames) const;
    // The sample frame (at `sampleRate`) where video frame `frame` starts.
    uint64_t SampleAt(int64_t frame, int sampleRate) const;
    // Seconds from the start to video frame `frame`.
    double SecondsAt(int64_t frame) const;

    VideoRate MovieRate() const { return movie_; }
    VideoRate Rate() const { return video_; }

private:
    VideoRate movie_;
    VideoRate video_;
};

} // namespace tavro::video
