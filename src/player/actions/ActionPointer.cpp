// Pointer and keyboard input: the mouse drives buttons, edit-text fields, the pan of a zoomed
// view and the sprite that StartDrag attached to it; keys go to the focused edit-text field.
#include "player/actions/ActionEngine.h"

#include "player/Character.h"
#include "player/DisplayList.h"
#include "player/DisplayObject.h"
#include "player/MovieLevel.h"
#include "player/PlayerCore.h"
#include "player/RenderBridge.h"
#include "player/actions/TargetPath.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tavro::player {

// ---- drag ----

bool ActionEngine::MouseToStage(int x, int y, int32_t& sx, int32_t& sy) {
    const DisplayList& list = player_.GetDisplayList();
    int scale = list.antiAlias ? 4 : 1;
    Matrix16 inverse;
    if (!list.viewMatrix.Invert(inverse))
        return false;
    Point16 p = inverse.Map(int32_t(std::clamp<int64_t>(int64_t(x) * scale, INT32_MIN, INT32_MAX)),
                            int32_t(std::clamp<int64_t>(int64_t(y) * scale, INT32_MIN, INT32_MAX)));
    sx = p.x;
    sy = p.y;
    return true;
}

void ActionEngine::StartDrag(Timeline& own) {
    std::string path = Pop();
    bool lockCenter = PopNumber() != 0;
    bool constrain = PopNumber() != 0;
    Rect limits;
    if (constrain) {
        double y2 = PopNumber();
        double x2 = PopNumber();
        double y1 = PopNumber();
        double x1 = PopNumber();
        auto twips = [](double v) { return int32_t(std::clamp(std::round(v * 20), -1e9, 1e9)); };
        limits = Rect(std::min(twips(x1), twips(x2)), std::max(twips(x1), twips(x2)),
                      std::min(twips(y1), twips(y2)), std::max(twips(y1), twips(y2)));
    }
    DisplayObject* obj = ResolveObject(own, path);
    if (!obj || !obj->IsSprite())
        return;
    DragState& d = player_.drag;
    d.Clear();
    d.object = obj;
    d.dragging = true;
    d.lockCenter = lockCenter;
    d.constraint = limits;
    d.startX = obj->matrix.tx;
    d.startY = obj->matrix.ty;
    int32_t sx = 0, sy = 0;
    Matrix16 inverse;
    if (MouseToStage(mouseX_, mouseY_, sx, sy) &&
        (obj->parent ? obj->parent->WorldMatrix() : Matrix16()).Invert(inverse)) {
        Point16 p = inverse.Map(sx, sy);
        d.startMouseX = p.x;
        d.startMouseY = p.y;
    } else {
        d.startMouseX = d.startX;
        d.startMouseY = d.startY;
    }
    obj->scriptTransformed = true;
}

void ActionEngine::EndDrag() {
    DragState& d = player_.drag;
    if (!d.dragging)
        return;
    if (d.object)
        properties_.SetDropTarget(*d.object, FindDropTarget(*d.object));
    d.Clear();
}

void ActionEngine::MoveDraggedObject(int x, int y) {
    DragState& d = player_.drag;
    if (!d.dragging || !d.object)
        return;
    DisplayObject* obj = d.object;
    int32_t sx = 0, sy = 0;
    Matrix16 inverse;
    if (!MouseToStage(x, y, sx, sy) ||
        !(obj->parent ? obj->parent->WorldMatrix() : Matrix16()).Invert(inverse))
        return;
    Point16 p = inverse.Map(sx, sy);
    int64_t nx = p.x;
    int64_t ny = p.y;
    if (!d.lockCenter) {
        nx = int64_t(d.startX) + p.x - d.startMouseX;
        ny = int64_t(d.startY) + p.y - d.startMouseY;
    }
    if (!d.constraint.IsEmpty()) {
        nx = std::clamp<int64_t>(nx, d.constraint.xmin, d.constraint.xmax);
        ny = std::clamp<int64_t>(ny, d.constraint.ymin, d.constraint.ymax);
    }
    obj->matrix.tx = int32_t(std::clamp<int64_t>(nx, INT32_MIN, INT32_MAX));
    obj->matrix.ty = int32_t(std::clamp<int64_t>(ny, INT32_MIN, INT32_MAX));
    player_.GetDisplayList().MarkDirty(obj);
}

namespace {

// The innermost, frontmost sprite below `parent` whose stage bounds hold the point, skipping
// the dragged object and everything inside it.
DisplayObject* SpriteAt(DisplayObject* parent, const DisplayObject* dragged, int32_t x, int32_t y,
                        int depth) {
    if (depth > DisplayList::kMaxNesting)
        return nullptr;
    std::vector<DisplayObject*> children;
    for (DisplayObject* c = parent->firstChild; c; c = c->nextSibling)
        children.push_back(c);
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        DisplayObject* c = *it;
        if (c == dragged || !c->visible)
            continue;
        if (!c->IsSprite() && c->character && c->character->type != CharacterType::LevelRoot)
            continue;
        if (DisplayObject* inner = SpriteAt(c, dragged, x, y, depth + 1))
            return inner;
        if (c->IsSprite()) {
            Rect b = c->WorldMatrix().MapRect(SpriteProperties::OwnBounds(*c));
            if (!b.IsEmpty() && b.xmin <= x && x < b.xmax && b.ymin <= y && y < b.ymax)
                return c;
        }
    }
    return nullptr;
}

} // namespace

std::string ActionEngine::FindDropTarget(DisplayObject& dragged) {
    Matrix16 world = dragged.WorldMatrix();
    Rect b = world.MapRect(SpriteProperties::OwnBounds(dragged));
    int32_t x = b.IsEmpty() ? world.tx : int32_t((int64_t(b.xmin) + b.xmax) / 2);
    int32_t y = b.IsEmpty() ? world.ty : int32_t((int64_t(b.ymin) + b.ymax) / 2);
    DisplayObject* found = SpriteAt(&player_.GetDisplayList().root, &dragged, x, y, 0);
    return found ? TargetPathOf(*found) : std::string();
}
// ---- mouse ----

void ActionEngine::AfterTracking(bool ranActions) {
    if (ranActions)
        player_.RunActions();
    // Button states, a dragged object, a selection or a pan show at once, not at the next
    // frame (a stopped movie may not redraw for a while); with nothing changed this is cheap.
    player_.Renderer().UpdateScreen();
    player_.UpdateCursor();
}

void ActionEngine::Pan(int x, int y) {
    const Rect zoom = player_.ZoomRect();
    Rect client;
    player_.GetClientRect(client);
    if (zoom.IsEmpty() || client.Width() <= 0 || client.Height() <= 0)
        return;
    int64_t dx = -int64_t(x - panX_) * zoom.Width() / client.Width();
    int64_t dy = -int64_t(y - panY_) * zoom.Height() / client.Height();
    panX_ = x;
    panY_ = y;
    // The movie's frame keeps covering the view.
    const Rect& frame = player_.Level0().frameRect;
    if (!frame.IsEmpty()) {
        dx = std::clamp<int64_t>(dx, std::min<int64_t>(0, int64_t(frame.xmin) - zoom.xmin),
                                 std::max<int64_t>(0, int64_t(frame.xmax) - zoom.xmax));
        dy = std::clamp<int64_t>(dy, std::min<int64_t>(0, int64_t(frame.ymin) - zoom.ymin),
                                 std::max<int64_t>(0, int64_t(frame.ymax) - zoom.ymax));
    }
    if (dx == 0 && dy == 0)
        return;
    player_.SetZoomRect(Rect(int32_t(zoom.xmin + dx), int32_t(zoom.xmax + dx),
                             int32_t(zoom.ymin + dy), int32_t(zoom.ymax + dy)));
}

void ActionEngine::MouseMove(PlayerCore&, int x, int y, bool down) {
    mouseX_ = x;
    mouseY_ = y;
    mouseDown_ = down;
    MoveDraggedObject(x, y);
    bool ran = false;
    if (fields_ && down && fieldPress_ && fields_->HasFocus())
        fields_->MouseDrag(x, y);
    else if (panning_)
        Pan(x, y);
    else if (buttons_)
        ran = buttons_->Track(x, y, down);
    AfterTracking(ran);
}

void ActionEngine::MouseDown(PlayerCore&, int x, int y) {
    mouseX_ = x;
    mouseY_ = y;
    mouseDown_ = true;
    bool onButton = buttons_ && buttons_->ButtonAt(x, y);
    bool focused = false;
    if (fields_ && !onButton)
        focused = fields_->MouseDown(x, y);
    fieldPress_ = focused;
    bool ran = buttons_ && buttons_->Track(x, y, true);
    if (!onButton && !focused && !player_.ZoomRect().IsEmpty()) {
        panning_ = true;
        panX_ = x;
        panY_ = y;
    }
    AfterTracking(ran);
}

void ActionEngine::MouseUp(PlayerCore&, int x, int y) {
    mouseX_ = x;
    mouseY_ = y;
    mouseDown_ = false;
    bool ran = false;
    bool fieldPress = fieldPress_;
    fieldPress_ = false;
    if (fields_ && fieldPress && fields_->HasFocus())
        fields_->MouseUp(x, y);
    else if (panning_)
        panning_ = false;
    else if (buttons_)
        ran = buttons_->Track(x, y, false);
    AfterTracking(ran);
}

void ActionEngine::ReplayButtonUpdate(PlayerCore&) {
    if (panning_ || !buttons_)
        return;
    if (fields_ && fields_->SelectableAt(mouseX_, mouseY_))
        return;
    if (buttons_->ReplayUpdate())
        player_.RunActions();
}

int ActionEngine::CursorKind(PlayerCore&) {
    if (buttons_ && buttons_->IsTracking())
        return 2;
    if (fields_ && fields_->SelectableAt(mouseX_, mouseY_))
        return 3;
    if (!player_.ZoomRect().IsEmpty())
        return 1;
    return 0;
}

// ---- keyboard ----

bool ActionEngine::KeyDown(PlayerCore&, const PlayerKey& key) {
    if (!fields_ || !fields_->KeyDown(key))
        return false;
    // The edit shows at once, like a selection made with the mouse.
    player_.Renderer().UpdateScreen();
    return true;
}

bool ActionEngine::EditingText(PlayerCore&) {
    return fields_ && fields_->HasFocus();
}

std::string ActionEngine::SelectedText(PlayerCore&) {
    return fields_ ? fields_->SelectedText() : std::string();
}

void ActionEngine::CaretTick(PlayerCore&) {
    if (fields_) {
        fields_->CaretTick();
        player_.Renderer().UpdateScreen();
    }
}

} // namespace tavro::player
