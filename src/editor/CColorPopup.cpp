#include "editor/CColorPopup.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace tavro::editor {

namespace {

// One swatch: the colour framed in the palette's dark colour; the current colour carries a ring
// in the highlight colour, the swatch with the focus or under the mouse a thin outline in it.
class SwatchControl : public QAbstractButton {
public:
    SwatchControl(const QColor& color, bool current, QWidget* parent)
        : QAbstractButton(parent), color_(color), current_(current) {
        setFocusPolicy(Qt::StrongFocus);
        setAttribute(Qt::WA_Hover);
    }

    QSize sizeHint() const override {
        const int side = std::max(20, fontMetrics().height() + 6);
        return {side, side};
    }

protected:
    // The arrows and Return go to the popup, which moves in the grid and chooses.
    void keyPressEvent(QKeyEvent* event) override {
        switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            event->ignore();
            return;
        default:
            QAbstractButton::keyPressEvent(event);
        }
    }

    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QRect r = rect();
        const QColor highlight = palette().color(QPalette::Highlight);
        if (current_) {
            p.fillRect(r, highlight);
            p.fillRect(r.adjusted(2, 2, -2, -2), palette().color(QPalette::Window));
        } else if (hasFocus() || underMouse()) {
            p.setPen(highlight);
            p.drawRect(r.adjusted(0, 0, -1, -1));
        }
        const QRect swatch = r.adjusted(3, 3, -3, -3);
        p.fillRect(swatch, color_);
        p.setPen(palette().color(QPalette::Dark));
        p.drawRect(swatch.adjusted(0, 0, -1, -1));
    }

private:
    QColor color_;
    bool current_;
};

} // namespace

const std::array<CColorPopup::Swatch, CColorPopup::kSwatchCount>& CColorPopup::Swatches() {
    static const std::array<Swatch, kSwatchCount> swatches{{
        {"Black", qRgb(0, 0, 0)},       {"Dark Grey", qRgb(64, 64, 64)},
        {"Grey", qRgb(128, 128, 128)},  {"Light Grey", qRgb(192, 192, 192)},
        {"White", qRgb(255, 255, 255)}, {"Red", qRgb(255, 0, 0)},
        {"Orange", qRgb(255, 128, 0)},  {"Yellow", qRgb(255, 255, 0)},
        {"Green", qRgb(0, 255, 0)},     {"Cyan", qRgb(0, 255, 255)},
        {"Blue", qRgb(0, 0, 255)},      {"Violet", qRgb(128, 0, 255)},
        {"Magenta", qRgb(255, 0, 255)}, {"Pink", qRgb(255, 128, 192)},
        {"Brown", qRgb(128, 64, 0)},    {"Dark Red", qRgb(128, 0, 0)},
        {"Olive", qRgb(128, 128, 0)},   {"Dark Green", qRgb(0, 128, 0)},
        {"Teal", qRgb(0, 128, 128)},    {"Navy", qRgb(0, 0, 128)},
    }};
    return swatches;
}

CColorPopup::CColorPopup(const QColor& current, QWidget* parent) : QFrame(parent, Qt::Popup) {
    setObjectName(QStringLiteral("ColorPopup"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameStyle(QFrame::StyledPanel | QFrame::Raised);

    auto* grid = new QGridLayout;
    grid->setSpacing(1);
    for (int i = 0; i < kSwatchCount; ++i) {
        const Swatch& s = Swatches()[static_cast<size_t>(i)];
        const QColor color = QColor::fromRgb(s.rgb);
        const bool isCurrent = current.isValid() && current.rgb() == s.rgb;
        if (isCurrent)
            currentIndex_ = i;
        auto* button = new SwatchControl(color, isCurrent, this);
        button->setObjectName(QStringLiteral("Swatch%1").arg(i));
        button->setToolTip(QString::fromLatin1(s.name));
        button->setAccessibleName(QString::fromLatin1(s.name));
        connect(button, &QAbstractButton::clicked, this, [this, color] {
            close();
            Q_EMIT colorPicked(color);
        });
        grid->addWidget(button, i / kColumns, i % kColumns);
        buttons_[static_cast<size_t>(i)] = button;
    }

    other_ = new QPushButton(QStringLiteral("Other..."), this);
    other_->setObjectName(QStringLiteral("OtherColor"));
    other_->setAutoDefault(false);
    connect(other_, &QPushButton::clicked, this, [this] {
        close();
        Q_EMIT otherRequested();
    });

    auto* layout = new QVBoxLayout(this);
    const int margin = style()->pixelMetric(QStyle::PM_LayoutTopMargin) / 2 + 2;
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(margin);
    layout->addLayout(grid);
    layout->addWidget(other_);
}

void CColorPopup::ShowBelow(const QWidget* anchor) {
    adjustSize();
    QPoint at = anchor->mapToGlobal(QPoint(0, anchor->height()));
    if (const QScreen* screen = anchor->screen()) {
        const QRect area = screen->availableGeometry();
        if (at.y() + height() > area.bottom() + 1)
            at.setY(anchor->mapToGlobal(QPoint(0, 0)).y() - height());
        at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() + 1 - width())));
        at.setY(std::max(at.y(), area.top()));
    }
    move(at);
    show();
}

void CColorPopup::showEvent(QShowEvent* event) {
    QFrame::showEvent(event);
    buttons_[static_cast<size_t>(std::max(currentIndex_, 0))]->setFocus(Qt::PopupFocusReason);
}

int CColorPopup::FocusedSwatch() const {
    for (int i = 0; i < kSwatchCount; ++i) {
        if (buttons_[static_cast<size_t>(i)]->hasFocus())
            return i;
    }
    return -1;
}

void CColorPopup::keyPressEvent(QKeyEvent* event) {
    const int focused = FocusedSwatch();
    int next = -1;
    switch (event->key()) {
    case Qt::Key_Left:
        next = focused - 1;
        break;
    case Qt::Key_Right:
        next = focused + 1;
        break;
    case Qt::Key_Up:
        next = focused - kColumns;
        break;
    case Qt::Key_Down:
        next = focused < 0 ? -1 : focused + kColumns;
        if (focused >= 0 && next >= kSwatchCount) {
            other_->setFocus(Qt::TabFocusReason);
            return;
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (focused >= 0)
            buttons_[static_cast<size_t>(focused)]->click();
        else if (other_->hasFocus())
            other_->click();
        return;
    default:
        QFrame::keyPressEvent(event); // Esc closes the popup
        return;
    }
    if (focused < 0 && other_->hasFocus() && event->key() == Qt::Key_Up)
        next = kSwatchCount - kColumns;
    if (next >= 0 && next < kSwatchCount)
        buttons_[static_cast<size_t>(next)]->setFocus(Qt::TabFocusReason);
}

} // namespace tavro::editor
