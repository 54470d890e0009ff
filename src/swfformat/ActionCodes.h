// The action codes of the format's versions 3 and 4 and their names. A code of 0x80 or more is
// followed by a 16-bit length and that many operand bytes.
#pragma once

#include <cstdint>
#include <string_view>

namespace tavro::swfformat {

enum ActionCode : uint8_t {
    kActionEnd = 0x00,
    kActionNextFrame = 0x04,
    kActionPreviousFrame = 0x05,
    kActionPlay = 0x06,
    kActionStop = 0x07,
    kActionToggleQuality = 0x08,
    kActionStopSounds = 0x09,
    kActionAdd = 0x0A,
    kActionSubtract = 0x0B,
    kActionMultiply = 0x0C,
    kActionDivide = 0x0D,
    kActionEquals = 0x0E,
    kActionLess = 0x0F,
    kActionAnd = 0x10,
    kActionOr = 0x11,
    kActionNot = 0x12,
    kActionStringEquals = 0x13,
    kActionStringLength = 0x14,
    kActionStringExtract = 0x15,
    kActionPop = 0x17,
    kActionToInteger = 0x18,
    kActionGetVariable = 0x1C,
    kActionSetVariable = 0x1D,
    kActionSetTarget2 = 0x20,
    kActionStringAdd = 0x21,
    kActionGetProperty = 0x22,
    kActionSetProperty = 0x23,
    kActionCloneSprite = 0x24,
    kActionRemoveSprite = 0x25,
    kActionTrace = 0x26,
    kActionStartDrag = 0x27,
    kActionEndDrag = 0x28,
    kActionStringLess = 0x29,
    kActionRandomNumber = 0x30,
    kActionMBStringLength = 0x31,
    kActionCharToAscii = 0x32,
    kActionAsciiToChar = 0x33,
    kActionGetTime = 0x34,
    kActionMBStringExtract = 0x35,
    kActionMBCharToAscii = 0x36,
    kActionMBAsciiToChar = 0x37,
    kActionGotoFrame = 0x81,
    kActionGetUrl = 0x83,
    kActionWaitForFrame = 0x8A,
    kActionSetTarget = 0x8B,
    kActionGotoLabel = 0x8C,
    kActionWaitForFrame2 = 0x8D,
    kActionPush = 0x96,
    kActionJump = 0x99,
    kActionGetUrl2 = 0x9A,
    kActionIf = 0x9D,
    kActionCall = 0x9E,
    kActionGotoFrame2 = 0x9F,
};

// Codes of 0x80 and above carry a length and operands.
constexpr bool ActionHasOperands(uint8_t code) {
    return (code & 0x80) != 0;
}

// The name the tag lister prints ("GotoFrame", "PrevFrame"); empty for an unknown code.
std::string_view ActionName(uint8_t code);

} // namespace tavro::swfformat
