// Outlines of shapes and glyphs as SVG path data: the edges of each fill style are turned so that
// the style lies on one side of all of them and joined into closed contours, which is what makes
// SVG's nonzero rule paint what the player's per-style edge counts paint.
#include "export/Html5Shapes.h"

#include "swfformat/BitWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavro::html5 {
namespace {

using Bytes = std::vector<uint8_t>;

// Packs shape records: style changes with a move and fill indexes, straight and curved edges.
class Records {
public:
    Records(int fillBits, int lineBits) : fillBits_(fillBits), lineBits_(lineBits) {}

    Records& Move(int32_t x, int32_t y, int fill0 = -1, int fill1 = -1, int line = -1) {
        w_.WriteBits(0, 1);
        const int flags = (line >= 0 ? 8 : 0) | (fill1 >= 0 ? 4 : 0) | (fill0 >= 0 ? 2 : 0) | 1;
        w_.WriteBits(flags, 5);
        const int n = std::max(Bits(x), Bits(y));
        w_.WriteBits(n, 5);
        w_.WriteBits(x, n);
        w_.WriteBits(y, n);
        if (fill0 >= 0)
            w_.WriteBits(fill0, fillBits_);
        if (fill1 >= 0)
            w_.WriteBits(fill1, fillBits_);
        if (line >= 0)
            w_.WriteBits(line, lineBits_);
        return *this;
    }
    Records& Line(int32_t dx, int32_t dy) {
        const int n = std::max({Bits(dx), Bits(dy), 2});
        w_.WriteBits(1, 1);
        w_.WriteBits(1, 1);
        w_.WriteBits(n - 2, 4);
        w_.WriteBits(1, 1); // general line
        w_.WriteBits(dx, n);
        w_.WriteBits(dy, n);
        return *this;
    }
    Records& Curve(int32_t cdx, int32_t cdy, int32_t dx, int32_t dy) {
        const int n = std::max({Bits(cdx), Bits(cdy), Bits(dx), Bits(dy), 2});
        w_.WriteBits(1, 1);
        w_.WriteBits(0, 1);
        w_.WriteBits(n - 2, 4);
        for (int32_t v : {cdx, cdy, dx, dy})
            w_.WriteBits(v, n);
        return *this;
    }
    Bytes End() {
        w_.WriteBits(0, 6);
        return w_.Bytes();
    }

private:
    static int Bits(int32_t v) { return swfformat::BitWriter::SignedBitCount(v); }
    swfformat::BitWriter w_;
    int fillBits_, lineBits_;
};

// A DefineShape record after its bounds: the given solid fills (RGB) and lines, then records.
Bytes Shape(const std::vector<uint32_t>& fills,
            const std::vector<std::pair<uint16_t, uint32_t>>& lines, const Bytes& records) {
    Bytes b;
    b.push_back(uint8_t(fills.size()));
    for (uint32_t c : fills)
        b.insert(b.end(), {0x00, uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
    b.push_back(uint8_t(lines.size()));
    for (const auto& [width, c] : lines)
        b.insert(b.end(), {uint8_t(width), uint8_t(width >> 8), uint8_t(c >> 16), uint8_t(c >> 8),
                           uint8_t(c)});
    b.push_back(0x22); // two bits for fill and line indexes
    b.insert(b.end(), records.begin(), records.end());
    return b;
}

ShapeOutline Read(const Bytes& shape, int version = 1) {
    ShapeOutline out;
    std::string error;
    EXPECT_TRUE(ReadShapeOutline(shape, version, out, error)) << error;
    return out;
}

std::string ReadError(const Bytes& shape, int version = 1) {
    ShapeOutline out;
    std::string error;
    EXPECT_FALSE(ReadShapeOutline(shape, version, out, error));
    return error;
}

TEST(Html5Contours, EdgesJoinEndToStartWhateverTheirOrder) {
    // A square whose edges come in a scrambled order: one closed contour, the closing edge
    // drawn by the close command.
    const std::vector<PathEdge> edges = {
        {10, 10, 0, 0, 0, 10}, {0, 0, 0, 0, 10, 0}, {0, 10, 0, 0, 0, 0}, {10, 0, 0, 0, 10, 10}};
    EXPECT_EQ(ContourPathData(edges), "M10 10h-10v-10h10z");
    // A curve as the last edge is drawn as such before the close; relative numbers after the
    // first move, with a sign standing in for the separator.
    const std::vector<PathEdge> curved = {{0, 0, 0, 0, 20, 0}, {20, 0, 10, 20, 0, 0, true}};
    EXPECT_EQ(ContourPathData(curved), "M0 0h20q-10 20-20 0z");
    // Two contours: the second move is relative to where the first closed; an open run stays
    // open; edges of no length are dropped.
    const std::vector<PathEdge> two = {{0, 0, 0, 0, 5, 0},
                                       {5, 0, 0, 0, 0, 5},
                                       {0, 5, 0, 0, 0, 0},
                                       {3, 3, 0, 0, 3, 3},
                                       {100, 100, 0, 0, 110, 90}};
    EXPECT_EQ(ContourPathData(two), "M0 0h5l-5 5z"
                                    "m100 100l10-10");
}

TEST(Html5Contours, StrokesKeepTheirOrderAndMoveWhereTheyBreak) {
    const std::vector<PathEdge> edges = {
        {0, 0, 0, 0, 10, 0}, {10, 0, 0, 0, 10, 10}, {50, 50, 0, 0, 60, 50}};
    EXPECT_EQ(StrokePathData(edges), "M0 0h10v10m40 40h10");
}

TEST(Html5Shape, EdgesWithTheFillOnEitherSideMakeTheSamePicture) {
    // The same square drawn clockwise with the fill on the fill-1 side, and anticlockwise with
    // it on the fill-0 side: both give one contour in one direction.
    const Bytes right = Shape({0xFF0000}, {},
                              Records(2, 2)
                                  .Move(0, 0, -1, 1)
                                  .Line(100, 0)
                                  .Line(0, 100)
                                  .Line(-100, 0)
                                  .Line(0, -100)
                                  .End());
    const Bytes left = Shape({0xFF0000}, {},
                             Records(2, 2)
                                 .Move(0, 0, 1, -1)
                                 .Line(0, 100)
                                 .Line(100, 0)
                                 .Line(0, -100)
                                 .Line(-100, 0)
                                 .End());
    const ShapeOutline a = Read(right), b = Read(left);
    ASSERT_EQ(a.parts.size(), 1u);
    ASSERT_EQ(b.parts.size(), 1u);
    EXPECT_EQ(a.parts[0].d, "M0 0h100v100h-100z");
    // The turned edges start where the turned square does; the direction is the same.
    EXPECT_EQ(b.parts[0].d, "M0 100v-100h100v100z");
    EXPECT_EQ(a.colours, (std::vector<uint32_t>{0xFFFF0000}));
}

TEST(Html5Shape, EachFillGetsItsEdgesAndSharedEdgesFaceBothWays) {
    // Two squares side by side; the edge between them has the left square's fill on its fill-1
    // side and the right one's on its fill-0 side, and belongs to both contours, once in each
    // direction. An edge with the same fill
    // on both sides belongs to none.
    const Bytes shape = Shape({0xFF0000, 0x0000FF}, {},
                              Records(2, 2)
                                  .Move(0, 0, 0, 1)
                                  .Line(100, 0)
                                  .Move(100, 0, 2, 1)
                                  .Line(0, 100)
                                  .Move(100, 100, 0, 1)
                                  .Line(-100, 0)
                                  .Line(0, -100)
                                  .Move(100, 0, 0, 2)
                                  .Line(100, 0)
                                  .Line(0, 100)
                                  .Line(-100, 0)
                                  .Move(50, 0, 1, 1)
                                  .Line(0, 100)
                                  .End());
    const ShapeOutline out = Read(shape);
    ASSERT_EQ(out.parts.size(), 2u);
    EXPECT_EQ(out.parts[0].d, "M0 0h100v100h-100z");
    EXPECT_EQ(out.parts[1].d, "M100 100v-100h100v100z");
    EXPECT_EQ(out.colours, (std::vector<uint32_t>{0xFFFF0000, 0xFF0000FF}));
    EXPECT_EQ(out.parts[1].slot, 1u);
}

TEST(Html5Shape, LinesAreStrokesAfterTheFills) {
    const Bytes shape = Shape({0x00FF00}, {{40, 0x000000}, {0, 0x333333}},
                              Records(2, 2)
                                  .Move(0, 0, -1, 1, 1)
                                  .Line(10, 0)
                                  .Line(0, 10)
                                  .Line(-10, 0)
                                  .Line(0, -10)
                                  .Move(20, 20, 0, 0, 2)
                                  .Curve(5, 5, 5, -5)
                                  .End());
    const ShapeOutline out = Read(shape);
    ASSERT_EQ(out.parts.size(), 3u);
    EXPECT_FALSE(out.parts[0].line);
    EXPECT_TRUE(out.parts[1].line);
    EXPECT_EQ(out.parts[1].width, 40u);
    EXPECT_EQ(out.parts[1].d, "M0 0h10v10h-10v-10");
    EXPECT_EQ(out.parts[2].width, 0u);
    EXPECT_EQ(out.parts[2].d, "M20 20q5 5 10 0");
    EXPECT_EQ(out.colours, (std::vector<uint32_t>{0xFF00FF00, 0xFF000000, 0xFF333333}));
}

TEST(Html5Shape, DamagedOrUnsupportedShapesAreRefused) {
    const Bytes square =
        Records(2, 2).Move(0, 0, -1, 1).Line(100, 0).Line(0, 100).Line(-100, 0).Line(0, -100).End();
    // Cut short inside the records (the end record and the last edge are missing).
    Bytes cut = Shape({0xFF0000}, {}, square);
    cut.resize(cut.size() - 3);
    EXPECT_NE(ReadError(cut).find("cut short"), std::string::npos);
    // An edge naming fill 2 of a shape with one fill.
    const Bytes missingStyle =
        Shape({0xFF0000}, {}, Records(2, 2).Move(0, 0, -1, 2).Line(100, 0).End());
    EXPECT_NE(ReadError(missingStyle).find("style the shape does not have"), std::string::npos);
    // A gradient and a bitmap fill: the page cannot draw them.
    const Bytes gradient = {1, 0x10};
    EXPECT_NE(ReadError(gradient).find("gradient"), std::string::npos);
    const Bytes bitmap = {1, 0x41};
    EXPECT_NE(ReadError(bitmap).find("bitmap"), std::string::npos);
    // Style arrays that end early.
    EXPECT_NE(ReadError({2, 0x00, 1, 2}).find("cut short"), std::string::npos);
}

TEST(Html5Glyph, EveryFillIsTheTextsAndHolesRunTheOtherWay) {
    // A glyph with an outer contour and a hole drawn the other way round, both with fill 1 on
    // their right: the hole's contour keeps its direction, so nonzero leaves it empty.
    Bytes glyph = {0x10};
    const Bytes records = Records(1, 0)
                              .Move(0, 0, -1, 1)
                              .Line(100, 0)
                              .Line(0, 100)
                              .Line(-100, 0)
                              .Line(0, -100)
                              .Move(25, 25)
                              .Line(0, 50)
                              .Line(50, 0)
                              .Line(0, -50)
                              .Line(-50, 0)
                              .End();
    glyph.insert(glyph.end(), records.begin(), records.end());
    std::string d, error;
    ASSERT_TRUE(ReadGlyphPath(glyph, d, error)) << error;
    EXPECT_EQ(d, "M0 0h100v100h-100z"
                 "m25 25v50h50v-50z");
    glyph.resize(glyph.size() - 4);
    EXPECT_FALSE(ReadGlyphPath(glyph, d, error));
    EXPECT_NE(error.find("glyph"), std::string::npos);
}

} // namespace
} // namespace tavro::html5
