// Placement, modification and removal through the tags, and the dictionary rules.
#include "PlayerTestSupport.h"

#include "player/Character.h"
#include "player/DisplayObject.h"

#include <gtest/gtest.h>

#include <vector>

namespace tavro::player::test {
namespace {

std::vector<uint16_t> Depths(const DisplayObject* parent) {
    std::vector<uint16_t> d;
    for (const DisplayObject* c = parent->firstChild; c; c = c->nextSibling)
        d.push_back(c->depth);
    return d;
}

Bytes EmptySprite(uint16_t id) {
    return DefineSprite(id, 1, Cat({ShowFrame(), End()}));
}

TEST(DisplayList, GeneratedInstanceNamesCountPerPlayer) {
    RecordingHost host;
    host.LoadBytes(
        Movie(Cat({EmptySprite(2), DefineShape(1), Place2(3, 2), Place2(1, 2),
                   Place2(5, 2, "named"), Place2(4, 1), Place2(2, 2), ShowFrame(), End()})));
    const DisplayObject* root = host.Level0().rootObject;
    EXPECT_EQ(Depths(root), (std::vector<uint16_t>{1, 2, 3, 4, 5}));
    EXPECT_EQ(root->FindChild(3)->name, "instance1");
    EXPECT_EQ(root->FindChild(1)->name, "instance2");
    EXPECT_EQ(root->FindChild(2)->name, "instance3");
    EXPECT_EQ(root->FindChild(5)->name, "named");
    EXPECT_EQ(root->FindChild(4)->name, ""); // shapes get no generated name

    // A new movie does not restart the counter.
    host.LoadBytes(Movie(Cat({EmptySprite(2), Place2(1, 2), ShowFrame(), End()})));
    EXPECT_EQ(host.Level0().rootObject->FindChild(1)->name, "instance4");
}

TEST(DisplayList, MoveRules) {
    RecordingHost host;
    host.LoadBytes(Movie(Cat({DefineShape(1), DefineShape(3), EmptySprite(2), Place2(1, 2, "s"),
                              Place2(2, 1), Move2(7, 40, 40), // empty depth: nothing is placed
                              Move2(1, 20, 30, 1),            // a shape does not replace a sprite
                              Move2(2, 5, 6, 3),              // a shape replaces a shape
                              ShowFrame(), End()})));
    const DisplayObject* root = host.Level0().rootObject;
    EXPECT_EQ(Depths(root), (std::vector<uint16_t>{1, 2}));
    const DisplayObject* sprite = root->FindChild(1);
    EXPECT_EQ(sprite->character->type, CharacterType::Sprite);
    EXPECT_EQ(sprite->matrix.tx, 20); // the transform still applies
    EXPECT_EQ(sprite->matrix.ty, 30);
    EXPECT_EQ(root->FindChild(2)->character->id, 3);
    EXPECT_EQ(root->FindChild(2)->matrix.tx, 5);
}

TEST(DisplayList, ScriptTransformedObjectsIgnoreTimelineMoves) {
    RecordingHost host;
    host.LoadBytes(Movie(
        Cat({DefineShape(1), Place2(1, 1), ShowFrame(), Move2(1, 99, 99), ShowFrame(), End()}), 2));
    DisplayObject* obj = host.Level0().rootObject->FindChild(1);
    obj->scriptTransformed = true;
    host.StepFrame();
    EXPECT_EQ(obj->matrix.tx, 0);
}

TEST(DisplayList, RemoveAndUnknownIdsAreIgnoredSafely) {
    RecordingHost host;
    Bytes removeV1;
    U16(removeV1, 1);
    U16(removeV1, 1);
    host.LoadBytes(Movie(Cat({DefineShape(1), Place2(1, 1), Place2(2, 1), Place2(3, 77), Remove2(9),
                              Tag(5, removeV1), ShowFrame(), End()})));
    EXPECT_EQ(Depths(host.Level0().rootObject), (std::vector<uint16_t>{2}));
}

TEST(Dictionary, FirstDefinitionWinsAndBucketsCompareFullIds) {
    RecordingHost host;
    host.LoadBytes(Movie(Cat({DefineShape(5, 100, 100), DefineShape(5, 900, 900),
                              DefineShape(133, 300, 300), ShowFrame(), End()})));
    CharacterDictionary& dict = host.Level0().dictionary;
    ASSERT_NE(dict.Find(5), nullptr);
    EXPECT_EQ(dict.Find(5)->bounds, Rect(0, 100, 0, 100));
    ASSERT_NE(dict.Find(133), nullptr); // same bucket as 5
    EXPECT_EQ(dict.Find(133)->bounds, Rect(0, 300, 0, 300));
    EXPECT_EQ(dict.Find(261), nullptr);
    // The shape's record bytes follow its bounds: styles 0, 0, bit counts 0, end record 0.
    auto data = dict.Find(5)->Data();
    EXPECT_EQ(std::vector<uint8_t>(data.begin(), data.end()), (std::vector<uint8_t>{0, 0, 0, 0}));
}

TEST(Dictionary, FreeingAPlacedCharacterKeepsTheObjectValid) {
    RecordingHost host;
    Bytes freeBody;
    U16(freeBody, 1);
    host.LoadBytes(Movie(Cat({DefineShape(1), Place2(1, 1), ShowFrame(), Tag(3, freeBody),
                              Move2(1, 10, 10), ShowFrame(), Place2(2, 1), ShowFrame(), End()}),
                         3));
    host.StepFrame();
    host.StepFrame();
    const DisplayObject* obj = host.Level0().rootObject->FindChild(1);
    ASSERT_NE(obj, nullptr);
    EXPECT_EQ(obj->character->bounds, Rect(0, 200, 0, 200));
    EXPECT_EQ(host.Level0().dictionary.Find(1), nullptr);
    EXPECT_EQ(host.Level0().rootObject->FindChild(2), nullptr); // no longer defined
}

TEST(DisplayList, SelfPlacingSpritesAreBounded) {
    RecordingHost host;
    // Sprite 2 places itself twice in its first frame.
    host.LoadBytes(
        Movie(Cat({DefineSprite(2, 1, Cat({Place2(1, 2), Place2(2, 2), ShowFrame(), End()})),
                   Place2(1, 2), ShowFrame(), End()})));
    EXPECT_TRUE(host.Running());
    EXPECT_LE(host.GetDisplayList().LiveObjectCount(), DisplayList::kMaxObjects);
    host.StepFrame();
    host.Close();
    EXPECT_EQ(host.GetDisplayList().LiveObjectCount(), 0u);
}

} // namespace
} // namespace tavro::player::test
