#include "player/render/PixelKernels.h"

#include "player/render/PixelColor.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#define TAVRO_RENDER_SSE2 1
#endif

namespace tavro::player::render::kernels {

namespace portable {

namespace {
// Four 16-bit lanes of 16-sample sums back to 0xAARRGGBB.
inline uint32_t Gather16(uint64_t sum) {
    uint64_t v = (sum >> 4) & 0x00FF00FF00FF00FFull;
    v = (v | (v >> 8)) & 0x0000FFFF0000FFFFull;
    return uint32_t(v | (v >> 16));
}
} // namespace

uint32_t ResolveSums(SampleSums* sums, int n, uint32_t* out, bool covered) {
    uint64_t color = 0, opaque = 0;
    uint32_t all = 0xFFFFFFFFu;
    for (int i = 0; i < n; ++i) {
        color += sums[i].color;
        opaque += sums[i].opaque;
        sums[i] = SampleSums();
        const bool full = covered ? opaque == 0 : opaque >= 16;
        const uint32_t px = Gather16(color) | (full ? 0xFF000000u : 0u);
        out[i] = px;
        all &= px;
    }
    sums[n] = SampleSums();
    return all;
}

void BlendRowOver(const uint32_t* dst, uint32_t* src, int n) {
    for (int i = 0; i < n; ++i)
        src[i] = BlendOver(dst[i], src[i]);
}

void AddWeightedRow(uint32_t* out, const uint32_t* colors, uint32_t* weightDiffs, int n) {
    uint32_t running = 0;
    for (int i = 0; i < n; ++i) {
        running += weightDiffs[i];
        weightDiffs[i] = 0;
        const uint32_t w = running >> 4; // 0..256
        if (w == 0)
            continue;
        const uint32_t col = colors[i];
        uint32_t rb = LaneRB(out[i]) + ScaleLanes(LaneRB(col), w);
        uint32_t ag = LaneAG(out[i]) + ScaleLanes(LaneAG(col), w);
        // Rounding may reach 256 in a lane: saturate.
        rb = (rb | (((rb >> 8) & 0x00010001) * 0xFF)) & kLaneMask;
        ag = (ag | (((ag >> 8) & 0x00010001) * 0xFF)) & kLaneMask;
        out[i] = FromLanes(rb, ag);
    }
    weightDiffs[n] = 0;
}

namespace {
uint32_t Mix(uint32_t c0, uint32_t c1, uint32_t f) { // f in 0..256
    const uint32_t g = 256 - f;
    const uint32_t rb = ((LaneRB(c0) * g + LaneRB(c1) * f) >> 8) & kLaneMask;
    const uint32_t ag = ((LaneAG(c0) * g + LaneAG(c1) * f) >> 8) & kLaneMask;
    return FromLanes(rb, ag);
}
} // namespace

void BilinearRow(const BilinearTap* taps, int n, uint32_t* out) {
    for (int i = 0; i < n; ++i) {
        const BilinearTap& t = taps[i];
        const uint32_t top = Mix(t.top[t.x0], t.top[t.x1], t.fx);
        const uint32_t bottom = Mix(t.bottom[t.x0], t.bottom[t.x1], t.fx);
        out[i] = Mix(top, bottom, t.fy);
    }
}

void BilinearAcross(const uint32_t* top, const uint32_t* bottom, uint32_t fy, int64_t u, int64_t du,
                    int32_t width, int n, uint32_t* out) {
    const int64_t end = int64_t(width) << 32;
    for (int i = 0; i < n; ++i) {
        const int32_t x0 = int32_t(u >> 32), x1 = x0 + 1 == width ? 0 : x0 + 1;
        const uint32_t fx = uint32_t((u >> 24) & 0xFF);
        out[i] = Mix(Mix(top[x0], top[x1], fx), Mix(bottom[x0], bottom[x1], fx), fy);
        u += du;
        u += u >= end ? -end : u < 0 ? end : 0;
    }
}

void Write32(uint8_t* row, const uint32_t* argb, int n) {
    for (int i = 0; i < n; ++i) {
        const uint32_t v = argb[i] | 0xFF000000u;
        std::memcpy(row + size_t(i) * 4, &v, 4);
    }
}

void Fill32(uint8_t* row, uint32_t argb, int n) {
    const uint32_t v = argb | 0xFF000000u;
    for (int i = 0; i < n; ++i)
        std::memcpy(row + size_t(i) * 4, &v, 4);
}

void Read32(const uint8_t* row, uint32_t* argb, int n) {
    for (int i = 0; i < n; ++i) {
        uint32_t v;
        std::memcpy(&v, row + size_t(i) * 4, 4);
        argb[i] = v | 0xFF000000u;
    }
}

} // namespace portable

#if TAVRO_RENDER_SSE2

namespace {

// Channels of two pixels as eight 16-bit lanes, and back (low byte of each lane).
inline __m128i Unpack(__m128i pixels, __m128i zero) {
    return _mm_unpacklo_epi8(pixels, zero);
}
inline __m128i LoadTwo(const uint32_t* p) {
    return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
}
inline void StoreTwo(uint32_t* p, __m128i v) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
}

// The alpha lane of each pixel copied into its four lanes.
inline __m128i SpreadAlpha(__m128i lanes) {
    return _mm_shufflehi_epi16(_mm_shufflelo_epi16(lanes, 0xFF), 0xFF);
}

// Blend of two pixels in lanes: dst x k / 256 + src per channel, with k = inv + (inv >> 7)
// and inv = 255 - alpha of src; a channel that passes 255 wraps, as the word arithmetic does.
inline __m128i BlendLanes(__m128i d, __m128i s) {
    const __m128i inv = _mm_sub_epi16(_mm_set1_epi16(255), SpreadAlpha(s));
    const __m128i k = _mm_add_epi16(inv, _mm_srli_epi16(inv, 7));
    const __m128i scaled = _mm_srli_epi16(_mm_mullo_epi16(d, k), 8);
    return _mm_and_si128(_mm_add_epi16(scaled, s), _mm_set1_epi16(0xFF));
}

} // namespace

uint32_t ResolveSums(SampleSums* sums, int n, uint32_t* out, bool covered) {
    // The running totals of colour and opaque samples side by side in one register.
    __m128i running = _mm_setzero_si128(), all = _mm_set1_epi32(-1);
    const __m128i zero = _mm_setzero_si128(), fifteen = _mm_set1_epi32(15);
    const __m128i alpha = _mm_set1_epi32(int(0xFF000000u));
    __m128i* p = reinterpret_cast<__m128i*>(sums);
    int i = 0;
    for (; i + 2 <= n; i += 2) {
        const __m128i a = running = _mm_add_epi64(running, _mm_load_si128(p + i));
        const __m128i b = running = _mm_add_epi64(running, _mm_load_si128(p + i + 1));
        _mm_store_si128(p + i, zero);
        _mm_store_si128(p + i + 1, zero);
        // Colours: every lane total / 16 fits a byte.
        const __m128i colors = _mm_srli_epi16(_mm_unpacklo_epi64(a, b), 4);
        // Opaque counts (0..16, so their low 32 bits hold them): 16 makes the pixel opaque.
        const __m128i counts = _mm_unpackhi_epi64(a, b);
        const __m128i full =
            covered ? _mm_cmpeq_epi32(counts, zero) : _mm_cmpgt_epi32(counts, fifteen);
        const __m128i opaque = _mm_and_si128(_mm_shuffle_epi32(full, 0x08), alpha);
        const __m128i px = _mm_or_si128(_mm_packus_epi16(colors, colors), opaque);
        all = _mm_and_si128(all, px);
        StoreTwo(out + i, px);
    }
    uint32_t result =
        uint32_t(_mm_cvtsi128_si32(all)) & uint32_t(_mm_cvtsi128_si32(_mm_srli_si128(all, 4)));
    if (i < n) {
        // The last odd pixel, with the running totals carried on.
        alignas(16) SampleSums carried;
        _mm_store_si128(reinterpret_cast<__m128i*>(&carried), running);
        sums[i].color += carried.color;
        sums[i].opaque += carried.opaque;
        result &= portable::ResolveSums(sums + i, n - i, out + i, covered);
    } else {
        sums[n] = SampleSums();
    }
    return result;
}

void BlendRowOver(const uint32_t* dst, uint32_t* src, int n) {
    const __m128i zero = _mm_setzero_si128();
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        const __m128i lo = BlendLanes(_mm_unpacklo_epi8(d, zero), _mm_unpacklo_epi8(s, zero));
        const __m128i hi = BlendLanes(_mm_unpackhi_epi8(d, zero), _mm_unpackhi_epi8(s, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(src + i), _mm_packus_epi16(lo, hi));
    }
    portable::BlendRowOver(dst + i, src + i, n - i);
}

void AddWeightedRow(uint32_t* out, const uint32_t* colors, uint32_t* weightDiffs, int n) {
    const __m128i zero = _mm_setzero_si128();
    uint32_t running = 0;
    int i = 0;
    for (; i + 2 <= n; i += 2) {
        running += weightDiffs[i];
        const uint32_t w0 = running >> 4;
        running += weightDiffs[i + 1];
        const uint32_t w1 = running >> 4;
        weightDiffs[i] = weightDiffs[i + 1] = 0;
        if ((w0 | w1) == 0)
            continue;
        // Weights of the two pixels in their four lanes each.
        const __m128i w =
            _mm_unpacklo_epi64(_mm_set1_epi16(int16_t(w0)), _mm_set1_epi16(int16_t(w1)));
        const __m128i c = Unpack(LoadTwo(colors + i), zero);
        const __m128i o = Unpack(LoadTwo(out + i), zero);
        const __m128i sum = _mm_add_epi16(o, _mm_srli_epi16(_mm_mullo_epi16(c, w), 8));
        // Sums stay below 512: packing saturates them at 255.
        StoreTwo(out + i, _mm_packus_epi16(sum, sum));
    }
    // The last odd pixel, with the running total carried on.
    if (i < n) {
        weightDiffs[i] += running;
        portable::AddWeightedRow(out + i, colors + i, weightDiffs + i, n - i);
    } else {
        weightDiffs[n] = 0;
    }
}

void BilinearRow(const BilinearTap* taps, int n, uint32_t* out) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i k256 = _mm_set1_epi16(256);
    for (int i = 0; i < n; ++i) {
        const BilinearTap& t = taps[i];
        // Top row in lanes 0..3 (x0) and 4..7 (x1), bottom row likewise.
        __m128i top, bottom;
        if (t.x1 == t.x0 + 1) {
            top = Unpack(LoadTwo(t.top + t.x0), zero);
            bottom = Unpack(LoadTwo(t.bottom + t.x0), zero);
        } else {
            top = Unpack(_mm_unpacklo_epi32(_mm_cvtsi32_si128(int(t.top[t.x0])),
                                            _mm_cvtsi32_si128(int(t.top[t.x1]))),
                         zero);
            bottom = Unpack(_mm_unpacklo_epi32(_mm_cvtsi32_si128(int(t.bottom[t.x0])),
                                               _mm_cvtsi32_si128(int(t.bottom[t.x1]))),
                            zero);
        }
        // Weights (256 - f) for the first pixel's lanes and f for the second's.
        const __m128i fx = _mm_set1_epi16(int16_t(t.fx));
        const __m128i wx = _mm_unpacklo_epi64(_mm_sub_epi16(k256, fx), fx);
        // c0 (256 - f) + c1 f stays below 65536, so the 16-bit lanes hold it exactly.
        const __m128i tw = _mm_mullo_epi16(top, wx);
        const __m128i bw = _mm_mullo_epi16(bottom, wx);
        const __m128i across = _mm_srli_epi16(
            _mm_add_epi16(_mm_unpacklo_epi64(tw, bw), _mm_unpackhi_epi64(tw, bw)), 8);
        const __m128i fy = _mm_set1_epi16(int16_t(t.fy));
        const __m128i wy = _mm_unpacklo_epi64(_mm_sub_epi16(k256, fy), fy);
        const __m128i dw = _mm_mullo_epi16(across, wy);
        const __m128i down = _mm_srli_epi16(_mm_add_epi16(dw, _mm_srli_si128(dw, 8)), 8);
        out[i] = uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(down, down)));
    }
}

// The top and bottom samples of the pixel at u, mixed across: lanes 0..3 top, 4..7 bottom.
inline __m128i Across(const uint32_t* top, const uint32_t* bottom, int64_t u, int32_t width,
                      __m128i zero) {
    const int32_t x0 = int32_t(u >> 32);
    __m128i t, b;
    if (x0 + 1 < width) {
        t = Unpack(LoadTwo(top + x0), zero);
        b = Unpack(LoadTwo(bottom + x0), zero);
    } else {
        t = Unpack(
            _mm_unpacklo_epi32(_mm_cvtsi32_si128(int(top[x0])), _mm_cvtsi32_si128(int(top[0]))),
            zero);
        b = Unpack(_mm_unpacklo_epi32(_mm_cvtsi32_si128(int(bottom[x0])),
                                      _mm_cvtsi32_si128(int(bottom[0]))),
                   zero);
    }
    const __m128i fx = _mm_set1_epi16(int16_t((u >> 24) & 0xFF));
    const __m128i wx = _mm_unpacklo_epi64(_mm_sub_epi16(_mm_set1_epi16(256), fx), fx);
    const __m128i tw = _mm_mullo_epi16(t, wx);
    const __m128i bw = _mm_mullo_epi16(b, wx);
    return _mm_srli_epi16(_mm_add_epi16(_mm_unpacklo_epi64(tw, bw), _mm_unpackhi_epi64(tw, bw)), 8);
}

void BilinearAcross(const uint32_t* top, const uint32_t* bottom, uint32_t fy, int64_t u, int64_t du,
                    int32_t width, int n, uint32_t* out) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i gy = _mm_set1_epi16(int16_t(256 - fy)), wy = _mm_set1_epi16(int16_t(fy));
    const int64_t end = int64_t(width) << 32;
    auto step = [&] {
        u += du;
        u += u >= end ? -end : u < 0 ? end : 0;
    };
    int i = 0;
    for (; i + 2 <= n; i += 2) {
        const __m128i a = Across(top, bottom, u, width, zero);
        step();
        const __m128i b = Across(top, bottom, u, width, zero);
        step();
        // Tops of both pixels x (256 - fy) plus their bottoms x fy.
        const __m128i down = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi64(a, b), gy),
                                           _mm_mullo_epi16(_mm_unpackhi_epi64(a, b), wy));
        const __m128i px = _mm_srli_epi16(down, 8);
        StoreTwo(out + i, _mm_packus_epi16(px, px));
    }
    if (i < n)
        portable::BilinearAcross(top, bottom, fy, u, du, width, n - i, out + i);
}

void Write32(uint8_t* row, const uint32_t* argb, int n) {
    const __m128i alpha = _mm_set1_epi32(int(0xFF000000u));
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(argb + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + size_t(i) * 4), _mm_or_si128(v, alpha));
    }
    portable::Write32(row + size_t(i) * 4, argb + i, n - i);
}

void Fill32(uint8_t* row, uint32_t argb, int n) {
    const __m128i v = _mm_set1_epi32(int(argb | 0xFF000000u));
    int i = 0;
    for (; i + 4 <= n; i += 4)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + size_t(i) * 4), v);
    portable::Fill32(row + size_t(i) * 4, argb, n - i);
}

void Read32(const uint8_t* row, uint32_t* argb, int n) {
    const __m128i alpha = _mm_set1_epi32(int(0xFF000000u));
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + size_t(i) * 4));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(argb + i), _mm_or_si128(v, alpha));
    }
    portable::Read32(row + size_t(i) * 4, argb + i, n - i);
}

#else

uint32_t ResolveSums(SampleSums* sums, int n, uint32_t* out, bool covered) {
    return portable::ResolveSums(sums, n, out, covered);
}
void BlendRowOver(const uint32_t* dst, uint32_t* src, int n) {
    portable::BlendRowOver(dst, src, n);
}
void AddWeightedRow(uint32_t* out, const uint32_t* colors, uint32_t* weightDiffs, int n) {
    portable::AddWeightedRow(out, colors, weightDiffs, n);
}
void BilinearRow(const BilinearTap* taps, int n, uint32_t* out) {
    portable::BilinearRow(taps, n, out);
}
void BilinearAcross(const uint32_t* top, const uint32_t* bottom, uint32_t fy, int64_t u, int64_t du,
                    int32_t width, int n, uint32_t* out) {
    portable::BilinearAcross(top, bottom, fy, u, du, width, n, out);
}
void Write32(uint8_t* row, const uint32_t* argb, int n) {
    portable::Write32(row, argb, n);
}
void Fill32(uint8_t* row, uint32_t argb, int n) {
    portable::Fill32(row, argb, n);
}
void Read32(const uint8_t* row, uint32_t* argb, int n) {
    portable::Read32(row, argb, n);
}

#endif

} // namespace tavro::player::render::kernels
