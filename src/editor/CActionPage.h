// The Actions page of the property sheet: the button events of the current object and their
// actions.
#pragma once

#include "editor/CTextPropPage.h"

namespace tavro::editor {

class CActionPage : public CTextPropPage {
    Q_OBJECT
public:
    explicit CActionPage(CMainDlg& mainWnd, QWidget* parent = nullptr);
};

} // namespace tavro::editor
