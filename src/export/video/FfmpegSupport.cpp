#include "export/video/FfmpegSupport.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
}

#include <mutex>

namespace tavro::video {

std::string AvErrorText(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    if (av_strerror(code, text, sizeof text) < 0)
        return "error " + std::to_string(code);
    return text;
}

void QuietFfmpegLog() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_ERROR); });
}

FramePtr AllocPicture(int format, int width, int height) {
    FramePtr frame(av_frame_alloc());
    if (!frame)
        return nullptr;
    frame->format = format;
    frame->width = width;
    frame->height = height;
    if (av_frame_get_buffer(frame.get(), 0) < 0)
        return nullptr;
    return frame;
}

bool PrepareForWriting(AVFrame& frame) {
    if (av_frame_is_writable(&frame))
        return true;
    const int format = frame.format, width = frame.width, height = frame.height;
    av_frame_unref(&frame);
    frame.format = format;
    frame.width = width;
    frame.height = height;
    return av_frame_get_buffer(&frame, 0) >= 0;
}

} // namespace tavro::video
