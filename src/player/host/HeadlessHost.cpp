#include "player/host/HeadlessHost.h"

#include "base/AsciiCase.h"
#include "player/RenderBridge.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>

#include <sys/stat.h>

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
    constexpr std::string_view kFile = "file://";
    const bool file = StartsWithNoCase(url, kFile);
    std::filesystem::path path(std::string(file ? url.substr(kFile.size()) : url));
    if (path.is_relative() && !baseFolder_.empty())
        path = baseFolder_ / path;
    return path;
}

void HeadlessHost::OpenUrlStream(std::string_view url, std::string_view,
                                 const StreamTarget& target) {
    openedUrls.emplace_back(url);
    std::filesystem::path path = LocalPath(url);
    // Only regular files: a device or a pipe could feed data for ever.
    struct stat st;
    std::string name = path.string();
    if (::stat(name.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        // A GET request appends a query that no local file name carries.
        size_t query = name.find('?');
        if (query == std::string::npos)
            return;
        name.resize(query);
        if (::stat(name.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            return;
    }
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(name.c_str(), "rb"), &std::fclose);
    if (!f)
        return;
    PlayerStream stream;
    StreamInNew(&stream, url, &target);
    std::vector<uint8_t> buffer(64 * 1024);
    uint64_t left = uint64_t(st.st_size);
    while (left > 0) {
        size_t n =
            std::fread(buffer.data(), 1, size_t(std::min<uint64_t>(left, buffer.size())), f.get());
        if (n == 0)
            break;
        left -= n;
        StreamInWrite(&stream, buffer.data(), n);
    }
    StreamInDestroy(&stream);
}

void HeadlessHost::FsCommand(std::string_view command, std::string_view args) {
    fsCommands.emplace_back(std::string(command), std::string(args));
}

void HeadlessHost::UpdateControls(const ControlState& state) {
    ++updateControlsCount;
    lastControls = state;
}

} // namespace tavro::player
