#include "player/buttons/ButtonTracker.h"

#include "player/Character.h"
#include "player/DisplayList.h"
#include "player/MovieLevel.h"
#include "player/PlaceInfo.h"
#include "player/PlayerCore.h"
#include "player/SoundSink.h"
#include "player/Timeline.h"
#include "player/buttons/ButtonRecords.h"
#include "player/sound/SoundInfo.h"

namespace tavro::player {

namespace {

// Enough for the longest chain of one update (out-down -> over-down -> over-up, or out-down ->
// idle -> restart) with room to spare; each step is a transition or ends the update.
constexpr int kMaxStepsPerUpdate = 8;

bool IsMenu(const DisplayObject& button) {
    return button.character && (button.character->trackAsMenu & 0x01);
}

} // namespace

std::unique_ptr<ButtonInput> MakeButtonInput(PlayerCore& core) {
    return std::make_unique<ButtonTracker>(core);
}

ButtonTracker::ButtonTracker(PlayerCore& core)
    : core_(core), dl_(core.GetDisplayList()), hits_(core) {}

uint8_t ButtonTracker::VisibleMask(int state) {
    switch (state) {
    case kIdle:
        return ButtonRecords::kUp;
    case kOverUp:
    case kOutDown:
        return ButtonRecords::kOver;
    case kOverDown:
        return ButtonRecords::kDown;
    default:
        return 0;
    }
}

void ButtonTracker::ShowState(DisplayObject& button, int state) {
    const int old = button.buttonState;
    if (old == state || !button.character || !button.character->owner)
        return;
    button.buttonState = uint8_t(state);
    const uint8_t oldMask = VisibleMask(old);
    const uint8_t newMask = VisibleMask(state);
    if (oldMask == newMask)
        return;
    const Character& ch = *button.character;
    const ButtonRecords parsed = ButtonRecords::Read(ch);
    const CharacterDictionary& dict = ch.owner->dictionary;

    for (const ButtonRecords::Record& rec : parsed.records) {
        if (!(rec.states & oldMask) || (rec.states & newMask))
            continue;
        const Character* shown = dict.Find(rec.characterId);
        for (DisplayObject* c = button.firstChild; c; c = c->nextSibling) {
            if (c->depth == rec.depth && c->character == shown) {
                dl_.RemoveObject(c);
                break;
            }
        }
    }
    for (const ButtonRecords::Record& rec : parsed.records) {
        if ((rec.states & oldMask) || !(rec.states & newMask))
            continue;
        Character* shown = dict.Find(rec.characterId);
        if (!shown)
            continue;
        // A button showing itself (directly or through its ancestors) would nest without end.
        bool cycle = false;
        for (const DisplayObject* p = &button; p && !cycle; p = p->parent)
            cycle = p->character == shown;
        if (cycle)
            continue;
        PlaceInfo info;
        info.flags = PlaceInfo::kHasCharacter | PlaceInfo::kHasMatrix | PlaceInfo::kHasCxform;
        info.character = shown;
        info.depth = rec.depth;
        info.matrix = rec.matrix;
        info.cxform = rec.cxform;
        dl_.Place(&button, info, button.timeline);
    }
}

bool ButtonTracker::Matches(const DisplayObject& obj) const {
    return copy_.valid && obj.parent == copy_.parent && obj.character == copy_.character &&
           obj.depth == copy_.depth && obj.ratio == copy_.ratio;
}

void ButtonTracker::ObjectPlaced(DisplayObject& button) {
    if (!button.IsButton())
        return;
    int state = kIdle;
    if (!dl_.trackedButton && dl_.trackState != kIdle && Matches(button)) {
        // The tracked button was replaced by the same button in the same place.
        dl_.trackedButton = &button;
        state = dl_.trackState;
    }
    button.buttonState = 0;
    ShowState(button, state);
}

bool ButtonTracker::Reachable(const DisplayObject& from, const DisplayObject* target,
                              int nesting) const {
    if (&from == target)
        return true;
    if (nesting > DisplayList::kMaxNesting)
        return false;
    for (const DisplayObject* c = from.firstChild; c; c = c->nextSibling)
        if (Reachable(*c, target, nesting + 1))
            return true;
    return false;
}

void ButtonTracker::ObjectRemoved(DisplayObject& obj) {
    if (&obj != dl_.trackedButton)
        return;
    dl_.trackedButton = nullptr;
    // A replacement can only come while the parent stays on stage; a parent that is going too
    // (a removed sprite, an unloaded level) ends the tracking now, so that no later object
    // that happens to reuse its memory is mistaken for it.
    if (!copy_.valid || !Reachable(dl_.root, copy_.parent, 0)) {
        dl_.trackState = kIdle;
        copy_.valid = false;
    }
}

DisplayObject* ButtonTracker::FindCopy(DisplayObject& from, int nesting) const {
    if (nesting > DisplayList::kMaxNesting)
        return nullptr;
    for (DisplayObject* c = from.firstChild; c; c = c->nextSibling) {
        if (c->IsButton() && Matches(*c))
            return c;
        if (DisplayObject* found = FindCopy(*c, nesting + 1))
            return found;
    }
    return nullptr;
}

void ButtonTracker::Resolve() {
    if (dl_.trackedButton) {
        if (dl_.trackState == kIdle)
            dl_.trackedButton = nullptr;
        return;
    }
    if (dl_.trackState != kIdle && copy_.valid) {
        if (DisplayObject* found = FindCopy(dl_.root, 0)) {
            dl_.trackedButton = found;
            ShowState(*found, dl_.trackState);
            return;
        }
    }
    dl_.trackState = kIdle;
    copy_.valid = false;
}

bool ButtonTracker::QueueActions(DisplayObject& button, int event) {
    Timeline* timeline = button.timeline;
    const Character* ch = button.character;
    if (!timeline || !ch || !ch->owner || !ch->owner->SharedBytes())
        return false;
    bool queued = false;
    const ButtonRecords parsed = ButtonRecords::Read(*ch);
    for (const ButtonRecords::ActionList& list : parsed.actions)
        if ((list.conditions >> event) & 1)
            queued |=
                dl_.actions.Push(ch->owner->SharedBytes(), list.offset, list.length, timeline);
    return queued;
}

void ButtonTracker::PlaySound(DisplayObject& button, int event) {
    SoundSink* sink = core_.Sound();
    const Character* ch = button.character;
    if (!sink || !button.timeline || !ch || !ch->soundData.present)
        return;
    const auto slot = SoundInfo::ButtonSlot(ch->Bytes(ch->soundData), event);
    if (!slot.empty())
        sink->StartSound(*button.timeline, slot);
}

bool ButtonTracker::Transition(DisplayObject& button, int event, int newState) {
    dl_.trackState = newState;
    if (newState == kIdle) {
        dl_.trackedButton = nullptr;
        copy_.valid = false;
    } else {
        dl_.trackedButton = &button;
        copy_ = {true, button.parent, button.character, button.depth, button.ratio};
    }
    ShowState(button, newState);
    bool queued = QueueActions(button, event);
    PlaySound(button, event);
    return queued;
}

bool ButtonTracker::Update(int x, int y, bool down) {
    Resolve();
    DisplayObject* hit = hits_.Find(x, y);
    bool queued = false;
    for (int step = 0; step < kMaxStepsPerUpdate; ++step) {
        DisplayObject* t = dl_.trackedButton;
        const int state = t ? dl_.trackState : kIdle;
        if (state == kIdle) {
            if (hit && !down)
                queued |= Transition(*hit, kIdleToOverUp, kOverUp);
            else if (hit && IsMenu(*hit))
                queued |= Transition(*hit, kIdleToOverDown, kOverDown);
            break; // a press that began off every normal button activates none
        }
        const bool over = hit == t;
        if (state == kOverUp) {
            if (over) {
                if (down)
                    queued |= Transition(*t, kOverUpToOverDown, kOverDown);
                break;
            }
            queued |= Transition(*t, kOverUpToIdle, kIdle);
        } else if (state == kOverDown) {
            if (over) {
                if (!down)
                    queued |= Transition(*t, kOverDownToOverUp, kOverUp);
                break;
            }
            if (IsMenu(*t))
                queued |= Transition(*t, kOverDownToIdle, kIdle);
            else
                queued |= Transition(*t, kOverDownToOutDown, kOutDown);
        } else { // out-down
            if (over) {
                queued |= Transition(*t, kOutDownToOverDown, kOverDown);
                if (down)
                    break;
                // Back on and released in one update: the release follows as its own event.
            } else if (!down) {
                queued |= Transition(*t, kOutDownToIdle, kIdle);
            } else {
                break;
            }
        }
        // The state display may have changed what lies under the mouse (a button shown by the
        // old state is gone, one shown by the new state is there).
        hit = hits_.Find(x, y);
    }
    return queued;
}

bool ButtonTracker::Track(int x, int y, bool down) {
    hasMouse_ = true;
    lastX_ = x;
    lastY_ = y;
    lastDown_ = down;
    return Update(x, y, down);
}

bool ButtonTracker::ReplayUpdate() {
    if (!hasMouse_) {
        Resolve();
        return false;
    }
    return Update(lastX_, lastY_, lastDown_);
}

bool ButtonTracker::ButtonAt(int x, int y) {
    return hits_.Find(x, y) != nullptr;
}

bool ButtonTracker::IsTracking() const {
    return dl_.trackedButton != nullptr && dl_.trackState != kIdle;
}

} // namespace tavro::player
