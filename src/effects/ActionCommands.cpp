#include "effects/ActionCommands.h"

#include "effects/CActionGotoFrame.h"
#include "effects/CActionGotoURL.h"
#include "effects/CActionPlay.h"
#include "effects/CActionStop.h"
#include "effects/CEventAtFrame.h"
#include "effects/CEventAtLabel.h"
#include "effects/CEventObj.h"

#include <array>

namespace tavro {

namespace {

using Kind = ActionCommand::Kind;
namespace id = command_id;

const std::array<ActionCommand, 13> kCommands{{
    {id::kOnRelease, "On &Release", Kind::ButtonEvent, CEventObj::kRelease, &CEventObj::classInfo},
    {id::kOnPress, "On &Press", Kind::ButtonEvent, CEventObj::kPress, &CEventObj::classInfo},
    {id::kOnRollOver, "On Roll Over", Kind::ButtonEvent, CEventObj::kRollOver,
     &CEventObj::classInfo},
    {id::kOnRollOut, "On Roll Out", Kind::ButtonEvent, CEventObj::kRollOut, &CEventObj::classInfo},
    {id::kOnDragOver, "On Drag Over", Kind::ButtonEvent, CEventObj::kDragOver,
     &CEventObj::classInfo},
    {id::kOnDragOut, "On Drag Out", Kind::ButtonEvent, CEventObj::kDragOut, &CEventObj::classInfo},
    {id::kOnReleaseOutside, "On Release Outside", Kind::ButtonEvent, CEventObj::kReleaseOutside,
     &CEventObj::classInfo},
    {id::kAtFrame, "At Frame", Kind::FrameEvent, 0, &CEventAtFrame::classInfo},
    {id::kAtLabel, "At Label", Kind::LabelEvent, 0, &CEventAtLabel::classInfo},
    {id::kPlay, "Play", Kind::Action, 0, &CActionPlay::classInfo},
    {id::kStop, "Stop", Kind::Action, 0, &CActionStop::classInfo},
    {id::kGotoFrame, "Goto &Frame", Kind::Action, 0, &CActionGotoFrame::classInfo},
    {id::kGotoURL, "Goto &URL", Kind::Action, 0, &CActionGotoURL::classInfo},
}};

} // namespace

std::span<const ActionCommand> GetActionCommands() {
    return kCommands;
}

const ActionCommand* FindActionCommand(int commandId) {
    for (const ActionCommand& c : kCommands) {
        if (c.id == commandId)
            return &c;
    }
    return nullptr;
}

bool IsEventCommand(const ActionCommand& command) {
    return command.kind != Kind::Action;
}

std::unique_ptr<CTavroObj> CreateFromCommand(int commandId, int currentFrame) {
    const ActionCommand* command = FindActionCommand(commandId);
    if (command == nullptr)
        return nullptr;
    switch (command->kind) {
    case Kind::ButtonEvent:
        return std::make_unique<CEventObj>(nullptr, command->conditions);
    case Kind::FrameEvent:
        return std::make_unique<CEventAtFrame>(nullptr, currentFrame);
    case Kind::LabelEvent:
        return std::make_unique<CEventAtLabel>();
    case Kind::Action:
        break;
    }
    return std::unique_ptr<CTavroObj>(static_cast<CTavroObj*>(command->cls->CreateObject()));
}

} // namespace tavro
