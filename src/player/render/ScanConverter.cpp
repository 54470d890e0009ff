#include "player/render/ScanConverter.h"

#include "player/render/SpanPainter.h"

#include <algorithm>
#include <utility>

namespace tavro::player::render {

namespace {
using Wide = __int128;

constexpr int64_t kHalf32 = int64_t(1) << 31;

int64_t FloorDiv(int64_t n, int64_t d) {
    int64_t q = n / d;
    if ((n % d != 0) && ((n < 0) != (d < 0)))
        --q;
    return q;
}

// Column of the first sample centre at or right of x (32.32): ceil(x - 1/2).
int32_t ColumnOf(int64_t x) {
    return int32_t((x - kHalf32 + ((int64_t(1) << 32) - 1)) >> 32);
}
} // namespace

ScanConverter::ScanConverter() : edges_(size_t(1) << 21) {}

ScanConverter::~ScanConverter() = default;

void ScanConverter::State::Reserve(size_t edges) {
    // Slots never move once handed out: room for the most edges that can be active at once
    // (every edge, at worst).
    if (pool.size() < edges)
        pool.resize(edges);
    active.reserve(edges);
    freeSlots.reserve(edges);
}

void ScanConverter::Begin(const Rect& clip) {
    edges_.Reset();
    clip_ = clip;
    size_t rows = clip.IsEmpty() || clip.ymax <= clip.ymin ? 0 : size_t(clip.ymax - clip.ymin);
    buckets_.assign(rows, nullptr);
}

bool ScanConverter::AddEdge(int32_t x0, int32_t y0, int32_t cx, int32_t cy, int32_t x1, int32_t y1,
                            bool isLine, ColorRecord* fill0, ColorRecord* fill1) {
    if (y0 == y1 || buckets_.empty() || (!fill0 && !fill1) || fill0 == fill1)
        return true;
    int8_t dir = 1;
    if (y0 > y1) {
        std::swap(x0, x1);
        std::swap(y0, y1);
        dir = -1;
    }
    if (y1 <= clip_.ymin || y0 >= clip_.ymax)
        return true;
    Edge* e = edges_.New();
    if (!e)
        return false;
    e->x0 = x0, e->y0 = y0, e->cx = cx, e->cy = cy, e->x1 = x1, e->y1 = y1;
    e->dir = dir;
    e->isLine = isLine;
    e->fill0 = fill0;
    e->fill1 = fill1;
    Edge*& head = buckets_[size_t(std::max(y0, clip_.ymin) - clip_.ymin)];
    e->next = head;
    head = e;
    return true;
}

void ScanConverter::Activate(const Edge* e, int y, Active& a, RecordCopies* copies) {
    a.yEnd = e->y1;
    a.dir = e->dir;
    if (copies) {
        a.fill0 = e->fill0 ? &copies->records[e->fill0->index] : nullptr;
        a.fill1 = e->fill1 ? &copies->records[e->fill1->index] : nullptr;
    } else {
        a.fill0 = e->fill0;
        a.fill1 = e->fill1;
    }
    a.line = e->isLine;
    if (a.line) {
        // x at the sample row y + 1/2 is x0 + (2(y - y0) + 1) dx / (2 dy); the crossing
        // column is ceil(x - 1/2) = ceil(N / den) with N = x0 den + (2(y - y0) + 1) dx - dy.
        int64_t dx = int64_t(e->x1) - e->x0, dy = int64_t(e->y1) - e->y0;
        a.den = 2 * dy;
        int64_t n = int64_t(e->x0) * a.den + (2 * (int64_t(y) - e->y0) + 1) * dx - dy;
        a.q = FloorDiv(n, a.den);
        a.r = n - a.q * a.den;
        int64_t step = 2 * dx;
        a.stepQ = FloorDiv(step, a.den);
        a.stepR = step - a.stepQ * a.den;
        a.col = int32_t(a.q + (a.r != 0));
        return;
    }
    // Forward differences over 2 x height steps of the curve parameter.
    int64_t steps = 2 * (int64_t(e->y1) - e->y0);
    Wide n = steps, n2 = Wide(steps) * steps;
    int64_t ax = int64_t(e->x0) - 2 * int64_t(e->cx) + e->x1;
    int64_t ay = int64_t(e->y0) - 2 * int64_t(e->cy) + e->y1;
    a.cx = int64_t(e->x0) << 32;
    a.cy = int64_t(e->y0) << 32;
    a.px = a.cx, a.py = a.cy;
    a.dx = int64_t((Wide(int64_t(e->cx) - e->x0) << 33) / n + (Wide(ax) << 32) / n2);
    a.dy = int64_t((Wide(int64_t(e->cy) - e->y0) << 33) / n + (Wide(ay) << 32) / n2);
    a.ddx = int64_t((Wide(ax) << 33) / n2);
    a.ddy = int64_t((Wide(ay) << 33) / n2);
    a.stepsLeft = int32_t(steps);
    a.bx = int64_t(e->x1) << 32;
    a.by = int64_t(e->y1) << 32;
    AdvanceCurve(a, y);
}

// Moves the crossing to scanline y (the line case steps by one row; curves walk forward to it).
[[gnu::always_inline]] inline void ScanConverter::Advance(Active& a, int y) {
    if (!a.line) {
        AdvanceCurve(a, y);
        return;
    }
    a.q += a.stepQ;
    a.r += a.stepR;
    if (a.r >= a.den) {
        a.r -= a.den;
        ++a.q;
    }
    a.col = int32_t(a.q + (a.r != 0));
}

[[gnu::always_inline]] inline void ScanConverter::AdvanceCurve(Active& a, int y) {
    const int64_t ys = (int64_t(y) << 32) + kHalf32;
    // The walk works on locals: the stepping state is written back once.
    int64_t cx = a.cx, cy = a.cy, px = a.px, py = a.py;
    if (cy < ys && a.stepsLeft > 0) {
        int64_t dx = a.dx, dy = a.dy;
        const int64_t ddx = a.ddx, ddy = a.ddy;
        int32_t stepsLeft = a.stepsLeft;
        do {
            px = cx, py = cy;
            if (--stepsLeft == 0) {
                cx = a.bx, cy = a.by;
            } else {
                cx += dx, cy += dy;
                dx += ddx, dy += ddy;
            }
        } while (cy < ys && stepsLeft > 0);
        a.cx = cx, a.cy = cy, a.px = px, a.py = py;
        a.dx = dx, a.dy = dy;
        a.stepsLeft = stepsLeft;
    }
    int64_t x = cx;
    if (cy > py && cy >= ys && ys > py) {
        // Linear between the last two points; one step moves y by at most about one unit, so
        // 16 fractional bits of the step are plenty and the product stays within 64 bits.
        const int64_t d = (cy - py) >> 16;
        if (d > 0) {
            // t = floor(n / d), 0..65536. With n and d exact in doubles, the quotient is
            // either whole (and exact) or at least 1 / d away from a whole number, more than
            // the rounding of one division below 2^17 (2^-37): its floor is the same.
            const int64_t n = (ys - py) >> 16 << 16;
            const int64_t t = n < (int64_t(1) << 52) && d < (int64_t(1) << 36)
                                  ? int64_t(double(n) / double(d))
                                  : n / d;
            x = px + (((cx - px) >> 16) * t);
        }
    }
    a.col = ColumnOf(x);
}

[[gnu::always_inline]] inline void ScanConverter::Cross(ColorRecord*& front, ColorRecord* r,
                                                        int delta) {
    if (!r)
        return;
    bool was = r->winding != 0;
    r->winding += delta;
    bool now = r->winding != 0;
    if (was == now)
        return;
    if (now) {
        ColorRecord* prev = nullptr;
        ColorRecord* cur = front;
        while (cur && cur->layer > r->layer) {
            prev = cur;
            cur = cur->next;
        }
        r->prev = prev;
        r->next = cur;
        if (cur)
            cur->prev = r;
        if (prev)
            prev->next = r;
        else
            front = r;
        r->inList = true;
    } else {
        if (r->prev)
            r->prev->next = r->next;
        else
            front = r->next;
        if (r->next)
            r->next->prev = r->prev;
        r->prev = r->next = nullptr;
        r->inList = false;
    }
}

void ScanConverter::ClearColorList(ColorRecord*& front) {
    for (ColorRecord* r = front; r;) {
        ColorRecord* next = r->next;
        r->winding = 0;
        r->inList = false;
        r->prev = r->next = nullptr;
        r = next;
    }
    front = nullptr;
}

void ScanConverter::Run(SpanSink& sink) {
    if (!buckets_.empty() && clip_.xmax > clip_.xmin) {
        own_.Reserve(edges_.Size());
        RunRows(sink, clip_.ymin, clip_.ymax, own_, nullptr);
    }
    Finish();
}

void ScanConverter::Finish() {
    edges_.Reset();
    std::fill(buckets_.begin(), buckets_.end(), nullptr);
}

void ScanConverter::RunRows(SpanSink& sink, int32_t y0, int32_t y1, State& st,
                            RecordCopies* copies) const {
    // The renderer's own sink is called directly (the calls per span add up).
    if (auto* painter = dynamic_cast<SpanPainter*>(&sink))
        RunRowsWith(*painter, y0, y1, st, copies);
    else
        RunRowsWith(sink, y0, y1, st, copies);
}

template <class Sink>
void ScanConverter::RunRowsWith(Sink& sink, int32_t y0, int32_t y1, State& st,
                                RecordCopies* copies) const {
    y0 = std::max(y0, clip_.ymin);
    y1 = std::min(y1, clip_.ymax);
    if (buckets_.empty() || clip_.xmax <= clip_.xmin || y0 >= y1)
        return;
    const int32_t xmin = clip_.xmin, xmax = clip_.xmax;
    std::vector<Slot>& active = st.active;
    active.clear();
    st.freeSlots.clear();
    ColorRecord*& front = st.front;
    front = nullptr;
    size_t nextSlot = 0;
    auto take = [&](const Edge* e, int32_t y) {
        Active* a;
        if (!st.freeSlots.empty()) {
            a = st.freeSlots.back();
            st.freeSlots.pop_back();
        } else {
            a = &st.pool[nextSlot++];
        }
        Activate(e, y, *a, copies);
        active.push_back({a->col, a->yEnd, a});
    };
    // Edges that began above the band and still cross its first scanline.
    for (int32_t y = clip_.ymin; y < y0; ++y)
        for (const Edge* e = buckets_[size_t(y - clip_.ymin)]; e; e = e->next)
            if (e->y1 > y0)
                take(e, y0);
    for (int32_t y = y0; y < y1; ++y) {
        for (const Edge* e = buckets_[size_t(y - clip_.ymin)]; e; e = e->next)
            take(e, y);
        // One insertion pass keeps the list sorted by column.
        Slot* list = active.data();
        const size_t count = active.size();
        for (size_t i = 1; i < count; ++i) {
            if (list[i].col >= list[i - 1].col)
                continue;
            const Slot moving = list[i];
            size_t j = i;
            do {
                list[j] = list[j - 1];
                --j;
            } while (j > 0 && list[j - 1].col > moving.col);
            list[j] = moving;
        }

        // Spans between the crossings; each edge then steps to the next scanline (or retires).
        int32_t prev = INT32_MIN;
        size_t keep = 0;
        for (size_t i = 0; i < count; ++i) {
            Slot slot = list[i];
            if (front && slot.col > prev) {
                int32_t x0 = std::max(prev, xmin), x1 = std::min(slot.col, xmax);
                if (x0 < x1)
                    sink.Span(y, x0, x1, front);
            }
            prev = slot.col;
            Active& a = *slot.a;
            // Right of the clip no span is drawn: the colour list no longer matters there (it
            // is cleared below).
            if (slot.col < xmax) {
                Cross(front, a.fill0, a.dir);
                Cross(front, a.fill1, -a.dir);
            }
            if (slot.yEnd <= y + 1) {
                st.freeSlots.push_back(slot.a);
                continue;
            }
            Advance(a, y + 1);
            slot.col = a.col;
            list[keep++] = slot;
        }
        // A well-formed outline leaves every count at zero once all its crossings are made;
        // damaged ones, and crossings right of the clip left out, must not leak into the next
        // scanline.
        if (front)
            ClearColorList(front);
        sink.EndLine(y);
        active.resize(keep);
    }
}

} // namespace tavro::player::render
