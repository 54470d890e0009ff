#include "editor/CTextPage.h"

namespace tavro::editor {

CTextPage::CTextPage(CMainDlg& mainWnd, QWidget* parent)
    : CTextPropPage(mainWnd, QStringLiteral("Text"), parent) {
    setObjectName(QStringLiteral("TextPage"));
}

} // namespace tavro::editor
