// The player's reader of SWF record bytes: the format's bounded bit reader plus the value
// records (RECT, MATRIX, CXFORM) decoded into the player's own types.
#pragma once

#include "player/ColorXform.h"
#include "player/Matrix16.h"
#include "player/Rect.h"
#include "swfformat/BitReader.h"

namespace tavro::player {

class BitReader : public swfformat::BitReader {
public:
    using swfformat::BitReader::BitReader;

    Rect ReadRect();
    Matrix16 ReadMatrix();
    // CXFORM (without alpha) or CXFORMWITHALPHA; multiply and add flags in the bit order of
    // the format (add first).
    ColorXform ReadCxform(bool withAlpha);
};

} // namespace tavro::player
