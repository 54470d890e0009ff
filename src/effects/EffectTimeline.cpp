// The effect timeline driver: frame by frame, which effect of an object owns the frame, what
// matrix and colour transform the object gets there, and how that reaches the display list.
//
// What it guarantees:
// - Each effect starts where the previous one ended. The start values of an effect are computed
//   from the object's working matrix and colour transform (its export state), and the last frame
//   of every effect writes its final matrix and colour transform back there.
// - The first frame of an effect of n frames already shows 1/n of the change (t = (r + 1) / n)
//   and its last frame shows the end state exactly; an effect of one frame shows only its end.
// - An export changes nothing of the document but the export state of its objects (and the
//   parameters that fades and slides preset at the start of every run): exporting twice gives
//   the same bytes, and saving after an export gives the same file as before it.
// - Damaged timelines (negative or huge start frames and lengths, children that are not effects)
//   neither overflow nor loop: frame arithmetic is 64-bit, children that are not effects are
//   skipped, and the normalising passes are bounded.
//
// An object with event actions acts as a button. While its effects run it is animated as its
// plain character (or its letters); when it comes to rest after an effect it is replaced by its
// button, which is taken off again when the next effect starts.
#include "model/EffectTimeline.h"

#include "base/CColorTransform.h"
#include "base/Rounding.h"
#include "effects/CEffectObj.h"
#include "effects/CEventObj.h"
#include "model/CMatrix3.h"
#include "swf/SwfRecords.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

namespace tavro {
namespace EffectTimeline {

namespace {

struct FrameState {
    CMatrix3 matrix;
    CColorTransform cxform;
};

CEffectObj* AsEffect(CTavroObj* child) {
    return DynamicCast<CEffectObj>(child);
}

int64_t StartOf(const CEffectObj& e) {
    return e.GetStartFrame();
}

// One past the last frame.
int64_t EndOf(const CEffectObj& e) {
    return int64_t{e.GetStartFrame()} + e.GetNumFrames();
}

int ClampFrame(int64_t frame) {
    return static_cast<int>(std::clamp<int64_t>(frame, 0, std::numeric_limits<int32_t>::max()));
}

std::vector<CEffectObj*> EffectsOf(const CSymbolObj& obj) {
    std::vector<CEffectObj*> effects;
    for (const auto& child : obj.GetEffectList().GetChildList()) {
        if (CEffectObj* e = AsEffect(child.get()))
            effects.push_back(e);
    }
    return effects;
}

CDoublePoint Interpolate(const CDoublePoint& a, const CDoublePoint& b, double t) {
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}

int32_t Interpolate(int32_t a, int32_t b, double t) {
    return a + RoundToInt(t * (static_cast<double>(b) - a));
}

// The matrix and colour transform of relative frame r of the effect.
FrameState ComputeFrame(const CEffectObj& effect, const CColorTransform& current, int r) {
    const int n = effect.GetNumFrames();
    const CDoublePoint startPos = effect.GetStartPosition();
    const CDoublePoint endPos = effect.GetEndPosition(startPos);
    const CDoublePoint startScale = effect.GetStartScale();
    const CDoublePoint endScale = effect.GetEndScale(startScale);
    const CDoublePoint startAngles = effect.GetStartAngles();
    const CDoublePoint endAngles = effect.GetEndAngles(startAngles);

    // The last frame takes the end values as they are, so that the next effect starts exactly
    // there.
    const bool atEnd = n <= 1 || r + 1 >= n;
    const double t = atEnd ? 1.0 : (r + 1.0) / n;
    const CDoublePoint pos = atEnd ? endPos : Interpolate(startPos, endPos, t);
    const CDoublePoint scale = atEnd ? endScale : Interpolate(startScale, endScale, t);
    const CDoublePoint angles = atEnd ? endAngles : Interpolate(startAngles, endAngles, t);

    FrameState frame;
    frame.matrix = CMatrix3(pos.x, pos.y, scale.x, scale.y, angles.x, angles.y);

    double startAlpha = effect.GetStartAlpha();
    const double endAlpha = effect.GetEndAlpha(startAlpha);
    const CEffectObj::TransformSet& ts = effect.GetTransformSet();
    if (effect.GetStartSet().alphaMode == effect_mode::kUnchanged) {
        // A fade in to 100 % of an opaque object starts from invisible; a fade out to 0 of an
        // invisible one starts from opaque.
        if (startAlpha == 256.0 && ts.alpha == 100.0 &&
            (IsSetMode(ts.alphaMode) || IsAddMode(ts.alphaMode)))
            startAlpha = 0.0;
        else if (startAlpha == 0.0 && ((ts.alpha == 0.0 && IsSetMode(ts.alphaMode)) ||
                                       (ts.alpha == 100.0 && IsSubtractMode(ts.alphaMode))))
            startAlpha = 256.0;
    }
    CColorTransform first = current;
    CColorTransform second = current;
    first.alphaMult = RoundToInt(startAlpha);
    second.alphaMult = RoundToInt(endAlpha);
    if (n < 2) {
        frame.cxform = second;
    } else {
        CColorTransform& c = frame.cxform;
        c.alphaMult = Interpolate(first.alphaMult, second.alphaMult, t);
        c.alphaAdd = Interpolate(first.alphaAdd, second.alphaAdd, t);
        c.redMult = Interpolate(first.redMult, second.redMult, t);
        c.redAdd = Interpolate(first.redAdd, second.redAdd, t);
        c.greenMult = Interpolate(first.greenMult, second.greenMult, t);
        c.greenAdd = Interpolate(first.greenAdd, second.greenAdd, t);
        c.blueMult = Interpolate(first.blueMult, second.blueMult, t);
        c.blueAdd = Interpolate(first.blueAdd, second.blueAdd, t);
    }
    return frame;
}

// At its last frame an effect brings a button to rest when the object stays still afterwards:
// no next effect, a gap before it, or a stop action of the parent in this frame. An effect that
// leaves the object hidden or transparent does not: its button would show or catch clicks.
bool ComesToRest(const CSymbolObj& obj, const CEffectObj& effect, const CEffectObj* next,
                 int frame) {
    if (!obj.HasEventActions() || !effect.IsVisibleAtEnd())
        return false;
    if (next == nullptr || StartOf(*next) - (EndOf(effect) - 1) > 1)
        return true;
    const auto* parent = DynamicCast<CSymbolObj>(obj.GetParent());
    return parent != nullptr && CEventObj::HasStopAtFrame(parent->GetEventList(), frame);
}

// The object at rest: taken off the display list and placed again as its button, whose
// up/over/down state is the object's character or, for letters, a one-frame sprite of the
// letters as the effect places them in this frame.
void ShowAtRest(CSymbolObj& obj, CEffectObj& effect, CSwfWriter& writer, int r,
                const FrameState& frame) {
    obj.RemoveFromStage(writer);
    if (obj.HasLetterEffects()) {
        obj.SaveExportState();
        SymbolExportState& s = obj.GetExportState();
        s.depth = 1;
        s.stageDepth = 0;
        s.placed = false;
        const SpriteTag sprite = BeginDefineSprite(writer);
        effect.ExportFrame(writer, r, CMatrix3(), CColorTransform());
        EndDefineSprite(writer, sprite);
        obj.RestoreExportState();
        obj.GetExportState().spriteId = sprite.id;
    }
    obj.Show(writer, frame.matrix, frame.cxform);
}

void StartEffect(CSymbolObj& obj, CEffectObj& effect, CSwfWriter& writer, bool first) {
    if (first)
        obj.DefineCharacter(writer);
    if (effect.GetResetAtStart())
        obj.ResetLetters();
    effect.OnEffectStart(writer);
    // The button of a rest comes off only now, so that a fade still sees the object on the
    // display list and takes over from its opacity.
    if (obj.IsButtonOnStage())
        obj.RemoveButton(writer);
}

} // namespace

void WriteFrame(CSymbolObj& obj, CSwfWriter& writer, int frame) {
    const std::vector<CEffectObj*> effects = EffectsOf(obj);
    if (effects.empty()) {
        if (frame != 0)
            return;
        obj.DefineCharacter(writer);
        const CMatrix3 matrix = obj.GetExportState().matrix;
        const CColorTransform cxform = obj.GetExportState().colorTransform;
        obj.Show(writer, matrix, cxform);
        return;
    }

    for (size_t i = 0; i < effects.size(); ++i) {
        CEffectObj& effect = *effects[i];
        if (effect.GetParent() != &obj)
            effect.SetParent(&obj); // the queries read the owner's state
        const int64_t start = StartOf(effect);
        const int64_t last = EndOf(effect) - 1;
        if (frame == start)
            StartEffect(obj, effect, writer, i == 0);
        if (frame < start || frame > last)
            continue;

        const int r = static_cast<int>(frame - start);
        const FrameState state = ComputeFrame(effect, obj.GetExportState().colorTransform, r);
        const CEffectObj* next = i + 1 < effects.size() ? effects[i + 1] : nullptr;
        if (frame == last && ComesToRest(obj, effect, next, frame))
            ShowAtRest(obj, effect, writer, r, state);
        else
            effect.ExportFrame(writer, r, state.matrix, state.cxform);

        if (frame == last) {
            obj.GetExportState().matrix = state.matrix;
            obj.GetExportState().colorTransform = state.cxform;
            effect.OnEffectEnd(writer);
            obj.SettleStageDepth();
        }
    }
}

int GetDepthOffset(const CSymbolObj& obj) {
    int offset = 0;
    for (const CEffectObj* e : EffectsOf(obj))
        offset = std::max(offset, e->GetExtraCount());
    return offset;
}

int GetDepthCount(const CSymbolObj& obj) {
    const std::vector<CEffectObj*> effects = EffectsOf(obj);
    if (effects.empty())
        return obj.GetOwnDepthCount();
    int count = 0;
    for (const CEffectObj* e : effects)
        count = std::max(count, e->GetDepthCount());
    return count;
}

int GetFrameCount(const CSymbolObj& obj) {
    int64_t count = 0;
    for (const CEffectObj* e : EffectsOf(obj))
        count = std::max(count, EndOf(*e));
    return ClampFrame(count);
}

CTavroObj::Position InsertEffect(CSymbolObj& obj, std::unique_ptr<CTavroObj> effect) {
    CTavroObj& list = obj.GetEffectList();
    CEffectObj* inserted = AsEffect(effect.get());
    if (inserted == nullptr)
        return list.AddChild(std::move(effect));

    // 1. Before the first effect that starts at the same frame or later.
    CTavroObj::Position before;
    for (CTavroObj::Position p = list.GetHeadPosition(); p; p = list.NextPosition(p)) {
        const CEffectObj* other = AsEffect(list.GetChildAt(p));
        if (other != nullptr && other->GetStartFrame() >= inserted->GetStartFrame()) {
            before = p;
            break;
        }
    }
    const CTavroObj::Position pos = before ? list.InsertChildBefore(before, std::move(effect))
                                           : list.AddChild(std::move(effect));

    // 2. Earlier effects that run into their successor move back, not below frame 0.
    const CEffectObj* current = inserted;
    for (CTavroObj::Position p = list.PrevPosition(pos); p; p = list.PrevPosition(p)) {
        CEffectObj* previous = AsEffect(list.GetChildAt(p));
        if (previous == nullptr)
            continue;
        if (EndOf(*previous) > StartOf(*current))
            previous->SetStartFrame(ClampFrame(StartOf(*current) - previous->GetNumFrames()));
        current = previous;
    }

    // 3. From the head, each effect that starts before its predecessor ends moves forward.
    const CEffectObj* previous = nullptr;
    for (CTavroObj::Position p = list.GetHeadPosition(); p; p = list.NextPosition(p)) {
        CEffectObj* e = AsEffect(list.GetChildAt(p));
        if (e == nullptr)
            continue;
        if (previous != nullptr && EndOf(*previous) > StartOf(*e))
            e->SetStartFrame(ClampFrame(EndOf(*previous)));
        previous = e;
    }
    return pos;
}

CTavroObj::Position ReinsertEffectAt(CSymbolObj& obj, CTavroObj::Position pos) {
    CTavroObj& list = obj.GetEffectList();
    if (list.GetChildAt(pos) == nullptr)
        return pos;
    const bool selected = list.GetSelectedPosition() == pos;
    const CTavroObj::Position newPos = InsertEffect(obj, list.RemoveChildAt(pos));
    if (selected)
        list.SelectPosition(newPos);
    return newPos;
}

void NormaliseTimeline(CSymbolObj& obj) {
    CTavroObj& list = obj.GetEffectList();
    const CTavroObj* selected = list.GetSelectedChild();
    // Effects of zero length that share a start frame may swap places for ever; the passes are
    // bounded by the length of the list.
    const size_t maxPasses = list.GetChildCount() + 2;
    for (size_t pass = 0; pass < maxPasses; ++pass) {
        std::vector<const CTavroObj*> order;
        for (const auto& child : list.GetChildList())
            order.push_back(child.get());
        bool moved = false;
        for (size_t i = 0; i < order.size(); ++i) {
            const CTavroObj::Position pos = ReinsertEffectAt(obj, list.FindChild(order[i]));
            moved = moved || list.GetIndexOfPosition(pos) != static_cast<int>(i);
        }
        if (!moved)
            break;
    }
    if (selected != nullptr)
        list.SelectChild(selected);
}

} // namespace EffectTimeline
} // namespace tavro
