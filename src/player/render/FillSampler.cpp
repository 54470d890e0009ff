#include "player/render/FillSampler.h"

#include "player/render/PixelColor.h"
#include "player/render/PixelKernels.h"

#include <algorithm>
#include <array>

namespace tavro::player::render {

namespace {

// floor(sqrt(k)) for k < 2^16: the radial gradient's distance at 1/64 of the gradient radius.
const std::array<uint8_t, 65536>& SqrtTable() {
    static const std::array<uint8_t, 65536> table = [] {
        std::array<uint8_t, 65536> t{};
        uint32_t r = 0;
        for (uint32_t k = 0; k < 65536; ++k) {
            while ((r + 1) * (r + 1) <= k)
                ++r;
            t[k] = uint8_t(r);
        }
        return t;
    }();
    return table;
}

constexpr int64_t kGradientHalf = int64_t(16384) << 32;

int32_t IntPart(int64_t v) {
    int64_t i = v >> 32;
    return int32_t(std::clamp<int64_t>(i, -(int64_t(1) << 28), int64_t(1) << 28));
}

int32_t Wrap(int32_t i, int32_t size) {
    int32_t m = i % size;
    return m < 0 ? m + size : m;
}

uint32_t ApplyLut(uint32_t pm, const uint8_t* lut) {
    uint32_t s = Unpremultiply(pm);
    uint32_t a = lut[(s >> 24)];
    uint32_t r = lut[256 + ((s >> 16) & 0xFF)];
    uint32_t g = lut[512 + ((s >> 8) & 0xFF)];
    uint32_t b = lut[768 + (s & 0xFF)];
    return Premultiply((a << 24) | (r << 16) | (g << 8) | b);
}

// n is at most 256.
void SampleBitmap(const ColorRecord& r, int64_t u, int64_t v, int64_t du, int64_t dv, int n,
                  uint32_t* out) {
    const DecodedBitmap& bm = *r.bitmap;
    const int32_t w = bm.width, h = bm.height;
    const bool tiled = r.kind == FillKind::TiledBitmap;
    auto fixX = [&](int32_t i) { return tiled ? Wrap(i, w) : std::clamp(i, 0, w - 1); };
    auto fixY = [&](int32_t i) { return tiled ? Wrap(i, h) : std::clamp(i, 0, h - 1); };
    if (n <= 0)
        return;
    if (r.smooth) {
        // Bilinear between the four nearest pixel centres.
        BilinearTap taps[256];
        u -= int64_t(1) << 31;
        v -= int64_t(1) << 31;
        const int64_t width = int64_t(w) << 32, height = int64_t(h) << 32;
        // Positions that stay inside the integer part's range, in steps shorter than the
        // bitmap: tiles are followed by wrapping the position as it moves instead of dividing.
        const int64_t reach = (int64_t(1) << 60) - (int64_t(1) << 32);
        auto inside = [&](int64_t p, int64_t d) {
            const __int128 end = __int128(p) + __int128(d) * (n - 1);
            return p > -reach && p < reach && end > -reach && end < reach;
        };
        if (tiled && du > -width && du < width && dv > -height && dv < height && inside(u, du) &&
            inside(v, dv)) {
            int64_t uw = u % width, vw = v % height;
            uw += uw < 0 ? width : 0;
            vw += vw < 0 ? height : 0;
            if (dv == 0) {
                // Along the bitmap's rows: the same two rows for the whole run.
                const int32_t y0 = int32_t(vw >> 32), y1 = y0 + 1 == h ? 0 : y0 + 1;
                kernels::BilinearAcross(bm.pixels.data() + size_t(y0) * size_t(w),
                                        bm.pixels.data() + size_t(y1) * size_t(w),
                                        uint32_t((vw >> 24) & 0xFF), uw, du, w, n, out);
            } else {
                for (int i = 0; i < n; ++i) {
                    const int32_t x0 = int32_t(uw >> 32), y0 = int32_t(vw >> 32);
                    const int32_t x1 = x0 + 1 == w ? 0 : x0 + 1, y1 = y0 + 1 == h ? 0 : y0 + 1;
                    taps[i] = BilinearTap{bm.pixels.data() + size_t(y0) * size_t(w),
                                          bm.pixels.data() + size_t(y1) * size_t(w),
                                          x0,
                                          x1,
                                          uint32_t((uw >> 24) & 0xFF),
                                          uint32_t((vw >> 24) & 0xFF)};
                    uw += du;
                    uw += uw >= width ? -width : uw < 0 ? width : 0;
                    vw += dv;
                    vw += vw >= height ? -height : vw < 0 ? height : 0;
                }
                kernels::BilinearRow(taps, n, out);
            }
            if (r.lut)
                for (int i = 0; i < n; ++i)
                    out[i] = ApplyLut(out[i], r.lut);
            return;
        }
        for (int i = 0; i < n; ++i, u += du, v += dv) {
            const int32_t ix = IntPart(u), iy = IntPart(v);
            int32_t x0, x1, y0, y1;
            if (ix >= 0 && ix < w - 1) {
                x0 = ix, x1 = ix + 1;
            } else {
                x0 = fixX(ix), x1 = tiled ? (x0 + 1 == w ? 0 : x0 + 1) : fixX(ix + 1);
            }
            if (iy >= 0 && iy < h - 1) {
                y0 = iy, y1 = iy + 1;
            } else {
                y0 = fixY(iy), y1 = tiled ? (y0 + 1 == h ? 0 : y0 + 1) : fixY(iy + 1);
            }
            taps[i] = BilinearTap{bm.pixels.data() + size_t(y0) * size_t(w),
                                  bm.pixels.data() + size_t(y1) * size_t(w),
                                  x0,
                                  x1,
                                  uint32_t((u >> 24) & 0xFF),
                                  uint32_t((v >> 24) & 0xFF)};
        }
        kernels::BilinearRow(taps, n, out);
    } else if (tiled && du >= 0 && du < (int64_t(w) << 32) && dv == 0) {
        // Rows along the bitmap's x axis: keep u inside [0, w) instead of dividing.
        const int64_t width = int64_t(w) << 32;
        u %= width;
        if (u < 0)
            u += width;
        const uint32_t* row = bm.pixels.data() + size_t(fixY(IntPart(v))) * size_t(w);
        for (int i = 0; i < n; ++i) {
            out[i] = row[u >> 32];
            u += du;
            if (u >= width)
                u -= width;
        }
    } else {
        for (int i = 0; i < n; ++i, u += du, v += dv)
            out[i] = bm.At(fixX(IntPart(u)), fixY(IntPart(v)));
    }
    if (r.lut)
        for (int i = 0; i < n; ++i)
            out[i] = ApplyLut(out[i], r.lut);
}

} // namespace

void SampleFill(const ColorRecord& r, int32_t x2, int32_t y2, int32_t step, int n, uint32_t* out) {
    // Positions are recomputed every 256 samples, so the stepping sums stay bounded.
    constexpr int kChunk = 256;
    while (n > kChunk) {
        SampleFill(r, x2, y2, step, kChunk, out);
        x2 += 2 * step * kChunk;
        out += kChunk;
        n -= kChunk;
    }
    const FillMap& m = r.map;
    int64_t u = m.U(x2, y2), v = m.V(x2, y2);
    int64_t du = m.a * step, dv = m.b * step;
    switch (r.kind) {
    case FillKind::LinearGradient:
        for (int i = 0; i < n; ++i, u += du) {
            int64_t idx = (u + kGradientHalf) >> 39; // (x + 16384) / 128
            out[i] = r.ramp[std::clamp<int64_t>(idx, 0, 255)];
        }
        break;
    case FillKind::RadialGradient: {
        const auto& sq = SqrtTable();
        for (int i = 0; i < n; ++i, u += du, v += dv) {
            int64_t gx = IntPart(u), gy = IntPart(v);
            uint64_t d = uint64_t(gx * gx) + uint64_t(gy * gy);
            out[i] = r.ramp[d >= (uint64_t(1) << 28) ? 255 : sq[d >> 12]];
        }
        break;
    }
    case FillKind::TiledBitmap:
    case FillKind::ClippedBitmap:
        if (r.bitmap && r.bitmap->Usable()) {
            SampleBitmap(r, u, v, du, dv, n, out);
            break;
        }
        [[fallthrough]];
    default:
        std::fill(out, out + n, r.color);
        break;
    }
}

void BuildRamp(const uint8_t* ratios, const uint32_t* colors, int count, uint32_t ramp[256]) {
    if (count <= 0) {
        std::fill(ramp, ramp + 256, 0u);
        return;
    }
    int k = 0;
    for (int i = 0; i < 256; ++i) {
        while (k < count && ratios[k] < i)
            ++k;
        if (k == 0) {
            ramp[i] = colors[0];
        } else if (k == count) {
            ramp[i] = colors[count - 1];
        } else {
            // Between entry k-1 and k: start + slope * offset, per channel.
            int r0 = ratios[k - 1], r1 = ratios[k];
            uint32_t c0 = colors[k - 1], c1 = colors[k];
            int span = r1 - r0, off = i - r0;
            uint32_t out = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                int a = int((c0 >> shift) & 0xFF), b = int((c1 >> shift) & 0xFF);
                int v = span == 0 ? b : a + (b - a) * off / span;
                out |= uint32_t(std::clamp(v, 0, 255)) << shift;
            }
            ramp[i] = out;
        }
    }
}

} // namespace tavro::player::render
