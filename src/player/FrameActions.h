// The built-in action runner: runs the actions that only move timelines (NextFrame,
// PreviousFrame, Play, Stop, GotoFrame, GoToLabel) and skips every other action record.
#pragma once

#include "player/ActionInterpreter.h"

#include <cstdint>
#include <span>

namespace tavro::player {

class FrameActions : public ActionInterpreter {
public:
    void RunQueue(PlayerCore& player, ActionQueue& queue) override;

    // Runs one action list against `target`.
    static void RunList(std::span<const uint8_t> actions, Timeline& target);
};

} // namespace tavro::player
