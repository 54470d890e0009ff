#include "editor/CTimelineGrid.h"

#include "editor/CMainDlg.h"
#include "editor/CTimelinePage.h"
#include "editor/QtText.h"
#include "editor/SceneTimeline.h"
#include "effects/CEffectObj.h"
#include "effects/CEventObj.h"
#include "model/CSceneObj.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

#include <algorithm>

// The cursor image is compiled into the library; a static library must register it itself.
static void InitTimelineResources() {
    Q_INIT_RESOURCE(timeline);
}

namespace tavro::editor {

namespace {

// The colours of one paint, read from the palette each time.
struct GridColors {
    QColor face;          // button face
    QColor shadow;        // button shadow
    QColor light;         // button highlight
    QColor light3d;       // 3D light
    QColor window;        // window background
    QColor text;          // window text
    QColor highlight;     // selection
    QColor highlightText; // text on the selection
    QColor black = Qt::black;

    explicit GridColors(const QPalette& pal)
        : face(pal.color(QPalette::Active, QPalette::Button)),
          shadow(pal.color(QPalette::Active, QPalette::Dark)),
          light(pal.color(QPalette::Active, QPalette::Light)),
          light3d(pal.color(QPalette::Active, QPalette::Midlight)),
          window(pal.color(QPalette::Active, QPalette::Base)),
          text(pal.color(QPalette::Active, QPalette::Text)),
          highlight(pal.color(QPalette::Active, QPalette::Highlight)),
          highlightText(pal.color(QPalette::Active, QPalette::HighlightedText)) {}
};

// One-pixel lines as filled rectangles: exact pixels whatever the pen and the scaling.
void HLine(QPainter& p, int x0, int x1, int y, const QColor& c) {
    if (x1 > x0)
        p.fillRect(QRect(x0, y, x1 - x0, 1), c);
}

void VLine(QPainter& p, int x, int y0, int y1, const QColor& c) {
    if (y1 > y0)
        p.fillRect(QRect(x, y0, 1, y1 - y0), c);
}

// The one-pixel border just inside a rectangle.
void FrameRect(QPainter& p, const QRect& r, const QColor& c) {
    if (r.width() <= 0 || r.height() <= 0)
        return;
    HLine(p, r.left(), r.left() + r.width(), r.top(), c);
    HLine(p, r.left(), r.left() + r.width(), r.top() + r.height() - 1, c);
    VLine(p, r.left(), r.top(), r.top() + r.height(), c);
    VLine(p, r.left() + r.width() - 1, r.top(), r.top() + r.height(), c);
}

// One line, vertically centred, cut with an ellipsis when it does not fit.
void DrawLine(QPainter& p, const QRect& r, const QString& text, const QColor& c,
              Qt::Alignment horizontal = Qt::AlignLeft) {
    if (r.width() <= 0)
        return;
    const QString shown = p.fontMetrics().elidedText(text, Qt::ElideRight, r.width());
    p.setPen(c);
    p.drawText(r, static_cast<int>(horizontal | Qt::AlignVCenter | Qt::TextSingleLine), shown);
}

QString RowName(const std::string& name) {
    QString text = FromDocText(name);
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

CSymbolObj* SymbolAt(const CSceneObj& scene, int index) {
    if (index < 0 || index >= static_cast<int>(scene.GetChildCount()))
        return nullptr;
    auto it = scene.GetChildList().begin();
    std::advance(it, index);
    return DynamicCast<CSymbolObj>(it->get());
}

int IndexOf(const CSceneObj& scene, const CSymbolObj* object) {
    int index = 0;
    for (const auto& child : scene.GetChildList()) {
        if (child.get() == object)
            return index;
        ++index;
    }
    return -1;
}

CEffectObj* AsEffect(CTavroObj* obj) {
    return DynamicCast<CEffectObj>(obj);
}

// Text that stays readable on a bar of its own colour.
QColor TextOn(const QColor& fill) {
    return qGray(fill.rgb()) >= 128 ? QColor(Qt::black) : QColor(Qt::white);
}

} // namespace

CTimelineGrid::CTimelineGrid(CMainDlg& mainWnd, CTimelinePage& page, QWidget* parent)
    : QWidget(parent), mainWnd_(mainWnd), page_(page) {
    InitTimelineResources();
    setObjectName(QStringLiteral("TimelineGrid"));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    hScroll_ = new QScrollBar(Qt::Horizontal, this);
    hScroll_->setObjectName(QStringLiteral("TimelineHScroll"));
    vScroll_ = new QScrollBar(Qt::Vertical, this);
    vScroll_->setObjectName(QStringLiteral("TimelineVScroll"));
    vScroll_->hide();
    connect(hScroll_, &QScrollBar::valueChanged, this, [this] { update(); });
    connect(vScroll_, &QScrollBar::valueChanged, this, [this] { update(); });
    setMinimumSize(kNamesWidth + 10 * kFrameWidth, HeaderHeight() + 3 * RowHeight());
}

CSceneObj* CTimelineGrid::Scene() const {
    return mainWnd_.Document().GetSelectedScene();
}

int CTimelineGrid::ScrollBarExtent() const {
    return style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, hScroll_);
}

int CTimelineGrid::RowHeight() const {
    return std::max(ScrollBarExtent() + 2, fontMetrics().height());
}

QRect CTimelineGrid::DrawArea() const {
    const int extent = ScrollBarExtent();
    const int right = vScroll_->isVisibleTo(this) ? width() - extent : width();
    return QRect(0, 0, std::max(0, right), std::max(0, height() - extent));
}

int CTimelineGrid::VisibleFrames() const {
    return std::max(0, (DrawArea().width() - kNamesWidth) / kFrameWidth);
}

int CTimelineGrid::FirstFrame() const {
    return hScroll_->value();
}

int CTimelineGrid::FrameAtX(int x) const {
    const int offset = x - kNamesWidth;
    // Floor division, so that the names column lies left of the first visible frame.
    const int column =
        offset >= 0 ? offset / kFrameWidth : -((-offset + kFrameWidth - 1) / kFrameWidth);
    return FirstFrame() + column;
}

int CTimelineGrid::RowTop(int row) const {
    if (row == 0)
        return HeaderHeight();
    const int shown = row - 1 - vScroll_->value();
    return shown < 0 ? -1 : HeaderHeight() + RowHeight() * (1 + shown);
}

QRect CTimelineGrid::BarRect(const CEffectObj& effect) const {
    const CSceneObj* scene = Scene();
    const auto* owner = DynamicCast<CSymbolObj>(effect.GetParent());
    if (scene == nullptr || owner == nullptr)
        return {};
    const int index = IndexOf(*scene, owner);
    const int top = index < 0 ? -1 : RowTop(1 + index);
    if (top < 0)
        return {};
    return QRect(FrameX(effect.GetStartFrame()), top, kFrameWidth * effect.GetNumFrames(),
                 RowHeight());
}

void CTimelineGrid::Reload() {
    // A reload follows a change of the document (an undo by its shortcut, say): a drag still
    // going on would hold an effect that may be gone.
    if (drag_ != Drag::None) {
        drag_ = Drag::None;
        dragObject_ = nullptr;
        dragEffect_ = nullptr;
        dragChanged_ = false;
    }
    LayOutScrollBars();
    update();
}

void CTimelineGrid::LayOutScrollBars() {
    const int extent = ScrollBarExtent();
    const CSceneObj* scene = Scene();
    // Object rows that fit below the ruler and the scene row; the scene row never scrolls.
    const int objects = scene != nullptr ? static_cast<int>(scene->GetChildCount()) : 0;
    const int rowsArea = height() - extent - HeaderHeight() - RowHeight();
    const int fitting = std::max(1, rowsArea / RowHeight());
    const bool vertical = objects > fitting;
    vScroll_->setVisible(vertical);
    vScroll_->setRange(0, vertical ? objects - fitting : 0);
    vScroll_->setPageStep(fitting);
    vScroll_->setSingleStep(1);

    const int frames = scene != nullptr ? TimelineExtent(*scene) : 0;
    const int visible = VisibleFrames();
    hScroll_->setRange(0, std::max(0, frames - visible));
    hScroll_->setPageStep(std::max(1, visible));
    hScroll_->setSingleStep(1);
    hScroll_->setEnabled(scene != nullptr);

    const QRect area = DrawArea();
    hScroll_->setGeometry(0, height() - extent, area.width(), extent);
    if (vertical)
        vScroll_->setGeometry(width() - extent, 0, extent, height() - extent);
}

void CTimelineGrid::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayOutScrollBars();
}

void CTimelineGrid::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange ||
        event->type() == QEvent::StyleChange) {
        LayOutScrollBars();
        update();
    }
}

// ---- painting ----

QFont CTimelineGrid::RulerFont(const QFont& base) {
    QFont font(base);
    font.setFamilies({QStringLiteral("Arial Narrow"), QStringLiteral("Liberation Sans Narrow")});
    font.setPixelSize(kRulerFontPixels);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    // Where no narrow face is installed the nearest one is drawn condensed.
    font.setStretch(QFont::Condensed);
    return font;
}

void CTimelineGrid::paintEvent(QPaintEvent*) {
    // Drawn whole into a bitmap first and copied in one step, so that nothing flickers.
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = size() * ratio;
    if (buffer_.size() != pixels) {
        buffer_ = QPixmap(pixels);
        buffer_.setDevicePixelRatio(ratio);
    }
    {
        QPainter p(&buffer_);
        Draw(p);
    }
    QPainter p(this);
    p.drawPixmap(0, 0, buffer_);
}

void CTimelineGrid::Draw(QPainter& p) const {
    const GridColors c(palette());
    p.fillRect(rect(), c.face);
    const CSceneObj* scene = Scene();
    if (scene == nullptr)
        return;
    const QRect area = DrawArea();
    p.setClipRect(area);
    const int w = area.width();
    const int h = area.height();
    const int header = HeaderHeight();

    // Background.
    p.fillRect(QRect(kNamesWidth, header, w - kNamesWidth, h - header), c.window);
    p.fillRect(QRect(0, 0, kNamesWidth, h), c.light3d);
    p.fillRect(QRect(kNamesWidth, 0, w - kNamesWidth, header), c.face);
    HLine(p, kNamesWidth, w, 0, c.light);
    HLine(p, 0, w, header - 1, c.black);
    HLine(p, kNamesWidth, w, header - 2, c.shadow);

    // Ruler: a short tick at the left edge of every column at the top and at the bottom, and
    // the number of every fifth frame.
    for (int x = kNamesWidth; x < w; x += kFrameWidth) {
        VLine(p, x, 1, 4, c.shadow);
        VLine(p, x, header - 5, header - 2, c.shadow);
    }
    p.setFont(RulerFont(font()));
    const int first = FirstFrame();
    for (int f = first; FrameX(f) < w; ++f) {
        if (f % kLabelEvery != 0)
            continue;
        const int x = FrameX(f);
        p.save();
        p.setClipRect(QRect(x, 0, kLabelEvery * kFrameWidth, header).intersected(area));
        p.setPen(c.text);
        p.drawText(QRect(x + 2, 0, kLabelEvery * kFrameWidth, header),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, QString::number(f));
        p.restore();
    }
    p.setFont(font());

    // The raised separator between the names and the frames.
    VLine(p, 74, 0, h, c.black);
    VLine(p, 75, 0, h, c.light);
    p.fillRect(QRect(76, 0, 2, h), c.face);
    VLine(p, 78, 0, h, c.shadow);
    VLine(p, 79, 0, h, c.black);

    // Rows: the scene row, then the objects from the front of the stack to the back.
    DrawRow(p, header, *scene, nullptr);
    const int objects = static_cast<int>(scene->GetChildCount());
    for (int i = vScroll_->value(); i < objects; ++i) {
        const int top = RowTop(1 + i);
        if (top < 0 || top >= h)
            break;
        DrawRow(p, top, *scene, SymbolAt(*scene, i));
    }
}

void CTimelineGrid::DrawRow(QPainter& p, int top, const CSceneObj& scene,
                            CSymbolObj* object) const {
    const GridColors c(palette());
    const QRect area = DrawArea();
    const int rowHeight = RowHeight();
    const CTavroObj* selectedChild = scene.GetSelectedChild();
    const bool selected = object == nullptr ? selectedChild == nullptr : selectedChild == object;

    // The name cell.
    p.fillRect(QRect(0, top, kNameCellWidth, rowHeight), selected ? c.highlight : c.face);
    HLine(p, 0, kNameCellWidth, top, c.light);
    HLine(p, 0, kNameCellWidth, top + rowHeight - 1, c.shadow);
    const std::string name = object != nullptr ? object->GetName() : scene.GetName();
    DrawLine(p, QRect(1, top, kNameCellWidth - 1, rowHeight), RowName(name),
             selected ? c.highlightText : c.text);

    // The frame cells; the current frame is marked in the selected row when nothing inside the
    // row is selected.
    p.save();
    p.setClipRect(QRect(kNamesWidth, top, area.width() - kNamesWidth, rowHeight).intersected(area));
    const CTavroObj& inner = object != nullptr ? object->GetEffectList() : scene.GetEventList();
    const bool markCurrent = selected && inner.GetSelectedChild() == nullptr;
    const int current = CurrentFrame(scene);
    for (int f = FirstFrame(); FrameX(f) < area.width(); ++f) {
        const QRect cell(FrameX(f), top, kFrameWidth + 1, rowHeight);
        const bool isCurrent = markCurrent && f == current;
        QColor fill = f % kLabelEvery == 0 ? c.light3d : c.window;
        if (isCurrent)
            fill = c.highlight;
        p.fillRect(cell, fill);
        FrameRect(p, cell, isCurrent ? c.highlight : c.face);
    }

    if (object == nullptr) {
        // Frame events: their cell marked "a".
        const CTavroObj* selectedEvent =
            selectedChild == nullptr ? inner.GetSelectedChild() : nullptr;
        for (const auto& child : inner.GetChildList()) {
            const auto* event = DynamicCast<CEventObj>(child.get());
            if (event == nullptr || event->GetFrame() < 0)
                continue;
            const QRect cell(FrameX(event->GetFrame()), top, kFrameWidth + 1, rowHeight);
            if (cell.left() >= area.width() || cell.right() < kNamesWidth)
                continue;
            const bool isSelected = event == selectedEvent;
            p.fillRect(cell, isSelected ? c.highlight : c.window);
            FrameRect(p, cell, isSelected ? c.black : c.shadow);
            DrawLine(p, cell, QStringLiteral("a"), isSelected ? c.highlightText : c.text,
                     Qt::AlignHCenter);
        }
    } else {
        // Effect bars; the selected effect of the selected row last, in the highlight colour.
        const CTavroObj* selectedEffect = selected ? inner.GetSelectedChild() : nullptr;
        auto drawBar = [&](const CEffectObj& effect, bool isSelected) {
            const QRect bar(FrameX(effect.GetStartFrame()), top,
                            kFrameWidth * effect.GetNumFrames(), rowHeight);
            if (bar.width() <= 0 || bar.left() >= area.width() || bar.right() < kNamesWidth)
                return;
            QColor fill = c.window;
            QColor ink = c.text;
            if (isSelected) {
                fill = c.highlight;
                ink = c.highlightText;
            } else if (const auto own = effect.GetTimelineColor()) {
                fill = QColor(own->red, own->green, own->blue);
                ink = TextOn(fill);
            }
            p.fillRect(bar, fill);
            FrameRect(p, bar, c.black);
            if (effect.ShowsNameInTimeline())
                DrawLine(p, bar.adjusted(2, 0, -2, 0), FromDocText(effect.GetName()), ink);
        };
        for (const auto& child : inner.GetChildList()) {
            const CEffectObj* effect = AsEffect(child.get());
            if (effect != nullptr && child.get() != selectedEffect)
                drawBar(*effect, false);
        }
        if (const CEffectObj* effect = DynamicCast<CEffectObj>(selectedEffect))
            drawBar(*effect, true);
    }
    p.restore();
}

// ---- hit testing and the mouse ----

CTimelineGrid::Hit CTimelineGrid::HitTest(const QPoint& point) const {
    Hit hit;
    const CSceneObj* scene = Scene();
    const QRect area = DrawArea();
    if (scene == nullptr || !area.contains(point))
        return hit;
    const int x = point.x();
    const int y = point.y();
    const int header = HeaderHeight();
    if (x >= kNamesWidth)
        hit.frame = std::max(0, FrameAtX(x));
    if (y < header) {
        if (x >= kNamesWidth)
            hit.where = Hit::Where::Ruler;
        return hit;
    }
    const int shownRow = (y - header) / RowHeight();
    if (shownRow == 0) {
        hit.sceneRow = true;
    } else {
        hit.object = SymbolAt(*scene, vScroll_->value() + shownRow - 1);
        if (hit.object == nullptr) {
            hit.frame = -1;
            return hit;
        }
    }
    if (x < kNamesWidth) {
        hit.where = Hit::Where::Names;
        return hit;
    }
    hit.where = Hit::Where::Cell;
    if (hit.sceneRow) {
        // The selected event first, when several share the frame.
        const CTavroObj& events = scene->GetEventList();
        for (const auto& child : events.GetChildList()) {
            auto* event = DynamicCast<CEventObj>(child.get());
            if (event == nullptr || event->GetFrame() != hit.frame)
                continue;
            if (hit.event == nullptr || child.get() == events.GetSelectedChild())
                hit.event = event;
        }
        if (hit.event != nullptr)
            hit.where = Hit::Where::Event;
        return hit;
    }
    // Bars: the one drawn on top wins (the selected effect, then the later ones).
    const CTavroObj& effects = hit.object->GetEffectList();
    CEffectObj* found = nullptr;
    for (const auto& child : effects.GetChildList()) {
        CEffectObj* effect = AsEffect(child.get());
        if (effect == nullptr)
            continue;
        const int left = FrameX(effect->GetStartFrame());
        const int right = left + kFrameWidth * effect->GetNumFrames();
        if (x < left || x >= right)
            continue;
        if (found == nullptr || found != effects.GetSelectedChild())
            found = effect;
    }
    if (found != nullptr) {
        hit.where = Hit::Where::Bar;
        hit.effect = found;
        if (found->CanSetNumFrames()) {
            const int left = FrameX(found->GetStartFrame());
            const int right = left + kFrameWidth * found->GetNumFrames();
            hit.atLeftEnd = x - left <= kLeftGrab;
            hit.atEnd = hit.atLeftEnd || right - x <= kRightGrab;
        }
    }
    return hit;
}

QCursor CTimelineGrid::MoveCursor() {
    InitTimelineResources();
    static const QCursor cursor(QPixmap(QStringLiteral(":/tavro/cursors/move-bar.xpm")), 3, 0);
    return cursor;
}

QCursor CTimelineGrid::CursorAt(const QPoint& point) const {
    const Hit hit = HitTest(point);
    if (hit.where != Hit::Where::Bar)
        return QCursor(Qt::ArrowCursor);
    return hit.atEnd ? QCursor(Qt::SizeHorCursor) : MoveCursor();
}

void CTimelineGrid::SelectHit(const Hit& hit) {
    CSceneObj* scene = Scene();
    if (scene == nullptr)
        return;
    switch (hit.where) {
    case Hit::Where::Nothing:
        return;
    case Hit::Where::Ruler:
        // The current frame of the selected row.
        SetCurrentFrame(*scene, hit.frame);
        if (auto* object = DynamicCast<CSymbolObj>(scene->GetSelectedChild()))
            object->GetEffectList().SelectPosition({});
        else
            scene->GetEventList().SelectPosition({});
        break;
    case Hit::Where::Names:
        if (hit.sceneRow)
            scene->SelectPosition({});
        else
            scene->SelectChild(hit.object);
        break;
    case Hit::Where::Cell:
        SetCurrentFrame(*scene, hit.frame);
        if (hit.sceneRow) {
            scene->SelectPosition({});
            scene->GetEventList().SelectPosition({});
        } else {
            scene->SelectChild(hit.object);
            hit.object->GetEffectList().SelectPosition({});
        }
        break;
    case Hit::Where::Event:
        scene->SelectPosition({});
        scene->GetEventList().SelectChild(hit.event);
        break;
    case Hit::Where::Bar:
        scene->SelectChild(hit.object);
        hit.object->GetEffectList().SelectChild(hit.effect);
        break;
    }
    page_.SelectionChanged();
}

void CTimelineGrid::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || drag_ != Drag::None) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPoint point = event->position().toPoint();
    const Hit hit = HitTest(point);
    SelectHit(hit);
    if (hit.where != Hit::Where::Bar)
        return;
    drag_ = hit.atEnd ? Drag::Resize : Drag::Move;
    dragObject_ = hit.object;
    dragEffect_ = hit.effect;
    dragLeftEnd_ = hit.atLeftEnd;
    pressColumn_ = FrameAtX(point.x());
    dragStart_ = hit.effect->GetStartFrame();
    dragFrames_ = hit.effect->GetNumFrames();
    dragChanged_ = false;
}

void CTimelineGrid::mouseMoveEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (drag_ == Drag::None) {
        setCursor(CursorAt(point));
        return;
    }
    const int delta = FrameAtX(point.x()) - pressColumn_;
    int start = dragStart_;
    int frames = dragFrames_;
    if (drag_ == Drag::Move) {
        start = std::max(0, dragStart_ + delta);
    } else if (dragLeftEnd_) {
        // The last frame stays; the first follows the pointer, keeping at least one frame.
        const int last = dragStart_ + std::max(1, dragFrames_) - 1;
        start = std::clamp(dragStart_ + delta, 0, last);
        frames = last - start + 1;
    } else {
        frames = std::max(1, dragFrames_ + delta);
    }
    if (start == dragEffect_->GetStartFrame() && frames == dragEffect_->GetNumFrames())
        return;
    if (!dragChanged_) {
        mainWnd_.RecordUndo(false); // one step for the whole drag
        dragChanged_ = true;
    }
    dragEffect_->SetStartFrame(start);
    if (frames != dragEffect_->GetNumFrames())
        dragEffect_->SetNumFrames(frames);
    update();
}

void CTimelineGrid::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && drag_ != Drag::None)
        EndDrag();
    QWidget::mouseReleaseEvent(event);
}

// After a drag the effect goes back into start-frame order (the timeline rule moves its
// neighbours out of its way), stays selected, and its last frame becomes the current frame.
void CTimelineGrid::EndDrag() {
    const bool changed = dragChanged_;
    CSymbolObj* object = dragObject_;
    CEffectObj* effect = dragEffect_;
    drag_ = Drag::None;
    dragObject_ = nullptr;
    dragEffect_ = nullptr;
    dragChanged_ = false;
    CSceneObj* scene = Scene();
    if (!changed || scene == nullptr || object == nullptr)
        return;
    CTavroObj& effects = object->GetEffectList();
    effects.SelectChild(effect);
    object->ReinsertEffectAt(effects.FindChild(effect));
    SetCurrentFrame(*scene, effect->GetStartFrame() + std::max(1, effect->GetNumFrames()) - 1);
    Reload();
    page_.SelectionChanged();
}

void CTimelineGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const Hit hit = HitTest(event->position().toPoint());
    switch (hit.where) {
    case Hit::Where::Names:
        mainWnd_.ShowScenePage();
        break;
    case Hit::Where::Bar:
        SelectHit(hit); // the press before already did, unless it was taken by a drag
        page_.EditEffect();
        break;
    case Hit::Where::Event:
        SelectHit(hit);
        page_.FrameEventProperties();
        break;
    default:
        break;
    }
}

void CTimelineGrid::contextMenuEvent(QContextMenuEvent* event) {
    if (drag_ != Drag::None)
        return;
    QPoint point = event->pos();
    if (event->reason() == QContextMenuEvent::Keyboard) {
        // From the keyboard: the selected effect's bar, else the current frame's cell.
        if (const CEffectObj* effect = page_.SelectedEffect(); effect != nullptr) {
            const QRect bar = BarRect(*effect);
            if (!bar.isEmpty())
                point = bar.center();
        }
    } else {
        SelectHit(HitTest(point));
    }
    std::unique_ptr<QMenu> menu = page_.ContextMenuAt(point);
    if (!menu)
        return;
    if (QAction* chosen = menu->exec(mapToGlobal(point)))
        page_.RunCommand(chosen->data().toInt());
}

void CTimelineGrid::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
        page_.DeleteSelected();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

// The wheel scrolls the rows when they do not all fit, and the frames otherwise or with Shift.
void CTimelineGrid::wheelEvent(QWheelEvent* event) {
    const bool frames = !vScroll_->isVisible() || (event->modifiers() & Qt::ShiftModifier) != 0 ||
                        std::abs(event->angleDelta().x()) > std::abs(event->angleDelta().y());
    QScrollBar* bar = frames ? hScroll_ : vScroll_;
    QWheelEvent forwarded(event->position(), event->globalPosition(), event->pixelDelta(),
                          event->angleDelta(), event->buttons(),
                          event->modifiers() & ~Qt::ShiftModifier, event->phase(),
                          event->inverted());
    QApplication::sendEvent(bar, &forwarded);
    event->accept();
}

} // namespace tavro::editor
