#include "player/host/QtPlayerAutomation.h"

#include "player/host/QtPlayerHost.h"
#include "player/host/QtPlayerStage.h"
#include "player/host/QtPlayerWindow.h"

#include <QCoreApplication>
#include <QFile>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

namespace tavro::player {

namespace {

void SendMouse(QWidget* w, QEvent::Type type, const QPoint& p, Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(p), QPointF(w->mapToGlobal(p)), Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
}

} // namespace

QtPlayerAutomation::QtPlayerAutomation(QtPlayerWindow& window) : QObject(&window), window_(window) {
    const QString log = qEnvironmentVariable("TAVRO_FRAME_LOG");
    if (!log.isEmpty()) {
        if (log == QStringLiteral("-")) {
            log_ = stderr;
        } else {
            log_ = std::fopen(QFile::encodeName(log).constData(), "w");
            ownLog_ = log_ != nullptr;
            if (!log_)
                std::fprintf(stderr, "tavro-player: cannot write the frame log %s\n",
                             qPrintable(log));
        }
    }
    if (log_) {
        window_.Host().SetFrameTimingObserver([this](const QtPlayerHost::FrameTiming& t) {
            if (!logStarted_) {
                logStarted_ = true;
                std::fprintf(log_, "stage %d %d\n", window_.Stage().width(),
                             window_.Stage().height());
            }
            std::fprintf(log_, "frame %d period %d tick %.3f paint %.3f shown %.3f movie %d\n",
                         t.frame, t.periodMs, t.tickMs, t.paintMs, t.shownAfterDueMs, t.movieFrame);
            std::fflush(log_);
        });
    }

    for (const QString& item :
         qEnvironmentVariable("TAVRO_TEST_CLICK").split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        int x = 0, y = 0, f = 0;
        char tail = 0;
        if (std::sscanf(item.toLatin1().constData(), "%d,%d@%d%c", &x, &y, &f, &tail) == 3)
            clicks_.push_back({QPoint(x, y), f});
        else
            std::fprintf(stderr, "tavro-player: TAVRO_TEST_CLICK: not X,Y@FRAME: %s\n",
                         qPrintable(item));
    }
    grabPath_ = qEnvironmentVariable("TAVRO_TEST_GRAB");
    if (!grabPath_.isEmpty()) {
        bool ok = false;
        grabFrames_ = qEnvironmentVariableIntValue("TAVRO_TEST_GRAB_FRAMES", &ok);
        if (!ok || grabFrames_ < 0)
            grabFrames_ = 0;
    }
    bool ok = false;
    quitAfterMs_ = qEnvironmentVariableIntValue("TAVRO_TEST_QUIT_AFTER_MS", &ok);
    if (!ok)
        quitAfterMs_ = -1;
    connect(&window_.Host(), &QtPlayerHost::frameAdvanced, this, &QtPlayerAutomation::OnFrame);
}

QtPlayerAutomation::~QtPlayerAutomation() {
    window_.Host().SetFrameTimingObserver(nullptr);
    if (ownLog_)
        std::fclose(log_);
}

void QtPlayerAutomation::OnFrame(int frame) {
    if (quitAfterMs_ >= 0 && !quitArmed_) {
        quitArmed_ = true;
        QTimer::singleShot(quitAfterMs_, &window_, &QWidget::close);
    }
    QtPlayerStage& stage = window_.Stage();
    for (const Click& c : clicks_) {
        if (c.frame != frame)
            continue;
        SendMouse(&stage, QEvent::MouseMove, c.at, Qt::NoButton);
        SendMouse(&stage, QEvent::MouseButtonPress, c.at, Qt::LeftButton);
        SendMouse(&stage, QEvent::MouseButtonRelease, c.at, Qt::NoButton);
    }
    if (!grabPath_.isEmpty() && !grabbed_ && frame >= grabFrames_) {
        grabbed_ = true;
        // After the frame (and the clicks' changes) has reached the screen.
        stage.update();
        QTimer::singleShot(0, this, &QtPlayerAutomation::Grab);
    }
}

void QtPlayerAutomation::Grab() {
    QtPlayerStage& stage = window_.Stage();
    stage.repaint();
    QCoreApplication::processEvents();
    QPixmap shot;
    const QPoint origin = stage.mapTo(&window_, QPoint(0, 0));
    if (QScreen* s = window_.screen())
        shot =
            s->grabWindow(window_.winId(), origin.x(), origin.y(), stage.width(), stage.height());
    if (shot.isNull() || shot.size() != stage.size())
        shot = stage.grab();
    const bool ok = shot.save(grabPath_, "PNG");
    if (!ok)
        std::fprintf(stderr, "tavro-player: could not write %s\n", qPrintable(grabPath_));
    QCoreApplication::exit(ok ? 0 : 1);
}

} // namespace tavro::player
