// The label of a movie tree item.
#pragma once

#include <string>
#include <string_view>

namespace tavro::editor {

// An object's name as the tree shows it: a name with a line break, or of 10 characters or more,
// is cut at the first line break or after 10 characters, whichever comes first, and "..." is
// appended.
std::string TreeLabel(std::string_view name);

} // namespace tavro::editor
