// The character picker of the "Typewriter Effect" dialog: every printable Windows-1252 code the
// text's font draws, as a grid of buttons in that font. A click chooses the character.
#pragma once

#include <QDialog>
#include <QFont>

#include <vector>

class QAbstractButton;

namespace tavro::editor {

class CCharacterPickerDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kColumns = 16;

    // `current` is marked when the grid offers it.
    CCharacterPickerDlg(const QFont& font, int current, QWidget* parent = nullptr);

    // The printable codes (33 and up, no blank or control codes) that `font` has a glyph for.
    static std::vector<int> PrintableCodes(const QFont& font);

    // The character chosen, or the one the dialog opened with.
    int SelectedCode() const { return selected_; }
    // The button of a code, or null when the grid does not offer it.
    QAbstractButton* ButtonOf(int code) const;

private:
    int selected_;
};

} // namespace tavro::editor
