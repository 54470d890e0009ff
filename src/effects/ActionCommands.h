// The commands that create events and actions (the menus of the "Actions" page and of the
// timeline's scene row), as data: identifier, menu text, what it creates. The editor builds its
// menus from this table and calls CreateFromCommand.
#pragma once

#include "model/CTavroObj.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

namespace tavro {

struct ClassInfo;

struct ActionCommand {
    enum class Kind {
        ButtonEvent, // a CEventObj with `conditions`
        FrameEvent,  // a CEventAtFrame at the current frame
        LabelEvent,  // a CEventAtLabel
        Action,      // an action of class `cls`
    };

    uint16_t id;
    std::string_view menuText; // '&' marks the access key
    Kind kind;
    int32_t conditions;   // ButtonEvent only
    const ClassInfo* cls; // the class created
};

namespace command_id {
inline constexpr uint16_t kOnRelease = 32828;
inline constexpr uint16_t kOnPress = 32829;
inline constexpr uint16_t kGotoURL = 32830;
inline constexpr uint16_t kGotoFrame = 32831;
inline constexpr uint16_t kOnRollOver = 32832;
inline constexpr uint16_t kOnRollOut = 32833;
inline constexpr uint16_t kOnDragOver = 32834;
inline constexpr uint16_t kOnDragOut = 32835;
inline constexpr uint16_t kOnReleaseOutside = 32836;
inline constexpr uint16_t kAtFrame = 32866;
inline constexpr uint16_t kAtLabel = 32867;
inline constexpr uint16_t kPlay = 32870;
inline constexpr uint16_t kStop = 32871;
} // namespace command_id

// Every command, in menu order: button events, frame events, actions.
std::span<const ActionCommand> GetActionCommands();
// The command with this identifier, or null.
const ActionCommand* FindActionCommand(int id);
bool IsEventCommand(const ActionCommand& command);

// A new object for the command with a null parent; a frame event fires at `currentFrame`.
// Null for an unknown identifier.
std::unique_ptr<CTavroObj> CreateFromCommand(int id, int currentFrame = 0);

} // namespace tavro
