// "Explode Effect": the settings of letters flying apart from a bomb (or back together).
//
// The gravity direction is chosen from "Down", "Up", "Left", "Right" (90, 270, 180 and 0
// degrees, y pointing down) or "Other", which enables the degree box beside it; a stored
// direction that is none of the four shows as "Other" with its degrees.
#pragma once

#include "editor/CEffectSettingsDlg.h"

#include <array>

class QButtonGroup;
class QCheckBox;
class QComboBox;

namespace tavro {
class CEffectExplode;
}

namespace tavro::editor {

class CExplodeEffectDlg : public CEffectSettingsDlg {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Explode Effect";

    struct GravityPreset {
        const char* label;
        double degrees;
    };
    static constexpr std::array<GravityPreset, 4> kGravityPresets{
        {{"Down", 90.0}, {"Up", 270.0}, {"Left", 180.0}, {"Right", 0.0}}};
    // The index of "Other" in the drop-down.
    static constexpr int kOther = 4;

    CExplodeEffectDlg(EffectDialogHost& host, EffectEditSession& session, CEffectExplode& effect,
                      QWidget* parent);

    QComboBox* GravityChoice() const { return gravity_; }
    QLineEdit* GravityDegrees() const { return gravityDegrees_; }
    QCheckBox* UniformRotationBox() const { return uniformRotation_; }
    QButtonGroup* StyleChoices() const { return style_; }

protected:
    bool ReadFields(bool quiet) override;
    void WriteFields(CEffectObj& effect) const override;

private:
    struct Values {
        int32_t frames = 0, bombX = 0, bombY = 0, seed = 0, fade = 0;
        double gravityDirection = 0, gravityStrength = 0, velocity = 0, scale = 0, rotate = 0;
    };
    void OnGravityChosen(int index);

    QLineEdit* frames_ = nullptr;
    QLineEdit* bombX_ = nullptr;
    QLineEdit* bombY_ = nullptr;
    QComboBox* gravity_ = nullptr;
    QLineEdit* gravityDegrees_ = nullptr;
    QLineEdit* gravityStrength_ = nullptr;
    QLineEdit* velocity_ = nullptr;
    QLineEdit* seed_ = nullptr;
    QLineEdit* scale_ = nullptr;
    QLineEdit* rotate_ = nullptr;
    QCheckBox* uniformRotation_ = nullptr;
    QLineEdit* fade_ = nullptr;
    QButtonGroup* style_ = nullptr;
    bool loadedUniform_ = false;
    Values values_;
};

} // namespace tavro::editor
