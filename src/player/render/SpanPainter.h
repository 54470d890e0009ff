// Writes the spans of the scan converter into the surface: picks the visible colour records of
// each span (those above the topmost opaque one, skipping clip outlines and masked records),
// writes solid opaque spans directly and composites the rest back to front, 256 pixels at a
// time. With anti-aliasing the spans arrive on a 4x4 sample grid and are summed per pixel; a
// pixel row is written once its fourth sample row is in. A gradient or bitmap under solid
// layers is not sampled per sample row: its weight is summed instead, and it is sampled once
// per pixel when the row is written (the result is linear in it).
#pragma once

#include "player/Rect.h"
#include "player/render/PixelKernels.h"
#include "player/render/ScanConverter.h"

#include <cstdint>
#include <vector>

namespace tavro::player {
class NativeBitmap;
}

namespace tavro::player::render {

class SpanPainter final : public SpanSink {
public:
    // Most translucent records composited in one span; deeper ones are left out.
    static constexpr int kMaxLayers = 32;

    // `deviceClip` is the scan converter's clip; with anti-aliasing it is in sample units and
    // its sides are multiples of 4. The clip (÷4 with anti-aliasing) must lie in the surface.
    // `covered`: every sample of the clip lies in a span with a visible record (an opaque
    // background under everything, say), so that a pixel is opaque unless some of its samples
    // lack an opaque layer, and only those need counting.
    void Begin(NativeBitmap& target, const Rect& deviceClip, bool antiAlias, bool covered = false);
    void Span(int y, int x0, int x1, const ColorRecord* front) override;
    void EndLine(int y) override;

private:
    // The weights of one gradient or bitmap lying under solid layers in the current row
    // (differences too, weight x samples, 256 x 16 at most).
    struct Bottom {
        const ColorRecord* record = nullptr;
        int lo = 0, hi = -1; // pixels touched
        std::vector<uint32_t> weight;
    };

    void Composite(const ColorRecord* const* layers, int count, bool opaqueBottom, int32_t x2,
                   int32_t y2, int32_t step, int n, uint32_t* buf, int dstX, int dstY);
    // Anti-aliasing: the pixels that the samples [x0, x1) of a sample row fall in, and how
    // many samples of the first and last (the others get 4).
    struct Cover {
        int p0, p1; // relative to the clip, inclusive
        uint32_t k0, k1;
        bool one; // p0 == p1 (and k1 == k0)
    };
    Cover CoverOf(int x0, int x1);
    // What a span adds to the count of each of its samples: with `covered_` the samples
    // without an opaque layer are counted, otherwise those with one.
    uint64_t Counted(bool opaqueBottom) const { return covered_ != opaqueBottom ? 1 : 0; }
    // Adds v (four 16-bit lanes) and `count` per covered sample to the row's sums.
    void Add(const Cover& cover, uint64_t v, uint64_t count);
    void AddSamples(int x0, int x1, uint64_t v, uint64_t count);
    bool AddOverBottom(const Cover& cover, const ColorRecord* const* layers, int count);
    // Adds the samples [x0, x1) of sample row y, covered by `layers` (front first, not all
    // solid colours), to the pixel sums of the row.
    void Accumulate(int y, int x0, int x1, const ColorRecord* const* layers, int count,
                    bool opaqueBottom);
    void ResolveRow(int py);
    // Puts the sample rows kept aside as one colour into the sums; from then on this pixel row
    // is summed.
    void Mix();
    // Anti-aliasing: the colours of a gradient or bitmap record at the pixel centres of row
    // `py`, pixels [p, p + n) (relative to the clip), sampled once for all four sample rows.
    const uint32_t* RowColors(const ColorRecord* r, int py, int p, int n);

    NativeBitmap* target_ = nullptr;
    Rect clip_;
    bool antiAlias_ = false;
    bool covered_ = false;
    std::vector<SampleSums> cells_; // per pixel of the clip's width, and one more
    static constexpr int kBottoms = 4;
    Bottom bottoms_[kBottoms];
    int bottomCount_ = 0;
    int touchedMin_ = INT32_MAX, touchedMax_ = -1; // pixel range touched in the current row
    // Sample rows of the current pixel row that were one opaque colour across the clip, not
    // yet summed; `mixed_` once anything else came in this pixel row.
    int uniformRows_ = 0;
    uint32_t uniformColor_ = 0;
    bool mixed_ = false;
    std::vector<uint32_t> rowBuf_, dstBuf_;
    struct RowCache {
        const ColorRecord* record = nullptr;
        int row = 0, lo = 0, hi = 0;
        std::vector<uint32_t> colors;
    };
    static constexpr int kRowCaches = 8;
    RowCache rowCache_[kRowCaches];
    int nextCache_ = 0;
};

} // namespace tavro::player::render
