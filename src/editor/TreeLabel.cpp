#include "editor/TreeLabel.h"

#include <algorithm>

namespace tavro::editor {

std::string TreeLabel(std::string_view name) {
    constexpr size_t kMaxLength = 10;
    const size_t lineBreak = name.find_first_of("\r\n");
    if (lineBreak == std::string_view::npos && name.size() < kMaxLength)
        return std::string(name);
    const size_t cut = std::min(lineBreak, kMaxLength);
    return std::string(name.substr(0, cut)) + "...";
}

} // namespace tavro::editor
