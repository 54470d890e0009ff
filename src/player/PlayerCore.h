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
#include "player/PlayerKey.h"
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
    // A key typed into the player: the focused edit-text field takes it and the change shows
    // at once. True when it was used (a host keeps unused keys for itself).
    bool KeyDown(const PlayerKey& key);
    // An edit-text field has the keyboard focus: a host gives it the editing keys first.
    bool EditingText();
    // The selected text of the focused field as UTF-8 (for a host's clipboard).
    std::string SelectedText();

    // ---- stream intake ----

    // Opens a stream into the level or sprite the target names (a URL load).
    void StreamInNew(PlayerStream* stream, std::string_view url, const StreamTarget* target);
    // Appends data; returns `length`, or -1 when the stream has no level.
    int64_t StreamInWrite(PlayerStream* stream, const uint8_t* data, size_t length);
    // The data is complete.
    void StreamInDestroy(PlayerStream* stream);

    // Opens a stream that replaces the level-0 movie: every level and the display list are
    // cleared first (Load streams its bytes through one of these).
    void StreamInReplacingLevel0(PlayerStream* stream, std::string_view url);

    // ---- host slots (a host overrides these; see PlayerHost) ----

    virtual int StartTimers(int frameMs, int caretMs);
    virtual void StopTimers();
    virtual void InvalidateScreen();
    virtual void GetClientRect(Rect& out);
    virtual void MovieSizeKnown(int width, int height);
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

    // ---- playback state ----

    // A movie is loaded and its first frame shown.
    bool Running() const { return running_; }
    // The host's frame and caret timers are running.
    bool TimersOn() const { return timersOn_; }
    // When the next round of frames is due (the clock's milliseconds); a round of frames moves it.
    uint32_t NextFrameTime() const { return nextFrameTime_; }
    // The URL level 0 was loaded from.
    const std::string& MovieUrl() const { return movieUrl_; }

    // ---- rendering quality and view ----

    // Anti-aliasing is on.
    bool HighQuality() const { return highQuality_; }
    // Bitmaps are smoothed even in movies of several frames.
    bool BestQuality() const { return bestQuality_; }
    // The frame clock switches anti-aliasing by how long frames take.
    bool AutoQuality() const { return autoQuality_; }
    // A script or a menu chose the quality: auto quality ends and the view is rebuilt.
    void SetQuality(bool high, bool best);
    void SetAutoQuality(bool on) { autoQuality_ = on; }
    // What auto quality has counted since it was turned on. A switch of quality restarts
    // only `qualityAge`, so that the next switch waits at least ten ticks.
    struct QualityCounters {
        int slowTicks = 0;
        int fastTicks = 0;
        int tickCount = 0;
        int qualityAge = 1000;
    };
    const QualityCounters& AutoQualityCounters() const { return quality_; }

    // The scale mode word of the view (mode in the low 4 bits, alignment above).
    int ScaleMode() const { return scaleMode_; }
    void SetScaleMode(int mode);
    // The part of the movie the view shows (twips); empty for the whole frame.
    const Rect& ZoomRect() const { return zoomRect_; }
    void SetZoomRect(const Rect& zoom);

    // Seconds of stream sound gathered before a stream (re)starts.
    int SoundBufferSeconds() const { return soundBufferSeconds_; }
    void SetSoundBufferSeconds(int seconds) { soundBufferSeconds_ = seconds; }

    // The object a StartDrag action attached to the mouse (kept by the action code).
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
    void OnLevelAppended(MovieLevel& level);
    void UpdateAutoQuality(uint32_t start, int framesDue);
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

    bool running_ = false;
    bool busy_ = false; // actions are running; the frame clock waits
    uint32_t nextFrameTime_ = 0;
    bool timersOn_ = false;
    uint32_t timerStartTime_ = 0;
    bool highQuality_ = true;
    bool autoQuality_ = false;
    bool bestQuality_ = false;
    QualityCounters quality_;
    int soundBufferSeconds_ = 5;
    int scaleMode_ = 0;
    Rect zoomRect_;
    bool replaceLevel0_ = false; // StreamInNew targets level 0
    std::string movieUrl_;
};

} // namespace tavro::player
