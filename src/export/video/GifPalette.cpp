#include "export/video/GifPalette.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/pixfmt.h>
}

#include <cstring>

namespace tavro::video {

namespace {

// A buffer source of BGRA pictures of the given size.
AVFilterContext* MakeSource(AVFilterGraph& graph, const char* name, int width, int height,
                            std::string& error) {
    const std::string args = "video_size=" + std::to_string(width) + "x" + std::to_string(height) +
                             ":pix_fmt=" + std::to_string(AV_PIX_FMT_BGRA) +
                             ":time_base=1/1:pixel_aspect=1/1";
    AVFilterContext* source = nullptr;
    const int r = avfilter_graph_create_filter(&source, avfilter_get_by_name("buffer"), name,
                                               args.c_str(), nullptr, &graph);
    if (r < 0)
        error = std::string("cannot set up the palette filters (") + AvErrorText(r) + ")";
    return r < 0 ? nullptr : source;
}

AVFilterContext* MakeFilter(AVFilterGraph& graph, const char* filter, const char* name,
                            const std::string& args, std::string& error) {
    const AVFilter* f = avfilter_get_by_name(filter);
    AVFilterContext* context = nullptr;
    const int r = f == nullptr ? AVERROR_FILTER_NOT_FOUND
                               : avfilter_graph_create_filter(&context, f, name, args.c_str(),
                                                              nullptr, &graph);
    if (r < 0) {
        error = std::string("cannot set up the ") + filter + " filter (" + AvErrorText(r) + ")";
        return nullptr;
    }
    return context;
}

bool Link(AVFilterContext* from, AVFilterContext* to, unsigned pad, std::string& error) {
    const int r = avfilter_link(from, 0, to, pad);
    if (r < 0)
        error = std::string("cannot link the palette filters (") + AvErrorText(r) + ")";
    return r >= 0;
}

bool Configure(AVFilterGraph& graph, std::string& error) {
    const int r = avfilter_graph_config(&graph, nullptr);
    if (r < 0)
        error = std::string("cannot configure the palette filters (") + AvErrorText(r) + ")";
    return r >= 0;
}

bool Push(AVFilterContext* source, const uint8_t* rgba, int width, int height, int64_t pts,
          std::string& error) {
    FramePtr frame = AllocPicture(AV_PIX_FMT_BGRA, width, height);
    if (!frame) {
        error = "out of memory for a picture";
        return false;
    }
    CopyRgbaToBgra(rgba, *frame);
    frame->pts = pts;
    const int r = av_buffersrc_add_frame(source, frame.get());
    if (r < 0)
        error = std::string("cannot map the picture to the palette (") + AvErrorText(r) + ")";
    return r >= 0;
}

} // namespace

void CopyRgbaToBgra(const uint8_t* rgba, AVFrame& bgra) {
    const int width = bgra.width;
    for (int y = 0; y < bgra.height; ++y) {
        const uint8_t* s = rgba + size_t(y) * size_t(width) * 4;
        uint8_t* d = bgra.data[0] + size_t(y) * size_t(bgra.linesize[0]);
        for (int x = 0; x < width; ++x, s += 4, d += 4) {
            d[0] = s[2];
            d[1] = s[1];
            d[2] = s[0];
            d[3] = s[3];
        }
    }
}

PaletteBuilder::PaletteBuilder() = default;
PaletteBuilder::~PaletteBuilder() = default;

bool PaletteBuilder::Open(int width, int height, int maxColors, std::string& error) {
    width_ = width;
    height_ = height;
    graph_.reset(avfilter_graph_alloc());
    if (!graph_) {
        error = "out of memory for the palette filters";
        return false;
    }
    // One palette for the whole video from every pixel of every picture, with the last entry
    // kept for the transparent colour.
    const std::string args =
        "max_colors=" + std::to_string(maxColors) + ":stats_mode=full:reserve_transparent=1";
    source_ = MakeSource(*graph_, "in", width, height, error);
    AVFilterContext* palettegen =
        source_ ? MakeFilter(*graph_, "palettegen", "palettegen", args, error) : nullptr;
    sink_ = palettegen ? MakeFilter(*graph_, "buffersink", "out", "", error) : nullptr;
    return sink_ && Link(source_, palettegen, 0, error) && Link(palettegen, sink_, 0, error) &&
           Configure(*graph_, error);
}

bool PaletteBuilder::Add(const uint8_t* rgba, std::string& error) {
    return Push(source_, rgba, width_, height_, pts_++, error);
}

FramePtr PaletteBuilder::Finish(std::string& error) {
    int r = av_buffersrc_add_frame(source_, nullptr);
    FramePtr palette(av_frame_alloc());
    if (r >= 0 && palette)
        r = av_buffersink_get_frame(sink_, palette.get());
    if (r < 0 || !palette) {
        error = std::string("cannot make the palette (") +
                (palette ? AvErrorText(r) : std::string("out of memory")) + ")";
        return nullptr;
    }
    return palette;
}

PaletteMapper::PaletteMapper() = default;
PaletteMapper::~PaletteMapper() = default;

bool PaletteMapper::Open(int width, int height, const AVFrame& palette, std::string& error) {
    width_ = width;
    height_ = height;
    graph_.reset(avfilter_graph_alloc());
    if (!graph_) {
        error = "out of memory for the palette filters";
        return false;
    }
    // Nearest colours without dithering: flat fills keep one colour, and a picture that does
    // not change maps the same way every time. Pixels under half covered are transparent.
    source_ = MakeSource(*graph_, "in", width, height, error);
    paletteSource_ =
        source_ ? MakeSource(*graph_, "palette", palette.width, palette.height, error) : nullptr;
    AVFilterContext* paletteuse = paletteSource_
                                      ? MakeFilter(*graph_, "paletteuse", "paletteuse",
                                                   "dither=none:alpha_threshold=128", error)
                                      : nullptr;
    sink_ = paletteuse ? MakeFilter(*graph_, "buffersink", "out", "", error) : nullptr;
    if (!sink_ || !Link(source_, paletteuse, 0, error) ||
        !Link(paletteSource_, paletteuse, 1, error) || !Link(paletteuse, sink_, 0, error) ||
        !Configure(*graph_, error))
        return false;
    FramePtr copy(av_frame_clone(&palette));
    if (!copy) {
        error = "out of memory for the palette";
        return false;
    }
    copy->pts = 0;
    int r = av_buffersrc_add_frame(paletteSource_, copy.get());
    if (r >= 0)
        r = av_buffersrc_add_frame(paletteSource_, nullptr);
    if (r < 0) {
        error = std::string("cannot use the palette (") + AvErrorText(r) + ")";
        return false;
    }
    return true;
}

FramePtr PaletteMapper::Map(const uint8_t* rgba, std::string& error) {
    if (!Push(source_, rgba, width_, height_, pts_++, error))
        return nullptr;
    FramePtr out(av_frame_alloc());
    const int r = out ? av_buffersink_get_frame(sink_, out.get()) : AVERROR(ENOMEM);
    if (r < 0) {
        error = std::string("cannot map the picture to the palette (") + AvErrorText(r) + ")";
        return nullptr;
    }
    return out;
}

} // namespace tavro::video
