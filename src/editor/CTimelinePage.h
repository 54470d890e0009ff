// The Timeline page of the property sheet: the effects and frame events of the current scene and
// object.
#pragma once

#include "editor/CTextPropPage.h"

namespace tavro::editor {

class CTimelinePage : public CTextPropPage {
    Q_OBJECT
public:
    explicit CTimelinePage(CMainDlg& mainWnd, QWidget* parent = nullptr);
};

} // namespace tavro::editor
