#include "editor/CGeneralPage.h"

#include "base/Rounding.h"
#include "editor/CColorButton.h"
#include "editor/CMainDlg.h"
#include "editor/CViewWnd.h"
#include "editor/QtColor.h"
#include "model/CDocObj.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QLocale>
#include <QVBoxLayout>

#include <cmath>

namespace tavro::editor {

CGeneralPage::CGeneralPage(CMainDlg& mainWnd, QWidget* parent)
    : CTextPropPage(mainWnd, QStringLiteral("General"), parent) {
    setObjectName(QStringLiteral("GeneralPage"));

    auto makeField = [this](const char* name) {
        auto* field = new QLineEdit(this);
        field->setObjectName(QString::fromLatin1(name));
        // Room for a dozen digits at the font in use; the fields do not stretch.
        const int digits = field->fontMetrics().horizontalAdvance(QStringLiteral("0000000000.00"));
        field->setMinimumWidth(digits);
        field->setMaximumWidth(digits * 2);
        return field;
    };
    width_ = makeField("MovieWidth");
    height_ = makeField("MovieHeight");
    rate_ = makeField("FrameRate");
    background_ = new CColorButton(Dialogs(), this);
    background_->setObjectName(QStringLiteral("BackgroundColor"));
    background_->SetChooserTitle(QStringLiteral("Background Color"));
    connect(background_, &CColorButton::colorChanged, this, [this] { Commit(kRecordUndoBefore); });

    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->addRow(QStringLiteral("Movie &Width:"), width_);
    form->addRow(QStringLiteral("Movie &Height:"), height_);
    form->addRow(QStringLiteral("&Frames per Second:"), rate_);
    form->addRow(QStringLiteral("&Background Color:"), background_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addStretch(1);
}

QString CGeneralPage::FormatNumber(double value) {
    return QString::number(value, 'g', 15);
}

QString CGeneralPage::RangeMessage(double min, double max) {
    return QStringLiteral("Please enter a number between %1 and %2.")
        .arg(FormatNumber(min), FormatNumber(max));
}

void CGeneralPage::Load() {
    const LoadScope loading(*this);
    const CDocObj& doc = MainWnd().Document();
    loadedWidth_ = FormatNumber(doc.GetMovieSize().x);
    loadedHeight_ = FormatNumber(doc.GetMovieSize().y);
    loadedRate_ = FormatNumber(doc.GetFrameRate());
    loadedBackground_ = ToQColor(doc.GetBackgroundColor());
    width_->setText(loadedWidth_);
    height_->setText(loadedHeight_);
    rate_->setText(loadedRate_);
    background_->SetColor(loadedBackground_);
}

double CGeneralPage::ReadNumber(QLineEdit* field, const QString& loaded, const QString& label,
                                double previous, double min, double max, QStringList& messages) {
    const QString text = field->text().trimmed();
    if (field->text() == loaded)
        return previous;
    bool ok = false;
    double value = QLocale::c().toDouble(text, &ok);
    if (!ok)
        value = QLocale().toDouble(text, &ok);
    if (ok && std::isfinite(value) && value >= min && value <= max)
        return value;
    field->setText(loaded);
    messages << label + QLatin1Char(' ') + RangeMessage(min, max);
    return previous;
}

void CGeneralPage::Commit(int flags) {
    CDocObj& doc = MainWnd().Document();
    const CDoublePoint size = doc.GetMovieSize();
    QStringList messages;
    const double width = ReadNumber(width_, loadedWidth_, QStringLiteral("Movie Width:"), size.x,
                                    kMinSize, kMaxSize, messages);
    const double height = ReadNumber(height_, loadedHeight_, QStringLiteral("Movie Height:"),
                                     size.y, kMinSize, kMaxSize, messages);
    const double rate = ReadNumber(rate_, loadedRate_, QStringLiteral("Frames per Second:"),
                                   doc.GetFrameRate(), kMinRate, kMaxRate, messages);
    CColor background = doc.GetBackgroundColor();
    if (background_->Color().isValid() && background_->Color() != loadedBackground_)
        background = FromQColor(background_->Color());

    CDocObj copy(doc);
    copy.SetMovieSize(width, height);
    copy.SetFrameRate(rate);
    copy.SetBackgroundColor(background.red, background.green, background.blue, background.alpha);
    if (!copy.IsEqualDoc(doc)) {
        if (flags & kRecordUndoBefore)
            MainWnd().RecordUndo(false);
        doc.SetMovieSize(width, height);
        doc.SetFrameRate(rate);
        doc.SetBackgroundColor(background.red, background.green, background.blue, background.alpha);
        MainWnd().SetDirty();
        if (flags & kRecordUndoAfter)
            MainWnd().RecordUndo(true);
    }
    if (CViewWnd* view = MainWnd().ViewWnd()) {
        const CDoublePoint movie = doc.GetMovieSize();
        view->SetClientSize(RoundToInt(movie.x), RoundToInt(movie.y));
        view->Redraw();
    }
    Load(); // the fields show the numbers as they are now stored
    if (!messages.isEmpty())
        ShowInvalidValue(messages.join(QLatin1Char('\n')));
}

} // namespace tavro::editor
