// How the effect dialogs write numbers into their boxes: whole numbers plainly, decimal numbers
// in the shortest form that reads back as the very same value, so that confirming a dialog
// without a change writes back exactly what it showed.
#pragma once

#include <QString>

#include <charconv>
#include <cstdint>
#include <system_error>

namespace tavro::editor {

inline QString IntegerFieldText(int64_t value) {
    return QString::number(value);
}

inline QString NumberFieldText(double value) {
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    if (ec != std::errc())
        return QString::number(value, 'g', 17);
    return QString::fromLatin1(buf, static_cast<int>(end - buf));
}

} // namespace tavro::editor
