// Display strings of events and actions, by string id, and the one-value formatting their
// display names use. The editor shows these texts as they stand.
#pragma once

#include <string>
#include <string_view>

namespace tavro {

namespace string_id {
// Condition words of button events.
inline constexpr int kPress = 125;
inline constexpr int kRelease = 126;
inline constexpr int kRollOver = 127;
inline constexpr int kRollOut = 128;
inline constexpr int kDragOver = 129;
inline constexpr int kDragOut = 130;
inline constexpr int kReleaseOutside = 131;
// Display names of events and actions.
inline constexpr int kAtFrame = 57354;        // "At Frame %d"
inline constexpr int kAtLabel = 57355;        // "At Label"
inline constexpr int kGotoFrame = 57356;      // "Goto Frame %d"
inline constexpr int kGotoLabel = 57357;      // "Goto Label %s"
inline constexpr int kGotoNextFrame = 57358;  // "Goto Next Frame"
inline constexpr int kGotoPrevFrame = 57359;  // "Goto Previous Frame"
inline constexpr int kGotoURL = 57360;        // "Goto URL (%s)"
inline constexpr int kAddAction = 57361;      // "Add Action"
inline constexpr int kDeleteAction = 57363;   // "Delete Action"
inline constexpr int kActionsCaption = 57365; // "Actions"
inline constexpr int kStop = 57367;           // "Stop"
inline constexpr int kPlay = 57368;           // "Play"
} // namespace string_id

// The text of a string id, or an empty view for an id this table does not hold.
std::string_view LoadEffectString(int id);

// The string with its first "%d" replaced by the value, or its first "%s" by the text. The text
// is inserted as it stands: a '%' inside it is not a format.
std::string FormatEffectString(int id, int value);
std::string FormatEffectString(int id, std::string_view text);

} // namespace tavro
