#include "player/render/NativeBitmap.h"

#include <new>

namespace tavro::player {

int NativeBitmap::DepthIndexForDisplay(int bitsPerPixel) {
    switch (bitsPerPixel) {
    case 16:
        return 4;
    case 24:
        return 6;
    case 32:
        return 7;
    default:
        return bitsPerPixel <= 8 ? 3 : 7;
    }
}

bool NativeBitmap::Create(int width, int height, int depthIndex,
                          std::shared_ptr<const render::PaletteState> palette) {
    Destroy();
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide || depthIndex < 0 ||
        depthIndex >= render::kDepthIndexCount)
        return false;
    const render::PixelFormat& format = render::PixelFormatFor(depthIndex);
    size_t rowBits = size_t(width) * size_t(format.bitsPerPixel);
    size_t rowBytes = ((rowBits + 31) / 32) * 4;
    try {
        pixels_.assign(rowBytes * size_t(height), 0);
    } catch (const std::bad_alloc&) {
        pixels_.clear();
        return false;
    }
    if (depthIndex == 3)
        palette_ = palette
                       ? std::move(palette)
                       : render::PaletteState::Build(render::PaletteState::DefaultSystemPalette());
    width_ = width;
    height_ = height;
    rowBytes_ = int(rowBytes);
    depthIndex_ = depthIndex;
    format_ = &format;
    return true;
}

void NativeBitmap::Destroy() {
    std::vector<uint8_t>().swap(pixels_);
    palette_.reset();
    width_ = height_ = rowBytes_ = 0;
}

uint32_t NativeBitmap::PixelAt(int x, int y) const {
    uint32_t c = 0;
    ReadSpan(x, y, 1, &c);
    return c;
}

void NativeBitmap::Clear(uint32_t argb) {
    for (int y = 0; y < height_; ++y)
        FillSpan(0, y, width_, argb);
}

std::vector<uint8_t> NativeBitmap::ToRgba() const {
    std::vector<uint8_t> out(size_t(width_) * size_t(height_) * 4);
    std::vector<uint32_t> row(static_cast<size_t>(width_));
    for (int y = 0; y < height_; ++y) {
        ReadSpan(0, y, width_, row.data());
        uint8_t* p = out.data() + size_t(y) * size_t(width_) * 4;
        for (int x = 0; x < width_; ++x) {
            uint32_t c = row[size_t(x)];
            p[x * 4 + 0] = uint8_t(c >> 16);
            p[x * 4 + 1] = uint8_t(c >> 8);
            p[x * 4 + 2] = uint8_t(c);
            p[x * 4 + 3] = 255;
        }
    }
    return out;
}

} // namespace tavro::player
