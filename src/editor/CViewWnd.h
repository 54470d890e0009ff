// The stage window: a floating tool window beside the main window whose client area is the
// movie's stage.
//
// Editing mode draws the current scene through the model's drawing interface and lets the user
// select text objects (a click) and drag them (a press that moves 5 pixels or more; one undo step
// per drag). Resizing the window sets the movie's frame size (one undo step per user resize).
// Playing mode shows the movie through the player host, which also takes the keys for a focused
// edit-text field of the movie; the window can then be moved but not resized, and closing it is
// refused. The placement is kept in the settings section "View".
//
// For automated runs: TAVRO_TEST_GRAB=OUT.png with TAVRO_TEST_GRAB_FRAMES=N grabs the stage as
// shown on the screen once N frames have been played and then ends the event loop;
// TAVRO_TIMING=1 prints "first-paint-ms N" (process start to the first painted stage) and
// "play-first-frame-ms N" (the Play command to the first played frame on screen) to stderr.
#pragma once

#include <QElapsedTimer>
#include <QPoint>
#include <QPointF>
#include <QSize>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tavro {
class CSceneObj;
class CSymbolObj;
} // namespace tavro

namespace tavro::player {
class QtPlayerHost;
}

namespace tavro::editor {

class ViewWndOwner;

class CViewWnd : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDefaultLeft = 0;
    static constexpr int kDefaultTop = 0;
    static constexpr int kDefaultRight = 600;
    static constexpr int kDefaultBottom = 300;
    // A press becomes a drag once the pointer is this far from the press point.
    static constexpr int kDragThreshold = 5;

    // Creates the window with the placement saved under "View" (when it is complete and lies on
    // a screen) or the default rectangle.
    explicit CViewWnd(ViewWndOwner* mainWnd, QWidget* parent = nullptr);
    ~CViewWnd() override;

    // Empty bytes stop (back to editing); anything else loads and plays. The name is only
    // tested for emptiness.
    void SetMovie(const std::string& name, std::vector<uint8_t> bytes);
    bool IsPlaying() const { return playing_; }
    // The movie's frame size changed: the client area takes that size (no undo step).
    void SetClientSize(int width, int height);
    // "Editing - name" / "Playing - name".
    void SetTitle(const QString& documentName);
    void Redraw();
    void RedrawRect(const QRect& r);

    player::QtPlayerHost& Player() { return *player_; }
    // Writes the window's placement to the settings section "View".
    void SavePlacement();

    // Marks the moment a Play command began, for the play timing (SetMovie marks it itself
    // when nobody did).
    static void NotePlayRequested();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The owner, or null once it is being destroyed.
    ViewWndOwner* Owner() const;
    void RestorePlacement();
    void UpdateTitle();
    CSceneObj* CurrentScene() const;
    CSymbolObj* SelectedObject() const;
    void ForgetPress();
    void OnPlayerPainted();
    void OnFrameAdvanced(int frames);
    void GrabStage();

    ViewWndOwner* mainWnd_;
    std::shared_ptr<const bool> ownerAlive_;
    std::unique_ptr<player::QtPlayerHost> player_;
    QString documentName_ = QStringLiteral("Untitled");

    // Editing-mode drag state: no press while pressPoint_ is kNoPoint.
    static constexpr int kNoPoint = 0x7FFFFFFF;
    QPoint pressPoint_{kNoPoint, kNoPoint};
    QPointF objectOrigin_{2147483647.0, 2147483647.0};
    QPointF offset_;
    bool dragging_ = false;

    int lastWidth_ = 0;
    int lastHeight_ = 0;
    bool playing_ = false;
    // A size the window was given on the document's behalf (not a user edit).
    QSize expectedSize_;
    // One undo step covers a burst of size changes of one user resize.
    bool resizeStepOpen_ = false;
    QTimer resizeStepTimer_;

    // Automation.
    QString grabPath_;
    int grabFrames_ = -1;
    bool grabPending_ = false;
    bool firstPaintReported_ = false;
    bool playTimingPending_ = false;
};

} // namespace tavro::editor
