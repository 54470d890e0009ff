#include "player/PlayerKey.h"

#include "base/AsciiCase.h"

#include <array>
#include <utility>

namespace tavro::player {

std::optional<PlayerKey> PlayerKey::FromName(std::string_view name) {
    PlayerKey key;
    // Modifiers first, each followed by '+'.
    for (;;) {
        size_t plus = name.find('+');
        if (plus == std::string_view::npos || plus == 0)
            break;
        std::string_view modifier = name.substr(0, plus);
        if (EqualsNoCase(modifier, "shift"))
            key.shift = true;
        else if (EqualsNoCase(modifier, "ctrl") || EqualsNoCase(modifier, "control"))
            key.control = true;
        else
            return std::nullopt;
        name.remove_prefix(plus + 1);
    }
    static constexpr std::array<std::pair<std::string_view, Code>, 11> kNames{{
        {"Backspace", Code::Backspace},
        {"Delete", Code::Delete},
        {"Left", Code::Left},
        {"Right", Code::Right},
        {"Up", Code::Up},
        {"Down", Code::Down},
        {"Home", Code::Home},
        {"End", Code::End},
        {"Enter", Code::Enter},
        {"Return", Code::Enter},
        {"SelectAll", Code::SelectAll},
    }};
    for (const auto& [text, code] : kNames) {
        if (EqualsNoCase(name, text)) {
            key.code = code;
            return key;
        }
    }
    if (key.control && EqualsNoCase(name, "a")) {
        key.code = Code::SelectAll;
        key.control = false;
        return key;
    }
    return std::nullopt;
}

} // namespace tavro::player
