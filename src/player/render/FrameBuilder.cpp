#include "player/render/FrameBuilder.h"

#include "player/render/DecodedBitmap.h"
#include "player/render/FillSampler.h"
#include "player/render/PixelColor.h"

#include <cstdlib>

namespace tavro::player::render {

FrameBuilder::FrameBuilder(ScanConverter& scan)
    : scan_(scan), edges_(scan), strokes_(edges_), records_(size_t(1) << 20),
      clipLinks_(size_t(1) << 18), ramps_(size_t(1) << 14), luts_(size_t(1) << 14) {}

void FrameBuilder::Begin(bool antiAlias, bool smoothBitmaps) {
    antiAlias_ = antiAlias;
    smoothBitmaps_ = smoothBitmaps;
    nextLayer_ = 0;
    records_.Reset();
    clipLinks_.Reset();
    ramps_.Reset();
    luts_.Reset();
}

ColorRecord* FrameBuilder::NewRecord() {
    ColorRecord* r = records_.New();
    if (r)
        r->layer = ++nextLayer_;
    return r;
}

const ClipLink* FrameBuilder::NewClipLink(const ColorRecord* clip, const ClipLink* next) {
    ClipLink* l = clipLinks_.New();
    if (!l)
        return next;
    l->clip = clip;
    l->next = next;
    return l;
}

ColorRecord* FrameBuilder::Solid(uint32_t argb, const DrawState& st) {
    if (st.clipRecord)
        return st.clipRecord;
    ColorRecord* r = NewRecord();
    if (!r)
        return nullptr;
    uint32_t c = st.cxform.IsIdentity() ? argb : st.cxform.ApplyArgb(argb);
    r->kind = FillKind::Solid;
    r->color = Premultiply(c);
    r->opaque = (c >> 24) == 255;
    r->clips = st.clips;
    return r;
}

ColorRecord* FrameBuilder::Gradient(FillKind kind, const Matrix16& matrix,
                                    const GradientEntry* entries, int count, const DrawState& st) {
    if (st.clipRecord)
        return st.clipRecord;
    ColorRecord* r = NewRecord();
    if (!r)
        return nullptr;
    r->clips = st.clips;
    auto* ramp = ramps_.New();
    if (count <= 0 || !ramp || !r->map.Build(matrix, st.toDevice)) {
        // Nothing to map: show the first colour (or nothing at all).
        r->kind = FillKind::Solid;
        uint32_t c = count > 0 ? st.cxform.ApplyArgb(entries[0].argb) : 0;
        r->color = Premultiply(c);
        r->opaque = (c >> 24) == 255;
        return r;
    }
    uint8_t ratios[16];
    uint32_t colors[16];
    count = count > 16 ? 16 : count;
    bool opaque = true;
    for (int i = 0; i < count; ++i) {
        uint32_t c =
            st.cxform.IsIdentity() ? entries[i].argb : st.cxform.ApplyArgb(entries[i].argb);
        opaque &= (c >> 24) == 255;
        ratios[i] = entries[i].ratio;
        colors[i] = Premultiply(c);
    }
    BuildRamp(ratios, colors, count, ramp->data());
    r->kind = kind;
    r->ramp = ramp->data();
    r->opaque = opaque;
    return r;
}

ColorRecord* FrameBuilder::Bitmap(FillKind kind, const Matrix16& matrix,
                                  const DecodedBitmap* bitmap, const DrawState& st) {
    if (st.clipRecord)
        return st.clipRecord;
    if (!bitmap || !bitmap->Usable())
        return Solid(0xFFFFFFFF, st);
    ColorRecord* r = NewRecord();
    if (!r)
        return nullptr;
    r->clips = st.clips;
    if (!r->map.Build(matrix, st.toDevice)) {
        r->kind = FillKind::Solid;
        r->color = 0;
        r->opaque = false;
        return r;
    }
    r->kind = kind;
    r->bitmap = bitmap;
    // Bilinear sampling while one pixel covers at most two bitmap pixels each way; further
    // down, nearest sampling (filtering four neighbours would not stop the aliasing anyway).
    const int64_t perPixel = antiAlias_ ? 4 : 1;
    const int64_t limit = int64_t(2) << 32;
    auto spread = [&](int64_t p, int64_t q) { return (std::abs(p) + std::abs(q)) * perPixel; };
    r->smooth = smoothBitmaps_ && spread(r->map.a, r->map.b) <= limit &&
                spread(r->map.c, r->map.d) <= limit;
    r->opaque = bitmap->opaque;
    const ColorXform& x = st.cxform;
    if (!x.IsIdentity()) {
        if (auto* lut = luts_.New()) {
            for (int v = 0; v < 256; ++v) {
                (*lut)[size_t(v)] = ColorXform::ApplyChannel(v, x.aMul, x.aAdd);
                (*lut)[size_t(256 + v)] = ColorXform::ApplyChannel(v, x.rMul, x.rAdd);
                (*lut)[size_t(512 + v)] = ColorXform::ApplyChannel(v, x.gMul, x.gAdd);
                (*lut)[size_t(768 + v)] = ColorXform::ApplyChannel(v, x.bMul, x.bAdd);
            }
            r->lut = lut->data();
            r->opaque = r->opaque && (*lut)[255] == 255;
        }
    }
    return r;
}

} // namespace tavro::player::render
