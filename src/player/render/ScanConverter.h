// Scan conversion of one frame's edges inside a clip rectangle.
//
// Guarantees: a pixel (or, with anti-aliasing, a sample) belongs to the span between two edge
// crossings when its centre lies between them. Each crossing column is an exact function of the
// edge's end points (lines) or of its three points (curves), whatever the order they were given
// in, so outlines that share an edge meet without a crack and without an overlap.
//
// Invariants: every stored edge is monotone in y with its top end first; its colour records
// live at least as long as the frame. Edges are bucketed by their first scanline inside the
// clip; the active list is kept sorted by crossing column with one insertion pass per scanline
// (the order changes little from one scanline to the next). Each crossing adds +-1 to the
// winding counts of the edge's two records, and the records whose count is not zero form the
// span's colour list, front layer first.
#pragma once

#include "player/Rect.h"
#include "player/render/Arena.h"
#include "player/render/ColorRecord.h"
#include "player/render/Edge.h"

#include <cstdint>
#include <vector>

namespace tavro::player::render {

// Receives the spans of a frame, scanline by scanline, top to bottom.
class SpanSink {
public:
    virtual ~SpanSink() = default;
    // [x0, x1) of scanline y (inside the clip, x0 < x1) is covered by the records of the list
    // starting at `front` (front to back; clip records and masked records included).
    virtual void Span(int y, int x0, int x1, const ColorRecord* front) = 0;
    // Every span of scanline y has been delivered.
    virtual void EndLine(int y) = 0;
};

class ScanConverter {
public:
    ScanConverter();

    // Starts a frame: drops all edges and sets the clip rectangle (device units).
    void Begin(const Rect& clip);
    const Rect& Clip() const { return clip_; }

    // Adds one monotone piece, end points in either vertical order (the direction is taken
    // from their order). Pieces with equal end y, or outside the clip's rows, add nothing.
    // False when the edge store is full (the edge is dropped).
    bool AddEdge(int32_t x0, int32_t y0, int32_t cx, int32_t cy, int32_t x1, int32_t y1,
                 bool isLine, ColorRecord* fill0, ColorRecord* fill1);

    // Runs every scanline of the clip rectangle, then forgets the edges.
    void Run(SpanSink& sink);

    size_t EdgeCount() const { return edges_.Size(); }
    // Caps the edges of one frame (further edges are dropped).
    void SetEdgeLimit(size_t limit) { edges_.SetLimit(limit); }

private:
    struct Active {
        int32_t col;  // crossing column on the current scanline
        int32_t yEnd; // first scanline no longer crossed
        int8_t dir;
        bool line;
        ColorRecord* fill0;
        ColorRecord* fill1;
        // Lines: col = q + (r != 0), with q, r the floor quotient and remainder of N / den.
        int64_t q, r, den, stepQ, stepR;
        // Curves: forward differences in 32.32 fixed point.
        int64_t cx, cy, px, py, dx, dy, ddx, ddy;
        int32_t stepsLeft;
        int64_t bx, by;
    };

    void Activate(const Edge* e, int y, Active& a) const;
    static void Advance(Active& a, int y);
    void Cross(ColorRecord* r, int delta);
    void ClearColorList();

    Rect clip_;
    Arena<Edge> edges_;
    std::vector<Edge*> buckets_;
    std::vector<Active> activePool_; // storage, reused across scanlines
    std::vector<Active*> active_;    // the active edges sorted by column
    std::vector<Active*> freeSlots_;
    ColorRecord* front_ = nullptr;
};

} // namespace tavro::player::render
