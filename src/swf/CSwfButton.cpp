#include "swf/CSwfButton.h"

#include "swf/CSwfWriter.h"
#include "swf/SwfRecords.h"

#include <vector>

namespace tavro {

namespace {
// Over-down to over-up: the mouse is released over the button.
constexpr uint16_t kConditionRelease = 8;
} // namespace

void CSwfButton::Write(CSwfWriter& writer, uint16_t newId) {
    static constexpr uint8_t kStateBits[4] = {kButtonUp, kButtonOver, kButtonDown, kButtonHitTest};
    std::vector<ButtonCharacter> characters;
    for (int s = 0; s < 4; ++s)
        if (stateIds[s] > 0)
            characters.push_back({kStateBits[s], static_cast<uint16_t>(stateIds[s])});
    BeginDefineButton2(writer, newId, menu != 0, characters);
    if (!url.empty()) {
        // The only and last condition record (size 0). Its action list needs no end byte of its
        // own: the first zero byte of the closing empty record ends it, and a reader stops at a
        // record of size 0.
        writer.WriteUI16(0);
        writer.WriteUI16(kConditionRelease);
        WriteActionGetUrl(writer, url, target);
    }
    EndDefineButton2(writer);
    id = newId;
}

} // namespace tavro
