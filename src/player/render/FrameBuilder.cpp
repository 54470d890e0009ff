#include "player/render/FrameBuilder.h"

#include "player/render/DecodedBitmap.h"
#include "player/render/EdgeCache.h"
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
    const size_t index = records_.Size();
    ColorRecord* r = records_.New();
    if (r) {
        r->layer = ++nextLayer_;
        r->index = uint32_t(index);
    }
    if (capture_) {
        if (r)
            captureRecords_.push_back(r);
        else
            captureOk_ = false;
    }
    return r;
}

void FrameBuilder::BeginCapture(EdgeCache* cache, const ColorRecord* clipRecord) {
    capture_ = cache;
    captureClip_ = clipRecord;
    captureOk_ = true;
    captureDropped_ = edges_.Dropped();
    captureRecords_.clear();
    captureEdges_.clear();
    edges_.SetCapture(&captureEdges_);
}

bool FrameBuilder::EndCapture() {
    edges_.SetCapture(nullptr);
    EdgeCache* cache = capture_;
    capture_ = nullptr;
    if (!cache || !captureOk_ || edges_.Dropped() != captureDropped_)
        return false;
    const size_t n = captureRecords_.size();
    cache->records.clear();
    cache->ramps.clear();
    cache->luts.clear();
    cache->edges.clear();
    for (const ColorRecord* r : captureRecords_) {
        if (r->bitmap)
            return false; // the decoded bitmap belongs to its character
        if (r->ramp)
            cache->ramps.emplace_back();
        if (r->lut)
            cache->luts.emplace_back();
    }
    size_t ramp = 0, lut = 0;
    for (const ColorRecord* r : captureRecords_) {
        ColorRecord t;
        t.kind = r->kind;
        t.opaque = r->opaque;
        t.smooth = r->smooth;
        t.color = r->color;
        t.map = r->map;
        if (r->ramp) {
            std::copy(r->ramp, r->ramp + 256, cache->ramps[ramp].begin());
            t.ramp = cache->ramps[ramp++].data();
        }
        if (r->lut) {
            std::copy(r->lut, r->lut + 1024, cache->luts[lut].begin());
            t.lut = cache->luts[lut++].data();
        }
        cache->records.push_back(t);
    }
    auto index = [&](const ColorRecord* r, bool& ok) -> int32_t {
        if (!r)
            return EdgeCache::kNone;
        if (r == captureClip_)
            return EdgeCache::kClipRecord;
        for (size_t i = 0; i < n; ++i)
            if (captureRecords_[i] == r)
                return int32_t(i);
        ok = false;
        return EdgeCache::kNone;
    };
    bool ok = true;
    cache->edges.reserve(captureEdges_.size());
    for (const EdgeBuilder::Emitted& e : captureEdges_)
        cache->edges.push_back(
            {e.x0, e.y0, e.cx, e.cy, e.x1, e.y1, e.isLine, index(e.fill0, ok), index(e.fill1, ok)});
    return ok;
}

bool FrameBuilder::Replay(const EdgeCache& cache, const DrawState& st) {
    ColorRecord* local[64];
    std::vector<ColorRecord*> many;
    ColorRecord** recs = local;
    if (cache.records.size() > 64) {
        many.resize(cache.records.size());
        recs = many.data();
    }
    for (size_t i = 0; i < cache.records.size(); ++i) {
        ColorRecord* r = NewRecord();
        if (!r)
            return false;
        const uint32_t layer = r->layer, index = r->index;
        *r = cache.records[i];
        r->layer = layer;
        r->index = index;
        r->clips = st.clips;
        recs[i] = r;
    }
    auto rec = [&](int32_t i) -> ColorRecord* {
        if (i == EdgeCache::kClipRecord)
            return st.clipRecord;
        return i >= 0 ? recs[i] : nullptr;
    };
    for (const EdgeCache::CachedEdge& e : cache.edges)
        if (!scan_.AddEdge(e.x0, e.y0, e.cx, e.cy, e.x1, e.y1, e.isLine, rec(e.fill0),
                           rec(e.fill1)))
            return false;
    return true;
}

const ClipLink* FrameBuilder::NewClipLink(const ColorRecord* clip, const ClipLink* next) {
    const size_t index = clipLinks_.Size();
    ClipLink* l = clipLinks_.New();
    if (!l)
        return next;
    l->clip = clip;
    l->next = next;
    l->index = uint32_t(index);
    return l;
}

void FrameBuilder::CopyRecords(RecordCopies& copies) const {
    const size_t records = records_.Size(), links = clipLinks_.Size();
    copies.records.resize(records);
    copies.links.resize(links);
    for (size_t i = 0; i < links; ++i) {
        const ClipLink& l = clipLinks_.At(i);
        copies.links[i] = l;
        copies.links[i].clip = l.clip ? &copies.records[l.clip->index] : nullptr;
        copies.links[i].next = l.next ? &copies.links[l.next->index] : nullptr;
    }
    for (size_t i = 0; i < records; ++i) {
        const ColorRecord& r = records_.At(i);
        ColorRecord& c = copies.records[i];
        c = r;
        c.prev = c.next = nullptr;
        c.winding = 0;
        c.inList = false;
        c.clips = r.clips ? &copies.links[r.clips->index] : nullptr;
    }
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
