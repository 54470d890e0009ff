// The action records: one list is interpreted by RunList(), one action at a time, and the
// actions that make or remove sprites are here as well.
#include "player/actions/ActionEngine.h"

#include "player/BitReader.h"
#include "player/DisplayList.h"
#include "player/DisplayObject.h"
#include "player/MovieLevel.h"
#include "player/PlaceInfo.h"
#include "player/PlayerCore.h"
#include "player/RenderBridge.h"
#include "player/Timeline.h"
#include "player/actions/ActionEngineDetail.h"
#include "player/actions/MbText.h"
#include "player/actions/NumberText.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tavro::player {

using namespace action_detail;

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

bool IsFrameAction(uint8_t code) {
    return (code >= kNextFrame && code <= kStop) || code == kGotoFrame || code == kWaitForFrame ||
           code == kGoToLabel;
}

// A string from an action record; record strings end at their zero byte.
std::string_view RecordString(BitReader& r) {
    return r.ReadString();
}

// Actions that only work on the value stack: they can run while a goto waits to be applied.
bool IsStackAction(uint8_t code) {
    switch (code) {
    case kAdd:
    case kSubtract:
    case kMultiply:
    case kDivide:
    case kEquals:
    case kLess:
    case kAnd:
    case kOr:
    case kNot:
    case kStringEquals:
    case kStringLength:
    case kStringExtract:
    case kPop:
    case kToInteger:
    case kStringAdd:
    case kTrace:
    case kStringLess:
    case kRandomNumber:
    case kMBStringLength:
    case kCharToAscii:
    case kAsciiToChar:
    case kGetTime:
    case kMBStringExtract:
    case kMBCharToAscii:
    case kMBAsciiToChar:
    case kPush:
    case kJump:
    case kIf:
        return true;
    default:
        return false;
    }
}

} // namespace

// ---- gotos ----

void ActionEngine::RequestGoto(Timeline& t, int32_t frame) {
    if (gotoTimeline_ && gotoTimeline_ != &t)
        SettleGoto();
    if (!Usable(&t))
        return;
    // The stop is not deferred: the stream sound stops where the goto was asked for.
    t.Stop();
    gotoTimeline_ = &t;
    gotoFrame_ = std::max(frame, 0);
}

void ActionEngine::SettleGoto() {
    Timeline* t = gotoTimeline_;
    gotoTimeline_ = nullptr;
    if (t)
        t->Goto(gotoFrame_);
}

int32_t ActionEngine::FrameAfterGoto(const Timeline& t) const {
    return gotoTimeline_ == &t ? gotoFrame_ : t.currentFrame;
}

bool ActionEngine::KeepsGotoPending(uint8_t code) const {
    switch (code) {
    case kNextFrame:
    case kPreviousFrame:
    case kGotoFrame:
    case kGoToLabel:
        return true;
    case kGotoFrame2:
        // A frame given with a target path resolves the path against the display list.
        return !stack_.empty() && stack_.back().find(':') == std::string::npos;
    default:
        return IsStackAction(code);
    }
}

// ---- interpreting ----

bool ActionEngine::WithinLimits() {
    if (abortActions_)
        return false;
    if (++actionCount_ > kMaxActionsPerRun) {
        abortActions_ = true;
        Diagnostic("actions stopped: more than 200000 actions in one run\n");
        return false;
    }
    if (player_.GetDisplayList().tagsExecuted - runTagBase_ > kMaxTagsPerRun) {
        abortActions_ = true;
        Diagnostic("actions stopped: their gotos executed more than 100000 tags in one run\n");
        return false;
    }
    return true;
}

bool ActionEngine::RunList(std::span<const uint8_t> a, Timeline& own) {
    bool go = InterpretList(a, own);
    // However the list ended, its last goto takes effect, as it would have at once.
    SettleGoto();
    return go && !abortActions_;
}

bool ActionEngine::InterpretList(std::span<const uint8_t> a, Timeline& own) {
    const size_t size = a.size();
    size_t pos = 0;
    int skip = 0;
    while (pos < size) {
        if (!WithinLimits())
            return false;
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
        if (gotoTimeline_ && !KeepsGotoPending(code))
            SettleGoto();
        Timeline* target = CurrentTarget(own);
        if (IsFrameAction(code) && !target)
            continue;
        BitReader body(a.data(), bodyEnd, bodyStart);

        switch (code) {
        case kNextFrame:
            RequestGoto(*target, FrameAfterGoto(*target) + 1);
            break;
        case kPreviousFrame:
            RequestGoto(*target, FrameAfterGoto(*target) - 1);
            break;
        case kPlay:
            target->Play(true);
            break;
        case kStop:
            target->Stop();
            break;
        case kToggleQuality:
            player_.highQuality = !player_.highQuality;
            player_.autoQuality = false;
            player_.Renderer().RebuildView();
            player_.Renderer().InvalidateAll();
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
                RequestGoto(*target, frame);
            break;
        }
        case kGoToLabel: {
            int32_t frame = target->FindLabel(RecordString(body));
            if (frame >= 0)
                RequestGoto(*target, frame);
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
                RequestGoto(*t, frame);
                if (play) {
                    SettleGoto();
                    t->Play(true);
                }
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

} // namespace tavro::player
