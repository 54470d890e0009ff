#include "model/CNodeClosePath.h"
#include "model/CNodeCurveTo3.h"
#include "model/CNodeLineTo.h"
#include "model/CPath.h"
#include "player/BitReader.h"
#include "player/render/ShapeRecordReader.h"
#include "swf/CSwfWriter.h"
#include "swf/RecordVectorPaths.h"
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

// The edges of records that hold no style changes, as the player reads them: each edge's total
// move and, for curves, the control delta.
struct Edge {
    bool curved;
    int32_t dx, dy, cdx, cdy;
};

std::vector<Edge> DecodeEdges(const Bytes& bytes) {
    player::BitReader in(bytes.data(), bytes.size());
    player::render::ShapeRecordReader reader(in, 0, 0);
    player::render::ShapeRecord rec;
    std::vector<Edge> edges;
    while (reader.Next(rec)) {
        EXPECT_NE(rec.type, player::render::ShapeRecord::StyleChange);
        const bool curved = rec.type == player::render::ShapeRecord::Curve;
        edges.push_back({curved, rec.cdx + rec.dx, rec.cdy + rec.dy, rec.cdx, rec.cdy});
    }
    EXPECT_TRUE(in.ok());
    return edges;
}

TEST(PathShapeRecords, RecordsOfTheSharedTable) {
    for (const auto& s : test::vectors::ShapeRecordsVectors())
        EXPECT_EQ(Records(test::vectors::ToPath(s.records)), s.bytes) << s.what;
}

TEST(PathShapeRecords, CoordinatesAreRoundedBeforeTheDeltas) {
    CPath vertical;
    vertical.AddLineTo(0.4, -6.5); // rounds to (0, -7)
    EXPECT_EQ(Records(vertical), Bits("11 0010 0 1 1001" + kEnd));

    // A curve from the moved pen: control delta from the pen, anchor delta from the control.
    CPath curve;
    curve.AddMoveTo(10, 10);
    curve.AddCurveTo2({12.5, 10}, {12.6, 4}); // control (13, 10), anchor (13, 4)
    EXPECT_EQ(Records(curve), Bits("0 0 0 0 0 1 00101" + Field(10, 5) + Field(10, 5) +
                                   "10 0010 0011 0000 0000 1010" + kEnd));
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
