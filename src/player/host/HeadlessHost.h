// A player host without a window: the client area is a memory surface of a chosen size and time
// is an explicit clock that the caller advances. Nothing runs by itself: StepFrame() moves the
// clock by one frame period and delivers the frame timer, as a window's timer would.
//
// URL loads read local files only: a "file://" URL names the path after the prefix, any other
// URL is tried as a path as it stands (relative paths from the base folder). Nothing is ever
// fetched from a network, and POST data is ignored. FSCommand calls are recorded.
#pragma once

#include "player/PlayerHost.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace tavro::player {

class HeadlessHost : public PlayerHost {
public:
    // A size of 0 follows the movie's own frame size (in pixels).
    explicit HeadlessHost(int width = 0, int height = 0);
    ~HeadlessHost() override;

    void SetClientSize(int width, int height);
    // Folder that relative URLs are read from (the current folder when empty).
    void SetBaseFolder(std::filesystem::path folder) { baseFolder_ = std::move(folder); }

    uint32_t Clock() const { return clock_; }
    void SetClock(uint32_t ms) { clock_ = ms & 0x7FFFFFFF; }
    void AdvanceClock(uint32_t ms) { clock_ = (clock_ + ms) & 0x7FFFFFFF; }

    // Advances the clock by one frame period (of level 0) and fires the frame timer.
    void StepFrame();

    // The picture of the client area as RGBA rows (top-down).
    bool Snapshot(std::vector<uint8_t>& rgba, int& width, int& height);

    // What the player asked of the host.
    bool timersRunning = false;
    int framePeriodMs = 0;
    int caretPeriodMs = 0;
    int invalidateCount = 0;
    int movieWidth = 0;
    int movieHeight = 0;
    int updateControlsCount = 0;
    ControlState lastControls;
    // Every FsCommand call as (command, arguments).
    std::vector<std::pair<std::string, std::string>> fsCommands;
    // Every URL the player asked to open, as given.
    std::vector<std::string> openedUrls;

    int StartTimers(int frameMs, int caretMs) override;
    void StopTimers() override;
    void InvalidateScreen() override;
    void GetClientRect(Rect& out) override;
    void MovieSizeKnown(int width, int height) override;
    void UpdateControls(const ControlState& state) override;
    uint32_t CurrentTimeMs() override { return clock_; }
    void OpenUrlStream(std::string_view url, std::string_view postData,
                       const StreamTarget& target) override;
    void FsCommand(std::string_view command, std::string_view args) override;

    // The local file a URL names for this host.
    std::filesystem::path LocalPath(std::string_view url) const;

private:
    int width_;
    int height_;
    uint32_t clock_ = 0;
    std::filesystem::path baseFolder_;
};

} // namespace tavro::player
