#include "player/BitReader.h"

namespace tavro::player {

Rect BitReader::ReadRect() {
    Align();
    unsigned n = UBits(5);
    Rect r;
    r.xmin = SBits(n);
    r.xmax = SBits(n);
    r.ymin = SBits(n);
    r.ymax = SBits(n);
    if (r.xmin == Rect::kEmpty)
        r.xmin = Rect::kEmpty + 1; // a decoded rectangle is never the empty marker
    Align();
    return r;
}

Matrix16 BitReader::ReadMatrix() {
    Align();
    Matrix16 m;
    if (UBits(1)) {
        unsigned n = UBits(5);
        m.a = SBits(n);
        m.d = SBits(n);
    }
    if (UBits(1)) {
        unsigned n = UBits(5);
        m.b = SBits(n);
        m.c = SBits(n);
    }
    unsigned n = UBits(5);
    m.tx = SBits(n);
    m.ty = SBits(n);
    Align();
    return m;
}

ColorXform BitReader::ReadCxform(bool withAlpha) {
    Align();
    ColorXform x;
    bool hasAdd = UBits(1) != 0;
    bool hasMult = UBits(1) != 0;
    unsigned n = UBits(4);
    if (hasMult) {
        x.rMul = SBits(n);
        x.gMul = SBits(n);
        x.bMul = SBits(n);
        if (withAlpha)
            x.aMul = SBits(n);
    }
    if (hasAdd) {
        x.rAdd = SBits(n);
        x.gAdd = SBits(n);
        x.bAdd = SBits(n);
        if (withAlpha)
            x.aAdd = SBits(n);
    }
    x.UpdateFlags();
    Align();
    return x;
}

} // namespace tavro::player
