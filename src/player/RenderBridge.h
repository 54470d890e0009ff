// The one place where the player core reaches the renderer: screen updates, invalidation,
// painting, the view transform and the off-screen surface. Hosts read the finished picture
// through ReadRgba().
#pragma once

#include "player/Rect.h"

#include <cstdint>
#include <vector>

namespace tavro::player {

class PlayerCore;

class RenderBridge {
public:
    explicit RenderBridge(PlayerCore& core);
    ~RenderBridge();
    RenderBridge(const RenderBridge&) = delete;
    RenderBridge& operator=(const RenderBridge&) = delete;

    // Renders whatever changed since the last update and shows it.
    void UpdateScreen();
    // Marks the whole client area invalid and asks the host to repaint.
    void InvalidateAll();
    // Repaints a window rectangle (pixels).
    void Paint(const Rect& windowRect);
    // Recomputes the view transform from the scale mode, zoom rectangle and quality.
    void RebuildView();
    // Creates the off-screen surface if there is none.
    void EnsureSurface();
    // Drops the surface (the client area changed); it is rebuilt, together with the view
    // transform, at the next paint.
    void DropSurface();

    // A copy of the client area as 32-bit RGBA rows (top-down, 4 bytes per pixel).
    bool ReadRgba(std::vector<uint8_t>& out, int& width, int& height);

private:
    PlayerCore& core_;
};

} // namespace tavro::player
