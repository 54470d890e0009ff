// The player side of the shared record table: decoding each record's bytes gives its values.
#include "PlayerTestSupport.h"

#include "player/DisplayList.h"
#include "player/DisplayObject.h"
#include "player/PlaceRecord.h"
#include "swfformat/RecordVectors.h"
#include "swfformat/TagCodes.h"

#include <gtest/gtest.h>

namespace tavro::player::test {
namespace {

namespace v = tavro::test::vectors;

void ExpectMatrix(const Matrix16& got, const v::MatrixVector& m) {
    EXPECT_EQ(got.a, m.scaleX) << m.what;
    EXPECT_EQ(got.b, m.rotateSkew0) << m.what;
    EXPECT_EQ(got.c, m.rotateSkew1) << m.what;
    EXPECT_EQ(got.d, m.scaleY) << m.what;
    EXPECT_EQ(got.tx, m.translateX) << m.what;
    EXPECT_EQ(got.ty, m.translateY) << m.what;
}

void ExpectCxform(const ColorXform& got, const v::CxformVector& c) {
    EXPECT_EQ((std::array<int32_t, 4>{got.rMul, got.gMul, got.bMul, got.aMul}), c.mult) << c.what;
    EXPECT_EQ((std::array<int32_t, 4>{got.rAdd, got.gAdd, got.bAdd, got.aAdd}), c.add) << c.what;
}

TEST(RecordVectorsRead, ValueRecords) {
    for (const auto& r : v::RectVectors()) {
        BitReader in(r.bytes.data(), r.bytes.size());
        EXPECT_EQ(in.ReadRect(), Rect(r.xmin, r.xmax, r.ymin, r.ymax)) << r.what;
        EXPECT_TRUE(in.ok()) << r.what;
        EXPECT_EQ(in.Pos(), r.bytes.size()) << r.what;
    }
    for (const auto& m : v::MatrixVectors()) {
        BitReader in(m.bytes.data(), m.bytes.size());
        ExpectMatrix(in.ReadMatrix(), m);
        EXPECT_TRUE(in.ok()) << m.what;
        EXPECT_EQ(in.Pos(), m.bytes.size()) << m.what;
    }
    for (const auto& c : v::CxformVectors()) {
        BitReader in(c.bytes.data(), c.bytes.size());
        ExpectCxform(in.ReadCxform(c.withAlpha), c);
        EXPECT_TRUE(in.ok()) << c.what;
        EXPECT_EQ(in.Pos(), c.bytes.size()) << c.what;
    }
}

TEST(RecordVectorsRead, PlaceObject2) {
    for (const auto& p : v::PlaceVectors()) {
        BitReader in(p.bytes.data(), p.bytes.size());
        const uint16_t header = in.U16();
        ASSERT_EQ(header >> 6, swfformat::kTagPlaceObject2) << p.what;
        ASSERT_EQ(header & 0x3F, p.bytes.size() - 2) << p.what;
        const PlaceRecord record = ReadPlaceObject2(in);
        EXPECT_TRUE(in.ok()) << p.what;
        EXPECT_EQ(in.Pos(), p.bytes.size()) << p.what;
        EXPECT_EQ(record.depth, p.depth) << p.what;
        EXPECT_EQ((record.flags & PlaceInfo::kMove) != 0, p.move) << p.what;
        EXPECT_EQ((record.flags & PlaceInfo::kHasCharacter) != 0, !p.move) << p.what;
        if (!p.move) {
            EXPECT_EQ(record.characterId, p.characterId) << p.what;
        }
        EXPECT_EQ((record.flags & PlaceInfo::kHasMatrix) != 0, p.matrix.has_value()) << p.what;
        if (p.matrix) {
            ExpectMatrix(record.matrix, *p.matrix);
        }
        EXPECT_EQ((record.flags & PlaceInfo::kHasCxform) != 0, p.cxform.has_value()) << p.what;
        if (p.cxform) {
            ExpectCxform(record.cxform, *p.cxform);
        }
    }
}

// The placement, removal, background and sprite records played in a movie.
TEST(RecordVectorsRead, TagsPlayedInAMovie) {
    const auto places = v::PlaceVectors();
    const auto background = v::BackgroundVectors()[1];
    RecordingHost host;
    host.LoadBytes(Movie(Cat({background.bytes, DefineShape(2), DefineShape(5), places[0].bytes,
                              places[2].bytes, v::RemoveVectors()[0].bytes, ShowFrame(), End()})));
    const DisplayList& list = *host.Level0().displayList;
    EXPECT_TRUE(list.hasBackground);
    EXPECT_EQ(list.backgroundColor,
              uint32_t(background.red) << 16 | uint32_t(background.green) << 8 | background.blue);
    const DisplayObject* root = host.Level0().rootObject;
    EXPECT_EQ(root->FindChild(1), nullptr); // placed, then removed by depth
    ASSERT_NE(root->FindChild(0x0102), nullptr);
    EXPECT_EQ(root->FindChild(0x0102)->character->id, 5);

    // A sprite of one frame with one placement of character 7.
    const Bytes inner = tavro::test::Hex("85 06 02 01 00 07 00");
    RecordingHost sprite;
    sprite.LoadBytes(
        Movie(Cat({DefineShape(7), v::SpriteBytes(inner), Place2(1, 1), ShowFrame(), End()})));
    const DisplayObject* placed = sprite.Level0().rootObject->FindChild(1);
    ASSERT_NE(placed, nullptr);
    ASSERT_NE(placed->FindChild(1), nullptr);
    EXPECT_EQ(placed->FindChild(1)->character->id, 7);
}

} // namespace
} // namespace tavro::player::test
