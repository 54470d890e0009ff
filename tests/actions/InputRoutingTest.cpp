// How the engine routes mouse input, display-list events and variables to the button and
// edit-text parts, and how it drags sprites.
#include "ActionTestSupport.h"

#include "player/DisplayObject.h"

#include <gtest/gtest.h>

namespace tavro::player::test {
namespace {

struct Calls {
    std::vector<std::string> log;
};

class FakeButtons : public ButtonInput {
public:
    explicit FakeButtons(Calls* c) : c_(c) {}
    void ObjectPlaced(DisplayObject&) override { c_->log.push_back("button placed"); }
    void ObjectRemoved(DisplayObject&) override {}
    bool Track(int x, int y, bool down) override {
        c_->log.push_back("track " + std::to_string(x) + "," + std::to_string(y) +
                          (down ? " down" : " up"));
        tracking = down && ButtonAt(x, y);
        return false;
    }
    bool ButtonAt(int x, int) override { return x < 10; }
    bool IsTracking() const override { return tracking; }
    bool ReplayUpdate() override {
        c_->log.push_back("replay");
        return false;
    }
    bool tracking = false;

private:
    Calls* c_;
};

class FakeFields : public TextFieldInput {
public:
    explicit FakeFields(Calls* c) : c_(c) {}
    void ObjectPlaced(DisplayObject&) override {}
    void ObjectRemoved(DisplayObject&) override {}
    void AfterReplay(Timeline&) override {}
    void VariableChanged(Timeline&, std::string_view name, std::string_view value) override {
        c_->log.push_back("changed " + std::string(name) + "=" + std::string(value));
    }
    std::optional<int> Scroll(Timeline&, std::string_view name) override {
        if (name == "field")
            return 4;
        return std::nullopt;
    }
    std::optional<int> MaxScroll(Timeline&, std::string_view) override { return 9; }
    void SetScroll(Timeline&, std::string_view name, int line) override {
        c_->log.push_back("scroll " + std::string(name) + "=" + std::to_string(line));
    }
    bool MouseDown(int x, int y) override {
        c_->log.push_back("field down");
        focus = SelectableAt(x, y);
        return focus;
    }
    bool HasFocus() const override { return focus; }
    void MouseDrag(int, int) override { c_->log.push_back("field drag"); }
    void MouseUp(int, int) override { c_->log.push_back("field up"); }
    bool SelectableAt(int x, int) override { return x >= 50; }
    void CaretTick() override {}
    bool focus = false;

private:
    Calls* c_;
};

struct RoutedHost : EngineHost {
    explicit RoutedHost(int width = 0, int height = 0) : EngineHost(width, height) {
        auto b = std::make_unique<FakeButtons>(&calls);
        buttons = b.get();
        engine->SetButtonInput(std::move(b));
        auto f = std::make_unique<FakeFields>(&calls);
        fields = f.get();
        engine->SetTextFieldInput(std::move(f));
    }
    Calls calls;
    FakeButtons* buttons;
    FakeFields* fields;
};

TEST(InputRouting, VariablesReachBoundFieldsAndScrollGoesToTheField) {
    RoutedHost host;
    host.RunMovie(Cat({Set("field", PushS("text")), Set("field.scroll", PushS("3.7")),
                       Set("s", Cat({PushS("field.scroll"), Op(0x1C)})),
                       Set("m", Cat({PushS("field.MAXSCROLL"), Op(0x1C)})),
                       Set("n", Cat({PushS("other.scroll"), Op(0x1C)}))}));
    ASSERT_GE(host.calls.log.size(), 2u);
    EXPECT_EQ(host.calls.log[0], "changed field=text");
    EXPECT_EQ(host.calls.log[1], "scroll field=3");
    EXPECT_EQ(host.Var("s"), "4");
    EXPECT_EQ(host.Var("m"), "9");
    EXPECT_EQ(host.Var("n"), "");
    EXPECT_EQ(host.Var("field.scroll"), "<unset>");
}

TEST(InputRouting, PressesGoToButtonsFirstThenFieldsAndTheCursorFollows) {
    RoutedHost host(100, 50);
    host.RunMovie({});
    host.calls.log.clear();

    host.MouseDown(5, 5); // on a button: the field is not asked
    EXPECT_EQ(host.calls.log, (std::vector<std::string>{"track 5,5 down"}));
    EXPECT_EQ(host.UpdateCursor(), 2);
    host.MouseUp(5, 5);
    EXPECT_EQ(host.calls.log.back(), "track 5,5 up");

    host.calls.log.clear();
    host.MouseDown(60, 5); // on a selectable field: it takes the focus
    host.MouseMove(70, 5, true);
    host.MouseUp(70, 5);
    EXPECT_EQ(host.calls.log, (std::vector<std::string>{"field down", "track 60,5 down",
                                                        "field drag", "field up"}));
    EXPECT_EQ(host.UpdateCursor(), 3);

    // A still mouse over a selectable field does not replay the button update.
    host.calls.log.clear();
    host.StepFrame();
    EXPECT_TRUE(host.calls.log.empty());
    host.MouseMove(20, 5, false);
    host.calls.log.clear();
    host.StepFrame();
    EXPECT_EQ(host.calls.log, (std::vector<std::string>{"replay"}));
    EXPECT_EQ(host.UpdateCursor(), 0);
}

// Stage 200 x 100 pixels: sprite "Target" (50 x 50 pixels) at (100, 20), and sprite "Box"
// (20 x 20 pixels) at the origin in front of it. Frame 0 starts dragging "Box" with `start`;
// frame 1 ends the drag and reads where it went.
Bytes DragMovie(const Bytes& start) {
    auto get = [](const char* index) { return Cat({PushS("Box"), PushS(index), Op(0x22)}); };
    return Movie(Cat({DefineShape(3, 400, 400), DefineShape(4, 1000, 1000),
                      DefineSprite(1, 1, Cat({Place2(1, 3), ShowFrame(), End()})),
                      DefineSprite(2, 1, Cat({Place2(1, 4), ShowFrame(), End()})),
                      Place2(1, 2, "Target", 2000, 400), Place2(2, 1, "Box"),
                      DoAction(Cat({start, ActStop()})), ShowFrame(),
                      DoAction(Cat({Op(0x28), Set("drop", get("14")), Set("x", get("0")),
                                    Set("y", get("1"))})),
                      ShowFrame(), End()}),
                 2, 12 << 8, 200, 100);
}

TEST(Drag, TheDraggedSpriteFollowsTheMouseAndRecordsItsDropTarget) {
    EngineHost host;
    host.LoadBytes(DragMovie(Cat({PushS("0"), PushS("1"), PushS("Box"), Op(0x27)})));
    host.MouseMove(110, 30, false);
    DisplayObject* box = host.Level0().rootObject->FindChild(2);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->matrix.tx, 2200);
    EXPECT_EQ(box->matrix.ty, 600);
    EXPECT_TRUE(box->scriptTransformed);
    host.Level0().Goto(1);
    host.RunActions();
    EXPECT_EQ(host.Var("drop"), "/Target");
    EXPECT_EQ(host.Var("x"), "110");
    host.MouseMove(0, 0, false); // the drag has ended
    EXPECT_EQ(box->matrix.tx, 2200);
}

TEST(Drag, AConstraintRectangleLimitsTheOriginAndAnOffsetIsKept) {
    EngineHost host;
    // Not centred: the origin keeps its offset from the mouse; limited to (0,0)-(50,10) pixels.
    host.LoadBytes(DragMovie(Cat({PushS("0"), PushS("0"), PushS("50"), PushS("10"), PushS("1"),
                                  PushS("0"), PushS("Box"), Op(0x27)})));
    host.MouseMove(15, 7, false);
    DisplayObject* box = host.Level0().rootObject->FindChild(2);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->matrix.tx, 300); // the mouse was at the origin when the drag began
    EXPECT_EQ(box->matrix.ty, 140);
    host.MouseMove(110, 30, false);
    EXPECT_EQ(box->matrix.tx, 1000);
    EXPECT_EQ(box->matrix.ty, 200);
    host.Level0().Goto(1);
    host.RunActions();
    EXPECT_EQ(host.Var("drop"), "");
}

} // namespace
} // namespace tavro::player::test
