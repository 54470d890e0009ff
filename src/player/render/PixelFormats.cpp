#include "player/render/PixelFormats.h"

#include "player/render/PixelKernels.h"

#include "player/render/PaletteState.h"

#include <array>
#include <cstring>

namespace tavro::player::render {

const uint8_t kDitherTable[8][8] = {
    {0, 8, 0, 8, 1, 9, 15, 7},   {10, 6, 2, 14, 11, 7, 3, 13}, {4, 14, 10, 2, 5, 15, 11, 1},
    {12, 4, 12, 6, 13, 3, 5, 9}, {1, 9, 15, 7, 2, 10, 0, 6},   {11, 7, 3, 13, 12, 8, 4, 12},
    {5, 15, 9, 1, 6, 14, 10, 0}, {13, 3, 11, 5, 14, 2, 4, 8},
};

namespace {

constexpr uint32_t Opaque(uint32_t r, uint32_t g, uint32_t b) {
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}
inline uint32_t R(uint32_t c) {
    return (c >> 16) & 0xFF;
}
inline uint32_t G(uint32_t c) {
    return (c >> 8) & 0xFF;
}
inline uint32_t B(uint32_t c) {
    return c & 0xFF;
}

// --- grey levels at 1, 2 and 4 bits per pixel, most significant bits first in each byte ---

inline uint32_t Luma(uint32_t c) {
    return (R(c) * 77 + G(c) * 150 + B(c) * 29) >> 8;
}

// floor(level + (dither + 1/2) / 16), level = luma * max / 255.
template <int Bits> uint32_t GreyIndex(uint32_t c, unsigned dither) {
    constexpr uint32_t kMax = (1u << Bits) - 1;
    return (16 * Luma(c) * kMax + 255 * dither + 127) / (255 * 16);
}

template <int Bits> void PutIndex(uint8_t* row, int x, uint32_t index) {
    constexpr int kPerByte = 8 / Bits;
    int shift = (kPerByte - 1 - (x % kPerByte)) * Bits;
    uint8_t& byte = row[x / kPerByte];
    byte = uint8_t((byte & ~(((1u << Bits) - 1) << shift)) | (index << shift));
}
template <int Bits> uint32_t GetIndex(const uint8_t* row, int x) {
    constexpr int kPerByte = 8 / Bits;
    int shift = (kPerByte - 1 - (x % kPerByte)) * Bits;
    return (row[x / kPerByte] >> shift) & ((1u << Bits) - 1);
}

template <int Bits> void WriteGrey(const SpanTarget& t, int x, int n, const uint32_t* c) {
    const uint8_t* dither = kDitherTable[t.y & 7];
    for (int i = 0; i < n; ++i, ++x)
        PutIndex<Bits>(t.row, x, GreyIndex<Bits>(c[i], dither[x & 7]));
}
template <int Bits> void FillGrey(const SpanTarget& t, int x, int n, uint32_t c) {
    const uint8_t* dither = kDitherTable[t.y & 7];
    for (int i = 0; i < n; ++i, ++x)
        PutIndex<Bits>(t.row, x, GreyIndex<Bits>(c, dither[x & 7]));
}
template <int Bits> void ReadGrey(const SpanTarget& t, int x, int n, uint32_t* out) {
    constexpr uint32_t kMax = (1u << Bits) - 1;
    for (int i = 0; i < n; ++i, ++x) {
        uint32_t v = GetIndex<Bits>(t.row, x) * 255 / kMax;
        out[i] = Opaque(v, v, v);
    }
}

// --- 8 bits: palette index through the inverse table, dithered ---

void Write8(const SpanTarget& t, int x, int n, const uint32_t* c) {
    const uint8_t* dither = kDitherTable[t.y & 7];
    uint8_t* p = t.row + x;
    for (int i = 0; i < n; ++i, ++x)
        p[i] = t.palette->IndexFor(c[i], dither[x & 7]);
}
void Fill8(const SpanTarget& t, int x, int n, uint32_t c) {
    const uint8_t* dither = kDitherTable[t.y & 7];
    uint8_t* p = t.row + x;
    // The dithered index repeats every 8 pixels.
    uint8_t pattern[8];
    for (int k = 0; k < 8; ++k)
        pattern[k] = t.palette->IndexFor(c, dither[k]);
    for (int i = 0; i < n; ++i, ++x)
        p[i] = pattern[x & 7];
}
void Read8(const SpanTarget& t, int x, int n, uint32_t* out) {
    const auto& colors = t.palette->Colors();
    for (int i = 0; i < n; ++i)
        out[i] = 0xFF000000u | colors[t.row[x + i]];
}

// --- 16 bits ---

inline uint16_t To555(uint32_t c) {
    return uint16_t(((R(c) >> 3) << 10) | ((G(c) >> 3) << 5) | (B(c) >> 3));
}
inline uint16_t To565(uint32_t c) {
    return uint16_t(((R(c) >> 3) << 11) | ((G(c) >> 2) << 5) | (B(c) >> 3));
}

template <uint16_t (*Pack)(uint32_t)>
void Write16(const SpanTarget& t, int x, int n, const uint32_t* c) {
    uint8_t* p = t.row + x * 2;
    for (int i = 0; i < n; ++i) {
        uint16_t v = Pack(c[i]);
        p[i * 2] = uint8_t(v);
        p[i * 2 + 1] = uint8_t(v >> 8);
    }
}
template <uint16_t (*Pack)(uint32_t)> void Fill16(const SpanTarget& t, int x, int n, uint32_t c) {
    uint8_t* p = t.row + x * 2;
    uint16_t v = Pack(c);
    for (int i = 0; i < n; ++i) {
        p[i * 2] = uint8_t(v);
        p[i * 2 + 1] = uint8_t(v >> 8);
    }
}
void Read555(const SpanTarget& t, int x, int n, uint32_t* out) {
    const uint8_t* p = t.row + x * 2;
    for (int i = 0; i < n; ++i) {
        uint32_t v = uint32_t(p[i * 2]) | (uint32_t(p[i * 2 + 1]) << 8);
        out[i] = Opaque(kExpand5[(v >> 10) & 31], kExpand5[(v >> 5) & 31], kExpand5[v & 31]);
    }
}
void Read565(const SpanTarget& t, int x, int n, uint32_t* out) {
    const uint8_t* p = t.row + x * 2;
    for (int i = 0; i < n; ++i) {
        uint32_t v = uint32_t(p[i * 2]) | (uint32_t(p[i * 2 + 1]) << 8);
        out[i] = Opaque(kExpand5[(v >> 11) & 31], kExpand6[(v >> 5) & 63], kExpand5[v & 31]);
    }
}

// --- 24 bits: blue, green, red ---

void Write24(const SpanTarget& t, int x, int n, const uint32_t* c) {
    uint8_t* p = t.row + x * 3;
    for (int i = 0; i < n; ++i, p += 3) {
        p[0] = uint8_t(B(c[i]));
        p[1] = uint8_t(G(c[i]));
        p[2] = uint8_t(R(c[i]));
    }
}
void Fill24(const SpanTarget& t, int x, int n, uint32_t c) {
    uint8_t* p = t.row + x * 3;
    for (int i = 0; i < n; ++i, p += 3) {
        p[0] = uint8_t(B(c));
        p[1] = uint8_t(G(c));
        p[2] = uint8_t(R(c));
    }
}
void Read24(const SpanTarget& t, int x, int n, uint32_t* out) {
    const uint8_t* p = t.row + x * 3;
    for (int i = 0; i < n; ++i, p += 3)
        out[i] = Opaque(p[2], p[1], p[0]);
}

// --- 32 bits: one little-endian word 0xFFRRGGBB per pixel ---

void Write32(const SpanTarget& t, int x, int n, const uint32_t* c) {
    kernels::Write32(t.row + size_t(x) * 4, c, n);
}
void Fill32(const SpanTarget& t, int x, int n, uint32_t c) {
    kernels::Fill32(t.row + size_t(x) * 4, c, n);
}
void Read32(const SpanTarget& t, int x, int n, uint32_t* out) {
    kernels::Read32(t.row + size_t(x) * 4, out, n);
}

const PixelFormat kFormats[kDepthIndexCount] = {
    {1, FillGrey<1>, WriteGrey<1>, ReadGrey<1>},
    {2, FillGrey<2>, WriteGrey<2>, ReadGrey<2>},
    {4, FillGrey<4>, WriteGrey<4>, ReadGrey<4>},
    {8, Fill8, Write8, Read8},
    {16, Fill16<To555>, Write16<To555>, Read555},
    {16, Fill16<To565>, Write16<To565>, Read565},
    {24, Fill24, Write24, Read24},
    {32, Fill32, Write32, Read32},
};

} // namespace

const PixelFormat& PixelFormatFor(int depthIndex) {
    if (depthIndex < 0 || depthIndex >= kDepthIndexCount)
        depthIndex = kDepthIndexCount - 1;
    return kFormats[depthIndex];
}

} // namespace tavro::player::render
