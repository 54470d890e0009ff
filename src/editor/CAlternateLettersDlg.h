// "Alternating Letters": the settings of every other letter moving in from (or out to)
// alternating sides.
#pragma once

#include "editor/CEffectSettingsDlg.h"

class QButtonGroup;

namespace tavro {
class CEffectAlternate;
}

namespace tavro::editor {

class CAlternateLettersDlg : public CEffectSettingsDlg {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Alternating Letters";

    CAlternateLettersDlg(EffectDialogHost& host, EffectEditSession& session,
                         CEffectAlternate& effect, QWidget* parent);

    QButtonGroup* StyleChoices() const { return style_; }

protected:
    bool ReadFields(bool quiet) override;
    void WriteFields(CEffectObj& effect) const override;

private:
    struct Values {
        int32_t frames = 0;
        double right = 0, down = 0, rotate = 0, scale = 0, fade = 0;
    };

    QLineEdit* frames_ = nullptr;
    QLineEdit* right_ = nullptr;
    QLineEdit* down_ = nullptr;
    QLineEdit* rotate_ = nullptr;
    QLineEdit* scale_ = nullptr;
    QLineEdit* fade_ = nullptr;
    QButtonGroup* style_ = nullptr;
    Values values_;
};

} // namespace tavro::editor
