// The panel of a button event: one check box per mouse condition; the event's conditions are the
// or of the checked boxes.
#pragma once

#include "editor/CActionPanel.h"

#include <array>
#include <cstdint>

class QCheckBox;

namespace tavro {
class CEventObj;
}

namespace tavro::editor {

class CButtonEventPanel : public CActionPanel {
    Q_OBJECT
public:
    CButtonEventPanel(CMainDlg& mainWnd, CEventObj& event, Mode mode, QWidget* parent = nullptr);

    QString Title() const override;
    void Load() override;

    // The box of the condition bit, or null.
    QCheckBox* BoxOf(int32_t bit) const;
    // The or of the checked boxes.
    int32_t Conditions() const;

protected:
    bool Differs() const override;
    void Apply() override;

private:
    CEventObj& event_;
    std::array<QCheckBox*, 7> boxes_{};
};

} // namespace tavro::editor
