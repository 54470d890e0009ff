// Document colours (integers 0 … 255, alpha included) as Qt colours and back.
#pragma once

#include "model/CColor.h"

#include <QColor>

#include <algorithm>

namespace tavro::editor {

// Components outside 0 … 255 (a damaged file) are clamped.
inline QColor ToQColor(const CColor& c) {
    auto clamp = [](int32_t v) { return std::clamp(v, 0, 255); };
    return QColor(clamp(c.red), clamp(c.green), clamp(c.blue), clamp(c.alpha));
}

inline CColor FromQColor(const QColor& c) {
    return CColor(c.red(), c.green(), c.blue(), c.alpha());
}

} // namespace tavro::editor
