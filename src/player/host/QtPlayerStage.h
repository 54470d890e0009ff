// The client area of the player window: shows the movie through a QtPlayerHost and hands it the
// paint, resize, mouse and key events. A right click asks the window for its context menu; keys
// the movie's focused edit-text field does not take go on to the window (its shortcuts and
// Esc).
#pragma once

#include "player/host/QtPlayerHost.h"

#include <QPoint>
#include <QSize>
#include <QWidget>

namespace tavro::player {

class QtPlayerStage : public QWidget {
    Q_OBJECT
public:
    explicit QtPlayerStage(QWidget* parent = nullptr);
    ~QtPlayerStage() override;

    QtPlayerHost& Host() { return host_; }
    // The movie's frame size in pixels (empty without a movie).
    QSize MovieSize() const;

Q_SIGNALS:
    // A right click at `local` (stage pixels) / `global` (screen).
    void contextMenuWanted(const QPoint& local, const QPoint& global);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QtPlayerHost host_;
};

} // namespace tavro::player
