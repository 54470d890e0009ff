#include "effects/EffectStrings.h"

#include <utility>

namespace tavro {

namespace {

constexpr std::pair<int, std::string_view> kStrings[] = {
    {string_id::kPress, "Press"},
    {string_id::kRelease, "Release"},
    {string_id::kRollOver, "Roll Over"},
    {string_id::kRollOut, "Roll Out"},
    {string_id::kDragOver, "Drag Over"},
    {string_id::kDragOut, "Drag Out"},
    {string_id::kReleaseOutside, "Release Outside"},
    {string_id::kAtFrame, "At Frame %d"},
    {string_id::kAtLabel, "At Label"},
    {string_id::kGotoFrame, "Goto Frame %d"},
    {string_id::kGotoLabel, "Goto Label %s"},
    {string_id::kGotoNextFrame, "Goto Next Frame"},
    {string_id::kGotoPrevFrame, "Goto Previous Frame"},
    {string_id::kGotoURL, "Goto URL (%s)"},
    {string_id::kAddAction, "Add Action"},
    {string_id::kDeleteAction, "Delete Action"},
    {string_id::kActionsCaption, "Actions"},
    {string_id::kStop, "Stop"},
    {string_id::kPlay, "Play"},
};

std::string Substitute(std::string_view format, char conversion, std::string_view value) {
    const char pattern[3] = {'%', conversion, '\0'};
    std::string out(format);
    const size_t at = out.find(pattern);
    if (at != std::string::npos)
        out.replace(at, 2, value);
    return out;
}

} // namespace

std::string_view LoadEffectString(int id) {
    for (const auto& [key, text] : kStrings) {
        if (key == id)
            return text;
    }
    return {};
}

std::string FormatEffectString(int id, int value) {
    return Substitute(LoadEffectString(id), 'd', std::to_string(value));
}

std::string FormatEffectString(int id, std::string_view text) {
    return Substitute(LoadEffectString(id), 's', text);
}

} // namespace tavro
