#include "editor/CScenePage.h"

namespace tavro::editor {

CScenePage::CScenePage(CMainDlg& mainWnd, QWidget* parent)
    : CTextPropPage(mainWnd, QStringLiteral("Scene"), parent) {
    setObjectName(QStringLiteral("ScenePage"));
}

} // namespace tavro::editor
