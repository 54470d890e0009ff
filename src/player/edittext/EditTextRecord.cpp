#include "player/edittext/EditTextRecord.h"

#include "player/BitReader.h"

namespace tavro::player {

bool EditTextRecord::Parse(std::span<const uint8_t> data) {
    *this = EditTextRecord();
    BitReader r(data.data(), data.size());
    flags1 = r.U8();
    flags2 = r.U8();
    if (flags1 & kHasFont) {
        fontId = r.U16();
        fontHeight = r.U16();
    }
    if (flags1 & kHasColor) {
        uint32_t red = r.U8(), green = r.U8(), blue = r.U8(), alpha = r.U8();
        color = (alpha << 24) | (red << 16) | (green << 8) | blue;
    }
    if (flags1 & kHasMaxLength)
        maxLength = r.U16();
    if (flags2 & kHasLayout) {
        uint8_t a = r.U8();
        align = a <= 3 ? Align(a) : Align::Left;
        leftMargin = r.U16();
        rightMargin = r.U16();
        indent = r.U16();
        leading = r.S16();
    }
    variable = std::string(r.ReadString());
    if (flags1 & kHasText)
        initialText = std::string(r.ReadString());
    if (!r.ok()) {
        *this = EditTextRecord();
        return false;
    }
    return true;
}

} // namespace tavro::player
