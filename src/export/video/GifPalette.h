// The palette of a GIF through FFmpeg's palette filters: a first pass gathers the colours of
// every picture (palettegen) into one palette of at most 256 colours, a second pass maps each
// picture to it (paletteuse), without dithering, so that flat colours stay flat and every frame
// uses the same colours. A reserved entry is the transparent colour: of pixels under half
// covered when the background is left out, and of the pixels that did not change, which the
// GIF encoder leaves out of each frame.
#pragma once

#include "export/video/FfmpegSupport.h"

#include <cstdint>
#include <string>

namespace tavro::video {

class PaletteBuilder {
public:
    PaletteBuilder();
    ~PaletteBuilder();
    PaletteBuilder(const PaletteBuilder&) = delete;
    PaletteBuilder& operator=(const PaletteBuilder&) = delete;

    bool Open(int width, int height, int maxColors, std::string& error);
    // One picture: width * height RGBA rows.
    bool Add(const uint8_t* rgba, std::string& error);
    // The palette of everything added: a 16 x 16 picture of the palette's colours.
    FramePtr Finish(std::string& error);

private:
    GraphPtr graph_;
    AVFilterContext* source_ = nullptr;
    AVFilterContext* sink_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    int64_t pts_ = 0;
};

class PaletteMapper {
public:
    PaletteMapper();
    ~PaletteMapper();
    PaletteMapper(const PaletteMapper&) = delete;
    PaletteMapper& operator=(const PaletteMapper&) = delete;

    bool Open(int width, int height, const AVFrame& palette, std::string& error);
    // The picture (width * height RGBA rows) in the palette's colours: a PAL8 frame.
    FramePtr Map(const uint8_t* rgba, std::string& error);

private:
    GraphPtr graph_;
    AVFilterContext* source_ = nullptr;
    AVFilterContext* paletteSource_ = nullptr;
    AVFilterContext* sink_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    int64_t pts_ = 0;
};

// Copies RGBA rows into a BGRA frame of the same size (the filters' pixel order).
void CopyRgbaToBgra(const uint8_t* rgba, AVFrame& bgra);

} // namespace tavro::video
