// Button tracking: which button the mouse is over or pressed on (the display list's
// trackedButton and trackState), the state each button shows, and the events of every
// transition.
//
//   state 1 idle       --mouse over a button-------------------> 2 over-up    (event 0)
//   state 1 idle       --pressed over a track-as-menu button---> 3 over-down  (event 7)
//   state 2 over-up    --pressed on it-------------------------> 3 over-down  (event 2)
//   state 2 over-up    --moved off-----------------------------> 1 idle       (event 1)
//   state 3 over-down  --released on it------------------------> 2 over-up    (event 3)
//   state 3 over-down  --moved off (normal button)-------------> 4 out-down   (event 4)
//   state 3 over-down  --moved off (track-as-menu button)------> 1 idle       (event 8)
//   state 4 out-down   --moved back on-------------------------> 3 over-down  (event 5)
//   state 4 out-down   --released off--------------------------> 1 idle       (event 6)
//
// A transition that ends idle with another button under the mouse starts tracking that button
// at once. Each event shows the new state (children of the button whose records are visible in
// the old state but not the new are removed, the others placed), queues the button's action
// lists for the event with the button's timeline, and starts the sound of the event's slot.
//
// When the tracked button is removed while its parent stays on stage, the tracking is kept for a
// button of the same character placed again at the same depth and ratio under the same parent
// (a frame that replaces the button, a backwards goto); at the next mouse update without such a
// button the tracking is cleared, without events.
#pragma once

#include "player/actions/InputParts.h"
#include "player/buttons/ButtonHitTest.h"

#include <cstdint>
#include <memory>

namespace tavro::player {

class Character;
class DisplayList;

class ButtonTracker final : public ButtonInput {
public:
    // Transition events; an action list runs for event e when its condition word has bit 1 << e.
    enum Event : int {
        kIdleToOverUp = 0,
        kOverUpToIdle = 1,
        kOverUpToOverDown = 2,
        kOverDownToOverUp = 3,
        kOverDownToOutDown = 4,
        kOutDownToOverDown = 5,
        kOutDownToIdle = 6,
        kIdleToOverDown = 7,
        kOverDownToIdle = 8,
    };
    enum State : int { kIdle = 1, kOverUp = 2, kOverDown = 3, kOutDown = 4 };

    explicit ButtonTracker(PlayerCore& core);

    void ObjectPlaced(DisplayObject& button) override;
    void ObjectRemoved(DisplayObject& obj) override;
    bool Track(int x, int y, bool down) override;
    bool ButtonAt(int x, int y) override;
    bool IsTracking() const override;
    bool ReplayUpdate() override;

    // Makes `button` show the records of `state` (1..4) as its children; nothing when it shows
    // that state already.
    void ShowState(DisplayObject& button, int state);

    // The record states (up, over, down bits) visible in a tracking state.
    static uint8_t VisibleMask(int state);

private:
    // What identifies the tracked button when the display list replaces it.
    struct TrackedCopy {
        bool valid = false;
        const DisplayObject* parent = nullptr;
        const Character* character = nullptr;
        uint16_t depth = 0;
        uint16_t ratio = 0;
    };

    bool Update(int x, int y, bool down);
    bool Transition(DisplayObject& button, int event, int newState);
    bool QueueActions(DisplayObject& button, int event);
    void PlaySound(DisplayObject& button, int event);
    // Re-finds a tracked button that was replaced, or clears the tracking.
    void Resolve();
    bool Matches(const DisplayObject& obj) const;
    DisplayObject* FindCopy(DisplayObject& from, int nesting) const;
    bool Reachable(const DisplayObject& from, const DisplayObject* target, int nesting) const;

    PlayerCore& core_;
    DisplayList& dl_;
    ButtonHitTest hits_;
    TrackedCopy copy_;
    bool hasMouse_ = false;
    int lastX_ = 0;
    int lastY_ = 0;
    bool lastDown_ = false;
};

// The button tracking the action engine drives.
std::unique_ptr<ButtonInput> MakeButtonInput(PlayerCore& core);

} // namespace tavro::player
