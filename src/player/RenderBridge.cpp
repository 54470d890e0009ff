#include "player/RenderBridge.h"

#include "player/PlayerCore.h"

namespace tavro::player {

namespace {
// Clears the dirty marks of a subtree after a screen update.
void ClearDirty(DisplayObject* obj) {
    for (; obj; obj = obj->nextSibling) {
        obj->dirty = false;
        ClearDirty(obj->firstChild);
    }
}
} // namespace

RenderBridge::RenderBridge(PlayerCore& core) : core_(core) {}
RenderBridge::~RenderBridge() = default;

void RenderBridge::UpdateScreen() {
    DisplayList& dl = core_.GetDisplayList();
    if (dl.anyDirty) {
        ClearDirty(dl.root.firstChild);
        dl.anyDirty = false;
    }
    dl.invalid.SetEmpty();
}

void RenderBridge::InvalidateAll() {
    Rect client;
    core_.GetClientRect(client);
    core_.GetDisplayList().Invalidate(client);
    core_.InvalidateScreen();
}

void RenderBridge::Paint(const Rect&) {
    EnsureSurface();
}

void RenderBridge::RebuildView() {}

void RenderBridge::EnsureSurface() {}

void RenderBridge::DropSurface() {}

bool RenderBridge::ReadRgba(std::vector<uint8_t>& out, int& width, int& height) {
    Rect client;
    core_.GetClientRect(client);
    width = int(client.Width());
    height = int(client.Height());
    if (width <= 0 || height <= 0)
        return false;
    const DisplayList& dl = core_.GetDisplayList();
    uint32_t rgb = (core_.Loaded() && dl.hasBackground) ? dl.backgroundColor : 0xFFFFFF;
    out.resize(size_t(width) * size_t(height) * 4);
    for (size_t i = 0; i < out.size(); i += 4) {
        out[i] = uint8_t(rgb >> 16);
        out[i + 1] = uint8_t(rgb >> 8);
        out[i + 2] = uint8_t(rgb);
        out[i + 3] = 255;
    }
    return true;
}

} // namespace tavro::player
