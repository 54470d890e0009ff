#include "player/host/HeadlessHost.h"

#include "player/RenderBridge.h"
#include "player/host/LocalUrlLoader.h"

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

std::filesystem::path HeadlessHost::LocalPath(std::string_view url) const {
    return LocalUrlPath(url, baseFolder_);
}

void HeadlessHost::OpenUrlStream(std::string_view url, std::string_view,
                                 const StreamTarget& target) {
    openedUrls.emplace_back(url);
    LoadLocalUrl(*this, url, baseFolder_, target);
}

void HeadlessHost::FsCommand(std::string_view command, std::string_view args) {
    fsCommands.emplace_back(std::string(command), std::string(args));
}

void HeadlessHost::UpdateControls(const ControlState& state) {
    ++updateControlsCount;
    lastControls = state;
}

} // namespace tavro::player
