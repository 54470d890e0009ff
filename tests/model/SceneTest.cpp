// Scenes in the editor: defaults, copy and comparison, frame count, picking and drawing children.
#include "effects/CEventAtFrame.h"
#include "effects/CEventObj.h"
#include "model/CSceneObj.h"
#include "model/RecordingDrawContext.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

namespace tavro {
namespace {

// A child with a fixed screen rectangle, mask answer and frame count; Draw appends its name and
// selected flag to a shared log.
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
        if (log)
            log->push_back(GetName() + (selected ? "*" : ""));
    }
};

BoxSymbol* AddBox(CSceneObj& scene, const char* name, IntRect screen, bool maskHit = false) {
    auto box = std::make_unique<BoxSymbol>();
    box->SetName(name);
    box->SetParent(&scene);
    box->screen = screen;
    box->maskHit = maskHit;
    BoxSymbol* raw = box.get();
    scene.AddChild(std::move(box));
    return raw;
}

TEST(Scene, NewSceneAndItsCopy) {
    CSceneObj scene;
    EXPECT_EQ(scene.GetReservedA(), 0);
    EXPECT_EQ(scene.GetReservedB(), 200);
    EXPECT_EQ(scene.GetReservedC(), 0);
    scene.SetName("S");
    scene.SetLink("http://a/");
    scene.SetTargetFrame("_top");
    scene.SetReservedA(1);
    scene.SetReservedB(2);
    scene.SetStagePosition(3.0, 4.0);
    scene.AddChild(std::make_unique<CSymbolObj>(&scene));

    CSceneObj copy(scene);
    EXPECT_EQ(copy.GetLink(), "http://a/");
    EXPECT_EQ(copy.GetTargetFrame(), "_top");
    EXPECT_EQ(copy.GetReservedB(), 2);
    EXPECT_EQ(copy.GetReservedA(), 0); // only B is copied
    EXPECT_EQ(copy.GetChildCount(), 0u);
    EXPECT_TRUE(copy.IsEqualScene(scene));

    copy.SetReservedA(99); // A is not compared
    EXPECT_TRUE(copy.IsEqualScene(scene));
    copy.SetStagePosition(3.0 + 1e-12, 4.0);
    EXPECT_TRUE(copy.IsEqualScene(scene));
    copy.SetReservedB(3);
    EXPECT_FALSE(copy.IsEqualScene(scene));
    copy.CopyScene(scene);
    EXPECT_TRUE(copy.IsEqualScene(scene));
    copy.SetTargetFrame("_self");
    EXPECT_FALSE(copy.IsEqualScene(scene));
}

TEST(Scene, ResetKeepsPlacementAndTimeline) {
    CSceneObj scene;
    scene.SetName("S");
    scene.SetStagePosition(1.0, 2.0);
    scene.InsertEvent(std::make_unique<CEventAtFrame>(nullptr, 3));
    scene.GetExportState().characterId = 4;
    scene.ResetSymbol();
    EXPECT_TRUE(scene.GetName().empty());
    EXPECT_EQ(scene.GetExportState().characterId, 0);
    EXPECT_EQ(scene.GetStagePosition(), CDoublePoint(1.0, 2.0));
    EXPECT_EQ(scene.GetEventList().GetChildCount(), 1u);
}

TEST(Scene, FrameCountCoversChildrenAndFrameEvents) {
    CSceneObj scene;
    EXPECT_EQ(scene.GetFrameCount(), 0);
    scene.InsertEvent(std::make_unique<CEventObj>(nullptr, CEventObj::kPress)); // no frame
    EXPECT_EQ(scene.GetFrameCount(), 0);
    scene.InsertEvent(std::make_unique<CEventAtFrame>(nullptr, 4));
    EXPECT_EQ(scene.GetFrameCount(), 5);
    AddBox(scene, "a", {})->frames = 7;
    EXPECT_EQ(scene.GetFrameCount(), 7);
    // A frame far out (a damaged file) neither overflows nor asks for more than a movie holds.
    scene.InsertEvent(std::make_unique<CEventAtFrame>(nullptr, INT_MAX));
    EXPECT_EQ(scene.GetFrameCount(), CSceneObj::kMaxFrameCount);
}

TEST(Scene, FindChildAtUsesTheMaskOnlyWhenChildrenOverlap) {
    CSceneObj scene;
    EXPECT_EQ(scene.FindChildAt(0, 0), nullptr);
    BoxSymbol* front = AddBox(scene, "front", {0, 0, 10, 10});
    BoxSymbol* back = AddBox(scene, "back", {5, 5, 20, 20}, true);
    EXPECT_EQ(scene.FindChildAt(2, 2), front); // one hit: no mask needed
    EXPECT_EQ(scene.FindChildAt(15, 15), back);
    EXPECT_EQ(scene.FindChildAt(20, 20), nullptr); // right and bottom edges are outside
    EXPECT_EQ(scene.FindChildAt(7, 7), back);      // both: the first whose mask has ink
    front->maskHit = true;
    EXPECT_EQ(scene.FindChildAt(7, 7), front);
    front->maskHit = back->maskHit = false;
    EXPECT_EQ(scene.FindChildAt(7, 7), nullptr);
}

TEST(Scene, SelectChildAtSelectsAndTellsTheTree) {
    CSceneObj scene;
    BoxSymbol* box = AddBox(scene, "a", {0, 0, 10, 10});
    std::vector<CSymbolObj*> told;
    auto notify = [&](CSymbolObj* s) { told.push_back(s); };
    EXPECT_EQ(scene.SelectChildAt(1, 1, notify), box);
    EXPECT_EQ(scene.GetSelectedChild(), box);
    EXPECT_EQ(scene.SelectChildAt(50, 50, notify), nullptr);
    EXPECT_EQ(scene.GetSelectedChild(), nullptr);
    EXPECT_EQ(told, (std::vector<CSymbolObj*>{box, nullptr}));
    EXPECT_EQ(scene.SelectChildAt(1, 1), box); // without a listener
}

TEST(Scene, DrawChildrenBackToFrontWithinTheClip) {
    CSceneObj scene;
    std::vector<std::string> log;
    AddBox(scene, "front", {0, 0, 10, 10})->log = &log;
    BoxSymbol* middle = AddBox(scene, "middle", {0, 0, 10, 10});
    middle->log = &log;
    AddBox(scene, "outside", {30, 30, 40, 40})->log = &log;
    AddBox(scene, "back", {5, 5, 25, 25})->log = &log;
    scene.SelectChild(middle);
    RecordingDrawContext dc;
    scene.DrawChildren(dc, {0, 0, 30, 30}); // "outside" only touches the clip's corner
    EXPECT_EQ(log, (std::vector<std::string>{"back", "middle*", "front"}));
}

} // namespace
} // namespace tavro
