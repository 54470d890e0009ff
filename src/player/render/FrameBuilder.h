// The per-frame side of drawing: pools for colour records, clip links, gradient ramps and
// colour tables, the edge and stroke builders that feed the scan converter, and the rules that
// turn a style's colour into a colour record (colour transform, premultiplication, opacity).
#pragma once

#include "player/ColorXform.h"
#include "player/Matrix16.h"
#include "player/render/Arena.h"
#include "player/render/ColorRecord.h"
#include "player/render/EdgeBuilder.h"
#include "player/render/ScanConverter.h"
#include "player/render/StrokeBuilder.h"

#include <array>
#include <cstdint>
#include <vector>

namespace tavro::player::render {

// How one drawn object enters the frame.
struct DrawState {
    Matrix16 toDevice;                 // object space to device units
    ColorXform cxform;                 // colour transform in effect
    const ClipLink* clips = nullptr;   // clip layers masking the object
    ColorRecord* clipRecord = nullptr; // set while drawing a clip layer: every fill goes here
    uint16_t ratio = 0;                // morph shapes
};

struct GradientEntry {
    uint8_t ratio;
    uint32_t argb; // straight colour
};

class FrameBuilder {
public:
    explicit FrameBuilder(ScanConverter& scan);

    // Starts a frame; every record of the previous frame is forgotten.
    void Begin(bool antiAlias, bool smoothBitmaps);
    bool AntiAlias() const { return antiAlias_; }
    bool SmoothBitmaps() const { return smoothBitmaps_; }
    // Smallest line width in device units (one pixel).
    int64_t MinLineWidth() const { return antiAlias_ ? 4 : 1; }

    EdgeBuilder& Edges() { return edges_; }
    StrokeBuilder& Strokes() { return strokes_; }
    ScanConverter& Scan() { return scan_; }

    // A fresh record in front of every record made so far this frame; nullptr when the pool is
    // full (the caller drops what would have used it).
    ColorRecord* NewRecord();
    const ClipLink* NewClipLink(const ColorRecord* clip, const ClipLink* next);

    // Records for the fill styles.
    ColorRecord* Solid(uint32_t argb, const DrawState& st);
    ColorRecord* Gradient(FillKind kind, const Matrix16& matrix, const GradientEntry* entries,
                          int count, const DrawState& st);
    // `bitmap` nullptr or failed: an opaque white record.
    ColorRecord* Bitmap(FillKind kind, const Matrix16& matrix, const class DecodedBitmap* bitmap,
                        const DrawState& st);

    size_t RecordCount() const { return records_.Size(); }

    // Fills `copies` with copies of this frame's records and clip links, linked among
    // themselves (see RecordCopies).
    void CopyRecords(RecordCopies& copies) const;

    // Recording an object's edges and records into `cache` (drawn as usual meanwhile);
    // `clipRecord` is the clip layer the object draws into, if any. EndCapture returns false
    // when the object cannot be replayed (bitmap fills, dropped items); the cache is then not
    // to be used.
    void BeginCapture(class EdgeCache* cache, const ColorRecord* clipRecord);
    bool EndCapture();
    // Adds a cached object's records (in front of everything so far) and edges.
    bool Replay(const class EdgeCache& cache, const DrawState& st);

private:
    ScanConverter& scan_;
    EdgeBuilder edges_;
    StrokeBuilder strokes_;
    bool antiAlias_ = false;
    bool smoothBitmaps_ = false;
    uint32_t nextLayer_ = 0;
    Arena<ColorRecord> records_;
    Arena<ClipLink> clipLinks_;
    Arena<std::array<uint32_t, 256>, 64> ramps_;
    Arena<std::array<uint8_t, 1024>, 64> luts_;
    class EdgeCache* capture_ = nullptr;
    const ColorRecord* captureClip_ = nullptr;
    bool captureOk_ = true;
    int captureDropped_ = 0;
    std::vector<ColorRecord*> captureRecords_;
    std::vector<EdgeBuilder::Emitted> captureEdges_;
};

} // namespace tavro::player::render
