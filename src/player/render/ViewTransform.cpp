#include "player/render/ViewTransform.h"

#include <algorithm>

namespace tavro::player::render {

namespace {

int64_t Side(int64_t pixels) {
    return pixels < 17 ? 16 : pixels;
}

int32_t Clamp32(int64_t v) {
    return int32_t(std::clamp<int64_t>(v, INT32_MIN + 1, INT32_MAX));
}

// Translation that puts the frame's anchor (doubled coordinates) on the client's anchor.
int32_t Offset(int64_t client2, int64_t frame2, int32_t scale) {
    // (client2 / 2) - (frame2 / 2) * scale / 65536, rounded to nearest.
    __int128 num = __int128(client2) * 65536 - __int128(frame2) * scale;
    __int128 den = 2 * 65536;
    __int128 q = num >= 0 ? (num + den / 2) / den : -((-num + den / 2) / den);
    return Clamp32(int64_t(q));
}

} // namespace

Matrix16 ViewTransform::Compute(const Rect& frame, const Rect& client, bool antiAlias,
                                int scaleMode) {
    const int64_t k = antiAlias ? 4 : 1;
    const int64_t cw = Side(client.Width()) * k, ch = Side(client.Height()) * k;
    const int64_t cx0 = client.IsEmpty() ? 0 : int64_t(client.xmin) * k;
    const int64_t cy0 = client.IsEmpty() ? 0 : int64_t(client.ymin) * k;
    Rect f = frame.IsEmpty() ? Rect(0, 20, 0, 20) : frame;
    const int64_t fw = std::max<int64_t>(f.Width(), 1), fh = std::max<int64_t>(f.Height(), 1);

    int32_t sx = Clamp32((cw << 16) / fw), sy = Clamp32((ch << 16) / fh);
    switch (scaleMode & 0x0F) {
    case kShowAll:
        sx = sy = std::min(sx, sy);
        break;
    case kNoBorder:
        sx = sy = std::max(sx, sy);
        break;
    case kExactFit:
        break;
    case kNoScale:
    default:
        sx = sy = antiAlias ? 13107 : 3276;
        break;
    }

    // Anchors in doubled coordinates (so a centre is exact).
    int64_t clientX2, frameX2, clientY2, frameY2;
    if (scaleMode & kAlignLeft) {
        clientX2 = 2 * cx0, frameX2 = 2 * int64_t(f.xmin);
    } else if (scaleMode & kAlignRight) {
        clientX2 = 2 * (cx0 + cw), frameX2 = 2 * int64_t(f.xmax);
    } else {
        clientX2 = 2 * cx0 + cw, frameX2 = int64_t(f.xmin) + f.xmax;
    }
    if (scaleMode & kAlignTop) {
        clientY2 = 2 * cy0, frameY2 = 2 * int64_t(f.ymin);
    } else if (scaleMode & kAlignBottom) {
        clientY2 = 2 * (cy0 + ch), frameY2 = 2 * int64_t(f.ymax);
    } else {
        clientY2 = 2 * cy0 + ch, frameY2 = int64_t(f.ymin) + f.ymax;
    }
    Matrix16 m = Matrix16::Scale(sx, sy);
    m.tx = Offset(clientX2, frameX2, sx);
    m.ty = Offset(clientY2, frameY2, sy);
    return m;
}

} // namespace tavro::player::render
