#include "player/Rect.h"

#include <algorithm>

namespace tavro::player {

namespace {
int32_t ClampToInt32(int64_t v) {
    return int32_t(std::clamp<int64_t>(v, INT32_MIN + 1, INT32_MAX));
}
} // namespace

void Rect::Union(const Rect& r) {
    if (r.IsEmpty())
        return;
    if (IsEmpty()) {
        *this = r;
        return;
    }
    xmin = std::min(xmin, r.xmin);
    xmax = std::max(xmax, r.xmax);
    ymin = std::min(ymin, r.ymin);
    ymax = std::max(ymax, r.ymax);
}

void Rect::AddPoint(int32_t x, int32_t y) {
    if (x == kEmpty)
        x = kEmpty + 1;
    if (IsEmpty()) {
        *this = Rect(x, x, y, y);
        return;
    }
    xmin = std::min(xmin, x);
    xmax = std::max(xmax, x);
    ymin = std::min(ymin, y);
    ymax = std::max(ymax, y);
}

void Rect::Intersect(const Rect& r) {
    if (IsEmpty())
        return;
    if (r.IsEmpty()) {
        SetEmpty();
        return;
    }
    int32_t x0 = std::max(xmin, r.xmin), x1 = std::min(xmax, r.xmax);
    int32_t y0 = std::max(ymin, r.ymin), y1 = std::min(ymax, r.ymax);
    if (x0 >= x1 || y0 >= y1) {
        SetEmpty();
        return;
    }
    *this = Rect(x0, x1, y0, y1);
}

void Rect::Inflate(int32_t d) {
    if (IsEmpty())
        return;
    int64_t x0 = int64_t(xmin) - d, x1 = int64_t(xmax) + d;
    int64_t y0 = int64_t(ymin) - d, y1 = int64_t(ymax) + d;
    if (x0 > x1 || y0 > y1) {
        SetEmpty();
        return;
    }
    *this = Rect(ClampToInt32(x0), ClampToInt32(x1), ClampToInt32(y0), ClampToInt32(y1));
}

bool Rect::Overlaps(const Rect& r) const {
    if (IsEmpty() || r.IsEmpty())
        return false;
    return xmin < r.xmax && r.xmin < xmax && ymin < r.ymax && r.ymin < ymax;
}

bool Rect::Contains(int32_t x, int32_t y) const {
    return !IsEmpty() && x >= xmin && x < xmax && y >= ymin && y < ymax;
}

} // namespace tavro::player
