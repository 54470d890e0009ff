#include "editor/CActionPage.h"

#include "editor/CActionPanel.h"
#include "editor/CGotoFramePanel.h"
#include "editor/CMainDlg.h"
#include "editor/QtText.h"
#include "editor/SceneTimeline.h"
#include "editor/TimelineMenus.h"
#include "effects/ActionCommands.h"
#include "effects/CActionGotoFrame.h"
#include "effects/CEventAtFrame.h"
#include "effects/CEventAtLabel.h"
#include "effects/CEventObj.h"
#include "model/CSceneObj.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tavro::editor {

namespace {

CTavroObj* ObjectOf(const QTreeWidgetItem* item) {
    return item == nullptr
               ? nullptr
               : reinterpret_cast<CTavroObj*>(item->data(0, Qt::UserRole).value<quintptr>());
}

QString DisplayName(const CTavroObj& item) {
    if (const auto* event = DynamicCast<CEventObj>(&item))
        return FromDocText(event->GetDisplayName());
    return FromDocText(item.GetName());
}

// Events keep their list sorted by frame; an event may only pass a neighbour at the same frame.
int EventFrame(const CTavroObj* obj) {
    const auto* event = DynamicCast<CEventObj>(obj);
    return event != nullptr ? event->GetFrame() : -1;
}

QPushButton* SmallButton(const QString& text, const QString& tip, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setToolTip(tip);
    const int side = button->fontMetrics().height() + 10;
    button->setFixedWidth(std::max(side, button->fontMetrics().horizontalAdvance(text) + 14));
    return button;
}

} // namespace

CActionPage::CActionPage(CMainDlg& mainWnd, QWidget* parent)
    : CTextPropPage(mainWnd, QStringLiteral("Actions"), parent), mainAlive_(mainWnd.AliveToken()) {
    setObjectName(QStringLiteral("ActionPage"));
    auto* layout = new QVBoxLayout(this);

    auto* buttons = new QHBoxLayout;
    add_ = new QPushButton(QStringLiteral("Add Action"), this);
    add_->setObjectName(QStringLiteral("AddAction"));
    addMenu_ = new QMenu(add_);
    add_->setMenu(addMenu_);
    connect(addMenu_, &QMenu::triggered, this, [this](QAction* a) { OnCommand(CommandOf(a)); });
    delete_ = SmallButton(QStringLiteral("X"), QStringLiteral("Delete"), this);
    up_ = SmallButton(QStringLiteral("U"), QStringLiteral("Move Up"), this);
    down_ = SmallButton(QStringLiteral("D"), QStringLiteral("Move Down"), this);
    connect(delete_, &QPushButton::clicked, this, &CActionPage::OnDelete);
    connect(up_, &QPushButton::clicked, this, &CActionPage::OnMoveUp);
    connect(down_, &QPushButton::clicked, this, &CActionPage::OnMoveDown);
    buttons->addWidget(add_);
    buttons->addStretch(1);
    buttons->addWidget(delete_);
    buttons->addWidget(up_);
    buttons->addWidget(down_);
    layout->addLayout(buttons);

    tree_ = new QTreeWidget(this);
    tree_->setObjectName(QStringLiteral("ActionTree"));
    tree_->setHeaderHidden(true);
    tree_->setColumnCount(1);
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    tree_->header()->setStretchLastSection(true);
    layout->addWidget(tree_, 3);
    connect(tree_, &QTreeWidget::itemSelectionChanged, this, &CActionPage::OnTreeSelectionChanged);

    title_ = new QLabel(QStringLiteral(" Action Title"), this);
    title_->setObjectName(QStringLiteral("ActionTitle"));
    title_->setFrameShape(QFrame::StyledPanel);
    title_->setAutoFillBackground(true);
    title_->setBackgroundRole(QPalette::Button);
    title_->setForegroundRole(QPalette::ButtonText);
    title_->setTextFormat(Qt::PlainText);
    layout->addWidget(title_);

    // Room for the largest panel (Goto Frame: six rows), whichever is shown.
    panelHost_ = new QWidget(this);
    panelHost_->setObjectName(QStringLiteral("ActionPanelArea"));
    panelArea_ = new QVBoxLayout(panelHost_);
    panelArea_->setContentsMargins(4, 2, 4, 2);
    {
        CActionGotoFrame probe;
        const CGotoFramePanel largest(MainWnd(), probe, CActionPanel::Mode::Dialog);
        panelHost_->setMinimumHeight(largest.sizeHint().height() + 4);
    }
    layout->addWidget(panelHost_, 2);
    UpdateControls();
}

CSymbolObj* CActionPage::Object() const {
    return DynamicCast<CSymbolObj>(MainWnd().CurrentObject());
}

CEventObj* CActionPage::SelectedEvent() const {
    CSymbolObj* obj = Object();
    return obj == nullptr ? nullptr
                          : DynamicCast<CEventObj>(obj->GetEventList().GetSelectedChild());
}

CTavroObj* CActionPage::SelectedAction() const {
    CEventObj* event = SelectedEvent();
    return event == nullptr ? nullptr : event->GetSelectedChild();
}

CTavroObj* CActionPage::SelectedItem() const {
    if (CTavroObj* action = SelectedAction())
        return action;
    return SelectedEvent();
}

void CActionPage::Load() {
    RebuildTree();
    ShowPanel();
    UpdateControls();
}

void CActionPage::Commit(int flags) {
    if (panel_ != nullptr && *mainAlive_)
        panel_->Store((flags & kRecordUndoBefore) != 0);
}

void CActionPage::RebuildTree() {
    const QSignalBlocker block(tree_);
    tree_->clear();
    CSymbolObj* obj = Object();
    if (obj == nullptr)
        return;
    const CTavroObj* selected = SelectedItem();
    QTreeWidgetItem* selectedItem = nullptr;
    auto addItem = [&](QTreeWidgetItem* item, CTavroObj& obj) {
        item->setText(0, DisplayName(obj));
        item->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(&obj)));
        if (&obj == selected)
            selectedItem = item;
    };
    for (const auto& event : obj->GetEventList().GetChildList()) {
        auto* eventItem = new QTreeWidgetItem(tree_);
        addItem(eventItem, *event);
        for (const auto& action : event->GetChildList())
            addItem(new QTreeWidgetItem(eventItem), *action);
    }
    tree_->expandAll();
    if (selectedItem != nullptr)
        tree_->setCurrentItem(selectedItem);
}

// The panel is made anew for every load: after an undo the items it edited are gone.
void CActionPage::ShowPanel() {
    if (panel_ != nullptr) {
        panel_->Retire();
        panel_->disconnect(this);
        panel_->hide();
        panel_->deleteLater();
        panel_ = nullptr;
    }
    CTavroObj* item = SelectedItem();
    title_->setText(item != nullptr ? QStringLiteral(" ") + DisplayName(*item)
                                    : QStringLiteral(" Action Title"));
    if (item == nullptr)
        return;
    panel_ = CreateActionPanel(MainWnd(), *item, CActionPanel::Mode::Live, panelHost_);
    if (panel_ == nullptr)
        return;
    panelArea_->addWidget(panel_);
    connect(panel_, &CActionPanel::Stored, this, &CActionPage::OnPanelStored);
}

void CActionPage::FillAddMenu() {
    const bool scene = DynamicCast<CSceneObj>(Object()) != nullptr;
    if (menuFilled_ && scene == menuForScene_)
        return;
    addMenu_->clear();
    FillAddActionMenu(*addMenu_, scene);
    menuForScene_ = scene;
    menuFilled_ = true;
}

void CActionPage::UpdateControls() {
    const bool hasObject = Object() != nullptr;
    if (hasObject)
        FillAddMenu();
    add_->setEnabled(hasObject);
    tree_->setEnabled(hasObject);
    delete_->setEnabled(SelectedItem() != nullptr);
    up_->setEnabled(CanMove(true));
    down_->setEnabled(CanMove(false));
}

void CActionPage::OnTreeSelectionChanged() {
    if (!*mainAlive_)
        return;
    CSymbolObj* obj = Object();
    if (obj == nullptr)
        return;
    const QList<QTreeWidgetItem*> items = tree_->selectedItems();
    const QTreeWidgetItem* item = items.isEmpty() ? nullptr : items.front();
    CTavroObj* chosen = ObjectOf(item);
    if (chosen == SelectedItem())
        return;
    // What was typed into the panel belongs to the item that was selected.
    if (panel_ != nullptr)
        panel_->Store(true);
    CTavroObj& events = obj->GetEventList();
    if (chosen == nullptr) {
        events.SelectPosition({});
    } else if (item->parent() == nullptr) {
        events.SelectChild(chosen);
        chosen->SelectPosition({});
    } else if (CTavroObj* event = ObjectOf(item->parent()); event != nullptr) {
        events.SelectChild(event);
        event->SelectChild(chosen);
    }
    ShowPanel();
    UpdateControls();
}

// The item's name in the tree and the title follow the panel; a frame event whose frame changed
// moves to its place in the frame order.
void CActionPage::OnPanelStored() {
    CTavroObj* item = SelectedItem();
    CSymbolObj* obj = Object();
    if (item == nullptr || obj == nullptr)
        return;
    if (DynamicCast<CEventObj>(item) != nullptr && item == SelectedEvent()) {
        obj->ReinsertSelectedEvent();
        RebuildTree();
    } else if (QTreeWidgetItem* current = tree_->currentItem();
               current != nullptr && ObjectOf(current) == item) {
        current->setText(0, DisplayName(*item));
    }
    title_->setText(QStringLiteral(" ") + DisplayName(*item));
    UpdateControls();
}

void CActionPage::OnCommand(int id) {
    CSymbolObj* obj = Object();
    const ActionCommand* command = FindActionCommand(id);
    if (obj == nullptr || command == nullptr)
        return;
    Commit(kRecordUndoBefore);
    auto* scene = DynamicCast<CSceneObj>(obj);
    CTavroObj& events = obj->GetEventList();
    switch (command->kind) {
    case ActionCommand::Kind::ButtonEvent: {
        // An event with exactly these conditions is chosen instead of made twice.
        for (const auto& child : events.GetChildList()) {
            const auto* event = DynamicCast<CEventObj>(child.get());
            if (event != nullptr && event->GetRuntimeClass() == &CEventObj::classInfo &&
                event->GetConditions() == command->conditions) {
                events.SelectChild(event);
                child->SelectPosition({});
                Load();
                return;
            }
        }
        MainWnd().RecordUndo(false);
        events.SelectPosition(
            obj->InsertEvent(std::make_unique<CEventObj>(nullptr, command->conditions)));
        break;
    }
    case ActionCommand::Kind::FrameEvent:
    case ActionCommand::Kind::LabelEvent: {
        MainWnd().RecordUndo(false);
        const int frame = scene != nullptr ? CurrentFrame(*scene) : 0;
        std::unique_ptr<CEventObj> event;
        if (command->kind == ActionCommand::Kind::FrameEvent)
            event = std::make_unique<CEventAtFrame>(nullptr, frame);
        else
            event = std::make_unique<CEventAtLabel>();
        events.SelectPosition(obj->InsertEvent(std::move(event)));
        break;
    }
    case ActionCommand::Kind::Action: {
        MainWnd().RecordUndo(false);
        CEventObj* event = SelectedEvent();
        if (event == nullptr) {
            std::unique_ptr<CEventObj> made;
            if (scene != nullptr)
                made = std::make_unique<CEventAtFrame>(nullptr, CurrentFrame(*scene));
            else
                made = std::make_unique<CEventObj>(nullptr, CEventObj::kRelease);
            event = made.get();
            events.SelectPosition(obj->InsertEvent(std::move(made)));
        }
        std::unique_ptr<CTavroObj> action = CreateFromCommand(id);
        action->SetParent(event);
        event->SelectPosition(event->AddChild(std::move(action)));
        break;
    }
    }
    Load();
}

void CActionPage::OnDelete() {
    CSymbolObj* obj = Object();
    CEventObj* event = SelectedEvent();
    if (obj == nullptr || event == nullptr)
        return;
    Commit(kRecordUndoBefore);
    MainWnd().RecordUndo(false);
    if (CTavroObj* action = SelectedAction())
        event->DeleteChildAt(event->FindChild(action), true);
    else
        obj->GetEventList().DeleteSelectedChild(true);
    Load();
}

bool CActionPage::CanMove(bool up) const {
    CSymbolObj* obj = Object();
    CEventObj* event = SelectedEvent();
    if (obj == nullptr || event == nullptr)
        return false;
    if (CTavroObj* action = SelectedAction()) {
        const auto pos = event->FindChild(action);
        return up ? pos != event->GetHeadPosition() : pos != event->GetTailPosition();
    }
    CTavroObj& events = obj->GetEventList();
    const auto pos = events.FindChild(event);
    const auto neighbour = up ? events.PrevPosition(pos) : events.NextPosition(pos);
    return neighbour && EventFrame(events.GetChildAt(neighbour)) == event->GetFrame();
}

void CActionPage::Move(bool up) {
    if (!CanMove(up))
        return;
    Commit(kRecordUndoBefore);
    MainWnd().RecordUndo(false);
    CEventObj* event = SelectedEvent();
    CTavroObj& list =
        SelectedAction() != nullptr ? static_cast<CTavroObj&>(*event) : Object()->GetEventList();
    const auto pos = list.GetSelectedPosition();
    if (up)
        list.MoveChildEarlier(pos);
    else
        list.MoveChildLater(pos);
    Load();
}

} // namespace tavro::editor
