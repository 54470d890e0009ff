// The General page of the property sheet: the movie: its size, frame rate and background colour.
#pragma once

#include "editor/CTextPropPage.h"

namespace tavro::editor {

class CGeneralPage : public CTextPropPage {
    Q_OBJECT
public:
    explicit CGeneralPage(CMainDlg& mainWnd, QWidget* parent = nullptr);
};

} // namespace tavro::editor
