// The General page of the property sheet: the movie: its size, frame rate and background colour.
//
// The numbers are decimal (fractions allowed). A field whose text is not a number, or a number
// the movie cannot hold (a size the player cannot show, a rate the movie's 8.8 fixed-point field
// cannot store), keeps the movie's value, with a message. A field the user has not changed since
// Load leaves the movie's value as it is, whatever that value is.
#pragma once

#include "editor/CTextPropPage.h"

class QLineEdit;

namespace tavro::editor {

class CColorButton;

class CGeneralPage : public CTextPropPage {
    Q_OBJECT
public:
    // Movie width and height in pixels.
    static constexpr double kMinSize = 1.0;
    static constexpr double kMaxSize = 16384.0;
    // Frames per second.
    static constexpr double kMinRate = 0.01;
    static constexpr double kMaxRate = 255.99;

    explicit CGeneralPage(CMainDlg& mainWnd, QWidget* parent = nullptr);

    void Load() override;
    // Stores the fields in the movie when any differs (one undo step with kRecordUndoBefore),
    // then gives the stage window the rounded movie size and redraws it.
    void Commit(int flags) override;

    QLineEdit* WidthField() const { return width_; }
    QLineEdit* HeightField() const { return height_; }
    QLineEdit* RateField() const { return rate_; }
    CColorButton* BackgroundButton() const { return background_; }

    // How the fields show a number.
    static QString FormatNumber(double value);
    static QString RangeMessage(double min, double max);

private:
    // The field's number; `previous` when the field shows what Load put there, or (with the
    // field reset and the message added to `messages`) when it cannot be taken.
    double ReadNumber(QLineEdit* field, const QString& loaded, const QString& label,
                      double previous, double min, double max, QStringList& messages);

    QLineEdit* width_ = nullptr;
    QLineEdit* height_ = nullptr;
    QLineEdit* rate_ = nullptr;
    CColorButton* background_ = nullptr;
    // What Load put into the controls.
    QString loadedWidth_, loadedHeight_, loadedRate_;
    QColor loadedBackground_;
};

} // namespace tavro::editor
