// The host side of the player: the window (or memory surface) that shows a movie. The headless
// host, the Qt view and tests derive from it. Everything runs on the host's thread; the player
// never calls back into the host from another thread.
//
// A host MUST implement:
//   StartTimers(frameMs, caretMs)  start two periodic timers (non-zero on success); on the
//                                  first call Tick(true), on the second CaretTick()
//   StopTimers()
//   InvalidateScreen()             ask the window to repaint all of its client area (it will
//                                  call Paint)
//   GetClientRect(out)             the client area: xmin 0, xmax width, ymin 0, ymax height
// and MAY override MovieSizeKnown, OpenUrlStream / CloseUrlStream (URL loads), FsCommand,
// UpdateControls (menu state), SetCursorKind and CurrentTimeMs (an explicit clock). These are
// called by the player only: they are protected here.
//
// A host (or whoever owns it) calls:
//   Load(bytes, n) / Close() / TogglePlay()   the movie
//   Tick(true) per frame timer, CaretTick() per caret timer
//   Paint(rect)            the window wants pixels; the picture goes through the blit that
//                          Renderer().SetBlit() installs, or is read with Renderer().ReadRgba()
//   Resize()               after the client area changed size: the surface and the view are
//                          rebuilt at the next paint
//   MouseMove / MouseDown / MouseUp (window pixels), UpdateCursor()
//   KeyDown(key)           typed text and editing keys for the focused edit-text field;
//                          EditingText() / SelectedText() for shortcuts and the clipboard
//   StreamInNew / StreamInWrite / StreamInDestroy  to feed the data of an OpenUrlStream
//   SetQuality / SetScaleMode / SetZoomRect        menu commands (RunControlCommand in
//                                                  ControlCommands.h runs the whole set);
//                                                  GetControlState() for menus
// The rest of PlayerCore's public interface (levels, display list, actions, sound) serves the
// engine's own parts and tests.
#pragma once

#include "player/PlayerCore.h"

namespace tavro::player {

class PlayerHost : public PlayerCore {
public:
    ~PlayerHost() override;

protected:
    PlayerHost() = default;

    // Starts the frame timer and the caret timer (periods in ms); non-zero on success.
    int StartTimers(int frameMs, int caretMs) override = 0;
    void StopTimers() override = 0;
    // Ask the window to repaint all of its client area.
    void InvalidateScreen() override = 0;
    // Client area: xmin 0, xmax width, ymin 0, ymax height.
    void GetClientRect(Rect& out) override = 0;
    // Called once with the movie's frame size in pixels; ignored by default.
    void MovieSizeKnown(int width, int height) override;
    // Fetch a URL and feed it through StreamInNew / StreamInWrite / StreamInDestroy; by default
    // nothing is fetched.
    void OpenUrlStream(std::string_view url, std::string_view postData,
                       const StreamTarget& target) override;
    // The player is done with a stream; by default only its handle is cleared.
    void CloseUrlStream(PlayerStream* stream) override;
    void FsCommand(std::string_view command, std::string_view args) override;
    // The control state after Load, TogglePlay and Close (for a menu).
    void UpdateControls(const ControlState& state) override;
    // 0 arrow, 1 pan, 2 button, 3 text.
    void SetCursorKind(int kind) override;
};

} // namespace tavro::player
