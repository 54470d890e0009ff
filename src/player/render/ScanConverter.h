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
//
// Bands: once every edge is in, horizontal bands of the clip may be run separately, each with
// a state of its own, on several threads at once: the edges and buckets are only read. A band
// that starts below the clip's top takes up the edges that began above it where they cross its
// first scanline, exactly as running down to it would have left them, so the spans are the same
// as those of one run. The winding counts and list links live in the colour records, so each
// thread but one works on its own copies of the records (RecordCopies), found through the
// records' `index`.
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

// A thread's own copies of a frame's colour records and clip links (copies[r->index] stands
// for r; the copies' clip chains lead to copied links and clip records).
struct RecordCopies {
    std::vector<ColorRecord> records;
    std::vector<ClipLink> links;
};

class ScanConverter {
    struct Active;
    // An active edge in the sorted list, with the fields the list's passes read most.
    struct Slot {
        int32_t col;
        int32_t yEnd;
        Active* a;
    };

public:
    // What one run through rows keeps: the active edges and the current colour list.
    class State {
    public:
        // Room for `edges` active edges, so that a run allocates nothing.
        void Reserve(size_t edges);

    private:
        friend class ScanConverter;
        std::vector<Active> pool; // storage, reused across scanlines
        std::vector<Slot> active;
        std::vector<Active*> freeSlots;
        ColorRecord* front = nullptr;
    };

    ScanConverter();
    ~ScanConverter();

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

    // Runs the scanlines [y0, y1) of the clip (reading the edges only) with `state`; the
    // colour records are `copies`' when given, else the records themselves. `state` must have
    // room for EdgeCount() edges. Finish() forgets the edges after the last band.
    void RunRows(SpanSink& sink, int32_t y0, int32_t y1, State& state, RecordCopies* copies) const;
    void Finish();

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
        int32_t stepsLeft;
        int64_t cx, cy, px, py, dx, dy, ddx, ddy;
        int64_t bx, by;
    };

    template <class Sink>
    void RunRowsWith(Sink& sink, int32_t y0, int32_t y1, State& state, RecordCopies* copies) const;
    static void Activate(const Edge* e, int y, Active& a, RecordCopies* copies);
    // Lines step here; curves walk on in AdvanceCurve.
    static void Advance(Active& a, int y);
    static void AdvanceCurve(Active& a, int y);
    static void Cross(ColorRecord*& front, ColorRecord* r, int delta);
    static void ClearColorList(ColorRecord*& front);

    Rect clip_;
    Arena<Edge> edges_;
    std::vector<Edge*> buckets_;
    State own_;
};

} // namespace tavro::player::render
