#include "player/buttons/ShapeHitTest.h"

#include "player/BitReader.h"
#include "player/render/ShapeRecordReader.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tavro::player {

namespace {

using render::ShapeRecord;
using render::ShapeRecordReader;

// Largest deviation (twips) of a flattened curve from the true curve.
constexpr double kFlatness = 1.0;
constexpr int kMaxCurvePieces = 128;
// Coordinates of damaged records are kept within this range so that sums cannot overflow.
constexpr int64_t kCoordLimit = int64_t(1) << 40;

uint32_t ReadCount(BitReader& in) {
    uint32_t n = in.U8();
    if (n == 255)
        n = in.U16();
    return n;
}

// Skips one array of fill styles and one of line styles; returns the number of fill styles.
uint32_t SkipStyles(BitReader& in, int version) {
    const size_t colorBytes = version >= 3 ? 4 : 3;
    uint32_t fills = ReadCount(in);
    for (uint32_t i = 0; i < fills && in.ok(); ++i) {
        uint32_t type = in.U8();
        if (type & 0x10) {
            in.ReadMatrix();
            int n = in.U8() & 0x0F;
            in.Skip(size_t(n) * (1 + colorBytes));
        } else if (type & 0x40) {
            in.U16();
            in.ReadMatrix();
        } else {
            in.Skip(colorBytes);
        }
    }
    uint32_t lines = ReadCount(in);
    for (uint32_t i = 0; i < lines && in.ok(); ++i)
        in.Skip(2 + colorBytes);
    return fills;
}

class Crossings {
public:
    Crossings(double x, double y) : px_(x), py_(y) {}

    // Adds `count` styles from a new style array and makes them current.
    void NewStyles(uint32_t count) {
        base_ = winding_.size();
        current_ = count;
        winding_.resize(winding_.size() + count, 0);
        fill0_ = fill1_ = kNone;
    }
    void SetFill0(uint32_t index) { fill0_ = Slot(index); }
    void SetFill1(uint32_t index) { fill1_ = Slot(index); }

    void Line(double x0, double y0, double x1, double y1) {
        if (fill0_ == fill1_)
            return; // both sides alike: no boundary of any fill
        if ((y0 > py_) == (y1 > py_))
            return;
        double xi = x0 + (py_ - y0) * (x1 - x0) / (y1 - y0);
        if (xi < px_) {
            // As in the scan converter: an edge running down adds to the style on its left
            // and takes from the one on its right; running up, the other way round.
            const int dir = y1 > y0 ? 1 : -1;
            Add(fill0_, dir);
            Add(fill1_, -dir);
        }
    }

    void Curve(double x0, double y0, double cx, double cy, double x1, double y1) {
        if (fill0_ == fill1_)
            return;
        // The curve lies inside the triangle of its points: one that cannot reach the ray
        // (left of the point, at its height) needs no flattening.
        if (std::min({y0, cy, y1}) > py_ || std::max({y0, cy, y1}) <= py_ ||
            std::min({x0, cx, x1}) >= px_)
            return;
        double ex = std::abs(x0 - 2 * cx + x1), ey = std::abs(y0 - 2 * cy + y1);
        double bend = std::max(ex, ey);
        int pieces = int(std::ceil(std::sqrt(bend / (8 * kFlatness))));
        pieces = std::clamp(pieces, 1, kMaxCurvePieces);
        double px = x0, py = y0;
        for (int i = 1; i <= pieces; ++i) {
            double t = double(i) / pieces, u = 1 - t;
            double qx = u * u * x0 + 2 * u * t * cx + t * t * x1;
            double qy = u * u * y0 + 2 * u * t * cy + t * t * y1;
            if (i == pieces) {
                qx = x1;
                qy = y1;
            }
            Line(px, py, qx, qy);
            px = qx;
            py = qy;
        }
    }

    bool Inside() const {
        return std::any_of(winding_.begin(), winding_.end(), [](int32_t w) { return w != 0; });
    }

private:
    static constexpr size_t kNone = SIZE_MAX;

    // Index 0 is "no fill"; an index beyond the current array draws nothing, as in the renderer.
    size_t Slot(uint32_t index) const {
        if (index == 0 || index > current_)
            return kNone;
        return base_ + index - 1;
    }
    void Add(size_t slot, int delta) {
        if (slot != kNone)
            winding_[slot] += delta;
    }

    double px_, py_;
    std::vector<int32_t> winding_;
    size_t base_ = 0;
    uint32_t current_ = 0;
    size_t fill0_ = kNone, fill1_ = kNone;
};

} // namespace

bool ShapeHitTest::Contains(std::span<const uint8_t> data, int version, double x, double y) {
    BitReader in(data.data(), data.size());
    Crossings crossings(x, y);
    uint32_t fills = SkipStyles(in, version);
    unsigned bits = in.U8();
    if (!in.ok())
        return false;
    crossings.NewStyles(fills);
    ShapeRecordReader records(in, bits >> 4, bits & 15);
    records.AllowNewStyles(version >= 2);

    int64_t penX = 0, penY = 0;
    auto clamp = [](int64_t v) { return std::clamp(v, -kCoordLimit, kCoordLimit); };
    ShapeRecord rec;
    while (records.Next(rec)) {
        switch (rec.type) {
        case ShapeRecord::StyleChange:
            if (rec.newStyles) {
                uint32_t n = SkipStyles(in, version);
                unsigned b = in.U8();
                if (!in.ok())
                    return crossings.Inside();
                records.SetBits(b >> 4, b & 15);
                crossings.NewStyles(n);
            }
            if (rec.hasMove) {
                penX = rec.moveX;
                penY = rec.moveY;
            }
            if (rec.hasFill0)
                crossings.SetFill0(rec.fill0);
            if (rec.hasFill1)
                crossings.SetFill1(rec.fill1);
            break;
        case ShapeRecord::Line: {
            int64_t nx = clamp(penX + rec.dx), ny = clamp(penY + rec.dy);
            crossings.Line(double(penX), double(penY), double(nx), double(ny));
            penX = nx;
            penY = ny;
            break;
        }
        case ShapeRecord::Curve: {
            int64_t cx = clamp(penX + rec.cdx), cy = clamp(penY + rec.cdy);
            int64_t nx = clamp(cx + rec.dx), ny = clamp(cy + rec.dy);
            crossings.Curve(double(penX), double(penY), double(cx), double(cy), double(nx),
                            double(ny));
            penX = nx;
            penY = ny;
            break;
        }
        case ShapeRecord::End:
            break;
        }
    }
    return crossings.Inside();
}

} // namespace tavro::player
