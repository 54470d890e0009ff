#include "player/render/SpanPainter.h"

#include "player/render/FillSampler.h"
#include "player/render/NativeBitmap.h"
#include "player/render/PixelColor.h"

#include <algorithm>

namespace tavro::player::render {

namespace {
constexpr int kPiece = 256;

// A lane word (0x00XX00YY) as two 32-bit lanes.
inline uint64_t Wide(uint32_t lanes) {
    return uint64_t(lanes & 0xFF) | (uint64_t(lanes & 0xFF0000) << 16);
}
// Sum of 16 samples back to a lane word.
inline uint32_t Narrow16(uint64_t sum) {
    return uint32_t((sum >> 4) & 0xFF) | (uint32_t((sum >> 36) & 0xFF) << 16);
}
} // namespace

void SpanPainter::Begin(NativeBitmap& target, const Rect& deviceClip, bool antiAlias) {
    target_ = &target;
    clip_ = deviceClip;
    antiAlias_ = antiAlias;
    if (antiAlias_) {
        size_t w = size_t(std::max<int64_t>(0, clip_.Width() / 4)) + 2;
        acc_.Reset(w);
        run_.Reset(w);
        opaqueAcc_.assign(w, 0);
        opaqueRun_.assign(w, 0);
        for (Bottom& b : bottoms_) {
            b.record = nullptr;
            b.weight.assign(w, 0);
            b.run.assign(w, 0);
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
            AccumulateSolid(x0, x1, c);
            if (opaqueBottom)
                AccumulateOpaque(x0, x1);
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
            AccumulateOpaque(x0, x1);
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

void SpanPainter::AccumulateOpaque(int x0, int x1) {
    const int base = clip_.xmin >> 2;
    const int p0 = (x0 >> 2) - base, p1 = ((x1 - 1) >> 2) - base;
    if (p0 == p1) {
        opaqueAcc_[size_t(p0)] += uint32_t(x1 - x0);
        return;
    }
    opaqueAcc_[size_t(p0)] += uint32_t(4 - (x0 & 3));
    opaqueAcc_[size_t(p1)] += uint32_t(((x1 - 1) & 3) + 1);
    if (p1 > p0 + 1) {
        opaqueRun_[size_t(p0 + 1)] += 4;
        opaqueRun_[size_t(p1)] -= 4;
    }
}

// Adds one colour to the samples [x0, x1) of the current sample row.
void SpanPainter::AccumulateSolid(int x0, int x1, uint32_t color) {
    const int base = clip_.xmin >> 2;
    const int p0 = (x0 >> 2) - base, p1 = ((x1 - 1) >> 2) - base;
    Touch(p0, p1);
    const uint64_t crb = Wide(LaneRB(color)), cag = Wide(LaneAG(color));
    if (p0 == p1) {
        uint64_t k = uint64_t(x1 - x0);
        acc_.rb[size_t(p0)] += crb * k;
        acc_.ag[size_t(p0)] += cag * k;
        return;
    }
    uint64_t k0 = uint64_t(4 - (x0 & 3)), k1 = uint64_t(((x1 - 1) & 3) + 1);
    acc_.rb[size_t(p0)] += crb * k0;
    acc_.ag[size_t(p0)] += cag * k0;
    acc_.rb[size_t(p1)] += crb * k1;
    acc_.ag[size_t(p1)] += cag * k1;
    if (p1 > p0 + 1) {
        run_.rb[size_t(p0 + 1)] += crb * 4;
        run_.ag[size_t(p0 + 1)] += cag * 4;
        run_.rb[size_t(p1)] -= crb * 4;
        run_.ag[size_t(p1)] -= cag * 4;
    }
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
            AccumulateSolid(x0, x1, c);
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
            slot->weight[size_t(p0)] += k * coverage(p0);
            if (p1 != p0) {
                slot->weight[size_t(p1)] += k * coverage(p1);
                if (p1 > p0 + 1) {
                    slot->run[size_t(p0 + 1)] += k * 4;
                    slot->run[size_t(p1)] -= k * 4;
                }
            }
            return;
        }
        // More distinct fills in one row than slots: sample this one right away.
        const uint32_t* row = RowColors(b, y >> 2, p0, p1 - p0 + 1);
        for (int p = p0; p <= p1; ++p) {
            uint32_t col = row[p - p0];
            uint64_t cov = coverage(p);
            acc_.rb[size_t(p)] += Wide(ScaleLanes(LaneRB(col), k)) * cov;
            acc_.ag[size_t(p)] += Wide(ScaleLanes(LaneAG(col), k)) * cov;
        }
        return;
    }

    // One colour per pixel, sampled at the pixel's centre column on this sample row.
    uint32_t buf[kPiece];
    for (int p = p0; p <= p1; p += kPiece) {
        int n = std::min(kPiece, p1 - p + 1);
        int px = p + base;
        Composite(layers, count, opaqueBottom, 2 * (px * 4 + 2), 2 * y + 1, 4, n, buf, px, -1);
        for (int k = 0; k < n; ++k) {
            uint64_t cov = coverage(p + k);
            acc_.rb[size_t(p + k)] += Wide(LaneRB(buf[k])) * cov;
            acc_.ag[size_t(p + k)] += Wide(LaneAG(buf[k])) * cov;
        }
    }
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
    uint64_t runRB = 0, runAG = 0;
    for (int p = lo; p <= hi; ++p) {
        size_t i = size_t(p);
        runRB += run_.rb[i];
        runAG += run_.ag[i];
        rowBuf_[size_t(p - lo)] =
            FromLanes(Narrow16(acc_.rb[i] + runRB), Narrow16(acc_.ag[i] + runAG));
        acc_.rb[i] = acc_.ag[i] = run_.rb[i] = run_.ag[i] = 0;
    }
    // The fills under solid layers, weighted and sampled once per pixel.
    for (int s = 0; s < bottomCount_; ++s) {
        Bottom& b = bottoms_[s];
        const uint32_t* colors = RowColors(b.record, py, b.lo, b.hi - b.lo + 1) - (b.lo - lo);
        uint32_t running = 0;
        for (int p = b.lo; p <= b.hi; ++p) {
            size_t i = size_t(p);
            running += b.run[i];
            uint32_t w = (b.weight[i] + running) >> 4; // 0..256
            b.weight[i] = b.run[i] = 0;
            if (w == 0)
                continue;
            uint32_t col = colors[p - lo];
            uint32_t& out = rowBuf_[size_t(p - lo)];
            uint32_t rb = LaneRB(out) + ScaleLanes(LaneRB(col), w);
            uint32_t ag = LaneAG(out) + ScaleLanes(LaneAG(col), w);
            // Rounding may reach 256 in a lane: saturate.
            rb = (rb | (((rb >> 8) & 0x00010001) * 0xFF)) & kLaneMask;
            ag = (ag | (((ag >> 8) & 0x00010001) * 0xFF)) & kLaneMask;
            out = FromLanes(rb, ag);
        }
        b.record = nullptr;
    }
    bottomCount_ = 0;
    bool partial = false;
    uint32_t runOpaque = 0;
    for (int p = lo; p <= hi; ++p) {
        size_t i = size_t(p);
        runOpaque += opaqueRun_[i];
        uint32_t& out = rowBuf_[size_t(p - lo)];
        if (opaqueAcc_[i] + runOpaque >= 16)
            out |= 0xFF000000u;
        else
            partial |= (out >> 24) != 255;
        opaqueAcc_[i] = opaqueRun_[i] = 0;
    }
    if (partial) {
        target_->ReadSpan(lo + base, py, n, dstBuf_.data());
        for (int k = 0; k < n; ++k)
            rowBuf_[size_t(k)] = BlendOver(dstBuf_[size_t(k)], rowBuf_[size_t(k)]);
    }
    target_->WriteSpan(lo + base, py, n, rowBuf_.data());
    touchedMin_ = 0;
    touchedMax_ = -1;
}

} // namespace tavro::player::render
