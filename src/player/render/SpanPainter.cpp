#include "player/render/SpanPainter.h"

#include "player/render/FillSampler.h"
#include "player/render/NativeBitmap.h"
#include "player/render/PixelColor.h"

#include <algorithm>

namespace tavro::player::render {

namespace {
constexpr int kPiece = 256;
}

void SpanPainter::Begin(NativeBitmap& target, const Rect& deviceClip, bool antiAlias) {
    target_ = &target;
    clip_ = deviceClip;
    antiAlias_ = antiAlias;
    if (antiAlias_) {
        size_t w = size_t(std::max<int64_t>(0, clip_.Width() / 4)) + 1;
        accRB_.assign(w, 0);
        accAG_.assign(w, 0);
        rowBuf_.resize(w);
        dstBuf_.resize(w);
        touchedMin_ = 0;
        touchedMax_ = -1;
    }
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
    if (opaqueBottom) {
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
            SampleFill(r, x2, y2, step, n, tmp);
            for (int k = 0; k < n; ++k)
                buf[k] = BlendOver(buf[k], tmp[k]);
        }
    }
}

void SpanPainter::Span(int y, int x0, int x1, const ColorRecord* front) {
    const ColorRecord* layers[kMaxLayers];
    bool opaqueBottom;
    int count = Visible(front, layers, opaqueBottom);
    if (count == 0)
        return;
    if (antiAlias_) {
        Accumulate(y, x0, x1, layers, count, opaqueBottom);
        return;
    }
    if (count == 1 && opaqueBottom && layers[0]->kind == FillKind::Solid) {
        target_->FillSpan(x0, y, x1 - x0, layers[0]->color);
        return;
    }
    uint32_t buf[kPiece];
    for (int x = x0; x < x1; x += kPiece) {
        int n = std::min(kPiece, x1 - x);
        Composite(layers, count, opaqueBottom, 2 * x + 1, 2 * y + 1, 1, n, buf, x, y);
        target_->WriteSpan(x, y, n, buf);
    }
}

// Adds the span's samples to the pixel sums: a pixel gets colour x (covered samples).
void SpanPainter::Accumulate(int y, int x0, int x1, const ColorRecord* const* layers, int count,
                             bool opaqueBottom) {
    const int base = clip_.xmin >> 2;
    const int p0 = (x0 >> 2) - base, p1 = ((x1 - 1) >> 2) - base; // pixel range, inclusive
    touchedMin_ = touchedMax_ < touchedMin_ ? p0 : std::min(touchedMin_, p0);
    touchedMax_ = std::max(touchedMax_, p1);
    uint32_t* rb = accRB_.data();
    uint32_t* ag = accAG_.data();
    auto coverage = [&](int p) { // samples of this row inside pixel p
        int s0 = std::max(x0, (p + base) * 4), s1 = std::min(x1, (p + base) * 4 + 4);
        return uint32_t(s1 - s0);
    };

    if (opaqueBottom && count == 1 && layers[0]->kind == FillKind::Solid) {
        uint32_t crb = LaneRB(layers[0]->color), cag = LaneAG(layers[0]->color);
        if (p0 == p1) {
            uint32_t k = uint32_t(x1 - x0);
            rb[p0] += crb * k;
            ag[p0] += cag * k;
            return;
        }
        uint32_t k0 = coverage(p0), k1 = coverage(p1);
        rb[p0] += crb * k0;
        ag[p0] += cag * k0;
        rb[p1] += crb * k1;
        ag[p1] += cag * k1;
        uint32_t rb4 = crb * 4, ag4 = cag * 4;
        for (int p = p0 + 1; p < p1; ++p) {
            rb[p] += rb4;
            ag[p] += ag4;
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
            uint32_t cov = coverage(p + k);
            rb[p + k] += LaneRB(buf[k]) * cov;
            ag[p + k] += LaneAG(buf[k]) * cov;
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
    bool partial = false;
    for (int p = lo; p <= hi; ++p) {
        uint32_t c = FromLanes(accRB_[size_t(p)] >> 4, accAG_[size_t(p)] >> 4);
        rowBuf_[size_t(p - lo)] = c;
        partial |= (c >> 24) != 255;
        accRB_[size_t(p)] = 0;
        accAG_[size_t(p)] = 0;
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
