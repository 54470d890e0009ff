// The panel of a frame event: "At Frame:", the frame (0-based) at which its actions run.
#pragma once

#include "editor/CActionPanel.h"

class QLineEdit;

namespace tavro {
class CEventAtFrame;
}

namespace tavro::editor {

class CFrameEventPanel : public CActionPanel {
    Q_OBJECT
public:
    CFrameEventPanel(CMainDlg& mainWnd, CEventAtFrame& event, Mode mode, QWidget* parent = nullptr);

    QString Title() const override;
    void Load() override;
    bool Validate() override;

    QLineEdit* FrameEdit() const { return frame_; }

protected:
    bool Differs() const override;
    void Apply() override;

private:
    CEventAtFrame& event_;
    QLineEdit* frame_ = nullptr;
};

} // namespace tavro::editor
