// Per-depth span writers and readers of the surface, indexed by depthIndex 0..7:
// 0 = 1 bit, 1 = 2 bits, 2 = 4 bits (grey levels), 3 = 8 bits (palette), 4 = 16 bits 5-5-5,
// 5 = 16 bits 5-6-5, 6 = 24 bits, 7 = 32 bits. Writers take opaque 0xAARRGGBB colours (alpha is
// ignored); readers return opaque colours. Depths of 8 bits and less apply the 8x8 ordered
// dither.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tavro::player::render {

class PaletteState;

// One row of a surface as the writers see it.
struct SpanTarget {
    uint8_t* row = nullptr;
    int y = 0;
    const PaletteState* palette = nullptr; // 8-bit layouts only
};

using FillSpanFn = void (*)(const SpanTarget&, int x, int n, uint32_t argb);
using WriteSpanFn = void (*)(const SpanTarget&, int x, int n, const uint32_t* argb);
using ReadSpanFn = void (*)(const SpanTarget&, int x, int n, uint32_t* argb);

struct PixelFormat {
    int bitsPerPixel;
    FillSpanFn fill;
    WriteSpanFn write;
    ReadSpanFn read;
};

constexpr int kDepthIndexCount = 8;

// The layout for depthIndex 0..7 (out-of-range values give the 32-bit layout).
const PixelFormat& PixelFormatFor(int depthIndex);

// Ordered-dither offsets (0..15) by [y & 7][x & 7].
extern const uint8_t kDitherTable[8][8];
// Expansion of a 5-bit channel to 8 bits (5-5-5, and red and blue of 5-6-5): 0 stays 0, v
// becomes 8v + 7, except 12 and 28, which give 95 and 223.
constexpr std::array<uint8_t, 32> MakeExpand5() {
    std::array<uint8_t, 32> t{};
    for (int v = 1; v < 32; ++v)
        t[size_t(v)] = uint8_t(8 * v + 7);
    t[12] = 95;
    t[28] = 223;
    return t;
}
// Expansion of the 6-bit green of 5-6-5: 0 stays 0, g becomes (g << 2) | 3.
constexpr std::array<uint8_t, 64> MakeExpand6() {
    std::array<uint8_t, 64> t{};
    for (int v = 1; v < 64; ++v)
        t[size_t(v)] = uint8_t((v << 2) | 3);
    return t;
}
inline constexpr std::array<uint8_t, 32> kExpand5 = MakeExpand5();
inline constexpr std::array<uint8_t, 64> kExpand6 = MakeExpand6();

} // namespace tavro::player::render
