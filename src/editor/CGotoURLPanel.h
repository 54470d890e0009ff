// The panel of a "Goto URL" action: the URL and the target window ("_self", "_blank", "_parent",
// "_top" or any name typed).
#pragma once

#include "editor/CActionPanel.h"

class QComboBox;
class QLineEdit;

namespace tavro {
class CActionGotoURL;
}

namespace tavro::editor {

class CGotoURLPanel : public CActionPanel {
    Q_OBJECT
public:
    CGotoURLPanel(CMainDlg& mainWnd, CActionGotoURL& action, Mode mode, QWidget* parent = nullptr);

    QString Title() const override;
    void Load() override;

    QLineEdit* UrlEdit() const { return url_; }
    QComboBox* TargetBox() const { return target_; }

protected:
    bool Differs() const override;
    void Apply() override;

private:
    CActionGotoURL& action_;
    QLineEdit* url_ = nullptr;
    QComboBox* target_ = nullptr;
};

} // namespace tavro::editor
