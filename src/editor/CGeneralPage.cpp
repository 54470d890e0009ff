#include "editor/CGeneralPage.h"

namespace tavro::editor {

CGeneralPage::CGeneralPage(CMainDlg& mainWnd, QWidget* parent)
    : CTextPropPage(mainWnd, QStringLiteral("General"), parent) {
    setObjectName(QStringLiteral("GeneralPage"));
}

} // namespace tavro::editor
