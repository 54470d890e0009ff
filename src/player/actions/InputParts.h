// The interactive parts that the action engine drives besides the action records themselves:
// button tracking and edit-text fields. The engine owns one of each (either may be absent, which
// leaves buttons inert or fields undrawn) and forwards display-list and mouse events to them.
// Mouse positions are window pixels, as the host reports them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavro::player {

class DisplayObject;
class PlayerCore;
struct PlayerKey;
class Timeline;

class ButtonInput {
public:
    virtual ~ButtonInput() = default;

    // A button object was placed: it shows its idle (up) state.
    virtual void ObjectPlaced(DisplayObject& button) = 0;
    // An object is about to be removed: tracking of it (or of a button inside it) ends.
    virtual void ObjectRemoved(DisplayObject& obj) = 0;
    // Updates the tracking table for the mouse at (x, y) with the button `down`, showing state
    // changes and queuing the actions and sounds of each event. True when actions were queued.
    virtual bool Track(int x, int y, bool down) = 0;
    // True when a button's hit area lies under (x, y).
    virtual bool ButtonAt(int x, int y) = 0;
    // True while a button is tracked (not idle): the cursor shows a pointing hand.
    virtual bool IsTracking() const = 0;
    // After a frame round: objects may have moved under a still mouse; re-tracks at the last
    // known mouse position. True when actions were queued.
    virtual bool ReplayUpdate() = 0;
};

class TextFieldInput {
public:
    virtual ~TextFieldInput() = default;

    // An edit-text object was placed: it binds to its variable (see the binding rules).
    virtual void ObjectPlaced(DisplayObject& field) = 0;
    virtual void ObjectRemoved(DisplayObject& obj) = 0;
    // A backwards goto of `timeline` merged its objects: its fields show their variables again.
    virtual void AfterReplay(Timeline& timeline) = 0;
    // The variable `name` of `timeline` was set to `value`: every field bound to it shows it.
    virtual void VariableChanged(Timeline& timeline, std::string_view name,
                                 std::string_view value) = 0;
    // ".scroll" / ".maxscroll" of the field bound to `name` of `timeline`; nullopt when there
    // is no such field.
    virtual std::optional<int> Scroll(Timeline& timeline, std::string_view name) = 0;
    virtual std::optional<int> MaxScroll(Timeline& timeline, std::string_view name) = 0;
    virtual void SetScroll(Timeline& timeline, std::string_view name, int firstLine) = 0;

    // Mouse: a press on a selectable field gives it the focus and starts a selection (true);
    // a press elsewhere takes the focus away (false).
    virtual bool MouseDown(int x, int y) = 0;
    virtual bool HasFocus() const = 0;
    // The button is held down with the focus on a field: the selection follows the mouse.
    virtual void MouseDrag(int x, int y) = 0;
    virtual void MouseUp(int x, int y) = 0;
    // True when a selectable field lies under (x, y): the cursor shows an I-beam.
    virtual bool SelectableAt(int x, int y) = 0;
    // The caret timer fired (every PlayerCore::kCaretPeriodMs).
    virtual void CaretTick() = 0;
    // A key for the focused field. False when no field has the focus or the field has no use
    // for the key (Enter in a single-line field), so that the host may use it.
    virtual bool KeyDown(const PlayerKey&) { return false; }
    // The selection of the focused field as UTF-8 (empty for a password field).
    virtual std::string SelectedText() const { return {}; }
};

} // namespace tavro::player
