// Integer rectangle of the player (twips or device units). xmin == kEmpty marks an empty rectangle.
// Bounds are inclusive of xmin/ymin and exclusive of xmax/ymax when used for pixels.
#pragma once

#include <cstdint>

namespace tavro::player {

struct Rect {
    static constexpr int32_t kEmpty = INT32_MIN;

    int32_t xmin = kEmpty;
    int32_t xmax = 0;
    int32_t ymin = 0;
    int32_t ymax = 0;

    constexpr Rect() = default;
    constexpr Rect(int32_t x0, int32_t x1, int32_t y0, int32_t y1)
        : xmin(x0), xmax(x1), ymin(y0), ymax(y1) {}

    static constexpr Rect Empty() { return Rect(); }

    constexpr bool IsEmpty() const { return xmin == kEmpty; }
    constexpr void SetEmpty() { *this = Rect(); }
    constexpr int64_t Width() const { return IsEmpty() ? 0 : int64_t(xmax) - xmin; }
    constexpr int64_t Height() const { return IsEmpty() ? 0 : int64_t(ymax) - ymin; }

    // Grows this rectangle to cover `r` (an empty `r` changes nothing).
    void Union(const Rect& r);
    // Grows this rectangle to cover the point.
    void AddPoint(int32_t x, int32_t y);
    // Shrinks this rectangle to its overlap with `r`; no overlap gives the empty rectangle.
    void Intersect(const Rect& r);
    // Moves every side outwards by `d` (inwards for negative d); empty stays empty.
    void Inflate(int32_t d);
    // True when both are non-empty and share some area (touching edges do not count).
    bool Overlaps(const Rect& r) const;
    bool Contains(int32_t x, int32_t y) const;

    friend constexpr bool operator==(const Rect& a, const Rect& b) {
        if (a.IsEmpty() || b.IsEmpty())
            return a.IsEmpty() == b.IsEmpty();
        return a.xmin == b.xmin && a.xmax == b.xmax && a.ymin == b.ymin && a.ymax == b.ymax;
    }
};

} // namespace tavro::player
