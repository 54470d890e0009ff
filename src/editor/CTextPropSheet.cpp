#include "editor/CTextPropSheet.h"

#include "editor/CActionPage.h"
#include "editor/CGeneralPage.h"
#include "editor/CScenePage.h"
#include "editor/CTextPage.h"
#include "editor/CTextPropPage.h"
#include "editor/CTimelinePage.h"

#include <QApplication>
#include <QKeyEvent>
#include <QResizeEvent>

namespace tavro::editor {

CTextPropSheet::CTextPropSheet(CMainDlg& mainWnd, QWidget* parent) : QTabWidget(parent) {
    setObjectName(QStringLiteral("PropertySheet"));
    pages_[General] = new CGeneralPage(mainWnd, this);
    pages_[Scene] = new CScenePage(mainWnd, this);
    pages_[Timeline] = new CTimelinePage(mainWnd, this);
    pages_[Text] = new CTextPage(mainWnd, this);
    pages_[Actions] = new CActionPage(mainWnd, this);
    for (CTextPropPage* page : pages_)
        addTab(page, page->Caption());
    activeIndex_ = currentIndex();
    connect(this, &QTabWidget::currentChanged, this, &CTextPropSheet::OnCurrentChanged);
    // Key presses reach the application's filters before the focused widget sees them.
    qApp->installEventFilter(this);
}

CTextPropPage& CTextPropSheet::ActivePage() const {
    return *pages_[currentIndex() < 0 ? 0 : currentIndex()];
}

void CTextPropSheet::SetActivePage(Page page) {
    setCurrentIndex(page);
}

void CTextPropSheet::ShowPage(Page page) {
    if (currentIndex() == page) {
        pages_[page]->Activated();
        return;
    }
    skipCommit_ = true;
    setCurrentIndex(page);
    skipCommit_ = false;
}

// The page that was active commits its edits before the new one loads the current object.
void CTextPropSheet::OnCurrentChanged(int index) {
    if (!skipCommit_ && activeIndex_ >= 0 && activeIndex_ < PageCount && activeIndex_ != index)
        pages_[activeIndex_]->Commit(CTextPropPage::kRecordUndoBefore);
    activeIndex_ = index;
    if (index >= 0 && index < PageCount)
        pages_[index]->Activated();
}

void CTextPropSheet::resizeEvent(QResizeEvent* event) {
    QTabWidget::resizeEvent(event);
    const QSize now = currentWidget() != nullptr ? currentWidget()->size() : event->size();
    CTextPropPage::SetSheetSize(now);
    if (currentIndex() >= 0)
        ActivePage().FollowSheetSize();
}

// Tab, Shift+Tab, Return and Enter pressed in a control of the active page: the page commits
// first, then the control handles the key. A key that travels on to the control's parents is
// seen once, at the focused control.
bool CTextPropSheet::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return QTabWidget::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Tab && key != Qt::Key_Backtab && key != Qt::Key_Return &&
        key != Qt::Key_Enter)
        return QTabWidget::eventFilter(watched, event);
    auto* widget = static_cast<QWidget*>(watched);
    if (widget != QApplication::focusWidget() || currentIndex() < 0)
        return QTabWidget::eventFilter(watched, event);
    CTextPropPage& page = ActivePage();
    if (page.isAncestorOf(widget))
        page.Commit(CTextPropPage::kRecordUndoBefore);
    return QTabWidget::eventFilter(watched, event);
}

} // namespace tavro::editor
