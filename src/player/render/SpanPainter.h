// Writes the spans of the scan converter into the surface: picks the visible colour records of
// each span (those above the topmost opaque one, skipping clip outlines and masked records),
// writes solid opaque spans directly and composites the rest back to front, 256 pixels at a
// time. With anti-aliasing the spans arrive on a 4x4 sample grid and are summed per pixel; a
// pixel row is written once its fourth sample row is in.
#pragma once

#include "player/Rect.h"
#include "player/render/ScanConverter.h"

#include <cstdint>
#include <vector>

namespace tavro::player {
class NativeBitmap;
}

namespace tavro::player::render {

class SpanPainter : public SpanSink {
public:
    // Most translucent records composited in one span; deeper ones are left out.
    static constexpr int kMaxLayers = 32;

    // `deviceClip` is the scan converter's clip; with anti-aliasing it is in sample units and
    // its sides are multiples of 4. The clip (÷4 with anti-aliasing) must lie in the surface.
    void Begin(NativeBitmap& target, const Rect& deviceClip, bool antiAlias);
    void Span(int y, int x0, int x1, const ColorRecord* front) override;
    void EndLine(int y) override;

private:
    int Visible(const ColorRecord* front, const ColorRecord** out, bool& opaqueBottom) const;
    void Composite(const ColorRecord* const* layers, int count, bool opaqueBottom, int32_t x2,
                   int32_t y2, int32_t step, int n, uint32_t* buf, int dstX, int dstY);
    void Accumulate(int y, int x0, int x1, const ColorRecord* const* layers, int count,
                    bool opaqueBottom);
    void ResolveRow(int py);

    NativeBitmap* target_ = nullptr;
    Rect clip_;
    bool antiAlias_ = false;
    // Anti-aliasing: per-pixel sums of the row's samples, two 16-bit lanes per word.
    std::vector<uint32_t> accRB_, accAG_;
    int touchedMin_ = 0, touchedMax_ = -1; // pixel range touched in the current row
    std::vector<uint32_t> rowBuf_, dstBuf_;
};

} // namespace tavro::player::render
