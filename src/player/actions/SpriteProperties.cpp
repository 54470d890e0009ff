#include "player/actions/SpriteProperties.h"

#include "player/Character.h"
#include "player/DisplayList.h"
#include "player/DisplayObject.h"
#include "player/MovieLevel.h"
#include "player/PlayerCore.h"
#include "player/RenderBridge.h"
#include "player/Timeline.h"
#include "player/actions/NumberText.h"
#include "player/actions/TargetPath.h"
#include "player/render/Renderer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tavro::player {

namespace {

constexpr double kFixedOne = 65536.0;

int32_t ClampToInt(double v) {
    if (std::isnan(v))
        return 0;
    v = std::round(v); // half away from zero
    return int32_t(std::clamp(v, double(INT32_MIN), double(INT32_MAX)));
}

Rect BoundsAt(const DisplayObject& obj, int depth) {
    Rect r;
    const Character* ch = obj.character;
    if (ch && (ch->type == CharacterType::Shape || ch->type == CharacterType::Text ||
               ch->type == CharacterType::EditText)) {
        r = ch->bounds;
    } else if (ch && ch->type == CharacterType::MorphShape) {
        r = ch->bounds;
        r.Union(ch->endBounds);
    }
    if (depth < DisplayList::kMaxNesting) {
        for (const DisplayObject* c = obj.firstChild; c; c = c->nextSibling) {
            Rect child = BoundsAt(*c, depth + 1);
            if (!child.IsEmpty())
                r.Union(c->matrix.MapRect(child));
        }
    }
    return r;
}

double Length(int32_t x, int32_t y) {
    return std::hypot(double(x), double(y));
}

} // namespace

Rect SpriteProperties::OwnBounds(const DisplayObject& obj) {
    return BoundsAt(obj, 0);
}

Rect SpriteProperties::ParentBounds(const DisplayObject& obj) {
    return obj.matrix.MapRect(OwnBounds(obj));
}

void SpriteProperties::SetDropTarget(const DisplayObject& obj, std::string path) {
    dropTargets_[&obj] = std::move(path);
}

std::string SpriteProperties::Get(DisplayObject& obj, int index) const {
    const Matrix16& m = obj.matrix;
    Timeline* t = obj.timeline;
    switch (index) {
    case kX:
        return FormatNumber(m.tx / 20.0);
    case kY:
        return FormatNumber(m.ty / 20.0);
    case kXScale:
        return FormatNumber(Length(m.a, m.b) * 100.0 / kFixedOne);
    case kYScale:
        return FormatNumber(Length(m.c, m.d) * 100.0 / kFixedOne);
    case kCurrentFrame:
        return FormatNumber(t ? double(t->currentFrame) + 1 : 0);
    case kTotalFrames:
        return FormatNumber(t ? t->frameCount : 0);
    case kAlpha:
        return FormatNumber(obj.cxform.aMul * 100.0 / 256.0);
    case kVisible:
        return obj.visible ? "1" : "0";
    case kWidth:
        return FormatNumber(double(ParentBounds(obj).Width()) / 20.0);
    case kHeight:
        return FormatNumber(double(ParentBounds(obj).Height()) / 20.0);
    case kRotation:
        if (m.a == 0 && m.b == 0)
            return "0";
        return FormatNumber(std::atan2(double(m.b), double(m.a)) * 180.0 / std::numbers::pi);
    case kTarget:
        return TargetPathOf(obj);
    case kFramesLoaded: {
        if (t && t->IsLevel()) {
            auto* level = static_cast<MovieLevel*>(t);
            return FormatNumber(std::min(level->framesLoaded, level->frameCount));
        }
        return FormatNumber(t ? t->frameCount : 0);
    }
    case kName:
        return obj.name;
    case kDropTarget: {
        auto it = dropTargets_.find(&obj);
        return it == dropTargets_.end() ? std::string() : it->second;
    }
    case kUrl:
        return t && t->root ? t->root->url : std::string();
    case kHighQuality:
        return player_.HighQuality() ? (player_.BestQuality() ? "2" : "1") : "0";
    case kFocusRect:
        return focusRect_ ? "1" : "0";
    case kSoundBufTime:
        return FormatNumber(player_.SoundBufferSeconds());
    default:
        return std::string();
    }
}

void SpriteProperties::Set(DisplayObject& obj, int index, std::string_view text) {
    double v = ToNumber(text);
    Matrix16& m = obj.matrix;
    switch (index) {
    case kX:
        m.tx = ClampToInt(v * 20);
        break;
    case kY:
        m.ty = ClampToInt(v * 20);
        break;
    case kXScale:
    case kYScale: {
        int32_t& p = index == kXScale ? m.a : m.c;
        int32_t& q = index == kXScale ? m.b : m.d;
        double target = v * kFixedOne / 100.0;
        double current = Length(p, q);
        if (std::fabs(target - current) <= 16.0)
            break;
        // The axis keeps its direction; a collapsed axis takes its default direction.
        double angle = current > 0 ? std::atan2(double(q), double(p))
                                   : (index == kXScale ? 0.0 : std::numbers::pi / 2);
        p = ClampToInt(target * std::cos(angle));
        q = ClampToInt(target * std::sin(angle));
        break;
    }
    case kAlpha:
        obj.cxform.aMul = ClampToInt(std::clamp(v * 2.56, -32768.0, 32767.0));
        obj.cxform.UpdateFlags();
        break;
    case kVisible:
        obj.visible = v != 0;
        break;
    case kRotation: {
        double xs = Length(m.a, m.b);
        double ys = Length(m.c, m.d);
        double ax = (m.a || m.b) ? std::atan2(double(m.b), double(m.a)) : 0.0;
        double ay = (m.c || m.d) ? std::atan2(double(m.d), double(m.c)) : ax + std::numbers::pi / 2;
        double skew = ay - ax;
        double r = std::fmod(v, 360.0) * std::numbers::pi / 180.0;
        m.a = ClampToInt(xs * std::cos(r));
        m.b = ClampToInt(xs * std::sin(r));
        m.c = ClampToInt(ys * std::cos(r + skew));
        m.d = ClampToInt(ys * std::sin(r + skew));
        break;
    }
    case kName:
        obj.name.assign(text);
        return;
    case kHighQuality:
        player_.SetQuality(v != 0, v > 1.5);
        return;
    case kFocusRect:
        focusRect_ = v != 0;
        if (!focusRect_)
            Renderer::Of(player_).SetFocusRect(std::nullopt);
        return;
    case kSoundBufTime:
        player_.SetSoundBufferSeconds(int(std::clamp(std::trunc(v), 0.0, 3600.0)));
        return;
    default:
        return; // read-only or unknown
    }
    obj.scriptTransformed = true;
    if (obj.displayList)
        obj.displayList->MarkDirty(&obj);
}

} // namespace tavro::player
