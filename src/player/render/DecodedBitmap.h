// A bitmap character decoded for drawing: premultiplied 0xAARRGGBB pixels, top-down rows. A
// bitmap that could not be decoded is kept as `failed`, so it is not decoded again every frame.
#pragma once

#include "player/RenderCache.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tavro::player::render {

class DecodedBitmap : public RenderCache {
public:
    int width = 0;
    int height = 0;
    bool opaque = true; // every pixel has alpha 255
    bool failed = false;
    std::vector<uint32_t> pixels;

    bool Usable() const { return !failed && width > 0 && height > 0; }
    uint32_t At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

} // namespace tavro::player::render
