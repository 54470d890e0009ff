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

void SpanPainter::Begin(NativeBitmap& target, const Rect& deviceClip, bool antiAlias) {
    target_ = &target;
    clip_ = deviceClip;
    antiAlias_ = antiAlias;
    if (antiAlias_) {
        size_t w = size_t(std::max<int64_t>(0, clip_.Width() / 4)) + 2;
        cells_.assign(w, SampleSums());
        for (Bottom& b : bottoms_) {
            b.record = nullptr;
            b.weight.assign(w, 0);
        }
        bottomCount_ = 0;
        rowBuf_.resize(w);
        dstBuf_.resize(w);
        touchedMin_ = 0;
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

int SpanPainter::Visible(const ColorRecord* front, const ColorRecord** out,
                         bool& opaqueBottom) const {
    int n = 0;
    opaqueBottom = false;
    for (const ColorRecord* r = front; r && n < kMaxLayers; r = r->next) {
        if (r->kind == FillKind::Clip || !r->Unmasked())
            continue;
        out[n++] = r;
        if (r->opaque) {
            opaqueBottom = true;
            break;
        }
    }
    return n;
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

void SpanPainter::Span(int y, int x0, int x1, const ColorRecord* front) {
    const ColorRecord* layers[kMaxLayers];
    bool opaqueBottom;
    int count = Visible(front, layers, opaqueBottom);
    if (count == 0)
        return;
    // Only solid colours: one colour for the whole span.
    bool solid = true;
    for (int i = 0; i < count && solid; ++i)
        solid = layers[i]->kind == FillKind::Solid;
    if (solid) {
        uint32_t c = opaqueBottom ? layers[count - 1]->color : 0;
        for (int i = count - (opaqueBottom ? 2 : 1); i >= 0; --i)
            c = BlendOver(c, layers[i]->color);
        if (antiAlias_) {
            AddSolid(x0, x1, c, opaqueBottom ? 1 : 0);
            return;
        }
        if (opaqueBottom) {
            target_->FillSpan(x0, y, x1 - x0, c);
            return;
        }
    }
    if (antiAlias_) {
        Accumulate(y, x0, x1, layers, count, opaqueBottom);
        if (opaqueBottom)
            AddOpaque(x0, x1);
        return;
    }
    uint32_t buf[kPiece];
    for (int x = x0; x < x1; x += kPiece) {
        int n = std::min(kPiece, x1 - x);
        Composite(layers, count, opaqueBottom, 2 * x + 1, 2 * y + 1, 1, n, buf, x, y);
        target_->WriteSpan(x, y, n, buf);
    }
}

void SpanPainter::Touch(int p0, int p1) {
    touchedMin_ = touchedMax_ < touchedMin_ ? p0 : std::min(touchedMin_, p0);
    touchedMax_ = std::max(touchedMax_, p1);
}

// The samples [x0, x1) of one sample row cover k0 samples of pixel p0, 4 of every pixel after
// it up to p1, and k1 of p1; a value v per sample goes in as differences.
void SpanPainter::AddSolid(int x0, int x1, uint32_t color, uint64_t opaque) {
    const int base = clip_.xmin >> 2;
    const int p0 = (x0 >> 2) - base, p1 = ((x1 - 1) >> 2) - base;
    Touch(p0, p1);
    const uint64_t v = Spread(color);
    SampleSums* c = cells_.data();
    if (p0 == p1) {
        const uint64_t k = uint64_t(x1 - x0);
        c[p0].color += v * k;
        c[p0].opaque += opaque * k;
        c[p0 + 1].color -= v * k;
        c[p0 + 1].opaque -= opaque * k;
        return;
    }
    const uint64_t k0 = uint64_t(4 - (x0 & 3)), k1 = uint64_t(((x1 - 1) & 3) + 1);
    c[p0].color += v * k0;
    c[p0].opaque += opaque * k0;
    c[p0 + 1].color += v * (4 - k0);
    c[p0 + 1].opaque += opaque * (4 - k0);
    c[p1].color += v * (k1 - 4);
    c[p1].opaque += opaque * (k1 - 4);
    c[p1 + 1].color -= v * k1;
    c[p1 + 1].opaque -= opaque * k1;
}

void SpanPainter::AddOpaque(int x0, int x1) {
    const int base = clip_.xmin >> 2;
    const int p0 = (x0 >> 2) - base, p1 = ((x1 - 1) >> 2) - base;
    SampleSums* c = cells_.data();
    if (p0 == p1) {
        c[p0].opaque += uint64_t(x1 - x0);
        c[p0 + 1].opaque -= uint64_t(x1 - x0);
        return;
    }
    const uint64_t k0 = uint64_t(4 - (x0 & 3)), k1 = uint64_t(((x1 - 1) & 3) + 1);
    c[p0].opaque += k0;
    c[p0 + 1].opaque += 4 - k0;
    c[p1].opaque += k1 - 4;
    c[p1 + 1].opaque -= k1;
}

// Adds the span's samples to the pixel sums: a pixel gets colour x (covered samples).
void SpanPainter::Accumulate(int y, int x0, int x1, const ColorRecord* const* layers, int count,
                             bool opaqueBottom) {
    const int base = clip_.xmin >> 2;
    const int p0 = (x0 >> 2) - base, p1 = ((x1 - 1) >> 2) - base; // pixel range, inclusive
    auto coverage = [&](int p) -> uint32_t {
        if (p != p0 && p != p1)
            return 4;
        int s0 = std::max(x0, (p + base) * 4), s1 = std::min(x1, (p + base) * 4 + 4);
        return uint32_t(s1 - s0);
    };
    Touch(p0, p1);
    SampleSums* cells = cells_.data();

    // Solid colours over one opaque gradient or bitmap: the result is bottom * k + c for the
    // whole span, so the solids go in like a solid span and only the bottom's weight is summed.
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
        if (c != 0)
            AddSolid(x0, x1, c, 0);
        Bottom* slot = nullptr;
        for (int i = 0; i < bottomCount_ && !slot; ++i)
            if (bottoms_[i].record == b)
                slot = &bottoms_[i];
        if (!slot && bottomCount_ < kBottoms) {
            slot = &bottoms_[bottomCount_++];
            slot->record = b;
            slot->lo = p0;
            slot->hi = p1;
        }
        if (slot) {
            slot->lo = std::min(slot->lo, p0);
            slot->hi = std::max(slot->hi, p1);
            uint32_t* w = slot->weight.data();
            const uint32_t w0 = k * coverage(p0);
            w[p0] += w0;
            if (p1 == p0) {
                w[p0 + 1] -= w0;
            } else {
                const uint32_t w1 = k * coverage(p1);
                w[p0 + 1] += k * 4 - w0;
                w[p1] += w1 - k * 4;
                w[p1 + 1] -= w1;
            }
            return;
        }
        // More distinct fills in one row than slots: sample this one right away.
        const uint32_t* row = RowColors(b, y >> 2, p0, p1 - p0 + 1);
        uint64_t prev = 0;
        for (int p = p0; p <= p1; ++p) {
            uint32_t col = row[p - p0];
            uint64_t v = Spread(FromLanes(ScaleLanes(LaneRB(col), k), ScaleLanes(LaneAG(col), k))) *
                         coverage(p);
            cells[p].color += v - prev;
            prev = v;
        }
        cells[p1 + 1].color -= prev;
        return;
    }

    // One colour per pixel, sampled at the pixel's centre column on this sample row.
    uint32_t buf[kPiece];
    uint64_t prev = 0;
    for (int p = p0; p <= p1; p += kPiece) {
        int n = std::min(kPiece, p1 - p + 1);
        int px = p + base;
        Composite(layers, count, opaqueBottom, 2 * (px * 4 + 2), 2 * y + 1, 4, n, buf, px, -1);
        for (int k = 0; k < n; ++k) {
            uint64_t v = Spread(buf[k]) * coverage(p + k);
            cells[p + k].color += v - prev;
            prev = v;
        }
    }
    cells[p1 + 1].color -= prev;
}

void SpanPainter::EndLine(int y) {
    if (!antiAlias_)
        return;
    if (((y - clip_.ymin) & 3) == 3 || y == clip_.ymax - 1)
        ResolveRow((y >> 2));
}

void SpanPainter::ResolveRow(int py) {
    if (touchedMax_ < touchedMin_)
        return;
    const int base = clip_.xmin >> 2;
    const int lo = touchedMin_, hi = touchedMax_, n = hi - lo + 1;
    uint32_t* out = rowBuf_.data();
    const uint32_t all = kernels::ResolveSums(cells_.data() + lo, n, out);
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
    touchedMin_ = 0;
    touchedMax_ = -1;
}

} // namespace tavro::player::render
