#include "editor/CTextPropSheet.h"

#include "editor/CActionPage.h"
#include "editor/CGeneralPage.h"
#include "editor/CScenePage.h"
#include "editor/CTextPage.h"
#include "editor/CTextPropPage.h"
#include "editor/CTimelinePage.h"

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

} // namespace tavro::editor
