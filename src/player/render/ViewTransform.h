// The view matrix: twips of the movie frame (or of the zoom rectangle) to device units of the
// client area, by scale mode and alignment.
#pragma once

#include "player/Matrix16.h"
#include "player/Rect.h"

#include <cstdint>

namespace tavro::player::render {

class ViewTransform {
public:
    // Scale-mode word: low 4 bits the mode, then the alignment bits.
    static constexpr int kShowAll = 0;  // whole movie visible, letter-boxed
    static constexpr int kNoBorder = 1; // fills the window, overflow cropped
    static constexpr int kExactFit = 2; // stretched
    static constexpr int kNoScale = 3;  // one pixel per 20 twips
    static constexpr int kAlignLeft = 0x10;
    static constexpr int kAlignRight = 0x20;
    static constexpr int kAlignTop = 0x40;
    static constexpr int kAlignBottom = 0x80;

    // `frame` in twips; `client` in pixels (xmin 0, ymin 0). With `antiAlias` the device units
    // are quarter pixels. A client side below 17 pixels counts as 16.
    static Matrix16 Compute(const Rect& frame, const Rect& client, bool antiAlias, int scaleMode);
};

} // namespace tavro::player::render
