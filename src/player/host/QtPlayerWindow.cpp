#include "player/host/QtPlayerWindow.h"

#include "player/host/MovieFileReader.h"
#include "player/host/QtPlayerDialogs.h"
#include "player/host/QtPlayerHost.h"
#include "player/host/QtPlayerStage.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QResizeEvent>
#include <QScreen>
#include <QSettings>
#include <QUrl>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace tavro::player {

namespace {

constexpr const char* kGeometryKey = "Window/Geometry";
constexpr const char* kRecentKey = "RecentFiles";
constexpr const char* kFolderKey = "OpenFolder";
// A hand resize settles at the movie's aspect once the size stops changing for this long.
constexpr int kAspectSettleMs = 200;
// The part of the screen a newly opened movie may take at most.
constexpr double kScreenShare = 0.9;

QString FileName(const QString& path) {
    return QFileInfo(path).fileName();
}

// The first local file of a drop.
QString DroppedFile(const QMimeData* data) {
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            return url.toLocalFile();
    return {};
}

} // namespace

QtPlayerWindow::QtPlayerWindow(QSettings& settings, QtPlayerDialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), settings_(settings), dialogs_(dialogs) {
    setObjectName(QStringLiteral("QtPlayerWindow"));
    setAcceptDrops(true);
    stage_ = new QtPlayerStage(this);
    setCentralWidget(stage_);
    stage_->setFocus();

    QtPlayerHost& host = Host();
    connect(&host, &QtPlayerHost::quitRequested, this, &QWidget::close);
    connect(&host, &QtPlayerHost::fullscreenRequested, this, &QtPlayerWindow::SetFullScreen);
    connect(&host, &QtPlayerHost::showMenuRequested, this, &QtPlayerWindow::SetMenusShown);
    connect(&host, &QtPlayerHost::controlsChanged, this, &QtPlayerWindow::RefreshControls);
    connect(&host, &QtPlayerHost::frameAdvanced, this, &QtPlayerWindow::RefreshControls);
    connect(stage_, &QtPlayerStage::contextMenuWanted, this, &QtPlayerWindow::ShowContextMenu);

    aspectTimer_.setSingleShot(true);
    aspectTimer_.setInterval(kAspectSettleMs);
    connect(&aspectTimer_, &QTimer::timeout, this, &QtPlayerWindow::KeepAspect);

    BuildMenus();
    if (!restoreGeometry(settings_.value(kGeometryKey).toByteArray()))
        resize(550, 400 + menuBar()->sizeHint().height());
    UpdateTitle();
    RefreshControls();
}

QtPlayerWindow::~QtPlayerWindow() = default;

QtPlayerHost& QtPlayerWindow::Host() {
    return stage_->Host();
}

QAction* QtPlayerWindow::AddCommand(ControlCommand command, const QString& text,
                                    const QKeySequence& key) {
    auto* action = new QAction(text, this);
    action->setShortcut(key);
    // Shortcuts work with the menu bar hidden too (full screen, "showmenu" false).
    addAction(action);
    connect(action, &QAction::triggered, this, [this, command] { Run(command); });
    commands_[command] = action;
    return action;
}

void QtPlayerWindow::BuildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    open_ = file->addAction(QStringLiteral("&Open..."));
    open_->setShortcut(QKeySequence::Open);
    addAction(open_);
    connect(open_, &QAction::triggered, this, &QtPlayerWindow::OpenWithDialog);
    recentMenu_ = file->addMenu(QStringLiteral("Open &Recent"));
    connect(recentMenu_, &QMenu::aboutToShow, this, &QtPlayerWindow::RebuildRecentMenu);
    file->addSeparator();
    quit_ = file->addAction(QStringLiteral("&Quit"));
    quit_->setShortcut(QKeySequence::Quit);
    addAction(quit_);
    connect(quit_, &QAction::triggered, this, &QWidget::close);

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->addAction(AddCommand(ControlCommand::ShowAll, QStringLiteral("Show &All"),
                               QKeySequence(Qt::CTRL | Qt::Key_0)));
    view->addAction(AddCommand(ControlCommand::ActualSize, QStringLiteral("&100 %"),
                               QKeySequence(Qt::CTRL | Qt::Key_1)));
    view->addSeparator();
    view->addAction(
        AddCommand(ControlCommand::ZoomIn, QStringLiteral("Zoom &In"), QKeySequence::ZoomIn));
    view->addAction(
        AddCommand(ControlCommand::ZoomOut, QStringLiteral("Zoom &Out"), QKeySequence::ZoomOut));
    view->addSeparator();
    view->addAction(
        AddCommand(ControlCommand::HighQuality, QStringLiteral("&High Quality"), QKeySequence()));
    view->addSeparator();
    fullScreen_ = view->addAction(QStringLiteral("&Full Screen"));
    fullScreen_->setShortcut(QKeySequence(Qt::Key_F11));
    fullScreen_->setCheckable(true);
    addAction(fullScreen_);
    connect(fullScreen_, &QAction::triggered, this, [this](bool on) { SetFullScreen(on); });

    QMenu* control = menuBar()->addMenu(QStringLiteral("&Control"));
    control->addAction(
        AddCommand(ControlCommand::Play, QStringLiteral("&Play"), QKeySequence(Qt::Key_Space)));
    control->addAction(
        AddCommand(ControlCommand::Rewind, QStringLiteral("&Rewind"), QKeySequence(Qt::Key_Home)));
    control->addAction(AddCommand(ControlCommand::StepForward, QStringLiteral("Step &Forward"),
                                  QKeySequence(Qt::Key_Right)));
    control->addAction(AddCommand(ControlCommand::StepBack, QStringLiteral("Step &Back"),
                                  QKeySequence(Qt::Key_Left)));
    control->addSeparator();
    control->addAction(AddCommand(ControlCommand::Loop, QStringLiteral("&Loop"), QKeySequence()));

    for (auto& [command, action] : commands_)
        action->setCheckable(ControlStateOf(ControlState{}, command).checked.has_value());
    RebuildRecentMenu();
}

void QtPlayerWindow::Run(ControlCommand command, std::optional<QPoint> at) {
    std::optional<std::pair<int, int>> point;
    if (at)
        point = std::make_pair(at->x(), at->y());
    RunControlCommand(Host(), command, point);
    RefreshControls();
}

void QtPlayerWindow::RefreshControls() {
    const ControlState state = Host().GetControlState();
    for (auto& [command, action] : commands_) {
        const CommandState s = ControlStateOf(state, command);
        action->setEnabled(s.enabled);
        if (s.checked)
            action->setChecked(*s.checked);
    }
    fullScreen_->setChecked(isFullScreen());
}

// ---- opening ----

void QtPlayerWindow::OpenWithDialog() {
    QString folder = settings_.value(kFolderKey).toString();
    if (folder.isEmpty() && !moviePath_.isEmpty())
        folder = QFileInfo(moviePath_).absolutePath();
    const QString path = dialogs_.OpenMovie(this, folder);
    if (!path.isEmpty())
        OpenFile(path);
}

bool QtPlayerWindow::OpenFile(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    std::vector<uint8_t> bytes;
    std::string error;
    const std::filesystem::path file(QFile::encodeName(absolute).toStdString());
    auto fail = [&](const QString& why) {
        dialogs_.Error(this, QStringLiteral("Cannot open \"%1\".\n\n%2").arg(FileName(path), why));
        ForgetRecent(absolute);
        return false;
    };
    if (!ReadMovieFile(file, bytes, error))
        return fail(QString::fromStdString(error));
    const bool signature =
        bytes.size() >= 8 && bytes[0] == 'F' && bytes[1] == 'W' && bytes[2] == 'S';
    if (!signature)
        return fail(QStringLiteral("It is not an SWF movie."));

    QtPlayerHost& host = Host();
    host.Stop();
    host.SetMoviePath(file);
    host.Play(bytes);
    if (!host.Loaded()) {
        host.Stop();
        moviePath_.clear();
        UpdateTitle();
        RefreshControls();
        return fail(QStringLiteral("The movie is damaged: its header is incomplete."));
    }
    moviePath_ = absolute;
    settings_.setValue(kFolderKey, QFileInfo(absolute).absolutePath());
    RememberRecent(absolute);
    FitToMovie();
    UpdateTitle();
    RefreshControls();
    Q_EMIT movieOpened(absolute);
    return true;
}

// ---- recent files ----

QStringList QtPlayerWindow::RecentFiles() const {
    return settings_.value(kRecentKey).toStringList();
}

void QtPlayerWindow::RememberRecent(const QString& path) {
    QStringList files = RecentFiles();
    files.removeAll(path);
    files.prepend(path);
    while (files.size() > kMaxRecentFiles)
        files.removeLast();
    settings_.setValue(kRecentKey, files);
    RebuildRecentMenu();
}

void QtPlayerWindow::ForgetRecent(const QString& path) {
    QStringList files = RecentFiles();
    if (files.removeAll(path) == 0)
        return;
    settings_.setValue(kRecentKey, files);
    RebuildRecentMenu();
}

void QtPlayerWindow::RebuildRecentMenu() {
    // An entry may be the one whose trigger led here: entries go once control is back.
    for (QAction* a : recentMenu_->actions()) {
        recentMenu_->removeAction(a);
        a->deleteLater();
    }
    const QStringList files = RecentFiles();
    int number = 1;
    for (const QString& path : files) {
        QString text = FileName(path);
        text.replace(QLatin1Char('&'), QStringLiteral("&&"));
        if (number < 10)
            text = QStringLiteral("&%1 %2").arg(number).arg(text);
        ++number;
        QAction* entry = recentMenu_->addAction(text);
        entry->setData(path);
        entry->setToolTip(path);
        entry->setStatusTip(path);
        connect(entry, &QAction::triggered, this, [this, path] { OpenFile(path); });
    }
    if (files.isEmpty()) {
        recentMenu_->addAction(QStringLiteral("(none)"))->setEnabled(false);
        return;
    }
    recentMenu_->addSeparator();
    connect(recentMenu_->addAction(QStringLiteral("&Clear Menu")), &QAction::triggered, this,
            [this] {
                settings_.remove(kRecentKey);
                RebuildRecentMenu();
            });
}

// ---- size, full screen, menus ----

void QtPlayerWindow::FitToMovie() {
    const QSize movie = stage_->MovieSize();
    if (movie.isEmpty() || isFullScreen() || isMaximized())
        return;
    QSize target = movie;
    const int menuHeight = menuBar()->isVisibleTo(this) ? menuBar()->sizeHint().height() : 0;
    if (QScreen* s = screen()) {
        const QSize avail = s->availableGeometry().size() * kScreenShare;
        const QSize room(avail.width(), std::max(avail.height() - menuHeight, 1));
        if (target.width() > room.width() || target.height() > room.height())
            target = movie.scaled(room, Qt::KeepAspectRatio);
    }
    fitting_ = true;
    resize(target.width(), target.height() + menuHeight);
    fitting_ = false;
}

void QtPlayerWindow::KeepAspect() {
    const QSize movie = stage_->MovieSize();
    if (movie.isEmpty() || isFullScreen() || isMaximized())
        return;
    const QSize stage = stage_->size();
    const int want =
        int(std::lround(double(stage.width()) * movie.height() / std::max(movie.width(), 1)));
    if (std::abs(want - stage.height()) <= 1 || want < 1)
        return;
    fitting_ = true;
    resize(width(), height() + want - stage.height());
    fitting_ = false;
}

void QtPlayerWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (!fitting_ && !moviePath_.isEmpty() && !isFullScreen() && !isMaximized())
        aspectTimer_.start();
}

void QtPlayerWindow::SetFullScreen(bool on) {
    if (on != isFullScreen()) {
        if (on) {
            wasMaximized_ = isMaximized();
            normalGeometry_ = geometry();
            menuBar()->hide();
            showFullScreen();
            // Without a window manager nobody else gives the window the whole screen.
            if (QScreen* s = screen(); s && windowHandle())
                windowHandle()->setGeometry(s->geometry());
        } else {
            menuBar()->setVisible(menusShown_);
            if (wasMaximized_) {
                showMaximized();
            } else {
                showNormal();
                setGeometry(normalGeometry_);
            }
        }
    }
    fullScreen_->setChecked(on);
}

void QtPlayerWindow::SetMenusShown(bool on) {
    menusShown_ = on;
    menuBar()->setVisible(on && !isFullScreen());
}

void QtPlayerWindow::UpdateTitle() {
    const QString app = QStringLiteral("Tavro Player");
    setWindowTitle(moviePath_.isEmpty() ? app : FileName(moviePath_) + QStringLiteral(" - ") + app);
}

// ---- context menu ----

QMenu* QtPlayerWindow::BuildContextMenu(const QPoint& stagePoint) {
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (menusShown_) {
        const ControlState state = Host().GetControlState();
        // The zoom entries zoom around the point that was clicked.
        for (ControlCommand c : {ControlCommand::ZoomIn, ControlCommand::ZoomOut}) {
            QAction* zoom = menu->addAction(commands_[c]->text());
            zoom->setEnabled(ControlStateOf(state, c).enabled);
            connect(zoom, &QAction::triggered, this, [this, c, stagePoint] { Run(c, stagePoint); });
        }
        menu->addAction(commands_[ControlCommand::ShowAll]);
        menu->addAction(commands_[ControlCommand::ActualSize]);
        menu->addAction(commands_[ControlCommand::HighQuality]);
        menu->addSeparator();
        for (ControlCommand c :
             {ControlCommand::Play, ControlCommand::Rewind, ControlCommand::StepForward,
              ControlCommand::StepBack, ControlCommand::Loop})
            menu->addAction(commands_[c]);
        menu->addSeparator();
    }
    menu->addAction(fullScreen_);
    menu->addSeparator();
    menu->addAction(open_);
    menu->addAction(quit_);
    return menu;
}

void QtPlayerWindow::ShowContextMenu(const QPoint& local, const QPoint& global) {
    if (contextMenu_)
        contextMenu_->close();
    contextMenu_ = BuildContextMenu(local);
    contextMenu_->popup(global);
}

// ---- events ----

void QtPlayerWindow::closeEvent(QCloseEvent* event) {
    settings_.setValue(kGeometryKey, saveGeometry());
    Host().Stop();
    event->accept();
}

void QtPlayerWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && isFullScreen()) {
        SetFullScreen(false);
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void QtPlayerWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void QtPlayerWindow::dropEvent(QDropEvent* event) {
    const QString path = DroppedFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    OpenFile(path);
}

} // namespace tavro::player
