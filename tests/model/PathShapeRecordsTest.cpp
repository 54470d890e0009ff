#include "model/CNodeClosePath.h"
#include "model/CNodeCurveTo3.h"
#include "model/CNodeLineTo.h"
#include "model/CPath.h"
#include "player/BitReader.h"
#include "swf/CSwfWriter.h"
#include "swfformat/SwfTestBytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace tavro {
namespace {

using test::Bits;
using test::Bytes;
using test::Field;

const std::string kEnd = "000000";

// The bytes of a path's shape records, as written from a byte boundary.
Bytes Records(const CPath& path) {
    CSwfWriter w;
    path.WriteShapeRecords(w);
    const uint32_t end = (w.GetPosition(false) + 7) / 8;
    return Bytes(w.GetImage() + 8, w.GetImage() + end);
}

struct Edge {
    bool curved;
    int32_t dx, dy, cdx, cdy; // total move; control delta for curves
};

// Reads edge records up to the end record (no style-change records expected).
std::vector<Edge> DecodeEdges(const Bytes& bytes) {
    player::BitReader r(bytes.data(), bytes.size());
    std::vector<Edge> edges;
    while (r.ok()) {
        if (r.UBits(1) == 0) {
            EXPECT_EQ(r.UBits(5), 0u) << "only edges and the end record expected";
            break;
        }
        const bool straight = r.UBits(1) == 1;
        const unsigned n = r.UBits(4) + 2;
        Edge e{!straight, 0, 0, 0, 0};
        if (straight) {
            if (r.UBits(1) == 1) {
                e.dx = r.SBits(n);
                e.dy = r.SBits(n);
            } else if (r.UBits(1) == 0) {
                e.dx = r.SBits(n);
            } else {
                e.dy = r.SBits(n);
            }
        } else {
            e.cdx = r.SBits(n);
            e.cdy = r.SBits(n);
            e.dx = e.cdx + r.SBits(n);
            e.dy = e.cdy + r.SBits(n);
        }
        edges.push_back(e);
    }
    EXPECT_TRUE(r.ok());
    return edges;
}

TEST(PathShapeRecords, StraightEdgesInEachDirection) {
    CPath plus5;
    plus5.AddLineTo(5, 0); // SignedBitCount(5) = 4: NumBits field 2
    EXPECT_EQ(Records(plus5), Bits("11 0010 0 0 0101" + kEnd));

    CPath plus1;
    plus1.AddLineTo(1, 0); // the field never goes below 2 bits
    EXPECT_EQ(Records(plus1), Bits("11 0000 0 0 01" + kEnd));

    CPath vertical;
    vertical.AddLineTo(0.4, -6.5); // rounds to (0, -7)
    EXPECT_EQ(Records(vertical), Bits("11 0010 0 1 1001" + kEnd));

    CPath general;
    general.AddLineTo(3, -100); // -100 needs 8 bits
    EXPECT_EQ(Records(general), Bits("11 0110 1" + Field(3, 8) + Field(-100, 8) + kEnd));
}

TEST(PathShapeRecords, ZeroLengthEdgesAndPointlessNodesWriteNothing) {
    CPath path;
    path.AddLineTo(0.4, -0.4); // rounds onto the pen
    path.AddCurveTo2({0.2, 0.3}, {-0.1, 0});
    path.AddNode(std::make_unique<CNodeCurveTo3>(CDoublePoint(9, 9), CDoublePoint(9, 9),
                                                 CDoublePoint(9, 9)));
    path.AddNode(std::make_unique<CNodeClosePath>());
    path.AddLineTo(2, 0); // the pen is still at (0, 0): cubic curves never move it
    EXPECT_EQ(Records(path), Bits("11 0001 0 0 010" + kEnd));
    // The cubic still counts in the bounds.
    EXPECT_EQ(path.GetBounds().x1, 9);
}

TEST(PathShapeRecords, MoveToWithStylesAndCurves) {
    CPath fill;
    fill.AddMoveTo(0, 0, 1);
    // Not an edge, no new styles, no line, fill 1, no fill 0, move; 1-bit coordinates; index 1.
    EXPECT_EQ(Records(fill), Bits("0 0 0 1 0 1 00001 0 0 1" + kEnd));

    CPath both;
    both.AddMoveTo(-3, 20, 0, 1); // -3 needs 3 bits, 20 needs 6
    EXPECT_EQ(Records(both),
              Bits("0 0 1 1 0 1 00110" + Field(-3, 6) + Field(20, 6) + "0 1" + kEnd));

    // A curve from the moved pen: control delta from the pen, anchor delta from the control.
    CPath curve;
    curve.AddMoveTo(10, 10);
    curve.AddCurveTo2({12.5, 10}, {12.6, 4}); // control (13, 10), anchor (13, 4)
    EXPECT_EQ(Records(curve), Bits("0 0 0 0 0 1 00101" + Field(10, 5) + Field(10, 5) +
                                   "10 0010 0011 0000 0000 1010" + kEnd));
}

TEST(PathShapeRecords, EdgesBeyondSeventeenBitsAreSplit) {
    // 65,535 twips still fit one record of 17-bit fields.
    CPath fits;
    fits.AddLineTo(65535, -65535);
    EXPECT_EQ(Records(fits), Bits("11 1111 1" + Field(65535, 17) + Field(-65535, 17) + kEnd));

    CPath longLine;
    longLine.AddLineTo(70000, 0);
    EXPECT_EQ(Records(longLine),
              Bits("11 1111 0 0" + Field(35000, 17) + "11 1111 0 0" + Field(35000, 17) + kEnd));

    // Far ends: a general line, a curve whose legs are long, and a move to the limit of a
    // move's 31-bit coordinates; every piece fits and together they reach each end point.
    CPath far;
    far.AddLineTo(-1000001, 300007);
    far.AddCurveTo2({2000000, -3000000}, {123, 456});
    far.AddCurveTo2({1e300, -HUGE_VAL}, {-5, 7}); // kept to the coordinate range
    far.AddCurveTo2({NAN, 0}, {123, 456});
    for (const auto& [label, path, endX, endY] :
         {std::tuple{"line", &longLine, 70000, 0}, std::tuple{"far", &far, 123, 456}}) {
        SCOPED_TRACE(label);
        int64_t x = 0, y = 0;
        size_t curves = 0;
        for (const Edge& e : DecodeEdges(Records(*path))) {
            for (int32_t d : {e.dx - e.cdx, e.dy - e.cdy, e.cdx, e.cdy})
                EXPECT_LE(std::abs(d), 65535);
            curves += e.curved;
            x += e.dx;
            y += e.dy;
        }
        EXPECT_EQ(x, endX);
        EXPECT_EQ(y, endY);
        EXPECT_EQ(curves > 1, path == &far);
    }

    CPath clamped;
    clamped.AddMoveTo(5e12, -5e12);
    EXPECT_EQ(Records(clamped),
              Bits("0 0 0 0 0 1 11111" + Field((1 << 30) - 1, 31) + Field(-(1 << 30), 31) + kEnd));
}

TEST(PathShapeRecords, ReplacementTargetOfAStraightEdge) {
    CSwfWriter w;
    IntPoint pen{10, 10};
    const IntPoint target{10, 15};
    CNodeLineTo({99, 99}).WriteShapeRecord(w, pen, &target);
    EXPECT_EQ(pen, target);
    EXPECT_EQ(Bytes(w.GetImage() + 8, w.GetImage() + 10), Bits("11 0010 0 1 0101"));
}

} // namespace
} // namespace tavro
