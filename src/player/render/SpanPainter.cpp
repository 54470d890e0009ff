#include "player/render/SpanPainter.h"

#include "player/render/FillSampler.h"
#include "player/render/NativeBitmap.h"
#include "player/render/PixelColor.h"
#include "player/render/PixelKernels.h"

#include <algorithm>

namespace tavro::player::render {

namespace {
constexpr int kPiece = 256;

// 0xAARRGGBB as four 16-bit lanes: blue in bits 0..15, green 16..31, red 32..47, alpha 48..63.
inline uint64_t Spread(uint32_t argb) {
    uint64_t t = argb;
    t = (t | (t << 16)) & 0x0000FFFF0000FFFFull;
    return (t | (t << 8)) & 0x00FF00FF00FF00FFull;
}
} // namespace

void SpanPainter::Begin(NativeBitmap& target, const Rect& deviceClip, bool antiAlias,
                        bool covered) {
    target_ = &target;
    clip_ = deviceClip;
    antiAlias_ = antiAlias;
    covered_ = covered;
    if (antiAlias_) {
        size_t w = size_t(std::max<int64_t>(0, clip_.Width() / 4)) + 2;
        cells_.assign(w, SampleSums());
        for (Bottom& b : bottoms_) {
            b.record = nullptr;
            b.weight.assign(w, 0);
        }
        bottomCount_ = 0;
        uniformRows_ = 0;
        mixed_ = false;
        rowBuf_.resize(w);
        dstBuf_.resize(w);
        touchedMin_ = INT32_MAX;
        touchedMax_ = -1;
        for (RowCache& rc : rowCache_) {
            rc.record = nullptr;
            rc.colors.resize(w);
        }
    }
}

const uint32_t* SpanPainter::RowColors(const ColorRecord* r, int py, int p, int n) {
    RowCache* rc = nullptr;
    for (RowCache& c : rowCache_)
        if (c.record == r && c.row == py) {
            rc = &c;
            break;
        }
    const int base = clip_.xmin >> 2;
    const int32_t y2 = 2 * (py * 4 + 2);
    auto sample = [&](int from, int to) { // pixels [from, to) of the clip
        if (from < to)
            SampleFill(*r, 2 * ((from + base) * 4 + 2), y2, 4, to - from, rc->colors.data() + from);
    };
    if (!rc) {
        rc = &rowCache_[nextCache_];
        nextCache_ = (nextCache_ + 1) % kRowCaches;
        rc->record = r;
        rc->row = py;
        rc->lo = p;
        rc->hi = p + n;
        sample(p, p + n);
    } else {
        if (p < rc->lo) {
            sample(p, rc->lo);
            rc->lo = p;
        }
        if (p + n > rc->hi) {
            sample(rc->hi, p + n);
            rc->hi = p + n;
        }
    }
    return rc->colors.data() + p;
}

// Composites `count` layers (front first) into buf for n samples; the bottom comes from the
// opaque layer or, without one, from the surface at (dstX, dstY).
void SpanPainter::Composite(const ColorRecord* const* layers, int count, bool opaqueBottom,
                            int32_t x2, int32_t y2, int32_t step, int n, uint32_t* buf, int dstX,
                            int dstY) {
    uint32_t tmp[kPiece];
    int i = count - 1;
    if (opaqueBottom && layers[i]->kind == FillKind::Solid) {
        std::fill(buf, buf + n, layers[i]->color);
        --i;
    } else if (opaqueBottom && antiAlias_) {
        const uint32_t* row = RowColors(layers[i], (y2 >> 1) >> 2, dstX - (clip_.xmin >> 2), n);
        std::copy(row, row + n, buf);
        --i;
    } else if (opaqueBottom) {
        SampleFill(*layers[i], x2, y2, step, n, buf);
        --i;
    } else if (dstY >= 0) {
        target_->ReadSpan(dstX, dstY, n, buf);
    } else {
        std::fill(buf, buf + n, 0u);
    }
    for (; i >= 0; --i) {
        const ColorRecord& r = *layers[i];
        if (r.kind == FillKind::Solid) {
            for (int k = 0; k < n; ++k)
                buf[k] = BlendOver(buf[k], r.color);
        } else {
            const uint32_t* src = tmp;
            if (antiAlias_)
                src = RowColors(&r, (y2 >> 1) >> 2, dstX - (clip_.xmin >> 2), n);
            else
                SampleFill(r, x2, y2, step, n, tmp);
            for (int k = 0; k < n; ++k)
                buf[k] = BlendOver(buf[k], src[k]);
        }
    }
}

// The samples [x0, x1) of one sample row cover k0 samples of pixel p0, 4 of every pixel after
// it up to p1, and k1 of p1 (k0 = x1 - x0 when p0 = p1). A value v per sample goes into the
// differences as v k0 at p0, v (4 - k0) after it, v (k1 - 4) at p1 and -v k1 after p1; with
// p0 = p1, v k0 at p0 and -v k0 after it.
[[gnu::always_inline]] inline SpanPainter::Cover SpanPainter::CoverOf(int x0, int x1) {
    const int base = clip_.xmin >> 2;
    Cover c;
    c.p0 = (x0 >> 2) - base;
    c.p1 = ((x1 - 1) >> 2) - base;
    touchedMin_ = std::min(touchedMin_, c.p0);
    touchedMax_ = std::max(touchedMax_, c.p1);
    c.one = c.p0 == c.p1;
    c.k0 = c.one ? uint32_t(x1 - x0) : uint32_t(4 - (x0 & 3));
    c.k1 = c.one ? c.k0 : uint32_t(((x1 - 1) & 3) + 1);
    return c;
}

[[gnu::always_inline]] inline void SpanPainter::Add(const Cover& c, uint64_t v, uint64_t count) {
    SampleSums* cells = cells_.data();
    const int p0 = c.p0, p1 = c.p1;
    const uint64_t k0 = c.k0, k1 = c.k1;
    cells[p0].color += v * k0;
    if (c.one) {
        cells[p0 + 1].color -= v * k0;
    } else {
        cells[p0 + 1].color += v * (4 - k0);
        cells[p1].color += v * (k1 - 4);
        cells[p1 + 1].color -= v * k1;
    }
    if (count == 0)
        return;
    cells[p0].opaque += count * k0;
    if (c.one) {
        cells[p0 + 1].opaque -= count * k0;
        return;
    }
    cells[p0 + 1].opaque += count * (4 - k0);
    cells[p1].opaque += count * (k1 - 4);
    cells[p1 + 1].opaque -= count * k1;
}

[[gnu::always_inline]] inline void SpanPainter::AddSamples(int x0, int x1, uint64_t v,
                                                           uint64_t count) {
    Add(CoverOf(x0, x1), v, count);
}

// Solid colours over one opaque gradient or bitmap: the result is bottom * k + c for the whole
// span, so the solids go in like a solid span and only the bottom's weight is summed (it is
// sampled once per pixel when the row is written). False when every slot for such fills is
// taken by others in this row.
[[gnu::always_inline]] inline bool
SpanPainter::AddOverBottom(const Cover& cover, const ColorRecord* const* layers, int count) {
    const ColorRecord* b = layers[count - 1];
    Bottom* slot = nullptr;
    for (int i = 0; i < bottomCount_; ++i)
        if (bottoms_[i].record == b) {
            slot = &bottoms_[i];
            break;
        }
    if (!slot) {
        if (bottomCount_ == kBottoms)
            return false;
        slot = &bottoms_[bottomCount_++];
        slot->record = b;
        slot->lo = cover.p0;
        slot->hi = cover.p1;
    }
    uint32_t c = 0, k = 256;
    for (int i = count - 2; i >= 0; --i) {
        uint32_t inv = 255 - (layers[i]->color >> 24);
        inv += inv >> 7;
        c = BlendOver(c, layers[i]->color);
        k = (k * inv + 128) >> 8;
    }
    Add(cover, Spread(c), Counted(true));
    const int p0 = cover.p0, p1 = cover.p1;
    const uint32_t k0 = cover.k0, k1 = cover.k1;
    slot->lo = std::min(slot->lo, p0);
    slot->hi = std::max(slot->hi, p1);
    uint32_t* w = slot->weight.data();
    w[p0] += k * k0;
    if (cover.one) {
        w[p0 + 1] -= k * k0;
    } else {
        w[p0 + 1] += k * (4 - k0);
        w[p1] += k * k1 - k * 4;
        w[p1 + 1] -= k * k1;
    }
    return true;
}

void SpanPainter::Span(int y, int x0, int x1, const ColorRecord* front) {
    // The visible records: front to back down to the first opaque one, without clip outlines
    // and records masked out by a clip.
    const ColorRecord* layers[kMaxLayers];
    int count = 0, fills = 0; // fills: layers that are not solid colours
    bool opaqueBottom = false;
    for (const ColorRecord* r = front; r && count < kMaxLayers; r = r->next) {
        if (r->kind == FillKind::Clip || (r->clips && !r->Unmasked()))
            continue;
        layers[count++] = r;
        fills += r->kind != FillKind::Solid;
        if (r->opaque) {
            opaqueBottom = true;
            break;
        }
    }
    if (count == 0)
        return;
    const bool solid = fills == 0;
    if (antiAlias_) {
        if (solid) {
            // One colour for the whole span (the common case, kept free of calls).
            uint32_t c = opaqueBottom ? layers[count - 1]->color : 0;
            for (int i = count - (opaqueBottom ? 2 : 1); i >= 0; --i)
                c = BlendOver(c, layers[i]->color);
            // A sample row all in one opaque colour, like those before it in this pixel row:
            // kept aside, in case the whole pixel row is (then it is filled without sums).
            if (!mixed_ && opaqueBottom && x0 == clip_.xmin && x1 == clip_.xmax &&
                (uniformRows_ == 0 || c == uniformColor_)) {
                uniformColor_ = c;
                ++uniformRows_;
                return;
            }
            if (!mixed_)
                Mix();
            AddSamples(x0, x1, Spread(c), Counted(opaqueBottom));
            return;
        }
        if (!mixed_)
            Mix();
        // Solid colours over one opaque gradient or bitmap (the bottom layer).
        if (opaqueBottom && fills == 1 && layers[count - 1]->kind != FillKind::Solid &&
            AddOverBottom(CoverOf(x0, x1), layers, count))
            return;
        Accumulate(y, x0, x1, layers, count, opaqueBottom);
        return;
    }
    if (solid && opaqueBottom) {
        uint32_t c = layers[count - 1]->color;
        for (int i = count - 2; i >= 0; --i)
            c = BlendOver(c, layers[i]->color);
        target_->FillSpan(x0, y, x1 - x0, c);
        return;
    }
    uint32_t buf[kPiece];
    for (int x = x0; x < x1; x += kPiece) {
        int n = std::min(kPiece, x1 - x);
        Composite(layers, count, opaqueBottom, 2 * x + 1, 2 * y + 1, 1, n, buf, x, y);
        target_->WriteSpan(x, y, n, buf);
    }
}

// The span's layers are not all solid colours.
void SpanPainter::Accumulate(int y, int x0, int x1, const ColorRecord* const* layers, int count,
                             bool opaqueBottom) {
    const int base = clip_.xmin >> 2;
    const Cover cover = CoverOf(x0, x1);
    const int p0 = cover.p0, p1 = cover.p1;
    const uint32_t k0 = cover.k0, k1 = cover.k1;
    SampleSums* cells = cells_.data();

    // Solid colours over one opaque gradient or bitmap whose slot could not be had (more
    // distinct fills in one row than slots): the fill is sampled right away.
    bool solidsOverBottom = opaqueBottom;
    for (int i = 0; i < count - 1 && solidsOverBottom; ++i)
        solidsOverBottom = layers[i]->kind == FillKind::Solid;
    if (solidsOverBottom) {
        const ColorRecord* b = layers[count - 1];
        uint32_t c = 0, k = 256;
        for (int i = count - 2; i >= 0; --i) {
            uint32_t inv = 255 - (layers[i]->color >> 24);
            inv += inv >> 7;
            c = BlendOver(c, layers[i]->color);
            k = (k * inv + 128) >> 8;
        }
        Add(cover, Spread(c), Counted(true));
        const uint32_t* row = RowColors(b, y >> 2, p0, p1 - p0 + 1);
        uint64_t prev = 0;
        for (int p = p0; p <= p1; ++p) {
            const uint32_t col = row[p - p0];
            const uint64_t v =
                Spread(FromLanes(ScaleLanes(LaneRB(col), k), ScaleLanes(LaneAG(col), k))) *
                (p == p0   ? k0
                 : p == p1 ? k1
                           : 4);
            cells[p].color += v - prev;
            prev = v;
        }
        cells[p1 + 1].color -= prev;
        return;
    }

    // One colour per pixel, sampled at the pixel's centre column on this sample row.
    Add(cover, 0, Counted(opaqueBottom));
    uint32_t buf[kPiece];
    uint64_t prev = 0;
    for (int p = p0; p <= p1; p += kPiece) {
        int n = std::min(kPiece, p1 - p + 1);
        int px = p + base;
        Composite(layers, count, opaqueBottom, 2 * (px * 4 + 2), 2 * y + 1, 4, n, buf, px, -1);
        for (int k = 0; k < n; ++k) {
            const int q = p + k;
            uint64_t v = Spread(buf[k]) * (q == p0 ? k0 : q == p1 ? k1 : 4);
            cells[q].color += v - prev;
            prev = v;
        }
    }
    cells[p1 + 1].color -= prev;
}

// The sample rows kept aside go into the sums like any span.
void SpanPainter::Mix() {
    mixed_ = true;
    if (uniformRows_ > 0) {
        const uint64_t n = uint64_t(uniformRows_);
        AddSamples(clip_.xmin, clip_.xmax, Spread(uniformColor_) * n, Counted(true) * n);
        uniformRows_ = 0;
    }
}

void SpanPainter::EndLine(int y) {
    if (!antiAlias_)
        return;
    if (((y - clip_.ymin) & 3) != 3 && y != clip_.ymax - 1)
        return;
    const int py = y >> 2;
    // Every sample row of the pixel row in one opaque colour: every pixel is that colour (its
    // sums would be 16 times it, all samples opaque).
    if (!mixed_ && uniformRows_ > 0 && uniformRows_ == y - std::max(py * 4, clip_.ymin) + 1) {
        target_->FillSpan(clip_.xmin >> 2, py, (clip_.xmax - clip_.xmin) >> 2, uniformColor_);
        uniformRows_ = 0;
        return;
    }
    if (!mixed_)
        Mix();
    mixed_ = false;
    ResolveRow(py);
}

void SpanPainter::ResolveRow(int py) {
    if (touchedMax_ < touchedMin_)
        return;
    const int base = clip_.xmin >> 2;
    const int lo = touchedMin_, hi = touchedMax_, n = hi - lo + 1;
    uint32_t* out = rowBuf_.data();
    const uint32_t all = kernels::ResolveSums(cells_.data() + lo, n, out, covered_);
    // The fills under solid layers, weighted and sampled once per pixel. (An opaque pixel
    // stays opaque: its alpha saturates.)
    for (int s = 0; s < bottomCount_; ++s) {
        Bottom& b = bottoms_[s];
        const uint32_t* colors = RowColors(b.record, py, b.lo, b.hi - b.lo + 1);
        kernels::AddWeightedRow(out + (b.lo - lo), colors, b.weight.data() + b.lo, b.hi - b.lo + 1);
        b.record = nullptr;
    }
    // Pixels that are not opaque go over what the surface holds (adding the fills under solid
    // layers only raises alpha, so this test is safe to make before them).
    if ((all >> 24) != 255) {
        target_->ReadSpan(lo + base, py, n, dstBuf_.data());
        kernels::BlendRowOver(dstBuf_.data(), out, n);
    }
    bottomCount_ = 0;
    target_->WriteSpan(lo + base, py, n, out);
    touchedMin_ = INT32_MAX;
    touchedMax_ = -1;
}

} // namespace tavro::player::render
