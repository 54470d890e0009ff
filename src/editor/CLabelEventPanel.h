// The panel of an "At Label" event: it has nothing to set; it says so.
#pragma once

#include "editor/CActionPanel.h"

namespace tavro {
class CEventAtLabel;
}

namespace tavro::editor {

class CLabelEventPanel : public CActionPanel {
    Q_OBJECT
public:
    CLabelEventPanel(CMainDlg& mainWnd, CEventAtLabel& event, Mode mode, QWidget* parent = nullptr);

    QString Title() const override;
    void Load() override {}

protected:
    bool Differs() const override { return false; }
    void Apply() override {}
};

} // namespace tavro::editor
