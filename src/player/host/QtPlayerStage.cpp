#include "player/host/QtPlayerStage.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

namespace tavro::player {

QtPlayerStage::QtPlayerStage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("QtPlayerStage"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    host_.SetWidget(this);
}

QtPlayerStage::~QtPlayerStage() {
    host_.SetWidget(nullptr);
}

QSize QtPlayerStage::MovieSize() const {
    const MovieLevel& level = host_.Level0();
    if (!level.headerParsed || level.frameRect.IsEmpty())
        return {};
    return QSize(int(level.frameRect.Width() / 20), int(level.frameRect.Height() / 20));
}

bool QtPlayerStage::event(QEvent* event) {
    // A key the focused field takes is not a shortcut of the window (Space, arrows, Home).
    if (event->type() == QEvent::ShortcutOverride &&
        host_.WantsKey(*static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void QtPlayerStage::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (host_.IsPlaying())
        host_.PaintTo(painter, event->rect());
    else
        painter.fillRect(event->rect(), palette().color(QPalette::Window));
}

void QtPlayerStage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    host_.HandleResize();
}

void QtPlayerStage::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        host_.HandleMousePress(p);
    } else if (event->button() == Qt::RightButton) {
        Q_EMIT contextMenuWanted(p, event->globalPosition().toPoint());
    }
}

void QtPlayerStage::mouseMoveEvent(QMouseEvent* event) {
    host_.HandleMouseMove(event->position().toPoint(), event->buttons() & Qt::LeftButton);
}

void QtPlayerStage::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        host_.HandleMouseRelease(event->position().toPoint());
}

void QtPlayerStage::mouseDoubleClickEvent(QMouseEvent* event) {
    // The player sees a second press (a double click selects a word in a field).
    mousePressEvent(event);
}

void QtPlayerStage::keyPressEvent(QKeyEvent* event) {
    if (host_.HandleKeyPress(*event)) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event); // ignored: the window sees it
}

} // namespace tavro::player
