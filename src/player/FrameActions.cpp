#include "player/FrameActions.h"

#include "player/ActionQueue.h"
#include "player/BitReader.h"
#include "player/PlayerCore.h"
#include "player/Timeline.h"
#include "swfformat/ActionCodes.h"

namespace tavro::player {

using namespace swfformat;

void FrameActions::RunQueue(PlayerCore&, ActionQueue& queue) {
    actionCount_ = 0;
    ActionQueue::Entry e;
    while (queue.Pop(e)) {
        if (!RunList(e.Actions(), *e.timeline)) {
            queue.Clear();
            break;
        }
    }
}

bool FrameActions::RunList(std::span<const uint8_t> actions, Timeline& target) {
    if (abortActions_)
        return false;
    BitReader r(actions.data(), actions.size());
    while (r.Remaining() > 0) {
        if (++actionCount_ > kMaxActionsPerRun) {
            abortActions_ = true;
            return false;
        }
        uint8_t code = r.U8();
        if (code == 0)
            break;
        size_t bodyEnd = r.Pos();
        if (code & 0x80) {
            uint16_t len = r.U16();
            if (!r.ok() || len > r.Remaining())
                break;
            bodyEnd = r.Pos() + len;
        }
        BitReader body(actions.data(), bodyEnd, r.Pos());
        switch (code) {
        case kActionNextFrame:
            target.Goto(target.currentFrame + 1);
            break;
        case kActionPreviousFrame:
            target.Goto(target.currentFrame - 1);
            break;
        case kActionPlay:
            target.Play(true);
            break;
        case kActionStop:
            target.Stop();
            break;
        case kActionGotoFrame: {
            uint16_t frame = body.U16();
            if (body.ok())
                target.Goto(frame);
            break;
        }
        case kActionGotoLabel: {
            std::string_view label = body.ReadString();
            int32_t frame = target.FindLabel(label);
            if (frame >= 0)
                target.Goto(frame);
            break;
        }
        default:
            break;
        }
        r.Seek(bodyEnd);
    }
    return true;
}

} // namespace tavro::player
