// The Text page of the property sheet: a text object: text, face, size, style, colour and
// alignment.
#pragma once

#include "editor/CTextPropPage.h"

namespace tavro::editor {

class CTextPage : public CTextPropPage {
    Q_OBJECT
public:
    explicit CTextPage(CMainDlg& mainWnd, QWidget* parent = nullptr);
};

} // namespace tavro::editor
