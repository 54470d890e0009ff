#include "editor/CTimelinePage.h"

namespace tavro::editor {

CTimelinePage::CTimelinePage(CMainDlg& mainWnd, QWidget* parent)
    : CTextPropPage(mainWnd, QStringLiteral("Timeline"), parent) {
    setObjectName(QStringLiteral("TimelinePage"));
}

} // namespace tavro::editor
