// 2-D affine matrix of the player: a, b, c, d in 16.16 fixed point, tx, ty in the target units
// (twips for object matrices, device units for the view matrix).
// A point maps as x' = x*a + y*c + tx, y' = x*b + y*d + ty (the SWF MATRIX convention: a = scaleX,
// b = rotateSkew0, c = rotateSkew1, d = scaleY).
#pragma once

#include "player/Rect.h"

#include <cstdint>

namespace tavro::player {

struct Point16 {
    int32_t x = 0;
    int32_t y = 0;
    friend constexpr bool operator==(const Point16&, const Point16&) = default;
};

struct Matrix16 {
    static constexpr int32_t kOne = 0x10000;

    int32_t a = kOne;
    int32_t b = 0;
    int32_t c = 0;
    int32_t d = kOne;
    int32_t tx = 0;
    int32_t ty = 0;

    static constexpr Matrix16 Identity() { return Matrix16(); }
    static constexpr Matrix16 Scale(int32_t sx, int32_t sy) { return Matrix16{sx, 0, 0, sy, 0, 0}; }
    static constexpr Matrix16 Translate(int32_t x, int32_t y) {
        return Matrix16{kOne, 0, 0, kOne, x, y};
    }

    constexpr bool IsIdentity() const {
        return a == kOne && b == 0 && c == 0 && d == kOne && tx == 0 && ty == 0;
    }

    // Maps a point (rounding to nearest; results saturate to the int32 range).
    Point16 Map(int32_t x, int32_t y) const;
    // Maps a vector (no translation).
    Point16 MapDelta(int32_t dx, int32_t dy) const;
    // Bounding box of the four mapped corners of `r`; empty stays empty.
    Rect MapRect(const Rect& r) const;

    // The matrix that applies `inner` first and then `outer`: Concat(obj, parentWorld) is the
    // object's world matrix, Concat(world, view) maps object space to device space.
    static Matrix16 Concat(const Matrix16& inner, const Matrix16& outer);

    // Inverse of this matrix; false (and `out` untouched) when it is singular.
    bool Invert(Matrix16& out) const;

    // Scales a length (e.g. a line width) by the matrix: the mean of the lengths of the two
    // mapped unit axes.
    int32_t ScaleLength(int32_t len) const;

    friend constexpr bool operator==(const Matrix16&, const Matrix16&) = default;
};

} // namespace tavro::player
