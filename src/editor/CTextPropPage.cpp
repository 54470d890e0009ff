#include "editor/CTextPropPage.h"

namespace tavro::editor {

namespace {
QSize sheetSize;
}

CTextPropPage::CTextPropPage(CMainDlg& mainWnd, const QString& caption, QWidget* parent)
    : QWidget(parent), mainWnd_(mainWnd), caption_(caption) {}

void CTextPropPage::Activated() {
    FollowSheetSize();
    Load();
}

void CTextPropPage::FollowSheetSize() {
    const QSize shared = SheetSize();
    if (laidOutSize_.isValid() && shared.isValid() && shared != laidOutSize_)
        Resize(shared.width() - laidOutSize_.width(), shared.height() - laidOutSize_.height());
    if (shared.isValid())
        laidOutSize_ = shared;
}

QSize CTextPropPage::SheetSize() {
    return sheetSize;
}

void CTextPropPage::SetSheetSize(const QSize& size) {
    sheetSize = size;
}

} // namespace tavro::editor
