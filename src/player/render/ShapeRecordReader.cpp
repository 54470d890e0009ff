#include "player/render/ShapeRecordReader.h"

namespace tavro::player::render {

bool ShapeRecordReader::Next(ShapeRecord& rec) {
    rec = ShapeRecord();
    if (!in_.ok())
        return false;
    bool isEdge = in_.UBits(1) != 0;
    if (!isEdge) {
        uint32_t flags = in_.UBits(5);
        if (flags == 0 || !in_.ok())
            return false;
        rec.type = ShapeRecord::StyleChange;
        rec.newStyles = allowNewStyles_ && (flags & 0x10);
        rec.hasLine = flags & 0x08;
        rec.hasFill1 = flags & 0x04;
        rec.hasFill0 = flags & 0x02;
        rec.hasMove = flags & 0x01;
        if (rec.hasMove) {
            unsigned n = in_.UBits(5);
            rec.moveX = in_.SBits(n);
            rec.moveY = in_.SBits(n);
        }
        if (rec.hasFill0)
            rec.fill0 = in_.UBits(fillBits_);
        if (rec.hasFill1)
            rec.fill1 = in_.UBits(fillBits_);
        if (rec.hasLine)
            rec.line = in_.UBits(lineBits_);
        return in_.ok();
    }
    bool straight = in_.UBits(1) != 0;
    unsigned n = in_.UBits(4) + 2;
    if (straight) {
        rec.type = ShapeRecord::Line;
        if (in_.UBits(1)) {
            rec.dx = in_.SBits(n);
            rec.dy = in_.SBits(n);
        } else if (in_.UBits(1)) {
            rec.dy = in_.SBits(n);
        } else {
            rec.dx = in_.SBits(n);
        }
    } else {
        rec.type = ShapeRecord::Curve;
        rec.cdx = in_.SBits(n);
        rec.cdy = in_.SBits(n);
        rec.dx = in_.SBits(n);
        rec.dy = in_.SBits(n);
    }
    return in_.ok();
}

} // namespace tavro::player::render
