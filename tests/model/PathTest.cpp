#include "model/Archive.h"
#include "model/CNodeClosePath.h"
#include "model/CNodeCurveTo2.h"
#include "model/CNodeCurveTo3.h"
#include "model/CNodeLineTo.h"
#include "model/CNodeMoveTo.h"
#include "model/CPath.h"
#include "model/RecordingDrawContext.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace tavro {
namespace {

// Little-endian archive bytes built by hand.
struct Bytes {
    std::vector<uint8_t> v;
    Bytes& b(uint8_t x) {
        v.push_back(x);
        return *this;
    }
    Bytes& w(uint16_t x) { return b(x & 0xFF).b(x >> 8); }
    Bytes& d(double x) {
        uint8_t raw[8];
        std::memcpy(raw, &x, 8);
        v.insert(v.end(), raw, raw + 8);
        return *this;
    }
    Bytes& cls(std::string_view name, uint16_t schema = 1) {
        w(0xFFFF).w(schema).w(static_cast<uint16_t>(name.size()));
        v.insert(v.end(), name.begin(), name.end());
        return *this;
    }
};

CPath Load(const std::vector<uint8_t>& bytes) {
    CPath path;
    LoadObjectFromMemory(bytes, path);
    return path;
}

TEST(PathBuilding, LineToSkipsOnlyAPointEqualToTheLastOne) {
    CPath path;
    EXPECT_EQ(path.modified, 0);
    path.AddLineTo(1, 2); // an empty path has no last point
    EXPECT_EQ(path.modified, 1);
    path.AddLineTo(1 + 1e-11, 2 - 1e-11);
    EXPECT_EQ(path.GetNodeCount(), 1u);
    path.AddLineTo(1 + 1e-9, 2);
    EXPECT_EQ(path.GetNodeCount(), 2u);

    // The last point of a curve is its anchor, not its control point.
    path.AddCurveTo2({5, 5}, {7, 8});
    path.AddLineTo(5, 5);
    path.AddLineTo(5, 5);
    EXPECT_EQ(path.GetNodeCount(), 4u);

    // Moves are never checked; after a node without points a line-to always appends.
    path.AddMoveTo(5, 5);
    path.AddMoveTo(5, 5);
    path.AddNode(std::make_unique<CNodeClosePath>());
    path.AddLineTo(5, 5);
    ASSERT_EQ(path.GetNodeCount(), 8u);
    EXPECT_FALSE(path.GetNodes().back()->IsMoveTo());
    EXPECT_EQ(path.GetNodes().back()->GetPointCount(), 1);
}

TEST(PathNodes, ClassesAnswerTheirKindAndPoints) {
    const CNodeMoveTo move;
    const CNodeLineTo line;
    const CNodeCurveTo2 quad;
    const CNodeCurveTo3 cubic;
    const CNodeClosePath close;
    const CPathNode* nodes[] = {&move, &line, &quad, &cubic, &close};
    const int counts[] = {1, 1, 2, 3, 0};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(nodes[i]->GetRuntimeClass()->className);
        EXPECT_EQ(nodes[i]->GetPointCount(), counts[i]);
        EXPECT_EQ(nodes[i]->IsMoveTo(), i == 0);
        EXPECT_EQ(nodes[i]->IsClosePath(), i == 4);
        EXPECT_EQ(nodes[i]->IsCurve(), i == 2 || i == 3);
        EXPECT_EQ(nodes[i]->GetPoints() == nullptr, i == 4);
        EXPECT_EQ(ClassInfo::FromName(nodes[i]->GetRuntimeClass()->className),
                  nodes[i]->GetRuntimeClass());
    }
    EXPECT_EQ(close.GetLastPoint(), nullptr);
    EXPECT_EQ(CPathNode().Clone(), nullptr);
}

TEST(PathNodes, CloneAndEquality) {
    const CNodeMoveTo move({3.5, -2}, 1, 0);
    auto copy = move.Clone();
    ASSERT_TRUE(copy && copy->IsMoveTo());
    const auto& m = static_cast<const CNodeMoveTo&>(*copy);
    EXPECT_EQ(m.target, CDoublePoint(3.5, -2));
    EXPECT_EQ(m.fillStyle1, 1);
    EXPECT_EQ(m.lineStyle, 0);

    const CNodeCurveTo3 cubic({1, 2}, {3, 4}, {5, 6});
    auto cubicCopy = cubic.Clone();
    EXPECT_EQ(cubicCopy->GetRuntimeClass(), &CNodeCurveTo3::classInfo);
    EXPECT_TRUE(cubicCopy->IsEqual(cubic));
    EXPECT_TRUE(CNodeClosePath().Clone()->IsEqual(CNodeClosePath()));

    // Style indices do not take part; the class and every point within 1e-10 do.
    EXPECT_TRUE(CNodeMoveTo({3.5, -2}).IsEqual(move));
    EXPECT_TRUE(CNodeMoveTo({3.5 + 5e-11, -2}).IsEqual(move));
    EXPECT_FALSE(CNodeMoveTo({3.5 + 1e-9, -2}).IsEqual(move));
    EXPECT_FALSE(CNodeLineTo({3.5, -2}).IsEqual(move));
    EXPECT_FALSE(CNodeCurveTo3({1, 2}, {3, 4.1}, {5, 6}).IsEqual(cubic));

    CPath a, b;
    a.AddMoveTo(0, 0, 1);
    a.AddCurveTo2({1, 1}, {2, 0});
    b.AddMoveTo(0, 0);
    b.AddCurveTo2({1, 1}, {2, 0});
    EXPECT_TRUE(a.IsEqual(b));
    b.AddLineTo(0, 0);
    EXPECT_FALSE(a.IsEqual(b));
    CPath c(b); // deep copy
    b.RemoveAll();
    EXPECT_EQ(c.GetNodeCount(), 3u);
    EXPECT_EQ(a.Reserved(1, 2, 3, 4), 0);
}

TEST(PathBounds, CoverEveryPointControlPointsIncluded) {
    const CDoubleRect empty = CPath().GetBounds();
    EXPECT_EQ(empty.x0, 1e30);
    EXPECT_EQ(empty.y0, 1e30);
    EXPECT_EQ(empty.x1, -1e30);
    EXPECT_EQ(empty.y1, -1e30);

    CPath path;
    path.AddMoveTo(10, 10);
    path.AddCurveTo2({-5, 40}, {20, 10});
    path.AddNode(std::make_unique<CNodeCurveTo3>(CDoublePoint(0, 0), CDoublePoint(50, -7),
                                                 CDoublePoint(20, 20)));
    path.AddNode(std::make_unique<CNodeClosePath>());
    EXPECT_EQ(path.GetBounds(), CDoubleRect(-5, -7, 50, 40));

    path.Offset(1, -1);
    EXPECT_EQ(path.GetBounds(), CDoubleRect(-4, -8, 51, 39));
}

TEST(PathArchive, WritesPointsWithoutVersionBytes) {
    CPath path;
    path.AddMoveTo(1.5, -2, 1, 1);
    path.AddLineTo(3, 4);
    path.AddNode(std::make_unique<CNodeClosePath>());
    path.AddLineTo(1.5, -2);
    const std::vector<uint8_t> expected = Bytes()
                                              .b(1)               // version
                                              .w(4)               // node count
                                              .cls("CNodeMoveTo") // class 1, object 2
                                              .d(1.5)
                                              .d(-2)
                                              .cls("CNodeLineTo") // class 3, object 4
                                              .d(3)
                                              .d(4)
                                              .cls("CNodeClosePath") // class 5, object 6
                                              .w(0x8003)             // a line-to again
                                              .d(1.5)
                                              .d(-2)
                                              .v;
    EXPECT_EQ(SaveObjectToMemory(path), expected);

    const CPath loaded = Load(expected);
    EXPECT_EQ(loaded.modified, 1);
    EXPECT_TRUE(loaded.IsEqual(path));
    // Style indices are not archived.
    const auto& move = static_cast<const CNodeMoveTo&>(*loaded.GetNodes()[0]);
    EXPECT_EQ(move.fillStyle1, -1);
    EXPECT_EQ(move.lineStyle, -1);
}

TEST(PathArchive, StoredSchemaAndVersionDecideWhatIsRead) {
    // A line-to class stored with schema 0 carries no points; the quadratic after it still reads.
    const CPath loaded =
        Load(Bytes().b(1).w(2).cls("CNodeLineTo", 0).cls("CNodeCurveTo2").d(1).d(2).d(3).d(4).v);
    ASSERT_EQ(loaded.GetNodeCount(), 2u);
    EXPECT_EQ(*loaded.GetNodes()[0]->GetLastPoint(), CDoublePoint(0, 0));
    EXPECT_TRUE(loaded.GetNodes()[1]->IsEqual(CNodeCurveTo2({1, 2}, {3, 4})));

    // Version 0: nothing more, but the path counts as modified; loading replaces old nodes.
    CPath path;
    path.AddLineTo(1, 1);
    path.modified = 0;
    LoadObjectFromMemory(Bytes().b(1).w(0).v, path);
    EXPECT_EQ(path.GetNodeCount(), 0u);
    path.AddLineTo(1, 1);
    path.modified = 0;
    LoadObjectFromMemory(Bytes().b(0).v, path);
    EXPECT_EQ(path.modified, 1);
    EXPECT_EQ(path.GetNodeCount(), 1u);
}

TEST(PathArchive, DamageBecomesAnArchiveError) {
    auto cause = [](const std::vector<uint8_t>& bytes) {
        try {
            Load(bytes);
        } catch (const ArchiveError& e) {
            return e.GetCause();
        }
        ADD_FAILURE() << "no error";
        return ArchiveError::Cause::NotSupported;
    };
    using Cause = ArchiveError::Cause;
    // Points cut short.
    EXPECT_EQ(cause(Bytes().b(1).w(1).cls("CNodeLineTo").d(1).b(0).v), Cause::EndOfFile);
    // A huge count with nothing behind it.
    EXPECT_EQ(cause(Bytes().b(1).w(0xFFFE).v), Cause::EndOfFile);
    // An object that is not a node, and a null entry.
    EXPECT_EQ(cause(Bytes().b(1).w(1).cls("CColor").b(1).v), Cause::BadClass);
    EXPECT_ANY_THROW(Load(Bytes().b(1).w(1).w(0).v));
}

TEST(PathDraw, NodesDrawRoundedThroughTheContext) {
    CPath path;
    path.AddMoveTo(0.5, -0.5);
    path.AddLineTo(10.4, -2.5);
    // Quadratic from (10, -3) with control (40, 30) and anchor (70, 0) as the equal cubic:
    // controls p0 + 2/3 (c - p0) = (30, 19) and a + 2/3 (c - a) = (50, 20).
    path.AddCurveTo2({40, 30}, {70, 0});
    path.AddNode(std::make_unique<CNodeCurveTo3>(CDoublePoint(1, 2), CDoublePoint(3, 4),
                                                 CDoublePoint(5.5, 6)));
    path.AddNode(std::make_unique<CNodeClosePath>());
    RecordingDrawContext dc;
    path.Draw(dc);
    const std::vector<std::string> expected = {"MoveTo 1 -1", "LineTo 10 -3",
                                               "BezierTo 30 19 50 20 70 0", "BezierTo 1 2 3 4 6 6",
                                               "CloseFigure"};
    EXPECT_EQ(dc.Calls(), expected);
    EXPECT_EQ(dc.GetCurrentPosition(), (IntPoint{1, -1}));

    // Replacement points are drawn instead of the node's own.
    dc.Clear();
    const CDoublePoint moved[] = {{-2.5, 7.49}};
    path.GetNodes()[1]->Draw(dc, moved);
    EXPECT_EQ(dc.Calls(), std::vector<std::string>{"LineTo -3 7"});
}

TEST(PathDraw, MaskMarksInkAndStaysInsideItsSurface) {
    RecordingDrawContext dc;
    auto mask = dc.CreateMask(20, 10);
    EXPECT_EQ(dc.Calls(), std::vector<std::string>{"CreateMask 20 10"});
    DrawContext& m = mask->Context();
    m.FillRect({2, 2, 5, 4}, CColor(255, 255, 255));
    EXPECT_TRUE(mask->Test(2, 2));
    EXPECT_TRUE(mask->Test(4, 3));
    EXPECT_FALSE(mask->Test(5, 3)); // right edge excluded
    EXPECT_FALSE(mask->Test(-1, 0));
    EXPECT_FALSE(mask->Test(20, 0));

    // A figure far outside the surface is clipped, not walked pixel by pixel.
    m.MoveTo({-2000000000, 5});
    m.LineTo({2000000000, 5});
    EXPECT_TRUE(mask->Test(0, 5));
    EXPECT_TRUE(mask->Test(19, 5));
    EXPECT_FALSE(mask->Test(0, 6));

    // Inverting twice restores the picture.
    m.InvertRectOutline({0, 0, 20, 10});
    EXPECT_TRUE(mask->Test(0, 0));
    EXPECT_FALSE(mask->Test(0, 5));
    m.InvertRectOutline({0, 0, 20, 10});
    EXPECT_FALSE(mask->Test(0, 0));
    EXPECT_TRUE(mask->Test(0, 5));

    m.FillRect({-100000, -100000, 100000, 100000}, CColor());
    EXPECT_TRUE(mask->Test(19, 9));
    EXPECT_EQ(dc.CreateMask(-5, 3)->Width(), 0);
}

} // namespace
} // namespace tavro
