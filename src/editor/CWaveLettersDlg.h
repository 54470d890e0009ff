// "Wave Letters": the settings of a wave running through the letters of a text.
#pragma once

#include "editor/CEffectSettingsDlg.h"

class QButtonGroup;
class QCheckBox;

namespace tavro {
class CEffectWave;
}

namespace tavro::editor {

class CWaveLettersDlg : public CEffectSettingsDlg {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Wave Letters";

    CWaveLettersDlg(EffectDialogHost& host, EffectEditSession& session, CEffectWave& effect,
                    QWidget* parent);

    QButtonGroup* DirectionChoices() const { return direction_; }
    QButtonGroup* MovementChoices() const { return movement_; }
    QCheckBox* RotateBox() const { return rotate_; }

protected:
    bool ReadFields(bool quiet) override;
    void WriteFields(CEffectObj& effect) const override;

private:
    struct Values {
        int32_t frames = 0, period = 0;
        double length = 0, moveBy = 0, horizontalScale = 0, verticalScale = 0, alphaFade = 0;
    };

    QLineEdit* frames_ = nullptr;
    QLineEdit* period_ = nullptr;
    QLineEdit* length_ = nullptr;
    QLineEdit* moveBy_ = nullptr;
    QLineEdit* horizontalScale_ = nullptr;
    QLineEdit* verticalScale_ = nullptr;
    QLineEdit* alphaFade_ = nullptr;
    QButtonGroup* direction_ = nullptr;
    QButtonGroup* movement_ = nullptr;
    QCheckBox* rotate_ = nullptr;
    bool loadedRotate_ = false;
    Values values_;
};

} // namespace tavro::editor
