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
#include "swfformat/ActionCodes.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tavro::player {

using namespace action_detail;
using namespace swfformat;

namespace {

bool IsFrameAction(uint8_t code) {
    return (code >= kActionNextFrame && code <= kActionStop) || code == kActionGotoFrame ||
           code == kActionWaitForFrame || code == kActionGotoLabel;
}

// A string from an action record; record strings end at their zero byte.
std::string_view RecordString(BitReader& r) {
    return r.ReadString();
}

// Actions that only work on the value stack: they can run while a goto waits to be applied.
bool IsStackAction(uint8_t code) {
    switch (code) {
    case kActionAdd:
    case kActionSubtract:
    case kActionMultiply:
    case kActionDivide:
    case kActionEquals:
    case kActionLess:
    case kActionAnd:
    case kActionOr:
    case kActionNot:
    case kActionStringEquals:
    case kActionStringLength:
    case kActionStringExtract:
    case kActionPop:
    case kActionToInteger:
    case kActionStringAdd:
    case kActionTrace:
    case kActionStringLess:
    case kActionRandomNumber:
    case kActionMBStringLength:
    case kActionCharToAscii:
    case kActionAsciiToChar:
    case kActionGetTime:
    case kActionMBStringExtract:
    case kActionMBCharToAscii:
    case kActionMBAsciiToChar:
    case kActionPush:
    case kActionJump:
    case kActionIf:
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
    case kActionNextFrame:
    case kActionPreviousFrame:
    case kActionGotoFrame:
    case kActionGotoLabel:
        return true;
    case kActionGotoFrame2:
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
        case kActionNextFrame:
            RequestGoto(*target, FrameAfterGoto(*target) + 1);
            break;
        case kActionPreviousFrame:
            RequestGoto(*target, FrameAfterGoto(*target) - 1);
            break;
        case kActionPlay:
            target->Play(true);
            break;
        case kActionStop:
            target->Stop();
            break;
        case kActionToggleQuality:
            player_.SetQuality(!player_.HighQuality(), player_.BestQuality());
            break;
        case kActionStopSounds:
            if (player_.Sound())
                player_.Sound()->StopAll();
            break;
        case kActionAdd:
        case kActionSubtract:
        case kActionMultiply:
        case kActionDivide: {
            double b = PopNumber();
            double x = PopNumber();
            if (code == kActionAdd)
                PushNumber(x + b);
            else if (code == kActionSubtract)
                PushNumber(x - b);
            else if (code == kActionMultiply)
                PushNumber(x * b);
            else if (b == 0)
                Push("#ERROR#");
            else
                PushNumber(x / b);
            break;
        }
        case kActionEquals: {
            double b = PopNumber();
            PushBool(PopNumber() == b);
            break;
        }
        case kActionLess: {
            double b = PopNumber();
            PushBool(PopNumber() < b);
            break;
        }
        case kActionAnd: {
            int64_t b = ToInt(PopNumber());
            int64_t x = ToInt(PopNumber());
            PushBool(x != 0 && b != 0);
            break;
        }
        case kActionOr: {
            int64_t b = ToInt(PopNumber());
            int64_t x = ToInt(PopNumber());
            PushBool(x != 0 || b != 0);
            break;
        }
        case kActionNot:
            PushBool(PopNumber() == 0);
            break;
        case kActionStringEquals: {
            std::string b = Pop();
            PushBool(Pop() == b);
            break;
        }
        case kActionStringLess: {
            std::string b = Pop();
            PushBool(Pop() < b);
            break;
        }
        case kActionStringLength:
            PushNumber(double(Pop().size()));
            break;
        case kActionMBStringLength:
            PushNumber(double(MbText::Length(Pop())));
            break;
        case kActionStringExtract:
        case kActionMBStringExtract: {
            int64_t count = ToInt(PopNumber());
            int64_t index = ToInt(PopNumber());
            std::string s = Pop();
            Push(code == kActionStringExtract ? MbText::ExtractBytes(s, index, count)
                                              : MbText::Extract(s, index, count));
            break;
        }
        case kActionPop:
            Pop();
            break;
        case kActionTrace: {
            std::string v = Pop();
            if (trace_)
                trace_(v);
            break;
        }
        case kActionToInteger:
            PushNumber(std::trunc(PopNumber()));
            break;
        case kActionGetVariable: {
            std::string name = Pop();
            Push(target ? GetVariable(*target, name) : std::string());
            break;
        }
        case kActionSetVariable: {
            std::string value = Pop();
            std::string name = Pop();
            if (target)
                SetVariable(*target, name, value);
            break;
        }
        case kActionSetTarget2:
            SetTarget(own, Pop());
            break;
        case kActionSetTarget:
            SetTarget(own, RecordString(body));
            break;
        case kActionStringAdd: {
            std::string b = Pop();
            std::string x = Pop();
            if (x.size() < kMaxStringBytes)
                x.append(b, 0, kMaxStringBytes - x.size());
            Push(std::move(x));
            break;
        }
        case kActionGetProperty: {
            int64_t index = ToInt(PopNumber());
            std::string path = Pop();
            DisplayObject* obj = ResolveObject(own, path);
            Push(obj && index >= 0 ? properties_.Get(*obj, int(index)) : std::string());
            break;
        }
        case kActionSetProperty: {
            std::string value = Pop();
            int64_t index = ToInt(PopNumber());
            std::string path = Pop();
            if (DisplayObject* obj = ResolveObject(own, path); obj && index >= 0)
                properties_.Set(*obj, int(index), value);
            break;
        }
        case kActionCloneSprite:
            CloneSprite(own);
            break;
        case kActionRemoveSprite:
            RemoveSprite(own);
            break;
        case kActionStartDrag:
            StartDrag(own);
            break;
        case kActionEndDrag:
            EndDrag();
            break;
        case kActionRandomNumber: {
            int64_t max = ToInt(PopNumber());
            if (!random_.Seeded())
                random_.Seed(Now());
            PushNumber(double(random_.Next(max)));
            break;
        }
        case kActionCharToAscii: {
            std::string s = Pop();
            PushNumber(s.empty() ? 0 : double(static_cast<unsigned char>(s[0])));
            break;
        }
        case kActionMBCharToAscii:
            PushNumber(double(MbText::FirstCode(Pop())));
            break;
        case kActionAsciiToChar:
        case kActionMBAsciiToChar: {
            int64_t c = ToInt(PopNumber());
            Push(code == kActionAsciiToChar ? MbText::FromCode(c & 0xFF)
                                            : MbText::FromCode(c & 0xFFFF));
            break;
        }
        case kActionGetTime:
            PushNumber(double((Now() - startTime_) & 0x7FFFFFFF));
            break;
        case kActionGotoFrame: {
            uint16_t frame = body.U16();
            if (body.ok())
                RequestGoto(*target, frame);
            break;
        }
        case kActionGotoLabel: {
            int32_t frame = target->FindLabel(RecordString(body));
            if (frame >= 0)
                RequestGoto(*target, frame);
            break;
        }
        case kActionGetUrl: {
            std::string url(RecordString(body));
            std::string tgt(RecordString(body));
            QueueRequest(own, std::move(url), std::move(tgt), 0);
            break;
        }
        case kActionGetUrl2: {
            uint8_t flags = body.U8();
            std::string tgt = Pop();
            std::string url = Pop();
            QueueRequest(own, std::move(url), std::move(tgt), flags);
            break;
        }
        case kActionWaitForFrame: {
            uint16_t frame = body.U16();
            uint8_t count = body.U8();
            if (body.ok() && target->root && target->root->framesLoaded < int32_t(frame))
                skip = count;
            break;
        }
        case kActionWaitForFrame2: {
            uint8_t count = body.U8();
            std::string frameText = Pop();
            Timeline* t = nullptr;
            int32_t frame = 0;
            bool known = ResolveFrame(own, frameText, &t, &frame);
            if (!known || !t->root || t->root->framesLoaded < frame)
                skip = count;
            break;
        }
        case kActionPush: {
            // One record may hold several values: each string and float is pushed in order.
            // A value of another type has a length this player does not know, so the rest of
            // the record is left alone from there.
            bool more = true;
            while (more && body.Remaining() > 0) {
                uint8_t type = body.U8();
                if (type == 0) {
                    std::string_view s = RecordString(body);
                    Push(std::string(s));
                    more = body.ok();
                } else if (type == 1 && body.Remaining() >= 4) {
                    uint32_t bits = body.U32();
                    float f;
                    std::memcpy(&f, &bits, sizeof f);
                    PushNumber(double(f));
                } else {
                    more = false;
                }
            }
            break;
        }
        case kActionJump:
        case kActionIf: {
            int16_t offset = body.S16();
            bool take = code == kActionJump || PopNumber() != 0;
            if (!body.ok() || !take)
                break;
            int64_t next = int64_t(bodyEnd) + offset;
            if (next < 0 || next > int64_t(size))
                return true;
            pos = size_t(next);
            break;
        }
        case kActionCall:
            CallFrame(own);
            break;
        case kActionGotoFrame2: {
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
