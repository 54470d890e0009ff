// The player host for Qt windows. It is not a widget itself: the window that shows the movie
// hands it a QWidget (for repaint requests, the client size and the cursor) and forwards its
// paint, mouse and resize events. So the editor's stage and a standalone player window share it.
//
//   QtPlayerHost host;
//   host.SetWidget(widget);              // before Play
//   host.Play(bytes);                    // copies the bytes; timers start with the first frame
//   widget::paintEvent  -> host.PaintTo(painter, event->rect())
//   widget::resizeEvent -> host.HandleResize()
//   mouse events        -> host.HandleMousePress / HandleMouseMove / HandleMouseRelease
//   host.Stop();                          // back to empty
//
// Timers: the frame timer runs at a tenth of the frame period (as the core asks), the caret
// timer every 400 ms. The picture is the player's 32-bit surface, shown through a QImage that
// wraps the surface memory (no copy).
//
// Keys: HandleKeyPress gives the focused edit-text field the editing keys and typed text, and
// carries out Copy, Cut and Paste with the system clipboard; WantsKey tells a window, before its
// own shortcuts act, that a key belongs to the field (forward it from a ShortcutOverride event).
//
// URLs: loads of "file://" URLs and of plain paths are read from local files (relative to the
// movie's folder) as the headless host reads them; URLs with another scheme are handed to the
// desktop (QDesktopServices::openUrl), never fetched here. GetURL requests for a browser window
// go to the desktop too, except local files, which are only reported; the window name "blank"
// in any letter case, with or without its underscore, is handed on as "_blank" (a new window).
// FSCommand calls are carried out by HostCommands; quitting, full screen and the menu are
// signalled for the window to act on after the player has returned.
//
// Sound: the process's shared mixer plays through SDL audio when it is available; without an
// audio device the movie plays silently and one line says so on standard error.
#pragma once

#include "player/PlayerHost.h"
#include "player/actions/HostCommands.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QKeyEvent;
class QPainter;
class QRect;
class QPoint;

namespace tavro::player {

class NativeBitmap;
class PlayerSoundSink;
struct UrlRequest;

class QtPlayerHost : public QObject, public PlayerHost {
    Q_OBJECT
public:
    explicit QtPlayerHost(QObject* parent = nullptr);
    ~QtPlayerHost() override;

    // The widget whose client area shows the movie (may be changed or cleared; not owned).
    void SetWidget(QWidget* widget);
    QWidget* Widget() const { return widget_; }
    // The movie's file, when it has one: relative URLs are read from its folder and "exec"
    // looks for programs beside it.
    void SetMoviePath(const std::filesystem::path& path);

    // Loads and plays a movie (the bytes are copied).
    void Play(const std::vector<uint8_t>& bytes);
    // Stops and empties the player.
    void Stop();
    bool IsPlaying() const { return playing_; }

    // Replaces how URLs reach the desktop for the whole process (tests record them instead);
    // an empty function restores QDesktopServices::openUrl.
    static void SetUrlOpener(std::function<void(const QString& url, const QString& target)> opener);

    // Window events.
    void PaintTo(QPainter& painter, const QRect& rect);
    void HandleResize();
    void HandleMousePress(const QPoint& p);
    void HandleMouseMove(const QPoint& p, bool buttonDown);
    void HandleMouseRelease(const QPoint& p);
    // True when the key went to the focused edit-text field.
    bool HandleKeyPress(const QKeyEvent& event);
    // True when a field has the focus and would take this key.
    bool WantsKey(const QKeyEvent& event);

    // How long the frames of this player take, for a frame log: a round of frames that was due
    // at `dueMs` (the player's clock) took `tickMs` to play and render and `paintMs` to reach
    // the window, and was on the window `shownAfterDueMs` after it was due. A round that changed
    // nothing on the screen has a paintMs of 0 and counts as shown when it was played; one
    // replaced by the next round before any paint has a paintMs of -1.
    struct FrameTiming {
        int frame = 0;
        int movieFrame = 0; // the frame level 0 shows after the round
        int periodMs = 0;
        uint32_t dueMs = 0;
        double tickMs = 0;
        double paintMs = -1;
        double shownAfterDueMs = 0;
    };
    void SetFrameTimingObserver(std::function<void(const FrameTiming&)> observer);

    // The window target a browser gets for a GetURL target: "_blank" for "blank" in any case
    // with or without its underscore, anything else as it stands.
    static QString BrowserTarget(std::string_view target);

    // Frame rounds played since the last Play (frame 0 is not counted).
    int FramesPlayed() const { return framesPlayed_; }
    // The surface as it stands (invalid before the first paint).
    const NativeBitmap& Surface();
    HostCommands& Commands() { return commands_; }
    // The last cursor kind the player asked for (0 arrow, 1 pan, 2 button, 3 text).
    int CursorKind() const { return cursorKind_; }
    // The frame timer's period in ms (0 while stopped).
    int FrameTimerPeriod() const;

    // ---- host slots ----
    int StartTimers(int frameMs, int caretMs) override;
    void StopTimers() override;
    void InvalidateScreen() override;
    void GetClientRect(Rect& out) override;
    void OpenUrlStream(std::string_view url, std::string_view postData,
                       const StreamTarget& target) override;
    void FsCommand(std::string_view command, std::string_view args) override;
    void UpdateControls(const ControlState& state) override;
    void SetCursorKind(int kind) override;

Q_SIGNALS:
    // A frame round was played (count as FramesPlayed()).
    void frameAdvanced(int framesPlayed);
    // Pixels reached the window in a paint.
    void painted();
    // Every FSCommand the movie sent.
    void fsCommand(const QString& command, const QString& args);
    // FSCommand "quit" / "fullscreen" / "showmenu", delivered after the player has returned.
    void quitRequested();
    void fullscreenRequested(bool on);
    void showMenuRequested(bool on);
    // The control state may have changed (after a command of the movie's FSCommand calls).
    void controlsChanged();
    // A URL handed to the desktop, with its target.
    void urlOpened(const QString& url, const QString& target);

private:
    void OnFrameTimer();
    void OnCaretTimer();
    void Blit(const NativeBitmap* surface, const Rect& pixels);
    void OnRequest(const UrlRequest& request);
    void OpenExternally(std::string_view url, std::string_view target);
    void FinishTiming(double paintMs);

    QPointer<QWidget> widget_;
    QTimer frameTimer_;
    QTimer caretTimer_;
    QPainter* painter_ = nullptr; // set while PaintTo runs
    HostCommands commands_;
    std::unique_ptr<PlayerSoundSink> sound_;
    std::filesystem::path baseFolder_;
    bool playing_ = false;
    int framesPlayed_ = 0;
    int cursorKind_ = -1;
    std::function<void(const FrameTiming&)> timingObserver_;
    std::optional<FrameTiming> pendingTiming_;
    bool repaintAsked_ = false; // the current tick rendered something for the window
};

} // namespace tavro::player
