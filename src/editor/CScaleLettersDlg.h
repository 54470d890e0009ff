// "Scaling Letters Effect": the settings of letters brought in or taken out one after another.
// The effect's length follows from its text, so the dialog has no frames box.
#pragma once

#include "editor/CEffectSettingsDlg.h"

class QButtonGroup;

namespace tavro {
class CEffectScaleLetter;
}

namespace tavro::editor {

class CScaleLettersDlg : public CEffectSettingsDlg {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Scaling Letters Effect";

    CScaleLettersDlg(EffectDialogHost& host, EffectEditSession& session, CEffectScaleLetter& effect,
                     QWidget* parent);

    QButtonGroup* OrderChoices() const { return order_; }
    QButtonGroup* StyleChoices() const { return style_; }

protected:
    bool ReadFields(bool quiet) override;
    void WriteFields(CEffectObj& effect) const override;

private:
    struct Values {
        int32_t framesPerLetter = 0, wait = 0;
        double scale = 0, rotate = 0, fade = 0, across = 0, down = 0;
    };

    QLineEdit* framesPerLetter_ = nullptr;
    QLineEdit* wait_ = nullptr;
    QLineEdit* scale_ = nullptr;
    QLineEdit* rotate_ = nullptr;
    QLineEdit* fade_ = nullptr;
    QLineEdit* across_ = nullptr;
    QLineEdit* down_ = nullptr;
    QButtonGroup* order_ = nullptr;
    QButtonGroup* style_ = nullptr;
    Values values_;
};

} // namespace tavro::editor
