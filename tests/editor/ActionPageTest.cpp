// The Actions page: events and actions added, chosen, deleted and moved from its buttons, and the
// panels below the tree, which store a value only when it differs, with one undo step.
#include "EditorHarness.h"

#include "editor/CActionPage.h"
#include "editor/CButtonEventPanel.h"
#include "editor/CFrameEventPanel.h"
#include "editor/CGotoFramePanel.h"
#include "editor/CGotoURLPanel.h"
#include "editor/CLabelEventPanel.h"
#include "editor/SceneTimeline.h"
#include "effects/ActionCommands.h"
#include "effects/CActionGotoFrame.h"
#include "effects/CActionGotoURL.h"
#include "effects/CEventAtFrame.h"
#include "effects/CEventObj.h"
#include "model/CSceneObj.h"
#include "model/CTextObj.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

using namespace tavro;
using namespace tavro::editor;
namespace id = command_id;
using Kind = ScriptedDialogService::Shown::Kind;

namespace {

QStringList TreeTexts(const QTreeWidget& tree) {
    QStringList texts;
    for (int i = 0; i < tree.topLevelItemCount(); ++i) {
        const QTreeWidgetItem* event = tree.topLevelItem(i);
        texts << event->text(0);
        for (int j = 0; j < event->childCount(); ++j)
            texts << QStringLiteral("  ") + event->child(j)->text(0);
    }
    return texts;
}

CEventObj* EventAt(CSymbolObj& object, int index) {
    return static_cast<CEventObj*>(
        object.GetEventList().GetChildAt(object.GetEventList().GetPositionOfIndex(index)));
}

} // namespace

class ActionPageTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        editor_ = std::make_unique<EditorHarness>();
        QVERIFY(editor_->ShowActive(QSize(800, 560)));
    }

    void cleanup() { editor_.reset(); }

    void eventCommandsChooseAnEventWithExactlyThoseConditions() {
        CTextObj& text = editor_->AddText();
        CActionPage& page = editor_->Actions();
        const size_t before = editor_->UndoSteps();
        page.OnCommand(id::kOnDragOver);
        page.OnCommand(id::kOnDragOut); // a second event, not the first
        QCOMPARE(text.GetEventList().GetChildCount(), size_t{2});
        QCOMPARE(EventAt(text, 1)->GetConditions(), int32_t{CEventObj::kDragOut});
        QCOMPARE(editor_->UndoSteps(), before + 2);
        page.OnCommand(id::kOnDragOver); // chosen again, nothing made
        QCOMPARE(text.GetEventList().GetChildCount(), size_t{2});
        QCOMPARE(text.GetEventList().GetSelectedChild(), EventAt(text, 0));
        QCOMPARE(editor_->UndoSteps(), before + 2);
        QCOMPARE(page.Tree()->currentItem()->text(0), QStringLiteral("On (Drag Over)"));
        // An event whose conditions were widened no longer counts as "On Drag Over" alone.
        EventAt(text, 0)->SetConditions(CEventObj::kDragOver | CEventObj::kPress);
        page.Load();
        page.OnCommand(id::kOnDragOver);
        QCOMPARE(text.GetEventList().GetChildCount(), size_t{3});
        QCOMPARE(TreeTexts(*page.Tree()),
                 (QStringList{"On (Press,Drag Over)", "On (Drag Out)", "On (Drag Over)"}));
        // The menu of a text offers the button events and the actions.
        QCOMPARE(page.AddMenu()->actions().size(), 7 + 1 + 4);
    }

    void actionCommandsMakeTheEventTheyNeed() {
        CTextObj& text = editor_->AddText();
        CActionPage& page = editor_->Actions();
        page.OnCommand(id::kStop);
        QCOMPARE(text.GetEventList().GetChildCount(), size_t{1});
        QCOMPARE(EventAt(text, 0)->GetConditions(), int32_t{CEventObj::kRelease});
        QCOMPARE(TreeTexts(*page.Tree()), (QStringList{"On (Release)", "  Stop"}));
        page.OnCommand(id::kGotoURL); // into the selected action's event
        QCOMPARE(EventAt(text, 0)->GetChildCount(), size_t{2});
        QVERIFY(qobject_cast<CGotoURLPanel*>(page.Panel()) != nullptr);
        QCOMPARE(page.TitleLabel()->text(), QStringLiteral(" Goto URL ()"));

        // A scene makes a frame event at its current frame, and offers frame events.
        CSceneObj& scene = editor_->Scene();
        editor_->Select(nullptr);
        SetCurrentFrame(scene, 14);
        page.Load();
        page.OnCommand(id::kPlay);
        QCOMPARE(TreeTexts(*page.Tree()), (QStringList{"At Frame 14", "  Play"}));
        QVERIFY(page.Panel() == nullptr); // Play has nothing to set
        QStringList menu;
        for (const QAction* a : page.AddMenu()->actions())
            menu << a->text();
        QCOMPARE(menu.mid(0, 2), (QStringList{"At Frame", "At Label"}));
        page.OnCommand(id::kAtLabel);
        QVERIFY(qobject_cast<CLabelEventPanel*>(page.Panel()) != nullptr);
    }

    void deleteAndMoveRecordOneStepEach() {
        CTextObj& text = editor_->AddText();
        CActionPage& page = editor_->Actions();
        page.OnCommand(id::kPlay);
        page.OnCommand(id::kStop);
        page.OnCommand(id::kGotoFrame);
        page.OnCommand(id::kOnPress);
        CEventObj* release = EventAt(text, 0);
        QCOMPARE(TreeTexts(*page.Tree()),
                 (QStringList{"On (Release)", "  Play", "  Stop", "  Goto Frame 0", "On (Press)"}));
        // Choose "Stop" in the tree and move it.
        page.Tree()->setCurrentItem(page.Tree()->topLevelItem(0)->child(1));
        QCOMPARE(page.Panel(), nullptr);
        QVERIFY(page.UpButton()->isEnabled() && page.DownButton()->isEnabled());
        size_t steps = editor_->UndoSteps();
        QTest::mouseClick(page.UpButton(), Qt::LeftButton);
        QCOMPARE(editor_->UndoSteps(), ++steps);
        QCOMPARE(TreeTexts(*page.Tree()).mid(1, 2), (QStringList{"  Stop", "  Play"}));
        QVERIFY(!page.UpButton()->isEnabled());
        QTest::mouseClick(page.DownButton(), Qt::LeftButton);
        QTest::mouseClick(page.DownButton(), Qt::LeftButton);
        QCOMPARE(editor_->UndoSteps(), steps += 2);
        QCOMPARE(TreeTexts(*page.Tree()).mid(1, 3),
                 (QStringList{"  Play", "  Goto Frame 0", "  Stop"}));
        QVERIFY(!page.DownButton()->isEnabled());
        // X on an action deletes it; its neighbour becomes the selection.
        QTest::mouseClick(page.DeleteButton(), Qt::LeftButton);
        QCOMPARE(editor_->UndoSteps(), ++steps);
        QCOMPARE(release->GetChildCount(), size_t{2});
        QCOMPARE(page.Tree()->currentItem()->text(0), QStringLiteral("Goto Frame 0"));
        // Button events move among themselves.
        page.Tree()->setCurrentItem(page.Tree()->topLevelItem(1));
        QTest::mouseClick(page.UpButton(), Qt::LeftButton);
        QCOMPARE(TreeTexts(*page.Tree()).first(), QStringLiteral("On (Press)"));
        QCOMPARE(editor_->UndoSteps(), ++steps);
        // X on an event deletes it with its actions.
        page.Tree()->setCurrentItem(page.Tree()->topLevelItem(1));
        QTest::mouseClick(page.DeleteButton(), Qt::LeftButton);
        QCOMPARE(TreeTexts(*page.Tree()), QStringList{QStringLiteral("On (Press)")});
        QCOMPARE(editor_->UndoSteps(), ++steps);
        editor_->Main().Action(CMainDlg::Command::Undo)->trigger();
        QCOMPARE(TreeTexts(*page.Tree()).size(), 4);
    }

    void frameEventsMoveOnlyWithinTheirFrame() {
        CSceneObj& scene = editor_->Scene();
        scene.InsertEvent(std::make_unique<CEventAtFrame>(nullptr, 2));
        scene.InsertEvent(std::make_unique<CEventAtFrame>(nullptr, 5));
        scene.InsertEvent(std::make_unique<CEventAtFrame>(nullptr, 5));
        editor_->Select(nullptr);
        CActionPage& page = editor_->Actions();
        page.Tree()->setCurrentItem(page.Tree()->topLevelItem(1));
        QVERIFY(!page.UpButton()->isEnabled()); // frame 2 comes first whatever
        QVERIFY(page.DownButton()->isEnabled());
    }

    void panelsStoreOnlyChangesWithOneUndoStep() {
        CTextObj& text = editor_->AddText();
        CActionPage& page = editor_->Actions();
        page.OnCommand(id::kOnRelease);
        auto* events = qobject_cast<CButtonEventPanel*>(page.Panel());
        QVERIFY(events != nullptr);
        QVERIFY(events->BoxOf(CEventObj::kRelease)->isChecked());
        size_t steps = editor_->UndoSteps();
        page.Commit(CActionPage::kRecordUndoBefore); // nothing changed
        QCOMPARE(editor_->UndoSteps(), steps);
        events->BoxOf(CEventObj::kPress)->click();
        QCOMPARE(EventAt(text, 0)->GetConditions(),
                 int32_t{CEventObj::kRelease | CEventObj::kPress});
        QCOMPARE(editor_->UndoSteps(), ++steps);
        QCOMPARE(page.Tree()->currentItem()->text(0), QStringLiteral("On (Press,Release)"));
        QCOMPARE(events->findChildren<QCheckBox*>().size(), 7);

        // Typing a URL: five keystrokes, one step, the tree follows.
        page.OnCommand(id::kGotoURL);
        steps = editor_->UndoSteps();
        auto* url = qobject_cast<CGotoURLPanel*>(page.Panel());
        QVERIFY(url != nullptr);
        url->UrlEdit()->setFocus();
        QTest::keyClicks(url->UrlEdit(), QStringLiteral("a.htm"));
        auto* action = static_cast<CActionGotoURL*>(EventAt(text, 0)->GetSelectedChild());
        QCOMPARE(action->GetURL(), std::string("a.htm"));
        QCOMPARE(editor_->UndoSteps(), steps + 1);
        QCOMPARE(page.Tree()->currentItem()->text(0), QStringLiteral("Goto URL (a.htm)"));
        QCOMPARE(url->TargetBox()->count(), 4);
        url->TargetBox()->setFocus();
        QTest::keyClicks(url->TargetBox()->lineEdit(), QStringLiteral("main"));
        QCOMPARE(action->GetTarget(), std::string("main"));
        QCOMPARE(editor_->UndoSteps(), steps + 2);
        editor_->Main().Action(CMainDlg::Command::Undo)->trigger();
        auto* restored = static_cast<CTextObj*>(editor_->Scene().GetChildList().front().get());
        auto* back = static_cast<CActionGotoURL*>(EventAt(*restored, 0)->GetSelectedChild());
        QCOMPARE(back->GetURL(), std::string("a.htm"));
        QCOMPARE(back->GetTarget(), std::string());
    }

    void gotoFramePanelEditsEveryField() {
        editor_->Main().Action(CMainDlg::Command::InsertScene)->trigger();
        editor_->Main().Document().SelectPosition(editor_->Main().Document().GetHeadPosition());
        CTextObj& text = editor_->AddText();
        CActionPage& page = editor_->Actions();
        page.OnCommand(id::kGotoFrame);
        auto* panel = qobject_cast<CGotoFramePanel*>(page.Panel());
        QVERIFY(panel != nullptr);
        auto* action = static_cast<CActionGotoFrame*>(EventAt(text, 0)->GetSelectedChild());
        QStringList scenes;
        for (int i = 0; i < panel->SceneBox()->count(); ++i)
            scenes << panel->SceneBox()->itemText(i);
        QCOMPARE(scenes, (QStringList{"<current scene>", "Scene 1", "Scene 2"}));
        const size_t steps = editor_->UndoSteps();
        panel->SceneBox()->setCurrentIndex(2);
        QCOMPARE(action->GetScene(), std::string("Scene 2"));
        panel->SceneBox()->setCurrentIndex(0);
        QCOMPARE(action->GetScene(), std::string());
        QVERIFY(panel->FrameEdit()->isEnabled() && !panel->LabelEdit()->isEnabled());
        panel->ModeButton(CActionGotoFrame::kLabel)->click();
        QCOMPARE(action->GetMode(), CActionGotoFrame::kLabel);
        QVERIFY(!panel->FrameEdit()->isEnabled() && panel->LabelEdit()->isEnabled());
        panel->LabelEdit()->setFocus();
        QTest::keyClicks(panel->LabelEdit(), QStringLiteral("end"));
        QCOMPARE(page.Tree()->currentItem()->text(0), QStringLiteral("Goto Label end"));
        panel->PlayBox()->click();
        QCOMPARE(action->GetPlay(), 0);
        QCOMPARE(editor_->UndoSteps(), steps + 5);

        // The frame: a value out of range is not stored, and leaving the box says why.
        panel->ModeButton(CActionGotoFrame::kNumber)->click();
        panel->FrameEdit()->setFocus();
        panel->FrameEdit()->selectAll();
        QTest::keyClicks(panel->FrameEdit(), QStringLiteral("100000"));
        QCOMPARE(action->GetFrame(), 10000); // the last value in range typed
        Q_EMIT panel->FrameEdit()->editingFinished();
        QCOMPARE(editor_->Dialogs().Texts(Kind::Error),
                 QStringList{QStringLiteral("Please enter an integer between 0 and 99999.")});
        QCOMPARE(panel->FrameEdit()->text(), QStringLiteral("100000"));
        QVERIFY(!panel->Validate());
    }

    void frameEventPanelReordersTheScenesEvents() {
        CSceneObj& scene = editor_->Scene();
        scene.InsertEvent(std::make_unique<CEventAtFrame>(nullptr, 2));
        scene.InsertEvent(std::make_unique<CEventAtFrame>(nullptr, 8));
        editor_->Select(nullptr);
        CActionPage& page = editor_->Actions();
        page.Tree()->setCurrentItem(page.Tree()->topLevelItem(0));
        auto* panel = qobject_cast<CFrameEventPanel*>(page.Panel());
        QVERIFY(panel != nullptr);
        panel->FrameEdit()->setFocus();
        panel->FrameEdit()->selectAll();
        QTest::keyClicks(panel->FrameEdit(), QStringLiteral("12"));
        QCOMPARE(TreeTexts(*page.Tree()), (QStringList{"At Frame 8", "At Frame 12"}));
        QCOMPARE(page.Tree()->currentItem()->text(0), QStringLiteral("At Frame 12"));
        QCOMPARE(page.Panel(), panel); // the panel stays while its event moves
        QCOMPARE(panel->FrameEdit()->text(), QStringLiteral("12"));
    }

private:
    std::unique_ptr<EditorHarness> editor_;
};

QTEST_MAIN(ActionPageTest)
#include "ActionPageTest.moc"
