// A key typed into the player, as a host hands it over: either text to insert (UTF-8) or one of
// the editing keys, with the Shift and Control modifiers. The focused edit-text field takes it
// (see docs/edittext.md for what each key does).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavro::player {

struct PlayerKey {
    enum class Code : uint8_t {
        Text, // insert `text`
        Backspace,
        Delete,
        Left,
        Right,
        Up,
        Down,
        Home,
        End,
        Enter,
        SelectAll,
    };

    Code code = Code::Text;
    std::string text; // UTF-8, for Code::Text
    bool shift = false;
    bool control = false;

    static PlayerKey Typed(std::string utf8) {
        PlayerKey k;
        k.text = std::move(utf8);
        return k;
    }
    static PlayerKey Press(Code code, bool shift = false, bool control = false) {
        PlayerKey k;
        k.code = code;
        k.shift = shift;
        k.control = control;
        return k;
    }

    // A key by name as scripts give it: "Left", "Shift+Home", "Ctrl+Right", "Ctrl+A"
    // (modifier names and key names in any letter case). None for an unknown name.
    static std::optional<PlayerKey> FromName(std::string_view name);
};

} // namespace tavro::player
