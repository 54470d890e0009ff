// Reading button bodies: records, condition records and damage.
#include "ButtonSwf.h"

#include "player/Character.h"
#include "player/MovieLevel.h"
#include "player/buttons/ButtonRecords.h"

#include <gtest/gtest.h>

namespace tavro::player::test {
namespace {

ButtonRecords ReadButton(ButtonHost& host, const Bytes& buttonTag) {
    host.LoadBytes(Movie(Cat({RectShape(10, 0, 0, 100, 100), buttonTag, ShowFrame(), End()})));
    const Character* c = host.Level0().dictionary.Find(20);
    return c ? ButtonRecords::Read(*c) : ButtonRecords();
}

TEST(ButtonRecords, ConditionRecordsPointAtTheirActions) {
    ButtonHost host;
    ButtonRecords r = ReadButton(host, Button2(20, {{0x09, 10, 3, 40, -40}},
                                               {{kPress, {0x07}}, {kRelease | 0x100, {0x06}}}));
    ASSERT_EQ(r.records.size(), 1u);
    EXPECT_EQ(r.records[0].states, 0x09);
    EXPECT_EQ(r.records[0].characterId, 10);
    EXPECT_EQ(r.records[0].depth, 3);
    EXPECT_EQ(r.records[0].matrix.tx, 40);
    EXPECT_EQ(r.records[0].matrix.ty, -40);
    // Two records with actions and the empty terminator (no actions at all).
    ASSERT_EQ(r.actions.size(), 3u);
    const auto& buf = *host.Level0().SharedBytes();
    EXPECT_EQ(r.actions[0].conditions, kPress);
    EXPECT_EQ(r.actions[0].length, 2u);
    EXPECT_EQ(buf[r.actions[0].offset], 0x07);
    EXPECT_EQ(r.actions[1].conditions, kRelease | 0x100);
    EXPECT_EQ(buf[r.actions[1].offset], 0x06);
    EXPECT_EQ(r.actions[2].conditions, 0);
}

// DefineButton2 bodies written byte by byte: id 20, menu flag, action offset, records, ...
Bytes RawButton2(const Bytes& afterId) {
    Bytes b{20, 0};
    Append(b, afterId);
    return Tag(swfformat::kTagDefineButton2, b);
}

TEST(ButtonRecords, DamageEndsTheListsWithoutReadingPastTheTag) {
    ButtonHost host;
    // A record cut off in its depth: only the first record counts, no actions.
    ButtonRecords cut = ReadButton(host, RawButton2({0x01, 0, 0, /*rec*/ 0x01, 10, 0, 1, 0, 0x00,
                                                     0x00, /*rec*/ 0x02, 10, 0, 1}));
    ASSERT_EQ(cut.records.size(), 1u);
    EXPECT_TRUE(cut.actions.empty());
    EXPECT_TRUE(cut.trackAsMenu);

    // The action offset points beyond the tag.
    ButtonRecords far =
        ReadButton(host, RawButton2({0x00, 0x40, 0x00, 0x01, 10, 0, 1, 0, 0x00, 0x00, 0x00}));
    EXPECT_EQ(far.records.size(), 1u);
    EXPECT_TRUE(far.actions.empty());

    // Offset 3 (after the end byte 0): a good record of size 6, then one whose size runs past
    // the tag, then one more that is never reached.
    ButtonRecords sized = ReadButton(
        host, RawButton2({0x00, 0x03, 0x00, 0x00, /*cond*/ 6, 0, 8, 0, 0x07, 0x00, /*cond*/ 40, 0,
                          8,    0,    0x06, 0x00, /*cond*/ 0, 0, 8, 0, 0x06, 0x00}));
    EXPECT_TRUE(sized.records.empty());
    ASSERT_EQ(sized.actions.size(), 1u);
    EXPECT_EQ(sized.actions[0].length, 2u);

    // A size inside its own header would loop on the spot.
    ButtonRecords tiny =
        ReadButton(host, RawButton2({0x00, 0x03, 0x00, 0x00, /*cond*/ 2, 0, 8, 0, 0x07, 0x00}));
    EXPECT_TRUE(tiny.actions.empty());
}

TEST(ButtonRecords, DamagedButtonsPlayWithoutHarm) {
    ButtonHost host;
    // Records that show the button itself, a missing character, and a cut-off last record.
    // Each record: states, id, depth, identity MATRIX, identity CXFORMWITHALPHA.
    Bytes raw = RawButton2({0x00, 0x00, 0x00,                   // no menu, no actions
                            0x0F, 20,   0,    2, 0, 0x00, 0x00, // the button itself
                            0x01, 99,   0,    3, 0, 0x00, 0x00, // an undefined character
                            0x03, 10,   0,    1, 0, 0x00, 0x00, // the shape, up and over
                            0x01, 10});                         // cut off
    host.LoadBytes(
        Movie(Cat({RectShape(10, 0, 0, 100, 100), raw, Place2(1, 20), ShowFrame(), End()})));
    DisplayObject* b = host.At(1);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(ButtonHost::Shown(b, 1), 10);
    EXPECT_EQ(ButtonHost::Shown(b, 2), -1);
    EXPECT_EQ(ButtonHost::Shown(b, 3), -1);
    EXPECT_EQ(b->firstChild->nextSibling, nullptr);
    host.MouseMove(1, 1, false);
    host.MouseDown(1, 1);
    host.MouseUp(1, 1);
    EXPECT_TRUE(host.log.empty());
}

} // namespace
} // namespace tavro::player::test
