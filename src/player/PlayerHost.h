// The host side of the player: a platform supplies timers, the window and URL fetching by
// overriding these slots (in this order). The headless host, the Qt view and tests derive from it.
#pragma once

#include "player/PlayerCore.h"

namespace tavro::player {

class PlayerHost : public PlayerCore {
public:
    ~PlayerHost() override;

    // Starts the frame timer and the caret timer (periods in ms); non-zero on success.
    int StartTimers(int frameMs, int caretMs) override = 0;
    void StopTimers() override = 0;
    // Ask the window to repaint all of its client area.
    void InvalidateScreen() override = 0;
    // Client area: xmin 0, xmax width, ymin 0, ymax height.
    void GetClientRect(Rect& out) override = 0;
    // Called once with the movie's frame size in pixels.
    void MovieSizeKnown(int width, int height) override;
    void Notify(int a, int b, int c, int d, int e) override;
    // Fetch a URL and feed it through StreamInNew / StreamInWrite / StreamInDestroy.
    void OpenUrlStream(std::string_view url, std::string_view postData,
                       const StreamTarget& target) override;
    void CloseUrlStream(PlayerStream* stream) override;
    void FsCommand(std::string_view command, std::string_view args) override;
    void UpdateControls(const ControlState& state) override;
    void SetCursorKind(int kind) override;
};

} // namespace tavro::player
