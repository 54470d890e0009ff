// Scenes in the editor: copy and comparison, frame count, picking and drawing children.
#include "effects/CEventAtFrame.h"
#include "model/CSceneObj.h"
#include "model/RecordingDrawContext.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace tavro {
namespace {

// A child with a fixed screen rectangle, mask answer and frame count; Draw logs its name.
class BoxSymbol : public CSymbolObj {
public:
    IntRect screen;
    bool maskHit = false;
    int frames = 0;
    std::vector<std::string>* log = nullptr;
    IntRect GetScreenRect() const override { return screen; }
    bool HitTestMask(int, int) const override { return maskHit; }
    int GetFrameCount() const override { return frames; }
    void Draw(DrawContext&, const IntRect&, bool selected) override {
        log->push_back(GetName() + (selected ? "*" : ""));
    }
};

BoxSymbol* AddBox(CSceneObj& scene, const char* name, IntRect screen, bool maskHit = false) {
    auto box = std::make_unique<BoxSymbol>();
    box->SetName(name);
    box->screen = screen;
    box->maskHit = maskHit;
    return static_cast<BoxSymbol*>(scene.GetChildAt(scene.AddChild(std::move(box))));
}

TEST(Scene, CopyAndCompareTakeLinkTargetAndReservedB) {
    CSceneObj scene;
    scene.SetLink("http://a/");
    scene.SetTargetFrame("_top");
    scene.SetReservedA(1);
    scene.SetReservedB(2);
    CSceneObj copy(scene);
    EXPECT_EQ(copy.GetReservedA(), 0);
    EXPECT_TRUE(copy.IsEqualScene(scene)); // A is neither copied nor compared
    copy.SetReservedB(3);
    EXPECT_FALSE(copy.IsEqualScene(scene));
    copy.CopyScene(scene);
    copy.SetTargetFrame("_self");
    EXPECT_FALSE(copy.IsEqualScene(scene));
}

TEST(Scene, FrameCountCoversChildrenAndFrameEvents) {
    CSceneObj scene;
    EXPECT_EQ(scene.GetFrameCount(), 0);
    scene.InsertEvent(std::make_unique<CEventObj>()); // a button event has no frame
    scene.InsertEvent(std::make_unique<CEventAtFrame>(nullptr, 4));
    EXPECT_EQ(scene.GetFrameCount(), 5);
    AddBox(scene, "a", {})->frames = 7;
    EXPECT_EQ(scene.GetFrameCount(), 7);
    // A frame far out (a damaged file) neither overflows nor asks for more than a movie holds.
    scene.InsertEvent(std::make_unique<CEventAtFrame>(nullptr, INT_MAX));
    EXPECT_EQ(scene.GetFrameCount(), CSceneObj::kMaxFrameCount);
}

TEST(Scene, PickingUsesTheMaskOnlyWhenChildrenOverlap) {
    CSceneObj scene;
    BoxSymbol* front = AddBox(scene, "front", {0, 0, 10, 10});
    BoxSymbol* back = AddBox(scene, "back", {5, 5, 20, 20}, true);
    EXPECT_EQ(scene.FindChildAt(2, 2), front);     // one hit: no mask needed
    EXPECT_EQ(scene.FindChildAt(20, 20), nullptr); // right and bottom edges are outside
    EXPECT_EQ(scene.FindChildAt(7, 7), back);      // both: the first whose mask has ink
    front->maskHit = true;
    EXPECT_EQ(scene.FindChildAt(7, 7), front);

    std::vector<CSymbolObj*> told;
    auto notify = [&](CSymbolObj* s) { told.push_back(s); };
    EXPECT_EQ(scene.SelectChildAt(15, 15, notify), back);
    EXPECT_EQ(scene.GetSelectedChild(), back);
    EXPECT_EQ(scene.SelectChildAt(50, 50, notify), nullptr);
    EXPECT_EQ(scene.GetSelectedChild(), nullptr);
    EXPECT_EQ(told, (std::vector<CSymbolObj*>{back, nullptr}));
}

TEST(Scene, DrawChildrenBackToFrontWithinTheClip) {
    CSceneObj scene;
    std::vector<std::string> log;
    for (const char* name : {"front", "middle", "outside", "back"})
        AddBox(scene, name, {0, 0, 10, 10})->log = &log;
    static_cast<BoxSymbol*>(scene.GetChildAt(scene.GetPositionOfIndex(2)))->screen = {30, 30, 40,
                                                                                      40};
    scene.SelectPosition(scene.GetPositionOfIndex(1));
    RecordingDrawContext dc;
    scene.DrawChildren(dc, {0, 0, 30, 30}); // "outside" only touches the clip's corner
    EXPECT_EQ(log, (std::vector<std::string>{"back", "middle*", "front"}));
}

} // namespace
} // namespace tavro
