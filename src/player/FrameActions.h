// The built-in action runner: runs the actions that only move timelines (NextFrame,
// PreviousFrame, Play, Stop, GotoFrame, GoToLabel) and skips every other action record.
#pragma once

#include "player/ActionInterpreter.h"

#include <cstdint>
#include <span>

namespace tavro::player {

class FrameActions : public ActionInterpreter {
public:
    // More actions than this in one run stop all actions of the player for good: the guard
    // against movies whose actions jump back and forth without end.
    static constexpr int kMaxActionsPerRun = 200000;

    void RunQueue(PlayerCore& player, ActionQueue& queue) override;
    void MovieReplaced(PlayerCore&) override { abortActions_ = false; }

    // Runs one action list against `target`; false once the action limit has stopped actions.
    bool RunList(std::span<const uint8_t> actions, Timeline& target);

    bool Aborted() const { return abortActions_; }

private:
    int actionCount_ = 0;
    bool abortActions_ = false;
};

} // namespace tavro::player
