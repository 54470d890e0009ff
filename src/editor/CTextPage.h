// The Text page of the property sheet: the current text object's text, face, size, style,
// colour and alignment.
//
// The text follows the editing flag (one undo step for the first keystroke after the field gains
// the focus, live changes after it). Bold, italic, the colour, the alignment buttons and a face
// or size chosen from its list commit at once; a face or size typed in commits on Tab, Enter or
// when the page is left. A size of 0 (or none) keeps the size; a size that is not a whole number
// from 1 to kMaxSize keeps the size, with a message. Every change redraws the union of the text's
// old and new rectangles on the stage. Without a text object the controls are empty and disabled.
#pragma once

#include "editor/CTextPropPage.h"

#include <array>

class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QPlainTextEdit;
class QToolButton;

namespace tavro {
class CTextObj;
}

namespace tavro::editor {

class CColorButton;

class CTextPage : public CTextPropPage {
    Q_OBJECT
public:
    // The largest size: the movie states a text's height in twips in 16 bits.
    static constexpr int kMaxSize = 3276;

    // Alignment values of the three buttons.
    static constexpr int kAlignLeft = 1;
    static constexpr int kAlignCentre = 0;
    static constexpr int kAlignRight = 2;

    explicit CTextPage(CMainDlg& mainWnd, QWidget* parent = nullptr);

    void Load() override;
    void Commit(int flags) override;

    QPlainTextEdit* TextField() const { return text_; }
    QComboBox* FaceField() const { return face_; }
    QComboBox* SizeField() const { return size_; }
    QToolButton* BoldButton() const { return bold_; }
    QToolButton* ItalicButton() const { return italic_; }
    CColorButton* ColorButton() const { return color_; }
    // Left, centre, right.
    QToolButton* AlignButton(int alignment) const;

    // The text as the field shows it (line feeds) and as the document keeps it (CR LF).
    static QString ToFieldText(const std::string& docText);
    static std::string FromFieldText(const QString& fieldText);

protected:
    void changeEvent(QEvent* event) override;

private:
    CTextObj* Text() const;
    void FillFaces();
    void UpdateIcons();
    // The size to store: the field's whole number, or the text's size when the field is empty,
    // 0, unchanged, or not a size (then with a message).
    int ReadSize(const CTextObj& text);
    // The controls' state as it matches the object now (after Load or Commit).
    void NoteShown();

    QPlainTextEdit* text_ = nullptr;
    QComboBox* face_ = nullptr;
    QComboBox* size_ = nullptr;
    QToolButton* bold_ = nullptr;
    QToolButton* italic_ = nullptr;
    CColorButton* color_ = nullptr;
    QButtonGroup* alignGroup_ = nullptr;
    std::array<QToolButton*, 3> align_{}; // left, centre, right as shown
    bool facesFilled_ = false;

    // What the controls showed when they last matched the object: a control still showing it
    // leaves the object's value as it is, so that only what the user changed is written (and a
    // value a control cannot show exactly survives a commit).
    struct Shown {
        QString text, face, size;
        bool bold = false, italic = false;
        QColor color;
        int alignment = -1;
    } shown_;
};

} // namespace tavro::editor
