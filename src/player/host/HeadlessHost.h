// A player host without a window: the client area is a memory surface of a chosen size and time
// is an explicit clock that the caller advances. Nothing runs by itself: StepFrame() moves the
// clock by one frame period and delivers the frame timer, as a window's timer would.
#pragma once

#include "player/PlayerHost.h"

#include <cstdint>
#include <vector>

namespace tavro::player {

class HeadlessHost : public PlayerHost {
public:
    // A size of 0 follows the movie's own frame size (in pixels).
    explicit HeadlessHost(int width = 0, int height = 0);
    ~HeadlessHost() override;

    void SetClientSize(int width, int height);

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

    int StartTimers(int frameMs, int caretMs) override;
    void StopTimers() override;
    void InvalidateScreen() override;
    void GetClientRect(Rect& out) override;
    void MovieSizeKnown(int width, int height) override;
    void UpdateControls(const ControlState& state) override;
    uint32_t CurrentTimeMs() override { return clock_; }

private:
    int width_;
    int height_;
    uint32_t clock_ = 0;
};

} // namespace tavro::player
