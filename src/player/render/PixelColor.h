// Colour words of the renderer. Working colours are premultiplied 0xAARRGGBB; for blending they
// are split into two words of two 8-bit channels each (0x00RR00BB and 0x00AA00GG) so that one
// 32-bit multiply scales two channels at once.
#pragma once

#include <cstdint>

namespace tavro::player::render {

constexpr uint32_t kLaneMask = 0x00FF00FF;

constexpr uint32_t LaneRB(uint32_t argb) {
    return argb & kLaneMask;
}
constexpr uint32_t LaneAG(uint32_t argb) {
    return (argb >> 8) & kLaneMask;
}
constexpr uint32_t FromLanes(uint32_t rb, uint32_t ag) {
    return (rb & kLaneMask) | ((ag & kLaneMask) << 8);
}
constexpr uint32_t AlphaOf(uint32_t argb) {
    return argb >> 24;
}

// Premultiplies a straight colour: every channel becomes c * (a + 1) / 256.
constexpr uint32_t Premultiply(uint32_t argb) {
    uint32_t a = argb >> 24;
    if (a == 255)
        return argb;
    uint32_t k = a + 1;
    uint32_t rb = ((LaneRB(argb) * k) >> 8) & kLaneMask;
    uint32_t g = (((argb >> 8) & 0xFF) * k) >> 8;
    return (a << 24) | (rb & 0x00FF0000) | (g << 8) | (rb & 0xFF);
}

// Scales both lanes of a lane word by k / 256 (k in 0..256).
constexpr uint32_t ScaleLanes(uint32_t lanes, uint32_t k) {
    return ((lanes * k) >> 8) & kLaneMask;
}

// Source-over of a premultiplied colour onto a premultiplied destination.
constexpr uint32_t BlendOver(uint32_t dst, uint32_t src) {
    uint32_t inv = 255 - (src >> 24);
    if (inv == 0)
        return src;
    uint32_t k = inv + (inv >> 7); // 0..256, 255 -> 256
    uint32_t rb = ScaleLanes(LaneRB(dst), k) + LaneRB(src);
    uint32_t ag = ScaleLanes(LaneAG(dst), k) + LaneAG(src);
    return FromLanes(rb, ag);
}

// Straight colour of a premultiplied one (used where a table works on straight channels).
inline uint32_t Unpremultiply(uint32_t pm) {
    uint32_t a = pm >> 24;
    if (a == 255)
        return pm;
    if (a == 0)
        return 0;
    auto ch = [a](uint32_t c) {
        uint32_t v = (c * 255 + a / 2) / a;
        return v > 255 ? 255u : v;
    };
    return (a << 24) | (ch((pm >> 16) & 0xFF) << 16) | (ch((pm >> 8) & 0xFF) << 8) | ch(pm & 0xFF);
}

} // namespace tavro::player::render
