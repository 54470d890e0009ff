#include "editor/CActionPage.h"

namespace tavro::editor {

CActionPage::CActionPage(CMainDlg& mainWnd, QWidget* parent)
    : CTextPropPage(mainWnd, QStringLiteral("Actions"), parent) {
    setObjectName(QStringLiteral("ActionPage"));
}

} // namespace tavro::editor
