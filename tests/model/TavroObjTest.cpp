#include "ArchiveTestSupport.h"

#include <gtest/gtest.h>

using namespace tavro;
using namespace tavro::test;

namespace {

// A parent with children named "a", "b", ... in order.
std::unique_ptr<CTavroObj> MakeParent(int childCount) {
    auto parent = std::make_unique<CTavroObj>();
    for (int i = 0; i < childCount; ++i) {
        auto child = std::make_unique<CTavroObj>(parent.get());
        child->SetName(std::string(1, static_cast<char>('a' + i)));
        parent->AddChild(std::move(child));
    }
    return parent;
}

std::string Order(const CTavroObj& parent) {
    std::string s;
    for (const auto& child : parent.GetChildList())
        s += child->GetName();
    return s;
}

std::string Selected(const CTavroObj& parent) {
    const CTavroObj* child = parent.GetSelectedChild();
    return child != nullptr ? child->GetName() : "-";
}

} // namespace

TEST(TavroObjSelection, LoadedIndexesThatNameNoChildSelectNothing) {
    // One child, and a selection of the given index.
    auto load = [](int32_t index) {
        auto root = std::make_unique<CTavroObj>();
        LoadObjectFromMemory(
            Bytes().b({1, 0}).w(1).newClass("CTavroObj").emptyBase().dw(1).dw(index).v, *root);
        return root;
    };
    EXPECT_NE(load(0)->GetSelectedChild(), nullptr);
    for (int32_t index : {-1, 1, 1000}) {
        auto root = load(index);
        EXPECT_EQ(root->GetSelectedChild(), nullptr) << index;
        EXPECT_TRUE(root->GetSelectedPosition().IsNone());
        // The entry survives a round trip as -1.
        EXPECT_EQ(root->GetSelectionIndexes(), std::vector<int>{-1});
    }
}

TEST(TavroObjDelete, SelectedChildAndNeighbours) {
    struct Case {
        int selected;
        bool selectNeighbour;
        const char* order;
        const char* selectedAfter;
    };
    const Case cases[] = {
        {1, true, "ac", "a"},  // previous sibling
        {0, true, "bc", "b"},  // no previous: next
        {2, true, "ab", "b"},  // tail: previous
        {1, false, "ac", "-"}, // nothing selected without the flag
    };
    for (const Case& c : cases) {
        auto p = MakeParent(3);
        p->SelectPosition(p->GetPositionOfIndex(c.selected));
        p->DeleteSelectedChild(c.selectNeighbour);
        EXPECT_EQ(Order(*p), c.order);
        EXPECT_EQ(Selected(*p), c.selectedAfter);
    }

    auto single = MakeParent(1);
    single->SelectPosition(single->GetHeadPosition());
    single->DeleteSelectedChild(true);
    EXPECT_EQ(single->GetChildCount(), 0u);
    EXPECT_EQ(Selected(*single), "-");

    // Deleting another child keeps the selection where it was.
    auto p = MakeParent(3);
    p->SelectPosition(p->GetTailPosition());
    p->DeleteChildAt(p->GetHeadPosition(), true);
    EXPECT_EQ(Selected(*p), "c");
}

TEST(TavroObjDelete, RemovingTheSelectedChildClearsTheSelection) {
    auto p = MakeParent(2);
    p->SelectPosition(p->GetHeadPosition());
    std::unique_ptr<CTavroObj> removed = p->RemoveChildAt(p->GetHeadPosition());
    EXPECT_EQ(removed->GetName(), "a");
    EXPECT_EQ(p->GetSelectedChild(), nullptr);
    EXPECT_EQ(Order(*p), "b");
}

TEST(TavroObjDelete, ChildrenDieWithTheirParent) {
    TestCounted::alive = 0;
    {
        CTavroObj root;
        auto mid = std::make_unique<TestCounted>();
        mid->AddChild(std::make_unique<TestCounted>());
        root.AddChild(std::move(mid));
        root.AddChild(std::make_unique<TestCounted>());
        EXPECT_EQ(TestCounted::alive, 3);
        root.DeleteChildAt(root.GetTailPosition(), false);
        EXPECT_EQ(TestCounted::alive, 2);
    }
    EXPECT_EQ(TestCounted::alive, 0);
}

TEST(TavroObjStacking, MovesKeepTheSelectionOnTheMovedChild) {
    auto p = MakeParent(3);
    EXPECT_FALSE(p->MoveChildEarlier(p->GetHeadPosition()));
    EXPECT_FALSE(p->MoveChildLater(p->GetTailPosition()));
    EXPECT_FALSE(p->MoveSelectedEarlier()); // nothing selected
    EXPECT_EQ(Order(*p), "abc");

    p->SelectPosition(p->GetTailPosition());
    EXPECT_TRUE(p->MoveSelectedEarlier());
    EXPECT_EQ(Order(*p), "acb");
    EXPECT_TRUE(p->MoveSelectedEarlier());
    EXPECT_EQ(Order(*p), "cab");
    EXPECT_FALSE(p->MoveSelectedEarlier());
    EXPECT_EQ(Selected(*p), "c");
    EXPECT_EQ(p->GetIndexOfPosition(p->GetSelectedPosition()), 0);

    EXPECT_TRUE(p->MoveSelectedLater());
    EXPECT_EQ(Order(*p), "acb");
    EXPECT_EQ(Selected(*p), "c");
    // Moving an unselected child leaves the selection on its child.
    EXPECT_TRUE(p->MoveChildLater(p->GetHeadPosition()));
    EXPECT_EQ(Order(*p), "cab");
    EXPECT_EQ(Selected(*p), "c");
}

TEST(TavroObjPositions, InsertFindAndStep) {
    auto p = MakeParent(2);
    auto x = std::make_unique<CTavroObj>();
    x->SetName("x");
    CTavroObj* raw = x.get();
    auto pos = p->InsertChildBefore(p->GetTailPosition(), std::move(x));
    EXPECT_EQ(Order(*p), "axb");
    EXPECT_EQ(p->GetIndexOfPosition(pos), 1);
    EXPECT_EQ(p->FindChild(raw), pos);
    EXPECT_TRUE(p->FindChild(nullptr).IsNone());
    EXPECT_EQ(p->GetIndexOfPosition({}), -1);

    auto y = std::make_unique<CTavroObj>();
    y->SetName("y");
    p->InsertChildBefore({}, std::move(y)); // before none: at the head
    EXPECT_EQ(Order(*p), "yaxb");
    EXPECT_TRUE(p->PrevPosition(p->GetHeadPosition()).IsNone());
    EXPECT_TRUE(p->NextPosition(p->GetTailPosition()).IsNone());
    EXPECT_EQ(p->GetChildAt(p->NextPosition(p->GetHeadPosition()))->GetName(), "a");
}
