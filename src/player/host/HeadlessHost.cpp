#include "player/host/HeadlessHost.h"

#include "player/RenderBridge.h"

#include <algorithm>

namespace tavro::player {

HeadlessHost::HeadlessHost(int width, int height)
    : width_(std::max(width, 0)), height_(std::max(height, 0)) {}

HeadlessHost::~HeadlessHost() = default;

void HeadlessHost::SetClientSize(int width, int height) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    Resize();
}

void HeadlessHost::StepFrame() {
    AdvanceClock(uint32_t(std::max(Level0().frameMs, 1)));
    Tick(true);
}

bool HeadlessHost::Snapshot(std::vector<uint8_t>& rgba, int& width, int& height) {
    Rect client;
    GetClientRect(client);
    Paint(client);
    return Renderer().ReadRgba(rgba, width, height);
}

int HeadlessHost::StartTimers(int frameMs, int caretMs) {
    timersRunning = true;
    framePeriodMs = frameMs;
    caretPeriodMs = caretMs;
    return 1;
}

void HeadlessHost::StopTimers() {
    timersRunning = false;
}

void HeadlessHost::InvalidateScreen() {
    ++invalidateCount;
}

void HeadlessHost::GetClientRect(Rect& out) {
    int w = width_ > 0 ? width_ : movieWidth;
    int h = height_ > 0 ? height_ : movieHeight;
    out = Rect(0, std::max(w, 0), 0, std::max(h, 0));
}

void HeadlessHost::MovieSizeKnown(int width, int height) {
    // Keep the surface within a sane size whatever the header says.
    constexpr int kMaxSide = 8192;
    movieWidth = std::clamp(width, 0, kMaxSide);
    movieHeight = std::clamp(height, 0, kMaxSide);
}

void HeadlessHost::UpdateControls(const ControlState& state) {
    ++updateControlsCount;
    lastControls = state;
}

} // namespace tavro::player
