// Finds the button under the mouse: the window point goes to device units (quarter pixels while
// anti-aliasing) and through the inverse of each button's full transform (hit record, button,
// its parents, the view) into the coordinates of the button's hit-test characters. Buttons are
// visited front to back, those inside sprites included; hidden objects and everything below
// them are skipped; the first button whose hit area contains the point wins.
#pragma once

namespace tavro::player {

class Character;
class DisplayObject;
class PlayerCore;

class ButtonHitTest {
public:
    explicit ButtonHitTest(PlayerCore& core) : core_(core) {}

    // The front-most button whose hit area lies under the window pixel (x, y), or nullptr.
    DisplayObject* Find(int x, int y) const;

    // True when the device point (devX, devY) lies in the hit area of `button`.
    bool Hits(const DisplayObject& button, double devX, double devY) const;

    // True when the point (x, y), in the character's own twips, lies inside it: shapes by their
    // filled outline, texts, edit texts and morph shapes by their bounds; other characters
    // never hit.
    static bool CharacterContains(const Character& ch, double x, double y);

private:
    DisplayObject* Visit(DisplayObject& obj, double devX, double devY, int nesting) const;

    PlayerCore& core_;
};

} // namespace tavro::player
