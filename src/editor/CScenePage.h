// The Scene page of the property sheet: a scene: its name, link and target frame.
#pragma once

#include "editor/CTextPropPage.h"

namespace tavro::editor {

class CScenePage : public CTextPropPage {
    Q_OBJECT
public:
    explicit CScenePage(CMainDlg& mainWnd, QWidget* parent = nullptr);
};

} // namespace tavro::editor
