#include "editor/CTypewriterEffectDlg.h"

#include "base/Cp1252.h"
#include "editor/CCharacterPickerDlg.h"
#include "editor/EffectFieldText.h"
#include "effects/CEffectTypewriter.h"
#include "model/CTextObj.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavro::editor {

namespace {

constexpr const char* kClass = "CEffectTypewriter";
constexpr int kButtonPixels = 20;

QFont FontOf(const CEffectTypewriter& effect) {
    QFont font;
    if (const auto* text = dynamic_cast<const CTextObj*>(effect.GetOwner())) {
        const DrawFont draw = text->GetDrawFont();
        font = QFont(QString::fromStdString(Cp1252ToUtf8(draw.face)));
        font.setBold(draw.bold);
        font.setItalic(draw.italic);
    }
    font.setPixelSize(kButtonPixels);
    return font;
}

} // namespace

CTypewriterEffectDlg::CTypewriterEffectDlg(EffectDialogHost& host, EffectEditSession& session,
                                           CEffectTypewriter& effect, QWidget* parent)
    : CEffectSettingsDlg(host, session, QString::fromLatin1(kTitle), parent),
      textFont_(FontOf(effect)) {
    setObjectName(QStringLiteral("TypewriterEffectDlg"));
    const QString frames = QStringLiteral("frames.");
    auto* grid = new QGridLayout;
    letterInterval_ =
        AddBoxRow(grid, 0, QStringLiteral("Show Letter every"), "Show Letter every", frames);
    flashInterval_ =
        AddBoxRow(grid, 1, QStringLiteral("Flash Cursor every"), "Flash Cursor every", frames);
    auto* cursorLabel = new QLabel(QStringLiteral("Cursor Character:"), this);
    cursorButton_ = new QPushButton(this);
    cursorButton_->setObjectName(QStringLiteral("CursorCharacter"));
    cursorButton_->setAutoDefault(false);
    cursorButton_->setFont(textFont_);
    cursorButton_->setFixedSize(48, 36);
    cursorLabel->setBuddy(cursorButton_);
    grid->addWidget(cursorLabel, 2, 0);
    grid->addWidget(cursorButton_, 2, 1);
    lineStart_ = AddBoxRow(grid, 3, QStringLiteral("Flash Cursor"), "times at start of line.",
                           QStringLiteral("times at start of line."));
    lineEnd_ = AddBoxRow(grid, 4, QStringLiteral("Flash Cursor"), "times at end of line.",
                         QStringLiteral("times at end of line."));
    grid->setColumnStretch(3, 1);
    ContentLayout()->addLayout(grid);
    ContentLayout()->addStretch(1);

    letterInterval_->setText(IntegerFieldText(effect.GetLetterInterval()));
    flashInterval_->setText(IntegerFieldText(effect.GetFlashInterval()));
    lineStart_->setText(IntegerFieldText(effect.GetFlashesAtLineStart()));
    lineEnd_->setText(IntegerFieldText(effect.GetFlashesAtLineEnd()));
    loadedCursor_ = effect.GetCursorCharacter();
    SetCursorCode(loadedCursor_);
    connect(cursorButton_, &QPushButton::clicked, this, &CTypewriterEffectDlg::ChooseCursor);
}

void CTypewriterEffectDlg::SetCursorCode(int code) {
    cursorCode_ = code;
    if (code > 32 && code <= 255 && Cp1252IsDefined(static_cast<uint8_t>(code))) {
        const char32_t cp = Cp1252ToUnicode(static_cast<uint8_t>(code));
        // "&" would mark a shortcut instead of showing itself.
        cursorButton_->setText(code == '&' ? QStringLiteral("&&") : QString::fromUcs4(&cp, 1));
    } else {
        cursorButton_->setText(QStringLiteral("?")); // a code no font draws
    }
    cursorButton_->setToolTip(QStringLiteral("Code %1").arg(code));
}

void CTypewriterEffectDlg::ChooseCursor() {
    CCharacterPickerDlg picker(textFont_, cursorCode_, this);
    if (picker.exec() == QDialog::Accepted)
        SetCursorCode(picker.SelectedCode());
}

bool CTypewriterEffectDlg::ReadFields(bool quiet) {
    Values v;
    const auto read = [&](QLineEdit* box, const char* label, int32_t& out) {
        return ReadInto(box, kClass, label, quiet, out);
    };
    if (!read(letterInterval_, "Show Letter every", v.letterInterval) ||
        !read(flashInterval_, "Flash Cursor every", v.flashInterval) ||
        !read(lineStart_, "times at start of line.", v.lineStart) ||
        !read(lineEnd_, "times at end of line.", v.lineEnd))
        return false;
    values_ = v;
    return true;
}

void CTypewriterEffectDlg::WriteFields(CEffectObj& target) const {
    auto& effect = static_cast<CEffectTypewriter&>(target);
    effect.SetLetterInterval(values_.letterInterval);
    effect.SetFlashInterval(values_.flashInterval);
    effect.SetFlashesAtLineStart(values_.lineStart);
    effect.SetFlashesAtLineEnd(values_.lineEnd);
    if (cursorCode_ != loadedCursor_)
        effect.SetCursorCharacter(cursorCode_);
}

} // namespace tavro::editor
