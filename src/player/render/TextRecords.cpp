#include "player/render/TextRecords.h"

#include <climits>

namespace tavro::player::render {

bool TextRecordReader::Next(TextRecord& rec) {
    rec = TextRecord();
    while (glyphsLeft_ == 0) {
        if (!in_.ok())
            return false;
        uint8_t flags = in_.U8();
        if (flags == 0 || !in_.ok())
            return false;
        if (flags & 0x80) {
            rec.type = TextRecord::Style;
            rec.flags = flags & 0x7F;
            if (flags & 0x08)
                rec.fontId = in_.U16();
            if (flags & 0x04) {
                uint32_t r = in_.U8(), g = in_.U8(), b = in_.U8();
                uint32_t a = alpha_ ? in_.U8() : 255;
                rec.hasColor = in_.ok();
                rec.argb = (a << 24) | (r << 16) | (g << 8) | b;
            }
            if (flags & 0x01)
                x_ = in_.S16();
            if (flags & 0x02)
                y_ = in_.S16();
            if (flags & 0x08)
                rec.height = in_.U16();
            rec.x = x_;
            rec.y = y_;
            return true;
        }
        // A glyph record: the low 7 bits count the entries.
        glyphsLeft_ = flags & 0x7F;
    }
    rec.type = TextRecord::Glyph;
    rec.glyph = in_.UBits(glyphBits_);
    rec.advance = in_.SBits(advanceBits_);
    rec.x = x_;
    rec.y = y_;
    x_ += rec.advance;
    x_ = x_ > INT32_MAX / 2 ? INT32_MAX / 2 : x_ < INT32_MIN / 2 ? INT32_MIN / 2 : x_;
    if (--glyphsLeft_ == 0)
        in_.Align();
    if (!in_.ok()) {
        glyphsLeft_ = 0;
        return false;
    }
    return true;
}

} // namespace tavro::player::render
