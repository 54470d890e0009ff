// The timeline grid of the Timeline page: a ruler of frame numbers, the scene's row of frame
// events, and one row per object of the scene with its effects as bars. Clicking selects rows,
// effects, frame events and the current frame; bars are moved and resized with the mouse.
//
// Layout in pixels: the names column is 80 wide (its cells 74, then a raised separator), one
// frame is 7 wide, a row is as tall as a horizontal scroll bar + 2 (or the font, when a large
// system font needs more), the ruler as the scroll bar + 6. Colours come from the palette at
// every paint.
#pragma once

#include <QPixmap>
#include <QWidget>

class QScrollBar;

namespace tavro {
class CEffectObj;
class CEventObj;
class CSceneObj;
class CSymbolObj;
} // namespace tavro

namespace tavro::editor {

class CMainDlg;
class CTimelinePage;

class CTimelineGrid : public QWidget {
    Q_OBJECT
public:
    static constexpr int kNamesWidth = 80;    // x where the frames begin
    static constexpr int kNameCellWidth = 74; // the name cells; the separator fills the rest
    static constexpr int kFrameWidth = 7;
    static constexpr int kLabelEvery = 5; // ruler labels and light columns
    static constexpr int kLeftGrab = 3;   // a press this near a bar's left end resizes
    static constexpr int kRightGrab = 4;  // ... and this near its right end
    static constexpr int kRulerFontPixels = 10;

    enum class Drag { None, Move, Resize };

    // What lies under a point.
    struct Hit {
        enum class Where { Nothing, Ruler, Names, Cell, Event, Bar } where = Where::Nothing;
        bool sceneRow = false;
        CSymbolObj* object = nullptr; // the object row (null for the scene row)
        int frame = -1;               // the frame column (-1 in the names column)
        CEffectObj* effect = nullptr; // Bar
        CEventObj* event = nullptr;   // Event
        bool atEnd = false;           // Bar: near an end of an effect that can be resized
        bool atLeftEnd = false;       // ... the left one
    };

    CTimelineGrid(CMainDlg& mainWnd, CTimelinePage& page, QWidget* parent = nullptr);

    // Geometry.
    int ScrollBarExtent() const;
    // As tall as a horizontal scroll bar + 2, or as the names' font when that is taller.
    int RowHeight() const;
    int HeaderHeight() const { return ScrollBarExtent() + 6; }
    // The area the grid draws in: the widget less its scroll bars.
    QRect DrawArea() const;
    int VisibleFrames() const;
    int FirstFrame() const;
    int FrameX(int frame) const { return kNamesWidth + kFrameWidth * (frame - FirstFrame()); }
    // The row top of the scene row (0) and of the objects (1 + index in the scene's list), or
    // -1 when the row is scrolled out of view.
    int RowTop(int row) const;
    // The rectangle of an effect's bar in its object's row (empty when the row is not shown).
    QRect BarRect(const CEffectObj& effect) const;
    Hit HitTest(const QPoint& point) const;

    QScrollBar* HorizontalScrollBar() const { return hScroll_; }
    QScrollBar* VerticalScrollBar() const { return vScroll_; }
    Drag CurrentDrag() const { return drag_; }

    // After the document changed: scroll ranges, then a repaint.
    void Reload();
    // The cursor shape the pointer gets over a point (the arrow off the bars).
    QCursor CursorAt(const QPoint& point) const;

    // The font of the ruler labels: a narrow face of 10 pixels.
    static QFont RulerFont(const QFont& base);
    // The cursor over the middle of a bar: an arrow with a small left-right arrow.
    static QCursor MoveCursor();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    CSceneObj* Scene() const;
    // The column of an x (frames left of the first visible one for x < 80).
    int FrameAtX(int x) const;
    void LayOutScrollBars();
    void Draw(QPainter& p) const;
    void DrawRow(QPainter& p, int top, const CSceneObj& scene, CSymbolObj* object) const;
    // Selects what a left or right press hits; true when the selection changed.
    void SelectHit(const Hit& hit);
    void EndDrag();

    CMainDlg& mainWnd_;
    CTimelinePage& page_;
    QScrollBar* hScroll_ = nullptr;
    QScrollBar* vScroll_ = nullptr;
    QPixmap buffer_;

    // The drag in progress.
    Drag drag_ = Drag::None;
    CSymbolObj* dragObject_ = nullptr;
    CEffectObj* dragEffect_ = nullptr;
    bool dragLeftEnd_ = false;
    int pressColumn_ = 0;
    int dragStart_ = 0;  // the effect's start frame at the press
    int dragFrames_ = 0; // its frame count at the press
    bool dragChanged_ = false;
};

} // namespace tavro::editor
