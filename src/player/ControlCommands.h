// The commands a host's menu offers over a playing movie, by the command ids that the control
// state's flags enable and check (see ControlState.h and ControlStateOf below):
//
//   id     command        enabled by flag   checked by flag
//   32773  100 %          0                 9   one pixel per 20 twips
//   32774  Show All       1                 10  the whole frame, no zoom
//   32775  Zoom In        2                 -
//   32776  Zoom Out       3                 -
//   32778  High Quality   (always)          11
//   32779  Play           4                 13
//   32780  Rewind         5                 -
//   32781  Step Forward   6                 -
//   32782  Step Back      7                 -
//   32783  Loop           8                 12
//
// Zooming works on the zoom rectangle (in twips of the movie's frame): Zoom In halves the part
// shown around a point, Zoom Out doubles it, and a rectangle that reaches the whole frame is
// cleared. Both switch to Show All, since one pixel per 20 twips shows no zoom. Dragging a zoomed
// view pans it (the player does that with the mouse).
#pragma once

#include "player/ControlState.h"

#include <optional>
#include <utility>

namespace tavro::player {

class PlayerCore;

enum class ControlCommand {
    ActualSize = 32773,
    ShowAll = 32774,
    ZoomIn = 32775,
    ZoomOut = 32776,
    HighQuality = 32778,
    Play = 32779,
    Rewind = 32780,
    StepForward = 32781,
    StepBack = 32782,
    Loop = 32783,
};

// Whether a command is enabled, and whether it shows a check mark (none for plain commands).
struct CommandState {
    bool enabled = false;
    std::optional<bool> checked;
};
CommandState ControlStateOf(const ControlState& state, ControlCommand command);

// Carries the command out on `player` (the zoom commands around the centre of the view, or
// around window pixel `at` when given) and reports the new control state to the host through
// UpdateControls. Does nothing when the control state disables the command.
void RunControlCommand(PlayerCore& player, ControlCommand command,
                       std::optional<std::pair<int, int>> at = std::nullopt);

} // namespace tavro::player
