#include "editor/CTextPage.h"

#include "editor/CColorButton.h"
#include "editor/CMainDlg.h"
#include "editor/CViewWnd.h"
#include "editor/IntegerField.h"
#include "editor/PageIcons.h"
#include "editor/QtColor.h"
#include "editor/QtText.h"
#include "model/CTextObj.h"
#include "swf/FontService.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace tavro::editor {

namespace {

constexpr int kSizes[] = {8,  9,  10, 11, 12, 14, 16, 18, 20, 22,  24,  26,
                          28, 32, 36, 40, 48, 56, 64, 72, 96, 120, 144, 200};

// The alignment the stage and the movie show for a stored value: left, right, else centred.
int ShownAlignment(int32_t stored) {
    return stored == CTextPage::kAlignLeft || stored == CTextPage::kAlignRight
               ? stored
               : CTextPage::kAlignCentre;
}

QRect ToQRect(const IntRect& r) {
    return QRect(QPoint(r.x0, r.y0), QPoint(r.x1, r.y1));
}

} // namespace

CTextPage::CTextPage(CMainDlg& mainWnd, QWidget* parent)
    : CTextPropPage(mainWnd, QStringLiteral("Text"), parent) {
    setObjectName(QStringLiteral("TextPage"));

    face_ = new QComboBox(this);
    face_->setObjectName(QStringLiteral("FontFace"));
    face_->setEditable(true);
    face_->setInsertPolicy(QComboBox::NoInsert);
    face_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    face_->setMinimumContentsLength(8);
    face_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    face_->setToolTip(QStringLiteral("Font"));
    connect(face_, &QComboBox::activated, this, [this] { Commit(kRecordUndoBefore); });

    size_ = new QComboBox(this);
    size_->setObjectName(QStringLiteral("FontSize"));
    size_->setEditable(true);
    size_->setInsertPolicy(QComboBox::NoInsert);
    size_->setMinimumContentsLength(4);
    size_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    size_->setToolTip(QStringLiteral("Size"));
    for (const int s : kSizes)
        size_->addItem(QString::number(s));
    connect(size_, &QComboBox::activated, this, [this] { Commit(kRecordUndoBefore); });

    auto makeToolButton = [this](const char* name, const char* tip) {
        auto* button = new QToolButton(this);
        button->setObjectName(QString::fromLatin1(name));
        button->setToolTip(QString::fromLatin1(tip));
        button->setAccessibleName(QString::fromLatin1(tip));
        button->setCheckable(true);
        // Flat until checked or pointed at: the checked state reads in any style and palette.
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::StrongFocus);
        return button;
    };
    bold_ = makeToolButton("Bold", "Bold");
    italic_ = makeToolButton("Italic", "Italic");
    connect(bold_, &QToolButton::clicked, this, [this] { Commit(kRecordUndoBefore); });
    connect(italic_, &QToolButton::clicked, this, [this] { Commit(kRecordUndoBefore); });

    color_ = new CColorButton(Dialogs(), this);
    color_->setObjectName(QStringLiteral("TextColor"));
    color_->SetChooserTitle(QStringLiteral("Text Color"));
    color_->setToolTip(QStringLiteral("Color"));
    connect(color_, &CColorButton::colorChanged, this, [this] { Commit(kRecordUndoBefore); });

    alignGroup_ = new QButtonGroup(this);
    alignGroup_->setExclusive(true);
    align_[0] = makeToolButton("AlignLeft", "Align Left");
    align_[1] = makeToolButton("AlignCentre", "Center");
    align_[2] = makeToolButton("AlignRight", "Align Right");
    alignGroup_->addButton(align_[0], kAlignLeft);
    alignGroup_->addButton(align_[1], kAlignCentre);
    alignGroup_->addButton(align_[2], kAlignRight);
    connect(alignGroup_, &QButtonGroup::buttonClicked, this, [this] { Commit(kRecordUndoBefore); });

    text_ = new QPlainTextEdit(this);
    text_->setObjectName(QStringLiteral("TextField"));
    text_->setTabChangesFocus(true);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    WatchTextField(text_);

    auto* fontRow = new QHBoxLayout;
    auto* faceLabel = new QLabel(QStringLiteral("&Font:"), this);
    faceLabel->setBuddy(face_);
    auto* sizeLabel = new QLabel(QStringLiteral("&Size:"), this);
    sizeLabel->setBuddy(size_);
    fontRow->addWidget(faceLabel);
    fontRow->addWidget(face_, 1);
    fontRow->addSpacing(6);
    fontRow->addWidget(sizeLabel);
    fontRow->addWidget(size_);

    auto* styleRow = new QHBoxLayout;
    styleRow->addWidget(bold_);
    styleRow->addWidget(italic_);
    styleRow->addSpacing(8);
    styleRow->addWidget(color_);
    styleRow->addSpacing(8);
    for (QToolButton* button : align_)
        styleRow->addWidget(button);
    styleRow->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fontRow);
    layout->addLayout(styleRow);
    layout->addWidget(text_, 1);

    UpdateIcons();
}

QToolButton* CTextPage::AlignButton(int alignment) const {
    return static_cast<QToolButton*>(alignGroup_->button(ShownAlignment(alignment)));
}

QString CTextPage::ToFieldText(const std::string& docText) {
    QString text = FromDocText(docText);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

std::string CTextPage::FromFieldText(const QString& fieldText) {
    QString text = fieldText;
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return ToDocText(text);
}

CTextObj* CTextPage::Text() const {
    return MainWnd().CurrentText();
}

// The installed families, each once and sorted; faces with quadratic outlines carry the mark,
// the others a blank of the same size so that the names line up.
void CTextPage::FillFaces() {
    if (facesFilled_)
        return;
    facesFilled_ = true;
    const QIcon mark = MakePageIcon(PageIcon::QuadraticFont, palette(), QPalette::Text);
    QPixmap blankPixmap(16, 16);
    blankPixmap.fill(Qt::transparent);
    const QIcon blank(blankPixmap);
    for (const FontFamily& family : FontService::Shared().Families())
        face_->addItem(family.trueType ? mark : blank, FromDocText(family.name));
}

void CTextPage::UpdateIcons() {
    bold_->setIcon(MakePageIcon(PageIcon::Bold, palette()));
    italic_->setIcon(MakePageIcon(PageIcon::Italic, palette()));
    align_[0]->setIcon(MakePageIcon(PageIcon::AlignLeft, palette()));
    align_[1]->setIcon(MakePageIcon(PageIcon::AlignCentre, palette()));
    align_[2]->setIcon(MakePageIcon(PageIcon::AlignRight, palette()));
    if (facesFilled_) {
        const QIcon mark = MakePageIcon(PageIcon::QuadraticFont, palette(), QPalette::Text);
        const std::vector<FontFamily> families = FontService::Shared().Families();
        for (int i = 0; i < face_->count() && i < static_cast<int>(families.size()); ++i) {
            if (families[static_cast<size_t>(i)].trueType)
                face_->setItemIcon(i, mark);
        }
    }
}

void CTextPage::changeEvent(QEvent* event) {
    CTextPropPage::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        UpdateIcons();
}

void CTextPage::Load() {
    const LoadScope loading(*this);
    const CTextObj* text = Text();
    for (QWidget* control : std::initializer_list<QWidget*>{
             text_, face_, size_, bold_, italic_, color_, align_[0], align_[1], align_[2]})
        control->setEnabled(text != nullptr);
    if (text == nullptr) {
        text_->clear();
        face_->setCurrentIndex(-1);
        face_->setEditText(QString());
        size_->setCurrentIndex(-1);
        size_->setEditText(QString());
        bold_->setChecked(false);
        italic_->setChecked(false);
        color_->ClearColor();
        alignGroup_->setExclusive(false);
        for (QToolButton* button : align_)
            button->setChecked(false);
        alignGroup_->setExclusive(true);
        return;
    }
    FillFaces();
    const QString fieldText = ToFieldText(text->GetText());
    if (text_->toPlainText() != fieldText)
        text_->setPlainText(fieldText);
    const QString face = FromDocText(text->GetFontFace());
    face_->setCurrentIndex(face_->findText(face, Qt::MatchFixedString));
    face_->setEditText(face);
    const QString size = QString::number(text->GetFontSize());
    size_->setCurrentIndex(size_->findText(size));
    size_->setEditText(size);
    bold_->setChecked(text->GetBold() != 0);
    italic_->setChecked(text->GetItalic() != 0);
    color_->SetColor(ToQColor(text->GetColor()));
    AlignButton(text->GetAlignment())->setChecked(true);
    NoteShown();
}

void CTextPage::NoteShown() {
    shown_.text = text_->toPlainText();
    shown_.face = face_->currentText();
    shown_.size = size_->currentText();
    shown_.bold = bold_->isChecked();
    shown_.italic = italic_->isChecked();
    shown_.color = color_->Color();
    shown_.alignment = alignGroup_->checkedId();
}

int CTextPage::ReadSize(const CTextObj& text) {
    const int previous = text.GetFontSize();
    if (size_->currentText() == shown_.size)
        return previous;
    const QString typed = size_->currentText().trimmed();
    bool ok = false;
    const int value = typed.toInt(&ok, 10);
    if (ok && value >= 1 && value <= kMaxSize)
        return value;
    size_->setEditText(QString::number(previous));
    if (!typed.isEmpty() && !(ok && value == 0))
        ShowInvalidValue(QStringLiteral("Size: ") + IntegerRangeMessage(1, kMaxSize));
    return previous;
}

void CTextPage::Commit(int flags) {
    CTextObj* text = Text();
    if (text == nullptr)
        return;
    CTextObj copy(*text);
    if (text_->toPlainText() != shown_.text)
        copy.SetText(FromFieldText(text_->toPlainText()));
    const QString face = face_->currentText().trimmed();
    if (face.isEmpty())
        face_->setEditText(FromDocText(text->GetFontFace()));
    else if (face_->currentText() != shown_.face &&
             face.compare(FromDocText(text->GetFontFace()), Qt::CaseInsensitive) != 0)
        copy.SetFontFace(ToDocText(face)); // face names match without regard to case
    copy.SetFontSize(ReadSize(*text));
    if (bold_->isChecked() != shown_.bold)
        copy.SetBold(bold_->isChecked() ? 1 : 0);
    if (italic_->isChecked() != shown_.italic)
        copy.SetItalic(italic_->isChecked() ? 1 : 0);
    if (color_->Color().isValid() && color_->Color() != shown_.color)
        copy.SetColor(FromQColor(color_->Color()));
    const int alignment = alignGroup_->checkedId();
    if (alignment != -1 && alignment != shown_.alignment)
        copy.SetAlignment(alignment);
    NoteShown();

    if (copy.IsEqualText(*text))
        return;
    const IntRect before = text->GetScreenRect();
    if (flags & kRecordUndoBefore)
        MainWnd().RecordUndo(false);
    text->CopyText(copy);
    MainWnd().SetDirty();
    MainWnd().UpdateTreeLabel(text);
    if (CViewWnd* view = MainWnd().ViewWnd()) {
        // The selection marks reach a few pixels beyond the text's rectangle.
        constexpr int kMargin = 6;
        const QRect changed = ToQRect(before).united(ToQRect(text->GetScreenRect()));
        view->RedrawRect(changed.adjusted(-kMargin, -kMargin, kMargin, kMargin));
    }
    if (flags & kRecordUndoAfter)
        MainWnd().RecordUndo(true);
}

} // namespace tavro::editor
