#include "player/ControlCommands.h"

#include "player/DisplayList.h"
#include "player/Matrix16.h"
#include "player/PlayerCore.h"
#include "player/RenderBridge.h"

#include <algorithm>
#include <cstdint>

namespace tavro::player {

namespace {

// The smallest zoom rectangle side: 20 pixels of the movie.
constexpr int64_t kMinZoomSide = 20 * 20;

// Window pixel to movie twips through the current view.
std::optional<Point16> ToMovie(PlayerCore& player, int x, int y) {
    const DisplayList& dl = player.GetDisplayList();
    const int64_t k = dl.antiAlias ? 4 : 1;
    Matrix16 inverse;
    if (!dl.viewMatrix.Invert(inverse))
        return std::nullopt;
    return inverse.Map(int32_t(std::clamp<int64_t>(x * k, INT32_MIN / 2, INT32_MAX / 2)),
                       int32_t(std::clamp<int64_t>(y * k, INT32_MIN / 2, INT32_MAX / 2)));
}

// A rectangle of the given size centred on (cx, cy), moved to lie inside `frame`.
Rect CentredInside(const Rect& frame, int64_t w, int64_t h, int64_t cx, int64_t cy) {
    int64_t x0 = std::clamp<int64_t>(cx - w / 2, frame.xmin, int64_t(frame.xmax) - w);
    int64_t y0 = std::clamp<int64_t>(cy - h / 2, frame.ymin, int64_t(frame.ymax) - h);
    return Rect(int32_t(x0), int32_t(x0 + w), int32_t(y0), int32_t(y0 + h));
}

void Zoom(PlayerCore& player, bool in, std::optional<std::pair<int, int>> at) {
    const Rect& frame = player.Level0().frameRect;
    if (frame.IsEmpty() || frame.Width() <= 0 || frame.Height() <= 0)
        return;
    const Rect current = player.ZoomRect().IsEmpty() ? frame : player.ZoomRect();
    int64_t cx = (int64_t(current.xmin) + current.xmax) / 2;
    int64_t cy = (int64_t(current.ymin) + current.ymax) / 2;
    // Show All first: its view is the one the point is read through.
    if ((player.ScaleMode() & 0x0F) != 0)
        player.SetScaleMode(0);
    if (at) {
        if (std::optional<Point16> p = ToMovie(player, at->first, at->second)) {
            cx = p->x;
            cy = p->y;
        }
    }
    int64_t w = current.Width(), h = current.Height();
    if (in) {
        if (w / 2 < kMinZoomSide || h / 2 < kMinZoomSide)
            return;
        player.SetZoomRect(CentredInside(frame, w / 2, h / 2, cx, cy));
        return;
    }
    if (player.ZoomRect().IsEmpty())
        return;
    if (w * 2 >= frame.Width() || h * 2 >= frame.Height())
        player.SetZoomRect(Rect());
    else
        player.SetZoomRect(CentredInside(frame, w * 2, h * 2, cx, cy));
}

// After a command moved the movie to another frame: its actions run and it shows.
void Settle(PlayerCore& player) {
    player.RunActions();
    player.Renderer().UpdateScreen();
}

} // namespace

CommandState ControlStateOf(const ControlState& s, ControlCommand command) {
    switch (command) {
    case ControlCommand::ActualSize:
        return {s[0], s[9]};
    case ControlCommand::ShowAll:
        return {s[1], s[10]};
    case ControlCommand::ZoomIn:
        return {s[2], std::nullopt};
    case ControlCommand::ZoomOut:
        return {s[3], std::nullopt};
    case ControlCommand::HighQuality:
        return {true, s[11]};
    case ControlCommand::Play:
        return {s[4], s[13]};
    case ControlCommand::Rewind:
        return {s[5], std::nullopt};
    case ControlCommand::StepForward:
        return {s[6], std::nullopt};
    case ControlCommand::StepBack:
        return {s[7], std::nullopt};
    case ControlCommand::Loop:
        return {s[8], s[12]};
    }
    return {};
}

void RunControlCommand(PlayerCore& player, ControlCommand command,
                       std::optional<std::pair<int, int>> at) {
    if (!ControlStateOf(player.GetControlState(), command).enabled)
        return;
    MovieLevel& level = player.Level0();
    switch (command) {
    case ControlCommand::ActualSize:
        player.SetZoomRect(Rect());
        player.SetScaleMode(3);
        break;
    case ControlCommand::ShowAll:
        player.SetZoomRect(Rect());
        player.SetScaleMode(0);
        break;
    case ControlCommand::ZoomIn:
    case ControlCommand::ZoomOut:
        Zoom(player, command == ControlCommand::ZoomIn, at);
        break;
    case ControlCommand::HighQuality:
        player.SetQuality(!player.HighQuality(), player.BestQuality());
        break;
    case ControlCommand::Play:
        player.TogglePlay(); // reports the control state itself
        return;
    case ControlCommand::Rewind:
        level.Goto(0);
        Settle(player);
        break;
    case ControlCommand::StepForward:
        // Stepping pauses the movie on the frame it steps to.
        level.Stop();
        level.AdvanceFrame(1, true);
        Settle(player);
        break;
    case ControlCommand::StepBack:
        level.Goto(level.currentFrame - 1);
        Settle(player);
        break;
    case ControlCommand::Loop:
        level.SetLooping(!level.Looping());
        break;
    }
    player.UpdateControls(player.GetControlState());
}

} // namespace tavro::player
