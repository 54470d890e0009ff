// The seam between the player core and the code that runs actions and drives buttons. The core
// queues action lists and calls RunQueue(); placement and removal of objects are reported so
// that buttons and edit-text fields can set themselves up. FrameActions is the built-in
// implementation that runs only the actions that move timelines.
#pragma once

#include <string>

namespace tavro::player {

class ActionQueue;
class DisplayObject;
class PlayerCore;
struct PlayerKey;
class Timeline;

class ActionInterpreter {
public:
    virtual ~ActionInterpreter() = default;

    // Drains `queue`, running each action list against its timeline.
    virtual void RunQueue(PlayerCore& player, ActionQueue& queue) = 0;

    // A new movie replaces level 0: forget per-movie state (a stop after endless actions).
    virtual void MovieReplaced(PlayerCore&) {}

    // A button, sprite or edit-text object was placed / is about to be removed.
    virtual void ObjectPlaced(PlayerCore&, DisplayObject&) {}
    virtual void ObjectRemoved(PlayerCore&, DisplayObject&) {}

    // A backwards goto of `timeline` finished merging its objects (edit-text fields rebind).
    virtual void AfterReplay(PlayerCore&, Timeline&) {}

    // After each tick: let buttons react to objects moving under a still mouse.
    virtual void ReplayButtonUpdate(PlayerCore&) {}

    // Mouse input in window pixels.
    virtual void MouseMove(PlayerCore&, int, int, bool) {}
    virtual void MouseDown(PlayerCore&, int, int) {}
    virtual void MouseUp(PlayerCore&, int, int) {}
    // 0 arrow, 1 pan, 2 button, 3 text.
    virtual int CursorKind(PlayerCore&) { return 0; }
    virtual void CaretTick(PlayerCore&) {}

    // Keyboard input for the focused edit-text field; true when it was used.
    virtual bool KeyDown(PlayerCore&, const PlayerKey&) { return false; }
    // An edit-text field has the keyboard focus.
    virtual bool EditingText(PlayerCore&) { return false; }
    // The focused field's selection as UTF-8.
    virtual std::string SelectedText(PlayerCore&) { return {}; }
};

} // namespace tavro::player
