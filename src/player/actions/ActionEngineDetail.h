// Helpers shared by the source files of the action engine (ActionEngine.cpp and the files next
// to it); not part of the engine's interface.
#pragma once

#include "base/AsciiCase.h"
#include "player/Timeline.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <string_view>

namespace tavro::player::action_detail {

// Objects made by actions live at this depth and above; the timeline never removes them.
constexpr uint16_t kScriptDepth = 16384;

// "_levelN" / "_flashN": N, else -1.
inline int32_t LevelNumber(std::string_view name) {
    if (!StartsWithNoCase(name, "_level") && !StartsWithNoCase(name, "_flash"))
        return -1;
    std::string_view digits = name.substr(6);
    if (digits.empty() || digits.size() > 9)
        return -1;
    int32_t n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

// A number truncated toward zero and held to the int32 range.
inline int64_t ToInt(double v) {
    if (std::isnan(v))
        return 0;
    return int64_t(std::clamp(std::trunc(v), double(INT32_MIN), double(INT32_MAX)));
}

// A timeline that is still on stage (removed sprites keep their timeline for a while).
inline bool Usable(const Timeline* t) {
    return t && t->rootObject;
}

} // namespace tavro::player::action_detail
