// "Typewriter Effect": the settings of letters appearing one after another behind a flashing
// cursor. The cursor character is chosen from the characters of the text's font.
#pragma once

#include "editor/CEffectSettingsDlg.h"

#include <QFont>

namespace tavro {
class CEffectTypewriter;
}

namespace tavro::editor {

class CTypewriterEffectDlg : public CEffectSettingsDlg {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Typewriter Effect";

    CTypewriterEffectDlg(EffectDialogHost& host, EffectEditSession& session,
                         CEffectTypewriter& effect, QWidget* parent);

    QPushButton* CursorButton() const { return cursorButton_; }
    int CursorCode() const { return cursorCode_; }
    // As the picker does.
    void SetCursorCode(int code);
    // The picker, modal.
    void ChooseCursor();
    // The font the picker and the button show: the text's face and style.
    const QFont& TextFont() const { return textFont_; }

protected:
    bool ReadFields(bool quiet) override;
    void WriteFields(CEffectObj& effect) const override;

private:
    struct Values {
        int32_t letterInterval = 0, flashInterval = 0, lineStart = 0, lineEnd = 0;
    };

    QLineEdit* letterInterval_ = nullptr;
    QLineEdit* flashInterval_ = nullptr;
    QLineEdit* lineStart_ = nullptr;
    QLineEdit* lineEnd_ = nullptr;
    QPushButton* cursorButton_ = nullptr;
    QFont textFont_;
    int32_t cursorCode_ = 0;
    int32_t loadedCursor_ = 0;
    Values values_;
};

} // namespace tavro::editor
