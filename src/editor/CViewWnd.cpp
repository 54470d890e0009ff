#include "editor/CViewWnd.h"

#include "editor/QtDrawContext.h"
#include "editor/ViewWndOwner.h"
#include "export/AppSettings.h"
#include "model/CDocObj.h"
#include "model/CSceneObj.h"
#include "model/CSymbolObj.h"
#include "player/host/QtPlayerHost.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QResizeEvent>
#include <QScreen>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <time.h>
#include <unistd.h>

namespace tavro::editor {
namespace {

constexpr const char* kSection = "View";
// Size changes closer together than this belong to one user resize.
constexpr int kResizeBurstMs = 500;

bool TimingWanted() {
    const char* v = std::getenv("TAVRO_TIMING");
    return v && *v && std::string_view(v) != "0";
}

// Milliseconds since this process started (the kernel's start time has clock-tick resolution).
long long MsSinceProcessStart() {
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // The command name may hold blanks: fields are counted after its closing parenthesis.
    size_t close = text.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    unsigned long long startTicks = 0;
    for (int i = 3; i <= 22 && fields >> field; ++i)
        if (i == 22)
            startTicks = std::stoull(field);
    long ticks = sysconf(_SC_CLK_TCK);
    timespec now{};
    if (ticks <= 0 || clock_gettime(CLOCK_BOOTTIME, &now) != 0)
        return -1;
    long long nowMs = (long long)now.tv_sec * 1000 + now.tv_nsec / 1000000;
    return nowMs - (long long)(startTicks * 1000 / (unsigned long long)ticks);
}

QElapsedTimer& PlayClock() {
    static QElapsedTimer clock;
    return clock;
}

int SettingInt(AppSettings& settings, const char* name) {
    std::string text = settings.GetString(kSection, name, "-1");
    char* end = nullptr;
    long v = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || v < INT32_MIN || v > INT32_MAX)
        return -1;
    return int(v);
}

} // namespace

CViewWnd::CViewWnd(ViewWndOwner* mainWnd, QWidget* parent)
    : QWidget(parent, Qt::Tool), mainWnd_(mainWnd),
      ownerAlive_(mainWnd ? mainWnd->AliveToken() : nullptr),
      player_(std::make_unique<player::QtPlayerHost>()) {
    setObjectName(QStringLiteral("CViewWnd"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAcceptDrops(true);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    player_->SetWidget(this);
    connect(player_.get(), &player::QtPlayerHost::painted, this, &CViewWnd::OnPlayerPainted);
    connect(player_.get(), &player::QtPlayerHost::frameAdvanced, this, &CViewWnd::OnFrameAdvanced);

    resizeStepTimer_.setSingleShot(true);
    resizeStepTimer_.setInterval(kResizeBurstMs);
    connect(&resizeStepTimer_, &QTimer::timeout, this, [this] { resizeStepOpen_ = false; });

    grabPath_ = qEnvironmentVariable("TAVRO_TEST_GRAB");
    if (!grabPath_.isEmpty()) {
        bool ok = false;
        grabFrames_ = qEnvironmentVariableIntValue("TAVRO_TEST_GRAB_FRAMES", &ok);
        if (!ok || grabFrames_ < 0)
            grabFrames_ = 0;
    }

    // The main window usually destroys the stage as its child, after its own part is gone:
    // the placement is kept while the application is still whole.
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &CViewWnd::SavePlacement);

    RestorePlacement();
    UpdateTitle();
}

CViewWnd::~CViewWnd() {
    // The player goes first, then the placement is kept.
    player_.reset();
    SavePlacement();
}

ViewWndOwner* CViewWnd::Owner() const {
    return ownerAlive_ && *ownerAlive_ ? mainWnd_ : nullptr;
}

void CViewWnd::RestorePlacement() {
    QRect r(kDefaultLeft, kDefaultTop, kDefaultRight - kDefaultLeft, kDefaultBottom - kDefaultTop);
    if (Owner()) {
        AppSettings& settings = Owner()->Settings();
        int left = SettingInt(settings, "Left");
        int top = SettingInt(settings, "Top");
        int right = SettingInt(settings, "Right");
        int bottom = SettingInt(settings, "Bottom");
        if (left != -1 && top != -1 && right != -1 && bottom != -1 && right > left &&
            bottom > top) {
            QRect saved(QPoint(left, top), QPoint(right - 1, bottom - 1));
            // A rectangle left from a screen that is gone would put the stage out of reach.
            bool onScreen = false;
            for (QScreen* screen : QGuiApplication::screens())
                onScreen = onScreen || screen->geometry().intersects(saved);
            if (onScreen)
                r = saved;
        }
    }
    move(r.topLeft());
    resize(r.size());
    lastWidth_ = r.width();
    lastHeight_ = r.height();
}

void CViewWnd::SavePlacement() {
    if (!Owner())
        return;
    QRect r = frameGeometry();
    AppSettings& settings = Owner()->Settings();
    settings.SetString(kSection, "Left", std::to_string(r.left()));
    settings.SetString(kSection, "Top", std::to_string(r.top()));
    settings.SetString(kSection, "Right", std::to_string(r.left() + r.width()));
    settings.SetString(kSection, "Bottom", std::to_string(r.top() + r.height()));
}

void CViewWnd::NotePlayRequested() {
    PlayClock().start();
}

void CViewWnd::SetMovie(const std::string& name, std::vector<uint8_t> bytes) {
    if (name.empty() && bytes.empty()) {
        player_->Stop();
        playing_ = false;
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        unsetCursor();
        UpdateTitle();
        update();
        return;
    }
    if (!PlayClock().isValid())
        NotePlayRequested();
    playTimingPending_ = TimingWanted();
    ForgetPress();
    playing_ = true;
    // Move-only while playing.
    setFixedSize(size());
    grabPending_ = !grabPath_.isEmpty();
    if (grabPending_)
        raise(); // nothing may cover the stage when it is grabbed from the screen
    player_->Play(bytes);
    UpdateTitle();
    update();
}

void CViewWnd::SetClientSize(int width, int height) {
    // The stage keeps its size while a movie plays.
    if (playing_)
        return;
    // A movie without a frame size (a new one) takes the stage's: the stage reports its own
    // size rather than shrinking to nothing, which would leave no stage to show or click.
    if (width <= 0 || height <= 0) {
        width = width > 0 ? width : std::max(this->width(), 1);
        height = height > 0 ? height : std::max(this->height(), 1);
        if (ViewWndOwner* owner = Owner()) {
            owner->Document().SetMovieSize(width, height);
            owner->MovieSizeChanged();
        }
    }
    if (width == lastWidth_ && height == lastHeight_)
        return;
    lastWidth_ = width;
    lastHeight_ = height;
    expectedSize_ = QSize(width, height);
    resize(width, height);
    // A window that is not shown yet gets its resize event later; the expected size marks it.
    if (isVisible() && size() != expectedSize_)
        expectedSize_ = QSize();
}

void CViewWnd::SetTitle(const QString& documentName) {
    documentName_ = documentName;
    UpdateTitle();
}

void CViewWnd::UpdateTitle() {
    setWindowTitle((playing_ ? QStringLiteral("Playing") : QStringLiteral("Editing")) +
                   QStringLiteral(" - ") + documentName_);
}

void CViewWnd::Redraw() {
    update();
}

void CViewWnd::RedrawRect(const QRect& r) {
    update(r);
}

CSceneObj* CViewWnd::CurrentScene() const {
    return Owner() ? Owner()->Document().GetSelectedScene() : nullptr;
}

CSymbolObj* CViewWnd::SelectedObject() const {
    CSceneObj* scene = CurrentScene();
    return scene ? dynamic_cast<CSymbolObj*>(scene->GetSelectedChild()) : nullptr;
}

void CViewWnd::ForgetPress() {
    pressPoint_ = QPoint(kNoPoint, kNoPoint);
    objectOrigin_ = QPointF(2147483647.0, 2147483647.0);
    offset_ = QPointF();
    dragging_ = false;
}

void CViewWnd::paintEvent(QPaintEvent* event) {
    const QRect rect = event->rect();
    QPainter painter(this);
    if (playing_) {
        player_->PaintTo(painter, rect);
    } else {
        // Drawn off screen at the size of the update rectangle, then copied.
        QImage image(rect.size(), QImage::Format_RGB32);
        QColor background = Qt::white;
        if (Owner()) {
            const CColor& c = Owner()->Document().GetBackgroundColor();
            background = QColor(c.red & 0xFF, c.green & 0xFF, c.blue & 0xFF);
        }
        image.fill(background);
        if (CSceneObj* scene = CurrentScene()) {
            QPainter offscreen(&image);
            offscreen.translate(-rect.topLeft());
            QtDrawContext dc(offscreen);
            scene->DrawChildren(dc, IntRect{rect.left(), rect.top(), rect.left() + rect.width(),
                                            rect.top() + rect.height()});
        }
        painter.drawImage(rect.topLeft(), image);
    }
    if (!firstPaintReported_) {
        firstPaintReported_ = true;
        if (TimingWanted())
            std::fprintf(stderr, "first-paint-ms %lld\n", MsSinceProcessStart());
    }
}

void CViewWnd::OnPlayerPainted() {
    if (playTimingPending_ && player_->Running()) {
        playTimingPending_ = false;
        std::fprintf(stderr, "play-first-frame-ms %lld\n",
                     (long long)(PlayClock().isValid() ? PlayClock().elapsed() : -1));
        PlayClock().invalidate();
    }
}

void CViewWnd::OnFrameAdvanced(int frames) {
    if (grabPending_ && frames >= grabFrames_) {
        grabPending_ = false;
        // After the frame has reached the screen.
        update();
        QTimer::singleShot(0, this, &CViewWnd::GrabStage);
    }
}

void CViewWnd::GrabStage() {
    repaint();
    QCoreApplication::processEvents();
    QPixmap shot;
    if (QScreen* s = screen())
        shot = s->grabWindow(winId());
    if (shot.isNull() || shot.size() != size())
        shot = grab();
    bool ok = shot.save(grabPath_, "PNG");
    if (!ok)
        std::fprintf(stderr, "tavro: could not write %s\n", qPrintable(grabPath_));
    QCoreApplication::exit(ok ? 0 : 1);
}

void CViewWnd::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QSize size = event->size();
    lastWidth_ = size.width();
    lastHeight_ = size.height();
    player_->HandleResize();
    if (playing_ || !Owner())
        return;
    const bool onBehalf = expectedSize_.isValid() && size == expectedSize_;
    expectedSize_ = QSize();
    // The first size of a window being shown is not an edit either.
    if (!onBehalf && event->oldSize().isValid() && isVisible()) {
        if (!resizeStepOpen_) {
            Owner()->RecordUndo();
            resizeStepOpen_ = true;
        }
        resizeStepTimer_.start();
    }
    CDocObj& doc = Owner()->Document();
    const CDoublePoint movie = doc.GetMovieSize();
    if (onBehalf || event->oldSize().isValid()) {
        if (movie.x != size.width() || movie.y != size.height()) {
            doc.SetMovieSize(size.width(), size.height());
            Owner()->MovieSizeChanged();
        }
    }
    update();
}

void CViewWnd::closeEvent(QCloseEvent* event) {
    if (playing_) {
        event->ignore();
        return;
    }
    SavePlacement();
    event->accept();
}

void CViewWnd::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (playing_) {
        if (event->button() == Qt::LeftButton)
            player_->HandleMousePress(p);
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    if (ViewWndOwner* owner = Owner())
        owner->CommitPageEdits();
    CSceneObj* scene = CurrentScene();
    if (!scene)
        return;
    CTavroObj* before = scene->GetSelectedChild();
    scene->SelectChildAt(p.x(), p.y());
    CSymbolObj* selected = SelectedObject();
    if (selected != before) {
        update();
        Owner()->SelectionChangedOnStage();
    }
    if (selected) {
        pressPoint_ = p;
        const CDoublePoint origin = selected->GetStagePosition();
        objectOrigin_ = QPointF(origin.x, origin.y);
        offset_ = objectOrigin_ - QPointF(p);
        dragging_ = false;
    }
}

void CViewWnd::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (playing_) {
        player_->HandleMouseMove(p, event->buttons() & Qt::LeftButton);
        return;
    }
    if (!(event->buttons() & Qt::LeftButton) || pressPoint_.x() == kNoPoint)
        return;
    CSymbolObj* selected = SelectedObject();
    if (!selected)
        return;
    if (!dragging_) {
        const double dx = p.x() - pressPoint_.x(), dy = p.y() - pressPoint_.y();
        if (std::sqrt(dx * dx + dy * dy) < kDragThreshold)
            return;
        Owner()->RecordUndo();
        dragging_ = true;
    }
    // The selection marks reach a few pixels beyond the object's rectangle.
    constexpr int kMargin = 6;
    const IntRect a = selected->GetScreenRect();
    const QPointF target = QPointF(p) + offset_;
    selected->SetStagePosition(target.x(), target.y());
    const IntRect b = selected->GetScreenRect();
    QRect oldRect(QPoint(a.x0, a.y0), QPoint(a.x1, a.y1));
    QRect newRect(QPoint(b.x0, b.y0), QPoint(b.x1, b.y1));
    update(oldRect.united(newRect).adjusted(-kMargin, -kMargin, kMargin, kMargin));
}

void CViewWnd::mouseReleaseEvent(QMouseEvent* event) {
    if (playing_) {
        if (event->button() == Qt::LeftButton)
            player_->HandleMouseRelease(event->position().toPoint());
        return;
    }
    if (event->button() == Qt::LeftButton)
        ForgetPress();
}

void CViewWnd::mouseDoubleClickEvent(QMouseEvent* event) {
    if (playing_) {
        // The player sees a second press.
        mousePressEvent(event);
        return;
    }
    if (event->button() != Qt::LeftButton || !Owner())
        return;
    if (SelectedObject())
        Owner()->ShowTextPage();
    else
        Owner()->ShowScenePage();
}

bool CViewWnd::event(QEvent* event) {
    // While a field of the movie has the focus, its editing keys are not the editor's shortcuts.
    if (playing_ && event->type() == QEvent::ShortcutOverride &&
        player_->WantsKey(*static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void CViewWnd::keyPressEvent(QKeyEvent* event) {
    if (playing_ && event->key() == Qt::Key_Escape && Owner()) {
        Owner()->StopMovie();
        return;
    }
    if (playing_ && player_->HandleKeyPress(*event))
        return;
    QWidget::keyPressEvent(event);
}

void CViewWnd::dragEnterEvent(QDragEnterEvent* event) {
    const QMimeData* data = event->mimeData();
    if (data && data->hasUrls()) {
        for (const QUrl& url : data->urls())
            if (url.isLocalFile()) {
                event->acceptProposedAction();
                return;
            }
    }
    event->ignore();
}

void CViewWnd::dropEvent(QDropEvent* event) {
    const QMimeData* data = event->mimeData();
    if (!data || !Owner())
        return;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            event->acceptProposedAction();
            Owner()->OpenDroppedFile(url.toLocalFile());
            return;
        }
    }
}

} // namespace tavro::editor
