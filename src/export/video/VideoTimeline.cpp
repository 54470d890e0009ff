#include "export/video/VideoTimeline.h"

#include <algorithm>

namespace tavro::video {

namespace {

// floor(a * b / c) for non-negative a and positive b, c, without overflow for the counts of
// any video (128-bit intermediate).
int64_t MulDiv(int64_t a, int64_t b, int64_t c) {
    return int64_t((__int128(std::max<int64_t>(a, 0)) * b) / c);
}

} // namespace

VideoTimeline::VideoTimeline(VideoRate movieRate, VideoRate videoRate)
    : movie_(Reduced(movieRate)), video_(Reduced(videoRate)) {}

int64_t VideoTimeline::MovieFrameOf(int64_t frame) const {
    // frame / fps * rate = frame * fden * rnum / (fnum * rden)
    return MulDiv(frame, int64_t(video_.den) * movie_.num, int64_t(video_.num) * movie_.den);
}

int64_t VideoTimeline::FramesFor(int64_t movieFrames) const {
    // The least i with i * fden * rnum >= movieFrames * fnum * rden.
    const __int128 target = __int128(std::max<int64_t>(movieFrames, 0)) * video_.num * movie_.den;
    const __int128 step = __int128(video_.den) * movie_.num;
    return int64_t((target + step - 1) / step);
}

uint64_t VideoTimeline::SampleAt(int64_t frame, int sampleRate) const {
    return uint64_t(MulDiv(frame, int64_t(video_.den) * sampleRate, video_.num));
}

double VideoTimeline::SecondsAt(int64_t frame) const {
    return double(frame) * video_.den / video_.num;
}

} // namespace tavro::video
