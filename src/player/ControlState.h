// The 14 flags a host applies to its menu after Load, TogglePlay and Close.
#pragma once

#include <array>
#include <cstddef>

namespace tavro::player {

struct ControlState {
    static constexpr int kCount = 14;
    std::array<bool, kCount> flags{};

    bool operator[](int i) const { return flags[std::size_t(i)]; }
    friend bool operator==(const ControlState&, const ControlState&) = default;
};

} // namespace tavro::player
