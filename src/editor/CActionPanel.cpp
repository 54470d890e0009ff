#include "editor/CActionPanel.h"

#include "editor/CButtonEventPanel.h"
#include "editor/CFrameEventPanel.h"
#include "editor/CGotoFramePanel.h"
#include "editor/CGotoURLPanel.h"
#include "editor/CLabelEventPanel.h"
#include "editor/CMainDlg.h"
#include "effects/CActionGotoFrame.h"
#include "effects/CActionGotoURL.h"
#include "effects/CEventAtFrame.h"
#include "effects/CEventAtLabel.h"

#include <QEvent>
#include <QLineEdit>

namespace tavro::editor {

CActionPanel::CActionPanel(CMainDlg& mainWnd, CTavroObj& item, Mode mode, QWidget* parent)
    : QWidget(parent), mainWnd_(mainWnd), mainAlive_(mainWnd.AliveToken()), item_(item),
      mode_(mode) {}

bool CActionPanel::Store(bool recordUndo) {
    if (retired_ || !*mainAlive_ || !Differs())
        return false;
    if (recordUndo)
        mainWnd_.RecordUndo(false);
    else
        mainWnd_.SetDirty();
    Apply();
    Q_EMIT Stored();
    return true;
}

void CActionPanel::StoreOnClick() {
    if (mode_ == Mode::Live && !loading_)
        Store(true);
}

void CActionPanel::WatchTyping(QLineEdit& edit, QWidget* focusWidget) {
    if (mode_ != Mode::Live)
        return;
    edit.installEventFilter(this);
    if (focusWidget != nullptr)
        focusWidget->installEventFilter(this);
    connect(&edit, &QLineEdit::textEdited, this, [this] {
        if (loading_)
            return;
        Store(editing_);
        editing_ = false;
    });
    connect(&edit, &QLineEdit::editingFinished, this, [this] {
        // The message box takes the focus, which would finish the editing once more.
        if (validating_ || loading_ || retired_ || !*mainAlive_)
            return;
        validating_ = true;
        Validate();
        validating_ = false;
    });
}

bool CActionPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn)
        editing_ = true;
    else if (event->type() == QEvent::FocusOut)
        editing_ = false;
    return QWidget::eventFilter(watched, event);
}

CActionPanel* CreateActionPanel(CMainDlg& mainWnd, CTavroObj& item, CActionPanel::Mode mode,
                                QWidget* parent) {
    if (auto* frameEvent = DynamicCast<CEventAtFrame>(&item))
        return new CFrameEventPanel(mainWnd, *frameEvent, mode, parent);
    if (auto* labelEvent = DynamicCast<CEventAtLabel>(&item))
        return new CLabelEventPanel(mainWnd, *labelEvent, mode, parent);
    if (auto* event = DynamicCast<CEventObj>(&item))
        return new CButtonEventPanel(mainWnd, *event, mode, parent);
    if (auto* gotoFrame = DynamicCast<CActionGotoFrame>(&item))
        return new CGotoFramePanel(mainWnd, *gotoFrame, mode, parent);
    if (auto* gotoUrl = DynamicCast<CActionGotoURL>(&item))
        return new CGotoURLPanel(mainWnd, *gotoUrl, mode, parent);
    return nullptr;
}

} // namespace tavro::editor
