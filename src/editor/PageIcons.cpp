#include "editor/PageIcons.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tavro::editor {

namespace {

// Draws one icon on a square of `side` pixels.
void Draw(QPainter& p, PageIcon kind, int side, const QColor& ink) {
    const double u = side / 16.0; // drawn on a 16-unit grid
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    switch (kind) {
    case PageIcon::Bold:
    case PageIcon::Italic: {
        QFont font(QStringLiteral("Serif"));
        font.setPixelSize(static_cast<int>(14 * u));
        font.setBold(kind == PageIcon::Bold);
        font.setItalic(kind == PageIcon::Italic);
        if (kind == PageIcon::Bold)
            font.setFamily(QStringLiteral("Sans Serif"));
        p.setFont(font);
        p.setPen(ink);
        p.drawText(QRectF(0, 0, side, side), Qt::AlignCenter,
                   kind == PageIcon::Bold ? QStringLiteral("B") : QStringLiteral("I"));
        break;
    }
    case PageIcon::AlignLeft:
    case PageIcon::AlignCentre:
    case PageIcon::AlignRight: {
        const double lengths[] = {12, 8, 12, 6};
        for (int i = 0; i < 4; ++i) {
            const double w = lengths[i] * u;
            double x = 2 * u;
            if (kind == PageIcon::AlignCentre)
                x = (side - w) / 2;
            else if (kind == PageIcon::AlignRight)
                x = side - 2 * u - w;
            p.fillRect(QRectF(x, (3 + 3 * i) * u, w, 1.5 * u), ink);
        }
        break;
    }
    case PageIcon::QuadraticFont: {
        // Two overlapping letters drawn as outlines.
        QFont font(QStringLiteral("Serif"));
        font.setPixelSize(static_cast<int>(11 * u));
        font.setBold(true);
        QPainterPath path;
        path.addText(QPointF(1 * u, 10 * u), font, QStringLiteral("T"));
        path.addText(QPointF(6 * u, 14 * u), font, QStringLiteral("T"));
        p.setPen(QPen(ink, std::max(1.0, u)));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
        break;
    }
    case PageIcon::TextObject: {
        // A bar and a stem: the letter T.
        p.setRenderHint(QPainter::Antialiasing, false);
        p.fillRect(QRectF(3 * u, 2 * u, 10 * u, 2 * u), ink);
        p.fillRect(QRectF(7 * u, 2 * u, 2 * u, 11 * u), ink);
        break;
    }
    }
}

QPixmap Render(PageIcon kind, int side, const QColor& ink) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    Draw(p, kind, side, ink);
    return pixmap;
}

} // namespace

QIcon MakePageIcon(PageIcon kind, const QPalette& palette, QPalette::ColorRole role) {
    QIcon icon;
    for (const int side : {16, 32}) {
        icon.addPixmap(Render(kind, side, palette.color(QPalette::Active, role)), QIcon::Normal);
        icon.addPixmap(Render(kind, side, palette.color(QPalette::Disabled, role)),
                       QIcon::Disabled);
        icon.addPixmap(
            Render(kind, side, palette.color(QPalette::Active, QPalette::HighlightedText)),
            QIcon::Selected);
    }
    return icon;
}

} // namespace tavro::editor
