// Small helpers around FFmpeg's C interface for the video exporters: owning pointers for its
// objects and its error codes as text. Only the exporters' .cpp files include this header.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
}

#include <memory>
#include <string>

namespace tavro::video {

struct FrameFree {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFree {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct CodecFree {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct GraphFree {
    void operator()(AVFilterGraph* g) const { avfilter_graph_free(&g); }
};

using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecFree>;
using GraphPtr = std::unique_ptr<AVFilterGraph, GraphFree>;

// FFmpeg's words for an error code.
std::string AvErrorText(int code);

// Keeps FFmpeg's own log to errors, once per process (its libraries otherwise print notes on
// standard error for every encoder they open).
void QuietFfmpegLog();

// A frame of the given picture format and size with its own buffers; nullptr when memory is
// short.
FramePtr AllocPicture(int format, int width, int height);

// Makes `frame`'s buffers writable without keeping their contents: buffers still shared with
// an encoder are replaced by new ones. False when memory is short.
bool PrepareForWriting(AVFrame& frame);

} // namespace tavro::video
