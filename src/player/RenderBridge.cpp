#include "player/RenderBridge.h"

#include "player/PlayerCore.h"
#include "player/render/Renderer.h"

namespace tavro::player {

RenderBridge::RenderBridge(PlayerCore& core) : core_(core) {}
RenderBridge::~RenderBridge() = default;

void RenderBridge::UpdateScreen() {
    Renderer::Of(core_).UpdateScreen();
}

void RenderBridge::InvalidateAll() {
    Renderer::Of(core_).InvalidateAll();
}

void RenderBridge::Paint(const Rect& windowRect) {
    Renderer::Of(core_).Paint(windowRect);
}

void RenderBridge::RebuildView() {
    Renderer::Of(core_).RebuildView();
}

void RenderBridge::EnsureSurface() {
    Renderer::Of(core_).EnsureSurface();
}

void RenderBridge::DropSurface() {
    Renderer::Of(core_).DropSurface();
}

bool RenderBridge::ReadRgba(std::vector<uint8_t>& out, int& width, int& height) {
    return Renderer::Of(core_).CopyRgba(out, width, height);
}

} // namespace tavro::player
