#include "editor/CTimelinePage.h"

#include "editor/CActionPanelDlg.h"
#include "editor/CMainDlg.h"
#include "editor/CTimelineGrid.h"
#include "editor/IntegerField.h"
#include "editor/SceneTimeline.h"
#include "editor/TimelineMenus.h"
#include "effects/ActionCommands.h"
#include "effects/CActionObj.h"
#include "effects/CEffectObj.h"
#include "effects/CEventAtFrame.h"
#include "effects/CEventAtLabel.h"
#include "effects/EffectNames.h"
#include "model/CSceneObj.h"
#include "model/CTextObj.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdint>

namespace tavro::editor {

namespace {

// Adds a grid command entry to a context menu.
QAction* AddGridCommand(QMenu& menu, const QString& text, int command) {
    QAction* action = menu.addAction(text);
    action->setData(command);
    return action;
}

// The action commands that open a panel (Goto Frame, Goto URL).
bool HasPanel(const CTavroObj& action) {
    const auto* obj = DynamicCast<CActionObj>(&action);
    return obj != nullptr && obj->GetPageId() != CActionObj::kNoPage;
}

} // namespace

CTimelinePage::CTimelinePage(CMainDlg& mainWnd, QWidget* parent)
    : CTextPropPage(mainWnd, QStringLiteral("Timeline"), parent), mainAlive_(mainWnd.AliveToken()) {
    setObjectName(QStringLiteral("TimelinePage"));
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("Number of Frames:"), this);
    frames_ = new QLineEdit(this);
    frames_->setObjectName(QStringLiteral("NumberOfFrames"));
    SetUpIntegerEdit(*frames_, kMinTimelineFrames, kMaxTimelineFrames);
    frames_->setMaximumWidth(frames_->fontMetrics().horizontalAdvance(QStringLiteral("00000000")) +
                             12);
    label->setBuddy(frames_);
    connect(frames_, &QLineEdit::editingFinished, this, [this] { Commit(kRecordUndoBefore); });

    add_ = new QPushButton(QStringLiteral("Add Effect"), this);
    add_->setObjectName(QStringLiteral("AddEffect"));
    delete_ = new QPushButton(QStringLiteral("Delete Effect"), this);
    delete_->setObjectName(QStringLiteral("DeleteEffect"));
    effectMenu_ = new QMenu(this);
    sceneMenu_ = new QMenu(this);
    FillSceneRowMenu(*sceneMenu_);
    // The letter effects are offered for text objects only; the menu follows the selection.
    connect(effectMenu_, &QMenu::aboutToShow, this, [this] { FillEffectMenu(*effectMenu_); });
    FillEffectMenu(*effectMenu_);
    connect(effectMenu_, &QMenu::triggered, this, [this](QAction* a) { RunCommand(CommandOf(a)); });
    connect(sceneMenu_, &QMenu::triggered, this, [this](QAction* a) { RunCommand(CommandOf(a)); });
    connect(delete_, &QPushButton::clicked, this, &CTimelinePage::DeleteSelected);

    top->addWidget(label);
    top->addWidget(frames_);
    top->addStretch(1);
    top->addWidget(add_);
    top->addWidget(delete_);
    layout->addLayout(top);

    grid_ = new CTimelineGrid(mainWnd, *this, this);
    layout->addWidget(grid_, 1);
    UpdateButtons();
}

// ---- selection ----

CSceneObj* CTimelinePage::Scene() const {
    return MainWnd().Document().GetSelectedScene();
}

CSymbolObj* CTimelinePage::SelectedObject() const {
    CSceneObj* scene = Scene();
    return scene == nullptr ? nullptr : DynamicCast<CSymbolObj>(scene->GetSelectedChild());
}

CEffectObj* CTimelinePage::SelectedEffect() const {
    CSymbolObj* object = SelectedObject();
    return object == nullptr ? nullptr
                             : DynamicCast<CEffectObj>(object->GetEffectList().GetSelectedChild());
}

CEventObj* CTimelinePage::SelectedFrameEvent() const {
    CSceneObj* scene = Scene();
    if (scene == nullptr)
        return nullptr;
    auto* event = DynamicCast<CEventObj>(scene->GetEventList().GetSelectedChild());
    return event != nullptr && event->GetFrame() >= 0 ? event : nullptr;
}

// ---- load and commit ----

void CTimelinePage::Load() {
    CSceneObj* scene = Scene();
    frames_->setEnabled(scene != nullptr);
    frames_->setText(scene != nullptr ? QString::number(TimelineFrames(*scene)) : QString());
    grid_->Reload();
    UpdateButtons();
}

// "Number of Frames:" is stored when it changed; a value out of range is refused with the
// range, and the box keeps it.
void CTimelinePage::Commit(int flags) {
    if (!*mainAlive_)
        return;
    CSceneObj* scene = Scene();
    if (scene == nullptr || committing_ || !frames_->isEnabled())
        return;
    committing_ = true; // the message box takes the focus, which ends the editing once more
    const auto frames = ReadIntegerOrComplain(*frames_, kMinTimelineFrames, kMaxTimelineFrames,
                                              MainWnd().Dialogs(), this);
    committing_ = false;
    if (!frames || *frames == TimelineFrames(*scene))
        return;
    if ((flags & kRecordUndoBefore) != 0)
        MainWnd().RecordUndo(false);
    else
        MainWnd().SetDirty();
    SetTimelineFrames(*scene, *frames);
    if ((flags & kRecordUndoAfter) != 0)
        MainWnd().RecordUndo(true);
    grid_->Reload();
}

void CTimelinePage::SelectionChanged() {
    MainWnd().SelectionChangedOnPage();
    UpdateButtons();
    grid_->update();
}

void CTimelinePage::FillEffectMenu(QMenu& menu) const {
    menu.clear();
    editor::FillEffectMenu(menu, DynamicCast<CTextObj>(SelectedObject()) != nullptr);
}

void CTimelinePage::UpdateButtons() {
    const bool hasScene = Scene() != nullptr;
    const bool sceneRow = SelectedObject() == nullptr;
    add_->setText(sceneRow ? QStringLiteral("Add Action") : QStringLiteral("Add Effect"));
    delete_->setText(sceneRow ? QStringLiteral("Delete Action") : QStringLiteral("Delete Effect"));
    QMenu* menu = sceneRow ? sceneMenu_ : effectMenu_;
    if (add_->menu() != menu)
        add_->setMenu(menu);
    add_->setEnabled(hasScene);
    delete_->setEnabled(sceneRow ? SelectedFrameEvent() != nullptr : SelectedEffect() != nullptr);
}

// ---- effects ----

void CTimelinePage::AddEffect(int command) {
    CSceneObj* scene = Scene();
    CSymbolObj* object = SelectedObject();
    if (scene == nullptr || object == nullptr)
        return;
    const bool letters = IsLetterEffectCommand(command);
    if (letters && DynamicCast<CTextObj>(object) == nullptr)
        return;
    std::unique_ptr<CEffectObj> effect =
        letters ? CreateLetterEffect(command) : CreateWholeObjectEffect(command);
    if (!effect)
        return;
    Commit(kRecordUndoBefore);
    MainWnd().RecordUndo(false);
    CEffectObj* added = effect.get();
    // The current frame is the last frame of the effect added (or dragged) before: the new one
    // follows it. Started on that frame, it would go in front of a one-frame effect there, and
    // the timeline would pull a longer one a frame back to make room.
    int start = CurrentFrame(*scene);
    for (const auto& child : object->GetEffectList().GetChildList()) {
        const auto* other = DynamicCast<CEffectObj>(child.get());
        if (other != nullptr &&
            int64_t{other->GetStartFrame()} + std::max(1, other->GetNumFrames()) - 1 == start) {
            start = std::min(start + 1, kMaxTimelineFrames);
            break;
        }
    }
    added->SetStartFrame(start);
    CTavroObj& effects = object->GetEffectList();
    effects.SelectPosition(object->InsertEffect(std::move(effect)));
    // The next effect added starts where this one ends.
    SetCurrentFrame(*scene, added->GetStartFrame() + std::max(1, added->GetNumFrames()) - 1);
    Load();
    MainWnd().SelectionChangedOnPage();
}

void CTimelinePage::DeleteEffect() {
    CSymbolObj* object = SelectedObject();
    if (object == nullptr || SelectedEffect() == nullptr)
        return;
    Commit(kRecordUndoBefore);
    MainWnd().RecordUndo(false);
    object->GetEffectList().DeleteSelectedChild(true);
    Load();
}

void CTimelinePage::ResortSelectedEffect() {
    CSymbolObj* object = SelectedObject();
    if (object == nullptr)
        return;
    CTavroObj& effects = object->GetEffectList();
    object->ReinsertEffectAt(effects.GetSelectedPosition());
    Load();
}

void CTimelinePage::EditEffect() {
    CEffectObj* effect = SelectedEffect();
    if (effect == nullptr)
        return;
    Commit(kRecordUndoBefore);
    const bool done =
        effect->HasSettingsDialog() ? effect->EditSettings(true) : effect->EditTransform(true);
    if (done)
        ResortSelectedEffect();
}

void CTimelinePage::EffectProperties() {
    CEffectObj* effect = SelectedEffect();
    if (effect == nullptr || !effect->HasSettingsDialog())
        return;
    Commit(kRecordUndoBefore);
    if (effect->EditSettings(true))
        ResortSelectedEffect();
}

void CTimelinePage::EffectTransform() {
    CEffectObj* effect = SelectedEffect();
    if (effect == nullptr)
        return;
    Commit(kRecordUndoBefore);
    if (effect->EditTransform(true))
        ResortSelectedEffect();
}

// ---- frame events ----

void CTimelinePage::SceneRowCommand(int id) {
    CSceneObj* scene = Scene();
    const ActionCommand* command = FindActionCommand(id);
    if (scene == nullptr || command == nullptr)
        return;
    Commit(kRecordUndoBefore);
    CTavroObj& events = scene->GetEventList();
    switch (command->kind) {
    case ActionCommand::Kind::FrameEvent:
    case ActionCommand::Kind::LabelEvent: {
        MainWnd().RecordUndo(false);
        std::unique_ptr<CEventObj> event;
        if (command->kind == ActionCommand::Kind::FrameEvent)
            event = std::make_unique<CEventAtFrame>(nullptr, CurrentFrame(*scene));
        else
            event = std::make_unique<CEventAtLabel>();
        scene->SelectPosition({});
        events.SelectPosition(scene->InsertEvent(std::move(event)));
        break;
    }
    case ActionCommand::Kind::Action: {
        // The action (and the event it needs) is made aside and enters the movie only when its
        // dialog is confirmed, so that Cancel leaves nothing behind.
        CEventObj* event = SelectedFrameEvent();
        std::unique_ptr<CEventObj> made;
        if (event == nullptr)
            made = std::make_unique<CEventAtFrame>(scene, CurrentFrame(*scene));
        std::unique_ptr<CTavroObj> action = CreateFromCommand(id);
        action->SetParent(event != nullptr ? event : made.get());
        if (HasPanel(*action)) {
            CActionPanelDlg dialog(MainWnd(), *action, false, this);
            if (!dialog.Run())
                return;
        }
        MainWnd().RecordUndo(false);
        if (made) {
            event = made.get();
            scene->SelectPosition({});
            events.SelectPosition(scene->InsertEvent(std::move(made)));
        }
        event->SelectPosition(event->AddChild(std::move(action)));
        break;
    }
    case ActionCommand::Kind::ButtonEvent:
        return; // not offered for the scene row
    }
    Load();
    MainWnd().SelectionChangedOnPage();
}

void CTimelinePage::DeleteFrameEvent() {
    CSceneObj* scene = Scene();
    if (scene == nullptr || SelectedFrameEvent() == nullptr)
        return;
    Commit(kRecordUndoBefore);
    MainWnd().RecordUndo(false);
    scene->GetEventList().DeleteSelectedChild(true);
    Load();
}

void CTimelinePage::FrameEventProperties() {
    CSceneObj* scene = Scene();
    CEventObj* event = SelectedFrameEvent();
    if (scene == nullptr || event == nullptr)
        return;
    Commit(kRecordUndoBefore);
    CActionPanelDlg dialog(MainWnd(), *event, true, this);
    if (dialog.Run()) {
        scene->ReinsertSelectedEvent(); // a new frame moves it to its place in frame order
        Load();
    }
}

void CTimelinePage::DeleteSelected() {
    if (SelectedObject() == nullptr)
        DeleteFrameEvent();
    else
        DeleteEffect();
}

// ---- commands and menus ----

void CTimelinePage::RunCommand(int id) {
    switch (id) {
    case kDeleteEffect:
        DeleteEffect();
        return;
    case kEffectProperties:
        EffectProperties();
        return;
    case kEffectTransform:
        EffectTransform();
        return;
    case kDeleteFrameEvent:
        DeleteFrameEvent();
        return;
    case kFrameEventProperties:
        FrameEventProperties();
        return;
    default:
        break;
    }
    if (FindActionCommand(id) != nullptr)
        SceneRowCommand(id);
    else if (!EffectCommandText(id).isEmpty())
        AddEffect(id);
}

std::unique_ptr<QMenu> CTimelinePage::ContextMenuAt(const QPoint& point) {
    const CTimelineGrid::Hit hit = grid_->HitTest(point);
    using Where = CTimelineGrid::Hit::Where;
    if (hit.where == Where::Nothing || hit.where == Where::Names || hit.where == Where::Ruler)
        return nullptr;
    auto menu = std::make_unique<QMenu>(this);
    if (hit.where == Where::Bar && hit.effect == SelectedEffect()) {
        AddGridCommand(*menu, QStringLiteral("&Delete"), kDeleteEffect);
        AddGridCommand(*menu, QStringLiteral("&Properties..."), kEffectProperties)
            ->setEnabled(hit.effect->HasSettingsDialog());
        AddGridCommand(*menu, QStringLiteral("&Transform..."), kEffectTransform);
    } else if (hit.where == Where::Event && hit.event == SelectedFrameEvent()) {
        AddGridCommand(*menu, QStringLiteral("&Delete"), kDeleteFrameEvent);
        AddGridCommand(*menu, QStringLiteral("&Properties..."), kFrameEventProperties);
    } else if (hit.sceneRow) {
        FillSceneRowMenu(*menu);
    } else {
        FillEffectMenu(*menu);
    }
    return menu;
}

} // namespace tavro::editor
