// "Squeeze Effect": the settings of letters drawn together or apart horizontally.
#pragma once

#include "editor/CEffectSettingsDlg.h"

class QButtonGroup;

namespace tavro {
class CEffectSqueeze;
}

namespace tavro::editor {

class CSqueezeEffectDlg : public CEffectSettingsDlg {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Squeeze Effect";

    CSqueezeEffectDlg(EffectDialogHost& host, EffectEditSession& session, CEffectSqueeze& effect,
                      QWidget* parent);

    QButtonGroup* AlignmentChoices() const { return alignment_; }

protected:
    bool ReadFields(bool quiet) override;
    void WriteFields(CEffectObj& effect) const override;

private:
    struct Values {
        int32_t frames = 0, startFactor = 0, endFactor = 0, fade = 0;
    };

    QLineEdit* frames_ = nullptr;
    QLineEdit* startFactor_ = nullptr;
    QLineEdit* endFactor_ = nullptr;
    QLineEdit* fade_ = nullptr;
    QButtonGroup* alignment_ = nullptr;
    Values values_;
};

} // namespace tavro::editor
