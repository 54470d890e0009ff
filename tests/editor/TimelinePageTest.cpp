// The Timeline page's commands: adding and deleting effects, "Number of Frames:", the buttons
// and menus that follow the selected row, and the frame events of the scene row with their
// action dialogs.
#include "EditorHarness.h"
#include "TimelineTestSupport.h"

#include "editor/CActionPanelDlg.h"
#include "editor/CGotoFramePanel.h"
#include "editor/CTimelineGrid.h"
#include "editor/CTimelinePage.h"
#include "editor/SceneTimeline.h"
#include "effects/ActionCommands.h"
#include "effects/CActionGotoFrame.h"
#include "effects/CActionPlay.h"
#include "effects/CEffectObj.h"
#include "effects/CEventAtFrame.h"
#include "effects/EffectNames.h"
#include "model/CSceneObj.h"
#include "model/CTextObj.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

using namespace tavro;
using namespace tavro::editor;
namespace cmd = effect_command;
using Kind = ScriptedDialogService::Shown::Kind;

namespace {

QStringList MenuTexts(const QMenu& menu) {
    QStringList texts;
    for (const QAction* a : menu.actions()) {
        if (!a->isSeparator())
            texts << a->text();
    }
    return texts;
}

const QAction* FindEntry(const QMenu& menu, const QString& text) {
    for (const QAction* a : menu.actions()) {
        if (a->text() == text)
            return a;
    }
    return nullptr;
}

CEffectObj* EffectAt(CSymbolObj& object, int index) {
    auto it = object.GetEffectList().GetChildList().begin();
    std::advance(it, index);
    return static_cast<CEffectObj*>(it->get());
}

} // namespace

class TimelinePageTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        editor_ = std::make_unique<EditorHarness>();
        page_ = &editor_->Timeline();
    }

    void cleanup() {
        CActionPanelDlg::SetRunner({});
        CEffectObj::SetDialogHost(nullptr);
        editor_.reset();
    }

    void effectsAddedOneAfterAnotherFollowEachOther() {
        CTextObj& text = editor_->AddText();
        editor_->Select(&text);
        const size_t before = editor_->UndoSteps();
        page_->AddEffect(cmd::kFadeIn);
        CEffectObj* fadeIn = EffectAt(text, 0);
        QCOMPARE(fadeIn->GetStartFrame(), 0);
        QCOMPARE(fadeIn->GetNumFrames(), 10);
        QCOMPARE(CurrentFrame(editor_->Scene()), 9); // Fade In's last frame
        page_->AddEffect(cmd::kFadeOut);
        CEffectObj* fadeOut = EffectAt(text, 1);
        // Added at Fade In's last frame, it is moved just past it by the timeline rule.
        QCOMPARE(fadeIn->GetStartFrame(), 0);
        QCOMPARE(fadeOut->GetStartFrame(), 10);
        QCOMPARE(text.GetEffectList().GetSelectedChild(), fadeOut);
        QCOMPARE(CurrentFrame(editor_->Scene()), 19);
        QCOMPARE(editor_->UndoSteps(), before + 2);
        // A slide added in the middle of Fade In: Fade In cannot move before frame 0, so the
        // slide goes right after it and pushes Fade Out on.
        SetCurrentFrame(editor_->Scene(), 4);
        page_->AddEffect(cmd::kSlideInFirst + 4);
        QCOMPARE(QString::fromStdString(EffectAt(text, 1)->GetName()),
                 QStringLiteral("Slide In From Top Left"));
        QCOMPARE(EffectAt(text, 0)->GetStartFrame(), 0);
        QCOMPARE(EffectAt(text, 1)->GetStartFrame(), 10);
        QCOMPARE(EffectAt(text, 2)->GetStartFrame(), 20);
        QCOMPARE(CurrentFrame(editor_->Scene()), 19);
        // Undo takes one effect back at a time.
        editor_->Main().Action(CMainDlg::Command::Undo)->trigger();
        auto* restored = static_cast<CTextObj*>(editor_->Scene().GetChildList().front().get());
        QCOMPARE(restored->GetEffectList().GetChildCount(), size_t{2});
    }

    // The next effect goes after the one that ends at the current frame, and leaves it where it
    // is: also when that one lasts a single frame, or does not start at frame 0.
    void anEffectAddedAfterAnotherLeavesItInPlace() {
        CTextObj& text = editor_->AddText();
        editor_->Select(&text);
        SetCurrentFrame(editor_->Scene(), 20);
        page_->AddEffect(cmd::kFadeIn); // 20..29
        page_->AddEffect(cmd::kHide);   // 30
        page_->AddEffect(cmd::kShow);   // 31
        page_->AddEffect(cmd::kFadeOut);
        QStringList timeline;
        for (const auto& child : text.GetEffectList().GetChildList()) {
            const auto* e = static_cast<const CEffectObj*>(child.get());
            timeline << QStringLiteral("%1 %2+%3")
                            .arg(QString::fromStdString(e->GetName()))
                            .arg(e->GetStartFrame())
                            .arg(e->GetNumFrames());
        }
        QCOMPARE(timeline,
                 (QStringList{"Fade In 20+10", "Hide 30+1", "Show 31+1", "Fade Out 32+10"}));
        QCOMPARE(CurrentFrame(editor_->Scene()), 41);
        // An effect added in front of another keeps pushing it on as before.
        SetCurrentFrame(editor_->Scene(), 0);
        page_->AddEffect(cmd::kTransform);
        QCOMPARE(EffectAt(text, 0)->GetStartFrame(), 0);
        QCOMPARE(EffectAt(text, 1)->GetStartFrame(), 20);
    }

    void letterEffectsOnlyForTextObjects() {
        CSceneObj& scene = editor_->Scene();
        auto plain = std::make_unique<CSymbolObj>(&scene);
        CSymbolObj* symbol = plain.get();
        scene.AddChild(std::move(plain));
        editor_->Select(symbol);
        const size_t before = editor_->UndoSteps();
        for (const int letter : {cmd::kWaveLetters, cmd::kExplode, cmd::kRevertText})
            page_->AddEffect(letter);
        QCOMPARE(symbol->GetEffectList().GetChildCount(), size_t{0});
        QCOMPARE(editor_->UndoSteps(), before);
        QMenu* menu = page_->AddButton()->menu();
        QVERIFY(menu != nullptr);
        Q_EMIT menu->aboutToShow();
        QVERIFY(!FindEntry(*menu, QStringLiteral("Wave Letters"))->isEnabled());
        QVERIFY(FindEntry(*menu, QStringLiteral("Fade In"))->isEnabled());
        page_->AddEffect(cmd::kShow);
        QCOMPARE(symbol->GetEffectList().GetChildCount(), size_t{1});

        CTextObj& text = editor_->AddText();
        editor_->Select(&text);
        Q_EMIT menu->aboutToShow();
        QVERIFY(FindEntry(*menu, QStringLiteral("Wave Letters"))->isEnabled());
        page_->AddEffect(cmd::kWaveLetters);
        QCOMPARE(QString::fromLatin1(EffectAt(text, 0)->GetRuntimeClass()->className),
                 QStringLiteral("CEffectWave"));
    }

    void buttonsAndMenusFollowTheSelectedRow() {
        editor_->Select(nullptr);
        QCOMPARE(page_->AddButton()->text(), QStringLiteral("Add Action"));
        QCOMPARE(page_->DeleteButton()->text(), QStringLiteral("Delete Action"));
        QCOMPARE(MenuTexts(*page_->AddButton()->menu()),
                 (QStringList{"At Frame", "At Label", "Play", "Stop", "Goto &Frame", "Goto &URL"}));
        QVERIFY(page_->AddButton()->isEnabled());
        QVERIFY(!page_->DeleteButton()->isEnabled());

        CTextObj& text = editor_->AddText();
        editor_->Select(&text);
        QCOMPARE(page_->AddButton()->text(), QStringLiteral("Add Effect"));
        QCOMPARE(page_->DeleteButton()->text(), QStringLiteral("Delete Effect"));
        const QStringList effects = MenuTexts(*page_->AddButton()->menu());
        QCOMPARE(effects.mid(0, 7), (QStringList{"Show", "Hide", "Transform", "Fade In", "Fade Out",
                                                 "Slide In From", "Slide Out To"}));
        QCOMPARE(effects.mid(7),
                 (QStringList{"Squeeze", "Explode", "Typewriter", "Wave Letters", "Scale Letters",
                              "Alternate Letters", "Revert Text"}));
        QVERIFY(!page_->DeleteButton()->isEnabled());
        page_->AddEffect(cmd::kFadeIn);
        QVERIFY(page_->DeleteButton()->isEnabled());

        // The grid's context menus.
        CTimelineGrid* grid = page_->Grid();
        editor_->Main().resize(800, 500);
        editor_->Main().show();
        const int y = grid->RowTop(1) + 3;
        auto barMenu = page_->ContextMenuAt(QPoint(80 + 7 * 3, y));
        QCOMPARE(MenuTexts(*barMenu), (QStringList{"&Delete", "&Properties...", "&Transform..."}));
        QVERIFY(!FindEntry(*barMenu, QStringLiteral("&Properties..."))->isEnabled()); // Fade In
        auto rowMenu = page_->ContextMenuAt(QPoint(80 + 7 * 40, y));
        QCOMPARE(MenuTexts(*rowMenu).first(), QStringLiteral("Show"));
        QVERIFY(page_->ContextMenuAt(QPoint(30, y)) == nullptr);
        editor_->Scene().InsertEvent(std::make_unique<CEventAtFrame>(nullptr, 2));
        editor_->Scene().GetEventList().SelectPosition(
            editor_->Scene().GetEventList().GetHeadPosition());
        editor_->Select(nullptr);
        auto eventMenu = page_->ContextMenuAt(QPoint(80 + 7 * 2 + 2, grid->RowTop(0) + 3));
        QCOMPARE(MenuTexts(*eventMenu), (QStringList{"&Delete", "&Properties..."}));
        auto sceneMenu = page_->ContextMenuAt(QPoint(80 + 7 * 9 + 2, grid->RowTop(0) + 3));
        QCOMPARE(MenuTexts(*sceneMenu).first(), QStringLiteral("At Frame"));
    }

    void numberOfFramesIsCheckedAndStoredOnce() {
        CSceneObj& scene = editor_->Scene();
        QLineEdit* frames = page_->FramesEdit();
        QCOMPARE(frames->text(), QStringLiteral("200"));
        const size_t before = editor_->UndoSteps();
        for (const char* bad : {"0", "100000", ""}) {
            frames->setText(QString::fromLatin1(bad));
            page_->Commit(CTimelinePage::kRecordUndoBefore);
            QCOMPARE(frames->text(), QString::fromLatin1(bad)); // kept for correcting
        }
        QCOMPARE(editor_->Dialogs().Texts(Kind::Error),
                 QStringList(3, QStringLiteral("Please enter an integer between 1 and 99999.")));
        QCOMPARE(TimelineFrames(scene), 200);
        QCOMPARE(editor_->UndoSteps(), before);
        for (const char* good : {"1", "99999", "120"}) {
            frames->setText(QString::fromLatin1(good));
            page_->Commit(CTimelinePage::kRecordUndoBefore);
        }
        QCOMPARE(TimelineFrames(scene), 120);
        QCOMPARE(editor_->UndoSteps(), before + 3);
        page_->Commit(CTimelinePage::kRecordUndoBefore); // unchanged: nothing recorded
        QCOMPARE(editor_->UndoSteps(), before + 3);
        QCOMPARE(editor_->Dialogs().Texts(Kind::Error).size(), 3);
        editor_->Main().Action(CMainDlg::Command::Undo)->trigger();
        QCOMPARE(TimelineFrames(editor_->Scene()), 99999);
        QCOMPARE(page_->FramesEdit()->text(), QStringLiteral("99999"));
    }

    void sceneRowActionDialogCancelLeavesNothing() {
        CSceneObj& scene = editor_->Scene();
        editor_->Select(nullptr);
        SetCurrentFrame(scene, 6);
        const size_t before = editor_->UndoSteps();
        int shown = 0;
        CActionPanelDlg::SetRunner([&](CActionPanelDlg& dialog) {
            ++shown;
            dialog.reject();
            return dialog.result();
        });
        page_->SceneRowCommand(command_id::kGotoFrame);
        QCOMPARE(shown, 1);
        QCOMPARE(scene.GetEventList().GetChildCount(), size_t{0});
        QCOMPARE(editor_->UndoSteps(), before);

        // OK: the event at the current frame with the action as set in the dialog.
        CActionPanelDlg::SetRunner([&](CActionPanelDlg& dialog) {
            auto* panel = qobject_cast<CGotoFramePanel*>(dialog.Panel());
            panel->FrameEdit()->setText(QStringLiteral("12"));
            dialog.accept();
            return dialog.result();
        });
        page_->SceneRowCommand(command_id::kGotoFrame);
        QCOMPARE(scene.GetEventList().GetChildCount(), size_t{1});
        auto* event = static_cast<CEventAtFrame*>(scene.GetEventList().GetSelectedChild());
        QCOMPARE(event->GetFrame(), 6);
        QCOMPARE(event->GetChildCount(), size_t{1});
        QCOMPARE(static_cast<CActionGotoFrame*>(event->GetSelectedChild())->GetFrame(), 12);
        QCOMPARE(editor_->UndoSteps(), before + 1);

        // With the event selected a cancelled dialog adds no action to it either; Play needs no
        // dialog and goes straight in.
        CActionPanelDlg::SetRunner([&](CActionPanelDlg& dialog) {
            dialog.reject();
            return dialog.result();
        });
        page_->SceneRowCommand(command_id::kGotoURL);
        QCOMPARE(event->GetChildCount(), size_t{1});
        page_->SceneRowCommand(command_id::kPlay);
        QCOMPARE(event->GetChildCount(), size_t{2});
        QVERIFY(DynamicCast<CActionPlay>(event->GetSelectedChild()) != nullptr);
        QCOMPARE(editor_->UndoSteps(), before + 2);

        // A bad frame in the dialog keeps it open: OK does nothing until it is corrected.
        CActionPanelDlg::SetRunner([&](CActionPanelDlg& dialog) {
            auto* panel = qobject_cast<CGotoFramePanel*>(dialog.Panel());
            panel->FrameEdit()->setText(QStringLiteral("100000"));
            dialog.accept();
            if (dialog.result() == QDialog::Accepted)
                return int(QDialog::Accepted);
            panel->FrameEdit()->setText(QStringLiteral("99999"));
            dialog.accept();
            return dialog.result();
        });
        page_->SceneRowCommand(command_id::kGotoFrame);
        QCOMPARE(editor_->Dialogs().Texts(Kind::Error),
                 QStringList{QStringLiteral("Please enter an integer between 0 and 99999.")});
        QCOMPARE(static_cast<CActionGotoFrame*>(event->GetSelectedChild())->GetFrame(), 99999);
    }

    void frameEventsFromTheSceneRow() {
        CSceneObj& scene = editor_->Scene();
        editor_->Select(nullptr);
        SetCurrentFrame(scene, 9);
        page_->SceneRowCommand(command_id::kAtFrame);
        SetCurrentFrame(scene, 3);
        page_->SceneRowCommand(command_id::kAtFrame);
        page_->SceneRowCommand(command_id::kAtLabel);
        QStringList names;
        for (const auto& e : scene.GetEventList().GetChildList())
            names << QString::fromStdString(static_cast<CEventObj*>(e.get())->GetDisplayName());
        QCOMPARE(names, (QStringList{"At Frame 3", "At Frame 9", "At Label"}));

        // Properties: the frame changed in the dialog moves the event into frame order.
        scene.GetEventList().SelectPosition(scene.GetEventList().GetHeadPosition());
        auto* moved = scene.GetEventList().GetSelectedChild();
        const size_t before = editor_->UndoSteps();
        CActionPanelDlg::SetRunner([&](CActionPanelDlg& dialog) {
            dialog.findChild<QLineEdit*>(QStringLiteral("AtFrame"))->setText(QStringLiteral("15"));
            dialog.accept();
            return dialog.result();
        });
        page_->FrameEventProperties();
        QCOMPARE(scene.GetEventList().GetIndexOfPosition(scene.GetEventList().FindChild(moved)), 1);
        QCOMPARE(scene.GetEventList().GetSelectedChild(), moved);
        QCOMPARE(editor_->UndoSteps(), before + 1);
        // OK with nothing changed records nothing.
        CActionPanelDlg::SetRunner([&](CActionPanelDlg& dialog) {
            dialog.accept();
            return dialog.result();
        });
        page_->FrameEventProperties();
        QCOMPARE(editor_->UndoSteps(), before + 1);

        // Delete Action removes the selected frame event.
        page_->DeleteSelected();
        QCOMPARE(scene.GetEventList().GetChildCount(), size_t{2});
    }

    void confirmedPropertiesResortTheEffect() {
        struct Host : CEffectObj::DialogHost {
            CMainDlg* main = nullptr;
            int newStart = 0;
            bool RunSettingsDialog(CEffectObj& e, bool undo) override {
                return RunTransformDialog(e, undo);
            }
            bool RunTransformDialog(CEffectObj& e, bool undo) override {
                if (undo)
                    main->RecordUndo(false);
                e.SetStartFrame(newStart);
                return true;
            }
        } host;
        host.main = &editor_->Main();
        CEffectObj::SetDialogHost(&host);
        CTextObj& text = editor_->AddText();
        CEffectObj& a = AddEffectAt(text, cmd::kSlideInFirst, 0);
        CEffectObj& b = AddEffectAt(text, cmd::kFadeIn, 20);
        text.GetEffectList().SelectChild(&a);
        editor_->Select(&text);
        host.newStart = 40;
        page_->RunCommand(CTimelinePage::kEffectProperties);
        QCOMPARE(text.GetEffectList().GetChildList().front().get(), &b);
        QCOMPARE(text.GetEffectList().GetSelectedChild(), &a);
        host.newStart = 0;
        page_->RunCommand(CTimelinePage::kEffectTransform);
        QCOMPARE(text.GetEffectList().GetChildList().front().get(), &a);
        // Without a dialog host nothing opens and nothing changes.
        CEffectObj::SetDialogHost(nullptr);
        page_->RunCommand(CTimelinePage::kEffectTransform);
        QCOMPARE(text.GetEffectList().GetChildList().front().get(), &a);
    }

private:
    std::unique_ptr<EditorHarness> editor_;
    CTimelinePage* page_ = nullptr;
};

QTEST_MAIN(TimelinePageTest)
#include "TimelinePageTest.moc"
