// A colour button: shows its colour as a swatch with a drop-down arrow; a click opens the
// CColorPopup below it, whose "Other..." asks the colour chooser of the dialog service. Every
// colour the user chooses is announced by colorChanged, also when it equals the one shown. The
// alpha of the colour shown is kept: the popup and the chooser pick red, green and blue.
#pragma once

#include "editor/CColorPopup.h"

#include <QColor>
#include <QPointer>
#include <QPushButton>
#include <QString>

namespace tavro::editor {

class DialogService;

class CColorButton : public QPushButton {
    Q_OBJECT
public:
    explicit CColorButton(DialogService& dialogs, QWidget* parent = nullptr);

    // The colour shown; invalid when cleared.
    QColor Color() const { return color_; }
    // Shows a colour without announcing it.
    void SetColor(const QColor& color);
    // Shows no colour (a page without an object).
    void ClearColor() { SetColor(QColor()); }

    // The title of the colour chooser.
    void SetChooserTitle(const QString& title) { chooserTitle_ = title; }

    // Opens the popup (what a click does); the open popup, or null when none is open.
    void ShowPopup();
    CColorPopup* Popup() const { return popup_; }
    // What "Other..." does: asks the colour chooser and announces the choice.
    void ChooseOther();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

Q_SIGNALS:
    void colorChanged(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Pick(const QColor& rgb);

    DialogService& dialogs_;
    QColor color_;
    QString chooserTitle_ = QStringLiteral("Color");
    QPointer<CColorPopup> popup_;
};

} // namespace tavro::editor
