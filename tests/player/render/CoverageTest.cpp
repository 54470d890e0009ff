// Property tests of the scan converter: outlines that share edges cover every sample exactly
// once, whatever the direction the shared edges are given in, with straight and curved shared
// edges, and through the edge builder's splitting and clamping.
#include "player/render/EdgeBuilder.h"
#include "player/render/ScanConverter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

using namespace tavro::player;
using namespace tavro::player::render;

namespace {

// Counts, per sample, how many drawn (non-clip, unmasked) records cover it.
class CountingSink : public SpanSink {
public:
    explicit CountingSink(const Rect& clip)
        : clip_(clip), counts_(size_t(clip.Width() * clip.Height()), 0) {}
    void Span(int y, int x0, int x1, const ColorRecord* front) override {
        int n = 0;
        for (const ColorRecord* r = front; r; r = r->next)
            if (r->kind != FillKind::Clip && r->Unmasked())
                ++n;
        for (int x = x0; x < x1; ++x)
            At(x, y) += n;
    }
    void EndLine(int) override {}
    int& At(int x, int y) {
        return counts_[size_t(y - clip_.ymin) * size_t(clip_.Width()) + size_t(x - clip_.xmin)];
    }

private:
    Rect clip_;
    std::vector<int> counts_;
};

struct Pt {
    int64_t x, y;
};

// Twice the signed area of (a, b, c) at the sample centre (px + 1/2, py + 1/2), in half units.
int64_t Side(Pt a, Pt b, int px, int py) {
    int64_t sx = 2 * px + 1, sy = 2 * py + 1;
    return (2 * b.x - 2 * a.x) * (sy - 2 * a.y) - (2 * b.y - 2 * a.y) * (sx - 2 * a.x);
}

// Distance-like margin: the sample is clearly inside the convex polygon when it is on the same
// side of every rim edge with some slack.
int Classify(const std::vector<Pt>& rim, int px, int py) {
    bool inside = true, outside = false;
    for (size_t i = 0; i < rim.size(); ++i) {
        Pt a = rim[i], b = rim[(i + 1) % rim.size()];
        double len = std::hypot(double(b.x - a.x), double(b.y - a.y));
        double s = double(Side(a, b, px, py)) / (2 * len); // signed distance, in units
        if (s < 1.0)
            inside = false;
        if (s < -1.0)
            outside = true;
    }
    return inside ? 1 : outside ? 0 : -1; // -1: too close to the rim to say
}

struct Fan {
    Pt centre;
    std::vector<Pt> rim;      // convex, clockwise on screen
    std::vector<Pt> controls; // spoke i: centre -> rim[i]
};

Fan MakeFan(std::mt19937& rng, int64_t cx, int64_t cy, double radius, bool curved) {
    Fan f;
    std::uniform_real_distribution<double> jitter(-0.2, 0.2), off(-0.12, 0.12);
    std::uniform_int_distribution<int> count(3, 11);
    int n = count(rng);
    f.centre = {cx + int64_t(std::lround(jitter(rng) * radius)),
                cy + int64_t(std::lround(jitter(rng) * radius))};
    for (int i = 0; i < n; ++i) {
        double a = 2 * M_PI * (i + 0.5 + jitter(rng)) / n;
        f.rim.push_back({cx + int64_t(std::lround(radius * std::cos(a))),
                         cy + int64_t(std::lround(radius * std::sin(a)))});
    }
    for (const Pt& r : f.rim) {
        double mx = (f.centre.x + r.x) / 2.0, my = (f.centre.y + r.y) / 2.0;
        double dx = double(r.x - f.centre.x), dy = double(r.y - f.centre.y);
        double k = curved ? off(rng) : 0.0;
        f.controls.push_back(
            {int64_t(std::lround(mx - dy * k)), int64_t(std::lround(my + dx * k))});
    }
    return f;
}

// Adds one triangle per rim edge, each with its own record, spokes alternating direction.
void AddFan(EdgeBuilder& eb, const Fan& f, std::vector<ColorRecord>& records) {
    size_t n = f.rim.size();
    for (size_t i = 0; i < n; ++i) {
        size_t j = (i + 1) % n;
        ColorRecord* rec = &records[i];
        eb.SetFills(nullptr, rec);
        auto dp = [](Pt p) { return DevicePoint{p.x, p.y}; };
        // centre -> rim[i] (spoke i), rim[i] -> rim[j], rim[j] -> centre (spoke j reversed)
        eb.DeviceCurve(dp(f.centre), dp(f.controls[i]), dp(f.rim[i]));
        eb.DeviceLine(dp(f.rim[i]), dp(f.rim[j]));
        eb.DeviceCurve(dp(f.rim[j]), dp(f.controls[j]), dp(f.centre));
    }
}

void CheckFan(const Fan& f, const Rect& clip, int scale) {
    ScanConverter sc;
    sc.Begin(clip);
    EdgeBuilder eb(sc);
    std::vector<ColorRecord> records(f.rim.size());
    for (size_t i = 0; i < records.size(); ++i)
        records[i].layer = uint32_t(i + 1);
    AddFan(eb, f, records);
    CountingSink sink(clip);
    sc.Run(sink);
    int checked = 0;
    for (int y = clip.ymin; y < clip.ymax; y += 1)
        for (int x = clip.xmin; x < clip.xmax; x += 1) {
            int c = sink.At(x, y);
            ASSERT_LE(c, 1) << "double coverage at " << x << "," << y << " scale " << scale;
            int expect = Classify(f.rim, x, y);
            if (expect >= 0) {
                ASSERT_EQ(c, expect) << "at " << x << "," << y << " scale " << scale;
                ++checked;
            }
        }
    EXPECT_GT(checked, 0);
}

} // namespace

TEST(CoverageTest, TrianglesAroundAPointCoverEverySampleOnce) {
    std::mt19937 rng(12345);
    for (int round = 0; round < 40; ++round) {
        bool curved = round % 2 == 1;
        Fan f = MakeFan(rng, 60, 50, 40, curved);
        CheckFan(f, Rect(0, 120, 0, 100), 1);
    }
}

TEST(CoverageTest, LargeFansSplitIntoPiecesStayCrackFree) {
    // Radius 700 makes every spoke taller than 256 units, so pieces are halved.
    std::mt19937 rng(777);
    for (int round = 0; round < 6; ++round) {
        Fan f = MakeFan(rng, 800, 800, 700, round % 2 == 0);
        SCOPED_TRACE(round);
        CheckFan(f, Rect(0, 1600, 0, 1600), 1);
    }
}

TEST(CoverageTest, AdjacentRectanglesShareTheirEdgeExactly) {
    // Two rectangles meeting on a slanted edge, given in opposite directions.
    Rect clip(0, 64, 0, 64);
    ScanConverter sc;
    sc.Begin(clip);
    EdgeBuilder eb(sc);
    ColorRecord a, b;
    a.layer = 1;
    b.layer = 2;
    eb.SetFills(nullptr, &a);
    eb.DeviceLine({3, 2}, {37, 5});
    eb.DeviceLine({37, 5}, {29, 61});
    eb.DeviceLine({29, 61}, {3, 60});
    eb.DeviceLine({3, 60}, {3, 2});
    eb.SetFills(&b, nullptr);
    eb.DeviceLine({37, 5}, {60, 3});
    eb.DeviceLine({60, 3}, {61, 62});
    eb.DeviceLine({61, 62}, {29, 61});
    eb.DeviceLine({29, 61}, {37, 5});
    CountingSink sink(clip);
    sc.Run(sink);
    for (int y = 6; y < 60; ++y)
        for (int x = 4; x < 60; ++x)
            ASSERT_EQ(sink.At(x, y), 1) << x << "," << y;
}
