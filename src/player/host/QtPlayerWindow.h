// The window of tavro-player: one movie on a stage, with a menu bar and a context menu that
// carry the commands of the player's control state.
//
// Movies are opened from the command line, the Open dialog (Ctrl+O), a drop of a file onto the
// window, or the recent files (File > Open Recent). The window takes the movie's size (scaled
// down to fit the screen) and, when resized by hand, settles at the movie's aspect. Full Screen
// (F11) shows the stage alone; Esc leaves it. The movie may ask for full screen, scaling, the
// menus and quitting through its FSCommand calls.
//
// Keys: Space plays and pauses, Left and Right step, Home rewinds, Ctrl++ and Ctrl+- zoom
// (these go to a focused edit-text field of the movie instead while it has one).
//
// Settings (through the QSettings given): "Window/Geometry" (placement), "RecentFiles" (newest
// first), "OpenFolder" (where the Open dialog starts).
#pragma once

#include "player/ControlCommands.h"

#include <QMainWindow>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <map>
#include <optional>

class QAction;
class QMenu;
class QSettings;

namespace tavro::player {

class QtPlayerDialogs;
class QtPlayerHost;
class QtPlayerStage;

class QtPlayerWindow : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kMaxRecentFiles = 10;

    // The settings and dialogs are not owned and must outlive the window.
    QtPlayerWindow(QSettings& settings, QtPlayerDialogs& dialogs, QWidget* parent = nullptr);
    ~QtPlayerWindow() override;

    // Opens and plays a movie file; a file that cannot be played is reported through the
    // dialogs (and leaves the recent files) and the window keeps what it showed.
    bool OpenFile(const QString& path);
    // The Open command: asks the dialogs for a file.
    void OpenWithDialog();

    QtPlayerStage& Stage() { return *stage_; }
    QtPlayerHost& Host();
    const QString& MoviePath() const { return moviePath_; }
    QStringList RecentFiles() const;

    // The action of a control-state command, and of the window's own commands.
    QAction* Action(ControlCommand command) const { return commands_.at(command); }
    QAction* FullScreenAction() const { return fullScreen_; }
    QAction* OpenAction() const { return open_; }
    QAction* QuitAction() const { return quit_; }
    QMenu* RecentMenu() const { return recentMenu_; }
    // The context menu as it would show now (built fresh each time).
    QMenu* BuildContextMenu(const QPoint& stagePoint);

    bool IsFullScreen() const { return isFullScreen(); }
    void SetFullScreen(bool on);
    // "showmenu": the menu bar and the context menu's playback entries.
    void SetMenusShown(bool on);
    bool MenusShown() const { return menusShown_; }

    // Applies the player's control state to the commands (enabled, checked).
    void RefreshControls();

Q_SIGNALS:
    // A movie was opened and shows its first frame.
    void movieOpened(const QString& path);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildMenus();
    QAction* AddCommand(ControlCommand command, const QString& text, const QKeySequence& key);
    void Run(ControlCommand command, std::optional<QPoint> at = std::nullopt);
    void RememberRecent(const QString& path);
    void ForgetRecent(const QString& path);
    void RebuildRecentMenu();
    void FitToMovie();
    void KeepAspect();
    void UpdateTitle();
    void ShowContextMenu(const QPoint& local, const QPoint& global);

    QSettings& settings_;
    QtPlayerDialogs& dialogs_;
    QtPlayerStage* stage_ = nullptr;
    QString moviePath_;
    std::map<ControlCommand, QAction*> commands_;
    QAction* fullScreen_ = nullptr;
    QAction* open_ = nullptr;
    QAction* quit_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    QPointer<QMenu> contextMenu_;
    bool menusShown_ = true;
    bool wasMaximized_ = false;
    QRect normalGeometry_; // before full screen
    bool fitting_ = false; // the window resizes itself
    QTimer aspectTimer_;
};

} // namespace tavro::player
