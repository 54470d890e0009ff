// The action interpreter.
//
// A run drains the display list's queue (queue level 1). Call pushes a private queue of the
// called frame's DoAction tags as a further level and runs it at once, so levels nest at most
// kMaxQueueLevels deep. Each level carries the SetTarget override of the lists it runs; the
// override lives until the level is popped or the run ends, so no run starts with a target
// left over from an earlier one (whose timeline may be gone by then).
//
// Timelines of removed sprites stay allocated until the core releases them between ticks, and
// their root object is cleared on removal: a target without a root object counts as missing,
// so frame actions aimed at it do nothing while the rest of the list still runs.
#include "player/actions/ActionEngine.h"

#include "player/ActionQueue.h"
#include "player/DisplayObject.h"
#include "player/PlayerCore.h"
#include "player/TagHeader.h"
#include "player/Timeline.h"
#include "player/actions/ActionEngineDetail.h"
#include "player/actions/NumberText.h"
#include "player/actions/TargetPath.h"
#include "swfformat/TagCodes.h"

#include <algorithm>

namespace tavro::player {

using namespace action_detail;
using namespace swfformat;

ActionEngine::ActionEngine(PlayerCore& player) : player_(player), properties_(player) {}

ActionEngine::~ActionEngine() = default;

uint32_t ActionEngine::Now() {
    uint32_t now = player_.CurrentTimeMs();
    if (!clockStarted_) {
        clockStarted_ = true;
        startTime_ = now;
    }
    return now;
}

void ActionEngine::Diagnostic(std::string_view text) {
    if (diagnostic_)
        diagnostic_(text);
}

// ---- the value stack ----

void ActionEngine::Push(std::string value) {
    if (value.size() > kMaxStringBytes)
        value.resize(kMaxStringBytes);
    // A movie that leaves values behind frame after frame loses its oldest ones.
    if (stack_.size() >= kMaxStackValues)
        stack_.pop_front();
    stack_.push_back(std::move(value));
}

void ActionEngine::PushNumber(double v) {
    Push(FormatNumber(v));
}

std::string ActionEngine::Pop() {
    if (stack_.empty())
        return std::string();
    std::string v = std::move(stack_.back());
    stack_.pop_back();
    return v;
}

double ActionEngine::PopNumber() {
    return ToNumber(Pop());
}

// ---- targets ----

Timeline* ActionEngine::CurrentTarget(Timeline& own) const {
    Timeline* t = &own;
    if (!levels_.empty() && levels_.back().hasTarget)
        t = levels_.back().target;
    return Usable(t) ? t : nullptr;
}

DisplayObject* ActionEngine::ResolveObject(Timeline& own, std::string_view path) {
    Timeline* base = CurrentTarget(own);
    if (path.empty())
        return base ? base->rootObject : nullptr;
    if (!base) {
        // Without a target only absolute paths lead anywhere.
        bool absolute = path[0] == '/' || LevelNumber(path.substr(0, path.find('/'))) >= 0;
        if (!absolute)
            return nullptr;
        base = &own;
    }
    return ResolveTargetObject(player_, *base, path);
}

Timeline* ActionEngine::ResolveTimeline(Timeline& own, std::string_view path) {
    DisplayObject* obj = ResolveObject(own, path);
    return obj && Usable(obj->timeline) ? obj->timeline : nullptr;
}

bool ActionEngine::ResolveFrame(Timeline& own, std::string_view frameText, Timeline** timeline,
                                int32_t* frame) {
    Timeline* t = CurrentTarget(own);
    size_t colon = frameText.find(':');
    if (colon != std::string_view::npos) {
        t = ResolveTimeline(own, frameText.substr(0, colon));
        frameText = frameText.substr(colon + 1);
    }
    if (!t)
        return false;
    *timeline = t;
    if (std::optional<double> n = ParseNumber(frameText)) {
        // Frame numbers on the stack count from 1, as _currentframe reads.
        *frame = int32_t(std::max<int64_t>(ToInt(*n) - 1, 0));
        return true;
    }
    *frame = t->FindLabel(frameText);
    return *frame >= 0;
}

void ActionEngine::SetTarget(Timeline& own, std::string_view path) {
    Level& level = levels_.back();
    if (path.empty()) {
        level.hasTarget = false;
        level.target = nullptr;
        return;
    }
    level.hasTarget = true;
    Timeline* t = Usable(&own) ? ResolveTarget(player_, own, path) : nullptr;
    level.target = Usable(t) ? t : nullptr;
}

// ---- variables ----

void ActionEngine::SetVariable(Timeline& from, std::string_view full, std::string_view value) {
    Timeline* t = nullptr;
    std::string_view name = SplitVariablePath(player_, from, full, &t);
    if (!Usable(t) || name.empty())
        return;
    size_t dot = name.rfind('.');
    if (dot != std::string_view::npos && EqualsNoCase(name.substr(dot), ".scroll")) {
        if (fields_)
            fields_->SetScroll(*t, name.substr(0, dot), int(ToInt(ToNumber(value))));
        return;
    }
    if (value.size() > kMaxStringBytes)
        value = value.substr(0, kMaxStringBytes);
    if (!FindVariable(*t, name) && t->variables.size() >= kMaxVariables)
        return;
    StoreVariable(*t, name, value);
    if (fields_)
        fields_->VariableChanged(*t, name, value);
}

std::string ActionEngine::GetVariable(Timeline& from, std::string_view full) {
    Timeline* t = nullptr;
    std::string_view name = SplitVariablePath(player_, from, full, &t);
    if (!Usable(t))
        return std::string();
    size_t dot = name.rfind('.');
    if (dot != std::string_view::npos && fields_) {
        std::string_view suffix = name.substr(dot);
        std::optional<int> v;
        if (EqualsNoCase(suffix, ".scroll"))
            v = fields_->Scroll(*t, name.substr(0, dot));
        else if (EqualsNoCase(suffix, ".maxscroll"))
            v = fields_->MaxScroll(*t, name.substr(0, dot));
        if (v)
            return FormatNumber(*v);
    }
    const std::string* value = FindVariable(*t, name);
    return value ? *value : std::string();
}

// ---- running ----

void ActionEngine::RunQueue(PlayerCore&, ActionQueue& queue) {
    Now();
    actionCount_ = 0;
    runTagBase_ = player_.GetDisplayList().tagsExecuted;
    gotoTimeline_ = nullptr;
    if (abortActions_) {
        queue.Clear();
        return;
    }
    levels_.clear();
    levels_.push_back(Level{&queue, false, nullptr});
    RunLevel(queue);
    if (abortActions_)
        queue.Clear();
    levels_.clear();
    DispatchRequests();
}

void ActionEngine::RunLevel(ActionQueue& queue) {
    ActionQueue::Entry e;
    while (!abortActions_ && queue.Pop(e)) {
        if (!e.timeline)
            continue;
        if (!RunList(e.Actions(), *e.timeline))
            break;
    }
}

// ---- Call ----

void ActionEngine::CallFrame(Timeline& own) {
    std::string frameText = Pop();
    if (levels_.size() >= size_t(kMaxQueueLevels))
        return;
    Timeline* t = nullptr;
    int32_t frame = 0;
    if (!ResolveFrame(own, frameText, &t, &frame) || !t->SharedBytes())
        return;
    auto data = t->Data();
    uint32_t limit = uint32_t(std::min<size_t>(t->Limit(), data.size()));
    uint32_t p = t->StartPos();
    int32_t current = 0;
    ActionQueue queue;
    TagHeader h;
    while (TagHeader::Read(data.data(), limit, p, h)) {
        if (h.code == kTagEnd)
            break;
        if (h.code == kTagShowFrame) {
            if (current == frame)
                break;
            ++current;
        } else if (h.code == kTagDoAction && current == frame) {
            queue.Push(t->SharedBytes(), t->DataOffset() + h.bodyPos, h.end - h.bodyPos, t);
        }
        p = h.end;
    }
    if (queue.Empty())
        return;
    levels_.push_back(Level{&queue, false, nullptr});
    RunLevel(queue);
    levels_.pop_back();
}
// ---- display list events ----

void ActionEngine::MovieReplaced(PlayerCore&) {
    Now();
    abortActions_ = false;
    gotoTimeline_ = nullptr;
    stack_.clear();
    requests_.clear();
    properties_.Clear();
    panning_ = false;
    player_.drag.Clear();
}

void ActionEngine::ObjectPlaced(PlayerCore&, DisplayObject& obj) {
    if (obj.IsButton() && buttons_)
        buttons_->ObjectPlaced(obj);
    else if (obj.IsEditText() && fields_)
        fields_->ObjectPlaced(obj);
}

void ActionEngine::ObjectRemoved(PlayerCore&, DisplayObject& obj) {
    if (buttons_)
        buttons_->ObjectRemoved(obj);
    if (fields_)
        fields_->ObjectRemoved(obj);
    if (player_.drag.object == &obj)
        player_.drag.Clear();
    properties_.Forget(obj);
    if (obj.ownTimeline) {
        Timeline* t = obj.ownTimeline.get();
        if (gotoTimeline_ == t)
            gotoTimeline_ = nullptr;
        for (size_t i = 0; i < levels_.size(); ++i) {
            if (levels_[i].target == t)
                levels_[i].target = nullptr;
            if (i > 0)
                levels_[i].queue->Cancel(t);
        }
    }
}

void ActionEngine::AfterReplay(PlayerCore&, Timeline& timeline) {
    if (fields_)
        fields_->AfterReplay(timeline);
}

} // namespace tavro::player
