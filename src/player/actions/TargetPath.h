// Target paths and timeline variables, shared by the action engine and edit-text fields.
//
// A path is split at "/" into names of at most 127 characters. A leading "/" starts from the root
// of the level holding the start; "_levelN" / "_flashN" as the first name switches to that level's
// root; ".." moves to the parent; any other name selects the first sprite child whose instance
// name matches case-insensitively. An empty remainder yields the current object's timeline.
#pragma once

#include <string>
#include <string_view>

namespace tavro::player {

class DisplayObject;
class PlayerCore;
class Timeline;

// The timeline the path names, starting from `from`; nullptr when any name misses.
Timeline* ResolveTarget(PlayerCore& player, Timeline& from, std::string_view path);

// The object the path names (a sprite or a level root), or nullptr.
DisplayObject* ResolveTargetObject(PlayerCore& player, Timeline& from, std::string_view path);

// The absolute path of an object ("/" for a level root, "/a/b" for nested sprites, levels
// above 0 as "_levelN/a").
std::string TargetPathOf(const DisplayObject& obj);

// Splits "path:name" at the first ':' into the timeline it names (resolved from `from`) and the
// bare name. Without a colon the timeline is `from`. *timeline is nullptr when the path misses.
std::string_view SplitVariablePath(PlayerCore& player, Timeline& from, std::string_view full,
                                   Timeline** timeline);

// Variables of one timeline, names compared case-insensitively, kept in creation order.
const std::string* FindVariable(const Timeline& timeline, std::string_view name);
// Creates the variable at the end of the list or replaces its value. Does not notify fields.
void StoreVariable(Timeline& timeline, std::string_view name, std::string_view value);

} // namespace tavro::player
