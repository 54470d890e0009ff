#include "editor/CColorButton.h"

#include "editor/CColorPopup.h"
#include "editor/DialogService.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

namespace tavro::editor {

CColorButton::CColorButton(DialogService& dialogs, QWidget* parent)
    : QPushButton(parent), dialogs_(dialogs) {
    setAutoDefault(false);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(this, &QPushButton::clicked, this, &CColorButton::ShowPopup);
}

void CColorButton::SetColor(const QColor& color) {
    color_ = color;
    setToolTip(color.isValid() ? color.name(QColor::HexRgb).toUpper() : QString());
    update();
}

void CColorButton::ShowPopup() {
    if (popup_ != nullptr)
        return;
    popup_ = new CColorPopup(color_, this);
    connect(popup_, &CColorPopup::colorPicked, this, &CColorButton::Pick);
    // The chooser runs a modal loop: it opens once the popup's click has been handled.
    connect(popup_, &CColorPopup::otherRequested, this, &CColorButton::ChooseOther,
            Qt::QueuedConnection);
    popup_->ShowBelow(this);
}

void CColorButton::ChooseOther() {
    const QColor initial = color_.isValid() ? QColor(color_.rgb()) : QColor(Qt::black);
    if (const std::optional<QColor> chosen = dialogs_.GetColor(window(), initial, chooserTitle_))
        Pick(*chosen);
}

void CColorButton::Pick(const QColor& rgb) {
    if (!rgb.isValid())
        return;
    QColor picked(rgb.rgb());
    picked.setAlpha(color_.isValid() ? color_.alpha() : 255);
    SetColor(picked);
    Q_EMIT colorChanged(picked);
}

QSize CColorButton::sizeHint() const {
    QStyleOptionButton option;
    initStyleOption(&option);
    const int h = fontMetrics().height();
    const QSize content(h * 3 + h, h);
    return style()->sizeFromContents(QStyle::CT_PushButton, &option, content, this);
}

// The button's frame from the style, the swatch (framed in the text colour) on the left and a
// down arrow on the right.
void CColorButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    style()->drawControl(QStyle::CE_PushButtonBevel, &option, &p, this);

    const QRect content = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    const int arrow = std::max(8, fontMetrics().height() / 2 + 2);
    QRect swatch = content.adjusted(2, 2, -(arrow + 6), -2);
    if (color_.isValid() && isEnabled()) {
        p.fillRect(swatch, QColor(color_.rgb()));
        p.setPen(palette().color(QPalette::ButtonText));
        p.drawRect(swatch.adjusted(0, 0, -1, -1));
    } else {
        p.setPen(palette().color(QPalette::Disabled, QPalette::ButtonText));
        p.drawRect(swatch.adjusted(0, 0, -1, -1));
    }

    QStyleOption arrowOption;
    arrowOption.initFrom(this);
    arrowOption.rect =
        QRect(content.right() - arrow - 2, content.center().y() - arrow / 2 + 1, arrow, arrow);
    style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrowOption, &p, this);
}

} // namespace tavro::editor
