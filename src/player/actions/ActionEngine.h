// The action interpreter of the player: runs the action records queued by DoAction tags, button
// events and the Call action, drives the buttons and edit-text fields through the mouse, keeps
// the drag, and sends GetURL requests to the host once a run is over.
//
// Every value on the stack is text (numbers are their decimal text, booleans "1" and "0"); see
// NumberText.h. A run stops for good once it executes more than kMaxActionsPerRun actions, or
// once its gotos and placements have executed more than kMaxTagsPerRun tags (a backwards goto
// replays the timeline from its first tag, so a loop of gotos is far dearer than its action
// count): no further action runs in this player until a new movie is loaded. Outside data cannot
// make the engine allocate without bound: strings, the stack and the variables of a timeline are
// capped.
#pragma once

#include "player/ActionInterpreter.h"
#include "player/actions/InputParts.h"
#include "player/actions/RandomSource.h"
#include "player/actions/SpriteProperties.h"
#include "player/actions/UrlRequest.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tavro::player {

class ActionQueue;
class DisplayObject;
class PlayerCore;
class Timeline;

class ActionEngine : public ActionInterpreter {
public:
    static constexpr int kMaxActionsPerRun = 200000;
    static constexpr uint64_t kMaxTagsPerRun = 100000;
    static constexpr int kMaxQueueLevels = 256;
    static constexpr size_t kMaxRequestsPerRun = 32;
    // Longer results are cut to this many bytes.
    static constexpr size_t kMaxStringBytes = 65536;
    // Pushes beyond this many values are dropped.
    static constexpr size_t kMaxStackValues = 65536;
    // A timeline takes no new variables beyond this many.
    static constexpr size_t kMaxVariables = 1024;

    using TextSink = std::function<void(std::string_view)>;
    using RequestObserver = std::function<void(const UrlRequest&)>;

    explicit ActionEngine(PlayerCore& player);
    ~ActionEngine() override;

    void SetButtonInput(std::unique_ptr<ButtonInput> buttons) { buttons_ = std::move(buttons); }
    void SetTextFieldInput(std::unique_ptr<TextFieldInput> fields) { fields_ = std::move(fields); }
    ButtonInput* Buttons() { return buttons_.get(); }
    TextFieldInput* TextFields() { return fields_.get(); }

    // What Trace actions print (nothing by default; the command line shows it with --trace).
    void SetTraceSink(TextSink sink) { trace_ = std::move(sink); }
    // Diagnostic lines of the engine (dropped requests and the like).
    void SetDiagnosticSink(TextSink sink) { diagnostic_ = std::move(sink); }
    // Sees every GetURL request of a run as it is dispatched, "FSCommand:" ones included.
    void SetRequestObserver(RequestObserver observer) { observer_ = std::move(observer); }
    // Makes RandomNumber repeatable (otherwise seeded from the clock on first use).
    void SeedRandom(uint32_t seed) { random_.Seed(seed); }

    bool Aborted() const { return abortActions_; }
    SpriteProperties& Properties() { return properties_; }

    // Sets a variable as SetVariable does ("path:name", ".scroll"), notifying bound fields.
    void SetVariable(Timeline& from, std::string_view name, std::string_view value);
    // Reads a variable as GetVariable does; empty when missing.
    std::string GetVariable(Timeline& from, std::string_view name);

    // ---- ActionInterpreter ----
    void RunQueue(PlayerCore& player, ActionQueue& queue) override;
    void MovieReplaced(PlayerCore& player) override;
    void ObjectPlaced(PlayerCore& player, DisplayObject& obj) override;
    void ObjectRemoved(PlayerCore& player, DisplayObject& obj) override;
    void AfterReplay(PlayerCore& player, Timeline& timeline) override;
    void ReplayButtonUpdate(PlayerCore& player) override;
    void MouseMove(PlayerCore& player, int x, int y, bool down) override;
    void MouseDown(PlayerCore& player, int x, int y) override;
    void MouseUp(PlayerCore& player, int x, int y) override;
    int CursorKind(PlayerCore& player) override;
    void CaretTick(PlayerCore& player) override;
    bool KeyDown(PlayerCore& player, const PlayerKey& key) override;
    bool EditingText(PlayerCore& player) override;
    std::string SelectedText(PlayerCore& player) override;

private:
    // One level of the queue stack: its queue and its SetTarget override.
    struct Level {
        ActionQueue* queue = nullptr;
        bool hasTarget = false;
        Timeline* target = nullptr;
    };

    void RunLevel(ActionQueue& queue);
    // Interprets one action list; false once the action limit stopped everything.
    bool RunList(std::span<const uint8_t> actions, Timeline& own);
    bool InterpretList(std::span<const uint8_t> actions, Timeline& own);
    // Counts one action against the limits of the run; false (and everything stopped) once
    // the run went over one of them.
    bool WithinLimits();

    // Gotos of one list are applied lazily: a goto records its target frame, and the seek runs
    // when the list ends or before any action that could see the timeline, the display list or
    // the sounds. Of several gotos in a row only the last one seeks, so a frame the timeline
    // only passes through within the list queues no actions and starts no sounds.
    void RequestGoto(Timeline& t, int32_t frame);
    void SettleGoto();
    // The frame `t` is at once the pending goto is applied.
    int32_t FrameAfterGoto(const Timeline& t) const;
    // True when the action `code` can run with a goto still pending.
    bool KeepsGotoPending(uint8_t code) const;
    void DispatchRequests();
    void Dispatch(const UrlRequest& request);

    void Push(std::string value);
    void PushNumber(double v);
    void PushBool(bool b) { Push(b ? "1" : "0"); }
    std::string Pop();
    double PopNumber();

    // The target of the running list (the SetTarget override or the list's own timeline);
    // nullptr when it names nothing that is still on stage.
    Timeline* CurrentTarget(Timeline& own) const;
    // Resolves a path from the current target (absolute paths also without one).
    DisplayObject* ResolveObject(Timeline& own, std::string_view path);
    Timeline* ResolveTimeline(Timeline& own, std::string_view path);
    // "path:frame" or a frame number (1-based) or label: the timeline and the frame index.
    bool ResolveFrame(Timeline& own, std::string_view frameText, Timeline** timeline,
                      int32_t* frame);

    void QueueRequest(Timeline& own, std::string url, std::string target, uint8_t flags);
    void CloneSprite(Timeline& own);
    void RemoveSprite(Timeline& own);
    void StartDrag(Timeline& own);
    void EndDrag();
    void CallFrame(Timeline& own);
    void SetTarget(Timeline& own, std::string_view path);

    // Window pixels to stage twips.
    bool MouseToStage(int x, int y, int32_t& sx, int32_t& sy);
    void MoveDraggedObject(int x, int y);
    std::string FindDropTarget(DisplayObject& dragged);
    void Pan(int x, int y);
    void AfterTracking(bool ranActions);
    void Diagnostic(std::string_view text);
    uint32_t Now();

    PlayerCore& player_;
    std::unique_ptr<ButtonInput> buttons_;
    std::unique_ptr<TextFieldInput> fields_;
    SpriteProperties properties_;
    RandomSource random_;
    TextSink trace_;
    TextSink diagnostic_;
    RequestObserver observer_;

    std::deque<std::string> stack_;
    std::vector<Level> levels_;
    std::vector<UrlRequest> requests_;
    int actionCount_ = 0;
    uint64_t runTagBase_ = 0; // tagsExecuted when the run began
    bool abortActions_ = false;
    Timeline* gotoTimeline_ = nullptr; // the pending goto, if any
    int32_t gotoFrame_ = 0;
    bool clockStarted_ = false;
    uint32_t startTime_ = 0;

    int mouseX_ = 0;
    int mouseY_ = 0;
    bool mouseDown_ = false;
    bool fieldPress_ = false; // the press went to an edit-text field
    bool panning_ = false;
    int panX_ = 0;
    int panY_ = 0;
};

} // namespace tavro::player
