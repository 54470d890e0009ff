// The SWF player engine: stream intake, levels, display list, frame clock and the control state a
// host shows. A host derives from PlayerHost and supplies timers, the clock and the window side;
// everything runs on the host's thread.
//
// Typical use by a host:
//   Load(bytes, n)        -> the first frame is shown once complete; StartTimers is called
//   Tick(true) per timer  -> frames advance at the movie's rate; UpdateScreen renders changes
//   Paint(rect)           -> the window asks for pixels
//   Close()               -> back to empty
#pragma once

#include "player/ActionInterpreter.h"
#include "player/ControlState.h"
#include "player/DisplayList.h"
#include "player/MovieLevel.h"
#include "player/PlayerStream.h"
#include "player/Rect.h"
#include "player/SoundSink.h"
#include "player/actions/DragState.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tavro::player {

class ActionEngine;
class RenderBridge;

class PlayerCore {
public:
    static constexpr int32_t kDeviceFontLevel = 16000;
    static constexpr int kCaretPeriodMs = 400;

    PlayerCore();
    virtual ~PlayerCore();
    PlayerCore(const PlayerCore&) = delete;
    PlayerCore& operator=(const PlayerCore&) = delete;

    // ---- called by the host ----

    // Plays a movie from memory (the bytes are copied).
    void Load(const uint8_t* data, size_t length);
    void TogglePlay();
    void Close();
    // The frame timer fired (fromTimer) or a frame is wanted now.
    void Tick(bool fromTimer);
    void CaretTick();
    // Repaint a window rectangle (pixels) from the off-screen surface.
    void Paint(const Rect& windowRect);
    // The client area changed size.
    void Resize();
    void MouseMove(int x, int y, bool buttonDown);
    void MouseDown(int x, int y);
    void MouseUp(int x, int y);
    // Asks the action code which cursor fits and tells the host; returns 0 arrow, 1 pan,
    // 2 button, 3 text.
    int UpdateCursor();

    // ---- stream intake ----

    // Opens a stream into level 0 (when replaceLevel0 is set) or the level / sprite the target
    // names.
    void StreamInNew(PlayerStream* stream, std::string_view url, const StreamTarget* target);
    // Appends data; returns `length`, or -1 when the stream has no level.
    int64_t StreamInWrite(PlayerStream* stream, const uint8_t* data, size_t length);
    // The data is complete.
    void StreamInDestroy(PlayerStream* stream);

    // ---- host slots (a host overrides these; see PlayerHost) ----

    virtual int StartTimers(int frameMs, int caretMs);
    virtual void StopTimers();
    virtual void InvalidateScreen();
    virtual void GetClientRect(Rect& out);
    virtual void MovieSizeKnown(int width, int height);
    virtual void Notify(int a, int b, int c, int d, int e);
    virtual void OpenUrlStream(std::string_view url, std::string_view postData,
                               const StreamTarget& target);
    virtual void CloseUrlStream(PlayerStream* stream);
    virtual void FsCommand(std::string_view command, std::string_view args);
    virtual void UpdateControls(const ControlState& state);
    virtual void SetCursorKind(int kind);
    // The millisecond clock (a host with an explicit clock overrides it).
    virtual uint32_t CurrentTimeMs();

    // ---- state used by the action, sound and rendering code ----

    ControlState GetControlState() const;
    bool Loaded() const; // level 0 has a parsed header and no error

    MovieLevel& Level0() { return level0_; }
    const MovieLevel& Level0() const { return level0_; }
    MovieLevel& DeviceFontLevel() { return deviceFonts_; }
    // Level `n`, or nullptr.
    MovieLevel* FindLevel(int32_t n);
    // Level `n`, created when missing. Asking for level 0 while a movie is loaded clears every
    // level first unless `keep` is set.
    MovieLevel* GetLevel(int32_t n, bool keep);
    // Resets level `n` (level 0) or frees it (levels 1 and up).
    void UnloadLevel(int32_t n);
    void ClearAllLevels();

    DisplayList& GetDisplayList() { return displayList_; }
    const DisplayList& GetDisplayList() const { return displayList_; }
    RenderBridge& Renderer() { return *render_; }

    void RunActions();
    // Receives the diagnostic trace lines of the core ("StreamInNew ...", "fps = ...").
    // Without a sink they are discarded.
    void SetDiagnosticSink(std::function<void(std::string_view)> sink) {
        diagnostic_ = std::move(sink);
    }
    // Replaces the interpreter; nullptr installs the default action engine with buttons and
    // edit-text fields.
    void SetActionInterpreter(std::unique_ptr<ActionInterpreter> interpreter);
    ActionInterpreter& Actions() { return *interpreter_; }
    // The interpreter when it is the action engine (the default), else nullptr.
    ActionEngine* Engine();
    // The sink is not owned; nullptr for silence.
    void SetSoundSink(SoundSink* sink) { sound_ = sink; }
    SoundSink* Sound() { return sound_; }

    // Called by timelines.
    void OnLevelAppended(MovieLevel& level);

    bool running = false;
    bool busy = false;
    uint32_t nextFrameTime = 0;
    bool timersOn = false;
    uint32_t timerStartTime = 0;

    bool highQuality = true;
    bool autoQuality = false;
    bool bestQuality = false;
    int slowTicks = 0;
    int fastTicks = 0;
    int tickCount = 0;
    int qualityAge = 1000;
    int soundBufferSeconds = 5;
    int scaleMode = 0;
    Rect zoomRect;
    bool replaceLevel0 = false;
    std::string movieUrl;
    // The object a StartDrag action attached to the mouse.
    DragState drag;

private:
    // A load that does not stream into a level: variables, or a movie headed for a sprite.
    struct SideLoad {
        PlayerStream* stream = nullptr;
        StreamTarget target;
        std::string text;                  // variables: the raw data
        std::unique_ptr<MovieLevel> movie; // sprite loads: the movie being received
    };
    static constexpr size_t kMaxVariableData = size_t(1) << 20;

    void Trace(const char* format, ...) __attribute__((format(printf, 2, 3)));
    SideLoad* FindSideLoad(const PlayerStream* stream);
    void FinishVariableLoad(SideLoad& load);
    void FinishSpriteLoad(SideLoad& load);
    void PruneLoadedMovies();
    void TryStart(MovieLevel& level);
    void AutoQuality(uint32_t start, int framesDue);
    void StopTimelineSounds();
    void ResetLevel(MovieLevel& level);
    void FrameRateTrace();

    DisplayList displayList_;
    MovieLevel level0_;
    MovieLevel deviceFonts_;
    std::unique_ptr<MovieLevel> levels_; // levels 1 and up
    std::unique_ptr<RenderBridge> render_;
    std::unique_ptr<ActionInterpreter> interpreter_;
    SoundSink* sound_ = nullptr;
    int actionNesting_ = 0;
    PlayerStream loadStream_;
    int traceFrames_ = 0;
    uint32_t traceStart_ = 0;
    std::vector<Timeline*> tickScratch_;
    std::function<void(std::string_view)> diagnostic_;
    std::vector<SideLoad> sideLoads_;
    // Movies loaded into sprites; their characters stay in use while the sprites are on stage.
    std::vector<std::unique_ptr<MovieLevel>> loadedMovies_;
};

} // namespace tavro::player
