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
#include "player/BitReader.h"
#include "player/Character.h"
#include "player/DisplayList.h"
#include "player/DisplayObject.h"
#include "player/MovieLevel.h"
#include "player/PlaceInfo.h"
#include "player/PlayerCore.h"
#include "player/RenderBridge.h"
#include "player/TagHeader.h"
#include "player/Timeline.h"
#include "player/actions/MbText.h"
#include "player/actions/NumberText.h"
#include "player/actions/TargetPath.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tavro::player {

namespace {

enum : uint8_t {
    kNextFrame = 0x04,
    kPreviousFrame = 0x05,
    kPlay = 0x06,
    kStop = 0x07,
    kToggleQuality = 0x08,
    kStopSounds = 0x09,
    kAdd = 0x0A,
    kSubtract = 0x0B,
    kMultiply = 0x0C,
    kDivide = 0x0D,
    kEquals = 0x0E,
    kLess = 0x0F,
    kAnd = 0x10,
    kOr = 0x11,
    kNot = 0x12,
    kStringEquals = 0x13,
    kStringLength = 0x14,
    kStringExtract = 0x15,
    kPop = 0x17,
    kToInteger = 0x18,
    kGetVariable = 0x1C,
    kSetVariable = 0x1D,
    kSetTarget2 = 0x20,
    kStringAdd = 0x21,
    kGetProperty = 0x22,
    kSetProperty = 0x23,
    kCloneSprite = 0x24,
    kRemoveSprite = 0x25,
    kTrace = 0x26,
    kStartDrag = 0x27,
    kEndDrag = 0x28,
    kStringLess = 0x29,
    kRandomNumber = 0x30,
    kMBStringLength = 0x31,
    kCharToAscii = 0x32,
    kAsciiToChar = 0x33,
    kGetTime = 0x34,
    kMBStringExtract = 0x35,
    kMBCharToAscii = 0x36,
    kMBAsciiToChar = 0x37,
    kGotoFrame = 0x81,
    kGetURL = 0x83,
    kWaitForFrame = 0x8A,
    kSetTarget = 0x8B,
    kGoToLabel = 0x8C,
    kWaitForFrame2 = 0x8D,
    kPush = 0x96,
    kJump = 0x99,
    kGetURL2 = 0x9A,
    kIf = 0x9D,
    kCall = 0x9E,
    kGotoFrame2 = 0x9F,
};

constexpr uint16_t kTagShowFrame = 1;
constexpr uint16_t kTagEnd = 0;
constexpr uint16_t kTagDoAction = 12;
// Objects made by actions live at this depth and above; the timeline never removes them.
constexpr uint16_t kScriptDepth = 16384;

bool IsFrameAction(uint8_t code) {
    return (code >= kNextFrame && code <= kStop) || code == kGotoFrame || code == kWaitForFrame ||
           code == kGoToLabel;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[i])) !=
            std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && StartsWithNoCase(a, b);
}

// "_levelN" / "_flashN": N, else -1.
int32_t LevelNumber(std::string_view name) {
    if (!StartsWithNoCase(name, "_level") && !StartsWithNoCase(name, "_flash"))
        return -1;
    std::string_view digits = name.substr(6);
    if (digits.empty() || digits.size() > 9)
        return -1;
    int32_t n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

// A number truncated toward zero and held to the int32 range.
int64_t ToInt(double v) {
    if (std::isnan(v))
        return 0;
    return int64_t(std::clamp(std::trunc(v), double(INT32_MIN), double(INT32_MAX)));
}

bool Usable(const Timeline* t) {
    return t && t->rootObject;
}

// A string from an action record; record strings end at their zero byte.
std::string_view RecordString(BitReader& r) {
    return r.ReadString();
}

} // namespace

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

bool ActionEngine::RunList(std::span<const uint8_t> a, Timeline& own) {
    const size_t size = a.size();
    size_t pos = 0;
    int skip = 0;
    while (pos < size) {
        if (abortActions_)
            return false;
        if (++actionCount_ > kMaxActionsPerRun) {
            abortActions_ = true;
            Diagnostic("actions stopped: more than 200000 actions in one run\n");
            return false;
        }
        uint8_t code = a[pos++];
        if (code == 0)
            break;
        size_t bodyStart = pos;
        size_t bodyEnd = pos;
        if (code & 0x80) {
            if (size - pos < 2)
                break;
            size_t len = size_t(a[pos]) | size_t(a[pos + 1]) << 8;
            bodyStart = pos + 2;
            if (len > size - bodyStart)
                break;
            bodyEnd = bodyStart + len;
        }
        pos = bodyEnd;
        if (skip > 0) {
            --skip;
            continue;
        }
        Timeline* target = CurrentTarget(own);
        if (IsFrameAction(code) && !target)
            continue;
        BitReader body(a.data(), bodyEnd, bodyStart);

        switch (code) {
        case kNextFrame:
            target->Goto(target->currentFrame + 1);
            break;
        case kPreviousFrame:
            target->Goto(target->currentFrame - 1);
            break;
        case kPlay:
            target->Play(true);
            break;
        case kStop:
            target->Stop();
            break;
        case kToggleQuality:
            player_.SetQuality(!player_.HighQuality(), player_.BestQuality());
            break;
        case kStopSounds:
            if (player_.Sound())
                player_.Sound()->StopAll();
            break;
        case kAdd:
        case kSubtract:
        case kMultiply:
        case kDivide: {
            double b = PopNumber();
            double x = PopNumber();
            if (code == kAdd)
                PushNumber(x + b);
            else if (code == kSubtract)
                PushNumber(x - b);
            else if (code == kMultiply)
                PushNumber(x * b);
            else if (b == 0)
                Push("#ERROR#");
            else
                PushNumber(x / b);
            break;
        }
        case kEquals: {
            double b = PopNumber();
            PushBool(PopNumber() == b);
            break;
        }
        case kLess: {
            double b = PopNumber();
            PushBool(PopNumber() < b);
            break;
        }
        case kAnd: {
            int64_t b = ToInt(PopNumber());
            int64_t x = ToInt(PopNumber());
            PushBool(x != 0 && b != 0);
            break;
        }
        case kOr: {
            int64_t b = ToInt(PopNumber());
            int64_t x = ToInt(PopNumber());
            PushBool(x != 0 || b != 0);
            break;
        }
        case kNot:
            PushBool(PopNumber() == 0);
            break;
        case kStringEquals: {
            std::string b = Pop();
            PushBool(Pop() == b);
            break;
        }
        case kStringLess: {
            std::string b = Pop();
            PushBool(Pop() < b);
            break;
        }
        case kStringLength:
            PushNumber(double(Pop().size()));
            break;
        case kMBStringLength:
            PushNumber(double(MbText::Length(Pop())));
            break;
        case kStringExtract:
        case kMBStringExtract: {
            int64_t count = ToInt(PopNumber());
            int64_t index = ToInt(PopNumber());
            std::string s = Pop();
            Push(code == kStringExtract ? MbText::ExtractBytes(s, index, count)
                                        : MbText::Extract(s, index, count));
            break;
        }
        case kPop:
            Pop();
            break;
        case kTrace: {
            std::string v = Pop();
            if (trace_)
                trace_(v);
            break;
        }
        case kToInteger:
            PushNumber(std::trunc(PopNumber()));
            break;
        case kGetVariable: {
            std::string name = Pop();
            Push(target ? GetVariable(*target, name) : std::string());
            break;
        }
        case kSetVariable: {
            std::string value = Pop();
            std::string name = Pop();
            if (target)
                SetVariable(*target, name, value);
            break;
        }
        case kSetTarget2:
            SetTarget(own, Pop());
            break;
        case kSetTarget:
            SetTarget(own, RecordString(body));
            break;
        case kStringAdd: {
            std::string b = Pop();
            std::string x = Pop();
            if (x.size() < kMaxStringBytes)
                x.append(b, 0, kMaxStringBytes - x.size());
            Push(std::move(x));
            break;
        }
        case kGetProperty: {
            int64_t index = ToInt(PopNumber());
            std::string path = Pop();
            DisplayObject* obj = ResolveObject(own, path);
            Push(obj && index >= 0 ? properties_.Get(*obj, int(index)) : std::string());
            break;
        }
        case kSetProperty: {
            std::string value = Pop();
            int64_t index = ToInt(PopNumber());
            std::string path = Pop();
            if (DisplayObject* obj = ResolveObject(own, path); obj && index >= 0)
                properties_.Set(*obj, int(index), value);
            break;
        }
        case kCloneSprite:
            CloneSprite(own);
            break;
        case kRemoveSprite:
            RemoveSprite(own);
            break;
        case kStartDrag:
            StartDrag(own);
            break;
        case kEndDrag:
            EndDrag();
            break;
        case kRandomNumber: {
            int64_t max = ToInt(PopNumber());
            if (!random_.Seeded())
                random_.Seed(Now());
            PushNumber(double(random_.Next(max)));
            break;
        }
        case kCharToAscii: {
            std::string s = Pop();
            PushNumber(s.empty() ? 0 : double(static_cast<unsigned char>(s[0])));
            break;
        }
        case kMBCharToAscii:
            PushNumber(double(MbText::FirstCode(Pop())));
            break;
        case kAsciiToChar:
        case kMBAsciiToChar: {
            int64_t c = ToInt(PopNumber());
            Push(code == kAsciiToChar ? MbText::FromCode(c & 0xFF) : MbText::FromCode(c & 0xFFFF));
            break;
        }
        case kGetTime:
            PushNumber(double((Now() - startTime_) & 0x7FFFFFFF));
            break;
        case kGotoFrame: {
            uint16_t frame = body.U16();
            if (body.ok())
                target->Goto(frame);
            break;
        }
        case kGoToLabel: {
            int32_t frame = target->FindLabel(RecordString(body));
            if (frame >= 0)
                target->Goto(frame);
            break;
        }
        case kGetURL: {
            std::string url(RecordString(body));
            std::string tgt(RecordString(body));
            QueueRequest(own, std::move(url), std::move(tgt), 0);
            break;
        }
        case kGetURL2: {
            uint8_t flags = body.U8();
            std::string tgt = Pop();
            std::string url = Pop();
            QueueRequest(own, std::move(url), std::move(tgt), flags);
            break;
        }
        case kWaitForFrame: {
            uint16_t frame = body.U16();
            uint8_t count = body.U8();
            if (body.ok() && target->root && target->root->framesLoaded < int32_t(frame))
                skip = count;
            break;
        }
        case kWaitForFrame2: {
            uint8_t count = body.U8();
            std::string frameText = Pop();
            Timeline* t = nullptr;
            int32_t frame = 0;
            bool known = ResolveFrame(own, frameText, &t, &frame);
            if (!known || !t->root || t->root->framesLoaded < frame)
                skip = count;
            break;
        }
        case kPush: {
            uint8_t type = body.U8();
            if (type == 0) {
                std::string_view s = RecordString(body);
                Push(std::string(s));
            } else if (type == 1) {
                uint32_t bits = body.U32();
                if (body.ok()) {
                    float f;
                    std::memcpy(&f, &bits, sizeof f);
                    PushNumber(double(f));
                }
            }
            break;
        }
        case kJump:
        case kIf: {
            int16_t offset = body.S16();
            bool take = code == kJump || PopNumber() != 0;
            if (!body.ok() || !take)
                break;
            int64_t next = int64_t(bodyEnd) + offset;
            if (next < 0 || next > int64_t(size))
                return true;
            pos = size_t(next);
            break;
        }
        case kCall:
            CallFrame(own);
            break;
        case kGotoFrame2: {
            uint8_t play = body.U8();
            std::string frameText = Pop();
            Timeline* t = nullptr;
            int32_t frame = 0;
            if (body.ok() && ResolveFrame(own, frameText, &t, &frame)) {
                t->Goto(frame);
                if (play)
                    t->Play(true);
            }
            break;
        }
        default:
            break; // unknown actions are skipped by their length
        }
    }
    return !abortActions_;
}

// ---- sprites ----

void ActionEngine::CloneSprite(Timeline& own) {
    double depth = PopNumber();
    std::string name = Pop();
    std::string path = Pop();
    if (depth < 0 || depth > 0xFFFF)
        return;
    DisplayObject* src = ResolveObject(own, path);
    if (!src || !src->IsSprite() || !src->parent || !src->parent->parent)
        return; // nothing, or a level root
    DisplayObject* parent = src->parent;
    DisplayList& list = player_.GetDisplayList();
    PlaceInfo info;
    info.flags = PlaceInfo::kHasCharacter | PlaceInfo::kHasMatrix | PlaceInfo::kHasCxform |
                 PlaceInfo::kHasRatio | PlaceInfo::kHasName | PlaceInfo::kHasClipDepth;
    info.character = src->character;
    info.depth = uint16_t(depth);
    info.matrix = src->matrix;
    info.cxform = src->cxform;
    info.ratio = 0xFFFF;
    info.name = name;
    info.clipDepth = src->clipDepth;
    list.Remove(parent, info.depth);
    list.Place(parent, info, parent->timeline);
}

void ActionEngine::RemoveSprite(Timeline& own) {
    std::string path = Pop();
    DisplayObject* obj = ResolveObject(own, path);
    if (!obj || !obj->parent)
        return;
    if (!obj->parent->parent) {
        // A level's root: the whole level goes.
        if (obj->timeline && obj->timeline->IsLevel())
            player_.UnloadLevel(obj->timeline->depth);
        return;
    }
    if (obj->IsSprite() && obj->depth >= kScriptDepth)
        player_.GetDisplayList().RemoveObject(obj);
}

// ---- requests ----

void ActionEngine::QueueRequest(Timeline& own, std::string url, std::string target, uint8_t flags) {
    if (requests_.size() >= kMaxRequestsPerRun) {
        Diagnostic("GetURL dropped: more than 32 requests in one run\n");
        return;
    }
    Timeline* current = CurrentTarget(own);
    if (flags & UrlRequest::kSpriteTarget) {
        DisplayObject* obj = target == "/" ? nullptr : ResolveObject(own, target);
        if (target == "/") {
            target = "_level0";
            flags &= uint8_t(~UrlRequest::kSpriteTarget);
        } else if (LevelNumber(target) >= 0) {
            flags &= uint8_t(~UrlRequest::kSpriteTarget);
        } else if (obj && obj->parent && !obj->parent->parent) {
            target = "_level" + std::to_string(obj->timeline ? obj->timeline->depth : 0);
            flags &= uint8_t(~UrlRequest::kSpriteTarget);
        } else if (obj) {
            target = TargetPathOf(*obj);
        } else {
            Diagnostic("GetURL:" + url + " target:" + target + " (no such sprite)\n");
            return;
        }
    }
    UrlRequest r;
    r.flags = flags;
    uint8_t method = flags & UrlRequest::kMethodMask;
    if ((method == UrlRequest::kGet || method == UrlRequest::kPost) && current) {
        std::string encoded = EncodeVariables(current->variables);
        if (method == UrlRequest::kGet)
            url = AppendQuery(url, encoded);
        else
            r.postData = PostData(encoded);
    }
    r.url = std::move(url);
    r.target = std::move(target);
    requests_.push_back(std::move(r));
}

void ActionEngine::DispatchRequests() {
    // Dispatching may load movies; requests made meanwhile wait for the next run.
    std::vector<UrlRequest> pending;
    pending.swap(requests_);
    for (const UrlRequest& r : pending)
        Dispatch(r);
}

void ActionEngine::Dispatch(const UrlRequest& r) {
    if (observer_)
        observer_(r);
    if (StartsWithNoCase(r.url, "FSCommand:")) {
        player_.FsCommand(std::string_view(r.url).substr(10), r.target);
        return;
    }
    int32_t level = LevelNumber(r.target);
    bool sprite = r.flags & UrlRequest::kSpriteTarget;
    bool variables = r.flags & UrlRequest::kLoadVariables;
    if (level < 0 && !sprite) {
        Diagnostic("GetURL:" + r.url + " target:" + r.target + "\n");
        return;
    }
    if (level >= PlayerCore::kDeviceFontLevel) {
        Diagnostic("GetURL:" + r.url + " target:" + r.target + " (no such level)\n");
        return;
    }
    if (r.url.empty()) {
        if (!sprite && !variables)
            player_.UnloadLevel(level);
        return;
    }
    if (!variables && !sprite) {
        if (level == 0)
            player_.GetLevel(0, false);
        else
            player_.UnloadLevel(level);
    }
    StreamTarget target;
    target.level = std::max(level, 0);
    if (sprite)
        target.spritePath = r.target;
    target.variables = variables;
    player_.OpenUrlStream(r.url, r.postData, target);
    if (level == 0 && !variables && !sprite) {
        // The new movie may have another frame size.
        player_.Renderer().RebuildView();
        player_.Renderer().InvalidateAll();
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

// ---- display list events ----

void ActionEngine::MovieReplaced(PlayerCore&) {
    Now();
    abortActions_ = false;
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

void ActionEngine::CaretTick(PlayerCore&) {
    if (fields_) {
        fields_->CaretTick();
        player_.Renderer().UpdateScreen();
    }
}

} // namespace tavro::player
