// The edit-text fields of one player: creates a field for every placed edit-text object, binds
// it to its variable, keeps it in step with the variable, scrolls it, lets the mouse select its
// text and the keyboard edit it, blinks the caret of the focused field and draws the fields for
// the renderer.
//
// Scroll values at this interface count lines from 1: Scroll() is the first visible line,
// MaxScroll() the largest useful first line (1 when everything fits); SetScroll() clamps.
//
// After a call that changes how a field looks (variables, scrolling, mouse, caret) the field's
// object is marked dirty; the caller updates the screen.
#pragma once

#include "player/Matrix16.h"
#include "player/actions/InputParts.h"
#include "player/render/Renderer.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tavro::player {

class EditTextField;

class EditTextFields : public TextFieldInput, public EditTextDrawer {
public:
    // Two presses closer than this in time and distance (window pixels) select a word.
    static constexpr uint32_t kDoubleClickMs = 500;
    static constexpr int kDoubleClickSlop = 2;

    // Registers itself as the renderer's edit-text drawer (the latest set of a player draws;
    // when it goes, the one before it draws again).
    explicit EditTextFields(PlayerCore& core);
    ~EditTextFields() override;
    EditTextFields(const EditTextFields&) = delete;
    EditTextFields& operator=(const EditTextFields&) = delete;

    // TextFieldInput
    void ObjectPlaced(DisplayObject& field) override;
    void ObjectRemoved(DisplayObject& obj) override;
    void AfterReplay(Timeline& timeline) override;
    void VariableChanged(Timeline& timeline, std::string_view name,
                         std::string_view value) override;
    std::optional<int> Scroll(Timeline& timeline, std::string_view name) override;
    std::optional<int> MaxScroll(Timeline& timeline, std::string_view name) override;
    void SetScroll(Timeline& timeline, std::string_view name, int firstLine) override;
    bool MouseDown(int x, int y) override;
    bool HasFocus() const override { return focus_ != nullptr; }
    void MouseDrag(int x, int y) override;
    void MouseUp(int x, int y) override;
    bool SelectableAt(int x, int y) override;
    void CaretTick() override;
    bool KeyDown(const PlayerKey& key) override;
    std::string SelectedText() const override;

    // EditTextDrawer
    void Draw(const DisplayObject& field, GlyphOutput& out) override;

    // The field of a placed edit-text object (nullptr when it has none, e.g. a damaged record).
    EditTextField* FieldOf(const DisplayObject& obj) const;
    DisplayObject* Focused() const { return focus_; }

private:
    // Shows the variable's value, or the initial text (creating the variable with it).
    void Bind(DisplayObject& obj, EditTextField& field);
    // The field bound to `name` of `timeline`, first in drawing order.
    DisplayObject* FindBound(Timeline& timeline, std::string_view name);
    bool IsBoundTo(DisplayObject& obj, const EditTextField& field, Timeline& timeline,
                   std::string_view name);
    void CollectFields(DisplayObject& parent, std::vector<DisplayObject*>& out, int nesting);
    // The front-most selectable field under a window point, and the point in its space.
    DisplayObject* FieldAt(int x, int y);
    std::optional<Point16> ToField(const DisplayObject& obj, int x, int y) const;
    void Changed(DisplayObject& obj);
    void SetFocus(DisplayObject* obj);
    void Extend(int x, int y);
    // Keyboard editing (EditTextKeys.cpp): moves the caret, or the active end of the selection
    // with Shift; replaces the selection; stores the new text in the field's variable.
    void MoveCaret(EditTextField& field, uint32_t to, bool extend);
    void ReplaceSelection(DisplayObject& obj, EditTextField& field, std::u16string_view with);
    void DeleteRange(DisplayObject& obj, EditTextField& field, uint32_t from, uint32_t to);
    void StoreText(DisplayObject& obj, EditTextField& field);
    std::u16string TypedCharacters(const EditTextField& field, std::string_view utf8) const;

    PlayerCore& core_;
    Renderer* renderer_;
    std::unordered_map<const DisplayObject*, std::unique_ptr<EditTextField>> fields_;
    DisplayObject* focus_ = nullptr;
    bool selecting_ = false;

    bool haveClick_ = false;
    uint32_t clickMs_ = 0;
    int clickX_ = 0, clickY_ = 0;
    const DisplayObject* clickField_ = nullptr;

    // The focused field's state when it was removed, so that a field a backwards goto re-creates
    // at the same depth for the same variable takes the focus back.
    struct FocusMemo {
        const Timeline* timeline = nullptr; // the timeline that placed the field
        uint16_t depth = 0;
        std::string variable;
        uint32_t anchor = 0, active = 0;
        int scroll = 0;
    };
    std::optional<FocusMemo> memo_;
};

// The edit-text fields of `core`, for the action engine.
std::unique_ptr<TextFieldInput> MakeTextFieldInput(PlayerCore& core);

} // namespace tavro::player
