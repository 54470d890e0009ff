// Puts the whole interactive half of the player together: the action engine with button
// tracking and edit-text fields.
#pragma once

#include <memory>

namespace tavro::player {

class ActionEngine;
class PlayerCore;

// A new action engine for `player` with its buttons and edit-text fields.
std::unique_ptr<ActionEngine> MakeActionEngine(PlayerCore& player);

// Makes such an engine the player's interpreter and returns it.
ActionEngine& InstallInteractiveParts(PlayerCore& player);

} // namespace tavro::player
