// The per-pixel loops of the renderer that run over whole rows: compositing a row over what
// the surface holds, adding a weighted fill under solid layers, bilinear bitmap sampling and
// the 32-bit surface's span access. Each has a portable version and, on x86-64, an SSE2
// version that gives exactly the same bytes; the plain names pick the fastest one built.
#pragma once

#include <cstdint>

namespace tavro::player::render {

// Two source rows of a bitmap and what a bilinear sample takes from them: the pixels at
// columns x0 and x1 of rows `top` and `bottom`, mixed by fx (across) and fy (down), 0..255.
struct BilinearTap {
    const uint32_t* top;
    const uint32_t* bottom;
    int32_t x0, x1;
    uint32_t fx, fy;
};

// The anti-aliasing sums of a pixel, kept as the difference from the pixel to its left (so
// that a span adds a constant to any number of whole pixels with a handful of writes); the
// sums of a row are the running totals. `color` holds the premultiplied colour times the
// covered samples as four 16-bit lanes (blue, green, red, alpha from the low end; a pixel's
// total stays below 16 x 256, and the lanes may borrow from each other in between: only the
// totals are read), `opaque` the samples covered by an opaque stack.
struct alignas(16) SampleSums {
    uint64_t color = 0;
    uint64_t opaque = 0;
};

namespace kernels {

// The pixels of a row from their sums: out[i] is colour / 16, made opaque when all 16 samples
// were covered by an opaque stack (`opaque` is 16; with `covered`, `opaque` counts the samples
// without one instead, and is 0). The sums are cleared, and so is the one after the last
// (which holds the negated totals). Returns the AND of all pixels written.
uint32_t ResolveSums(SampleSums* sums, int n, uint32_t* out, bool covered = false);

// src[i] = BlendOver(dst[i], src[i]) for premultiplied colours.
void BlendRowOver(const uint32_t* dst, uint32_t* src, int n);

// out[i] += colors[i] x w / 256 per channel, saturating at 255, where w is the running total
// of `weightDiffs` up to i, divided by 16 (0..256). The differences are cleared, and so is the
// one after the last (which holds the negated total).
void AddWeightedRow(uint32_t* out, const uint32_t* colors, uint32_t* weightDiffs, int n);

// One bilinear sample per tap: channels mix as (c0 (256 - f) + c1 f) / 256, across and then
// down.
void BilinearRow(const BilinearTap* taps, int n, uint32_t* out);
// The same along one row of a tiled bitmap `width` pixels wide, between rows `top` and
// `bottom` mixed by fy: the position u (32.32, in [0, width)) moves by du (less than the width
// either way) per sample and wraps.
void BilinearAcross(const uint32_t* top, const uint32_t* bottom, uint32_t fy, int64_t u, int64_t du,
                    int32_t width, int n, uint32_t* out);

// The 32-bit surface layout (one little-endian 0xFFRRGGBB word per pixel).
void Write32(uint8_t* row, const uint32_t* argb, int n);
void Fill32(uint8_t* row, uint32_t argb, int n);
void Read32(const uint8_t* row, uint32_t* argb, int n);

} // namespace kernels

// The portable versions, for comparison.
namespace kernels::portable {
uint32_t ResolveSums(SampleSums* sums, int n, uint32_t* out, bool covered = false);
void BlendRowOver(const uint32_t* dst, uint32_t* src, int n);
void AddWeightedRow(uint32_t* out, const uint32_t* colors, uint32_t* weightDiffs, int n);
void BilinearRow(const BilinearTap* taps, int n, uint32_t* out);
void BilinearAcross(const uint32_t* top, const uint32_t* bottom, uint32_t fy, int64_t u, int64_t du,
                    int32_t width, int n, uint32_t* out);
void Write32(uint8_t* row, const uint32_t* argb, int n);
void Fill32(uint8_t* row, uint32_t argb, int n);
void Read32(const uint8_t* row, uint32_t* argb, int n);
} // namespace kernels::portable

} // namespace tavro::player::render
