#include "editor/CTextPropPage.h"

#include "editor/CMainDlg.h"
#include "editor/DialogService.h"
#include "editor/IntegerField.h"

#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace tavro::editor {

namespace {
QSize sheetSize;
}

CTextPropPage::CTextPropPage(CMainDlg& mainWnd, const QString& caption, QWidget* parent)
    : QWidget(parent), mainWnd_(mainWnd), caption_(caption) {}

DialogService& CTextPropPage::Dialogs() const {
    return mainWnd_.Dialogs();
}

void CTextPropPage::Activated() {
    FollowSheetSize();
    Load();
}

void CTextPropPage::FollowSheetSize() {
    const QSize shared = SheetSize();
    if (laidOutSize_.isValid() && shared.isValid() && shared != laidOutSize_)
        Resize(shared.width() - laidOutSize_.width(), shared.height() - laidOutSize_.height());
    if (shared.isValid())
        laidOutSize_ = shared;
}

QSize CTextPropPage::SheetSize() {
    return sheetSize;
}

void CTextPropPage::SetSheetSize(const QSize& size) {
    sheetSize = size;
}

// ---- the editing flag ----

void CTextPropPage::WatchTextField(QLineEdit* field) {
    field->installEventFilter(this);
    connect(field, &QLineEdit::textEdited, this, &CTextPropPage::CommitEdit);
}

void CTextPropPage::WatchTextField(QPlainTextEdit* field) {
    field->installEventFilter(this);
    connect(field, &QPlainTextEdit::textChanged, this, &CTextPropPage::CommitEdit);
}

// The focus events of an editable combo box go to the combo box, its edits to its line edit.
void CTextPropPage::WatchTextField(QComboBox* editableCombo) {
    editableCombo->installEventFilter(this);
    if (QLineEdit* edit = editableCombo->lineEdit())
        connect(edit, &QLineEdit::textEdited, this, &CTextPropPage::CommitEdit);
    connect(editableCombo, &QComboBox::activated, this, [this] {
        if (!IsLoading())
            Commit(kRecordUndoBefore);
    });
}

bool CTextPropPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn)
        editing_ = kRecordUndoBefore;
    else if (event->type() == QEvent::FocusOut)
        editing_ = 0;
    return QWidget::eventFilter(watched, event);
}

// The flag is cleared before the commit, so that a reload inside the commit keeps the flag it
// sets.
void CTextPropPage::CommitEdit() {
    if (IsLoading())
        return;
    const int flags = editing_;
    editing_ = 0;
    Commit(flags);
}

// ---- invalid values ----

std::optional<int> CTextPropPage::ReadIntegerField(QLineEdit* field, int min, int max,
                                                   int previous) {
    if (const std::optional<int> value = ParseInteger(field->text(), min, max))
        return value;
    field->setText(QString::number(previous));
    ShowInvalidValue(IntegerRangeMessage(min, max));
    return std::nullopt;
}

void CTextPropPage::ShowInvalidValue(const QString& message) {
    Dialogs().Warning(window(), message);
}

} // namespace tavro::editor
