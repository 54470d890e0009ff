// The player's off-screen surface: top-down rows of plain memory (stride rounded up to 4 bytes)
// in one of eight pixel layouts (`depthIndex`, see PixelFormats.h). An 8-bit surface carries the
// shared palette state of its display depth. The host copies rectangles of it to the window.
#pragma once

#include "player/render/PaletteState.h"
#include "player/render/PixelFormats.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace tavro::player {

class NativeBitmap {
public:
    // Largest width or height accepted; bigger requests fail like an out-of-memory creation.
    static constexpr int kMaxSide = 16384;

    // depthIndex for a display of the given bits per pixel: 8 -> 3, 16 -> 4, 24 -> 6, 32 -> 7,
    // anything below 8 -> 3 (an 8-bit surface); other depths get the 32-bit layout.
    static int DepthIndexForDisplay(int bitsPerPixel);

    NativeBitmap() = default;
    NativeBitmap(const NativeBitmap&) = delete;
    NativeBitmap& operator=(const NativeBitmap&) = delete;

    // (Re)creates the surface, cleared to zero bytes. 8-bit layouts need `palette`; when none
    // is given the default palette is used. False (and an invalid surface) when the size is out
    // of range or memory is short.
    bool Create(int width, int height, int depthIndex,
                std::shared_ptr<const render::PaletteState> palette = {});
    void Destroy();

    bool IsValid() const { return !pixels_.empty(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int DepthIndex() const { return depthIndex_; }
    int BitsPerPixel() const { return format_->bitsPerPixel; }
    int RowBytes() const { return rowBytes_; }
    uint8_t* Row(int y) { return pixels_.data() + size_t(y) * size_t(rowBytes_); }
    const uint8_t* Row(int y) const { return pixels_.data() + size_t(y) * size_t(rowBytes_); }
    const uint8_t* Pixels() const { return pixels_.data(); }
    const render::PaletteState* Palette() const { return palette_.get(); }
    const std::shared_ptr<const render::PaletteState>& SharedPalette() const { return palette_; }

    // Span access; the caller keeps 0 <= x, x + n <= Width(), 0 <= y < Height(). Colours are
    // opaque 0xAARRGGBB (alpha ignored on writing, 255 on reading).
    void FillSpan(int x, int y, int n, uint32_t argb) { format_->fill(Target(y), x, n, argb); }
    void WriteSpan(int x, int y, int n, const uint32_t* argb) {
        format_->write(Target(y), x, n, argb);
    }
    void ReadSpan(int x, int y, int n, uint32_t* argb) const {
        format_->read(Target(y), x, n, argb);
    }
    uint32_t PixelAt(int x, int y) const;
    // Fills the whole surface with one colour.
    void Clear(uint32_t argb);

    // Copies the surface as 8-bit RGBA rows (alpha 255), width * 4 bytes per row.
    std::vector<uint8_t> ToRgba() const;

private:
    render::SpanTarget Target(int y) const {
        return {const_cast<uint8_t*>(Row(y)), y, palette_.get()};
    }

    std::vector<uint8_t> pixels_;
    int width_ = 0;
    int height_ = 0;
    int rowBytes_ = 0;
    int depthIndex_ = 7;
    const render::PixelFormat* format_ = &render::PixelFormatFor(7);
    std::shared_ptr<const render::PaletteState> palette_;
};

} // namespace tavro::player
