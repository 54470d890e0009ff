// The row loops of the renderer: the versions built for this machine give the same bytes as the
// portable ones on random rows of every length (the vector loops have tails), at the ends of
// every range (alpha 0 and 255, weights 0 and 256, mixes at 0 and 255, wrapping positions), and
// for colours whose channels exceed their alpha; and the portable ones do what they promise.
#include "player/render/PixelKernels.h"
#include "player/render/PixelColor.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace tavro::player::render;

namespace {

class Rows {
public:
    explicit Rows(uint32_t seed) : rng_(seed) {}
    uint32_t Next(uint32_t n) { return uint32_t(rng_() % n); }
    // Premultiplied colours with the extreme alphas well represented; now and then a colour
    // whose channels exceed its alpha (damaged data must not be read differently).
    uint32_t Color() {
        static const uint32_t alphas[] = {0, 255, 1, 254, 128, 127};
        uint32_t a = Next(3) == 0 ? alphas[Next(6)] : Next(256);
        uint32_t c = Next(0x1000000);
        if (Next(8) != 0)
            c = Premultiply((a << 24) | c) & 0xFFFFFF;
        return (a << 24) | c;
    }
    std::vector<uint32_t> Colors(int n) {
        std::vector<uint32_t> v(static_cast<size_t>(n));
        for (uint32_t& c : v)
            c = Color();
        return v;
    }

private:
    std::mt19937 rng_;
};

TEST(PixelKernels, BlendingAgreesWithTheWordArithmetic) {
    Rows r(1);
    for (int n = 0; n < 40; ++n)
        for (int round = 0; round < 20; ++round) {
            const std::vector<uint32_t> dst = r.Colors(n), src = r.Colors(n);
            std::vector<uint32_t> fast = src, plain = src;
            kernels::BlendRowOver(dst.data(), fast.data(), n);
            kernels::portable::BlendRowOver(dst.data(), plain.data(), n);
            ASSERT_EQ(fast, plain) << n;
            for (int i = 0; i < n; ++i)
                ASSERT_EQ(plain[size_t(i)], BlendOver(dst[size_t(i)], src[size_t(i)]));
        }
}

TEST(PixelKernels, WeightedFillsAgreeAndClearTheirWeights) {
    Rows r(2);
    for (int n = 1; n < 40; ++n)
        for (int round = 0; round < 20; ++round) {
            // Weights (x 16) of 0..256 as differences, with runs of zero weight.
            std::vector<uint32_t> weights(static_cast<size_t>(n)), diffs(size_t(n) + 1, 0);
            for (uint32_t& w : weights) {
                const uint32_t pick = r.Next(4);
                w = pick == 0 ? 0 : pick == 1 ? 4096 : r.Next(4097);
            }
            uint32_t prev = 0;
            for (int i = 0; i < n; ++i) {
                diffs[size_t(i)] = weights[size_t(i)] - prev;
                prev = weights[size_t(i)];
            }
            diffs[size_t(n)] = 0u - prev;
            const std::vector<uint32_t> colors = r.Colors(n), out = r.Colors(n);
            std::vector<uint32_t> fast = out, plain = out, d1 = diffs, d2 = diffs;
            kernels::AddWeightedRow(fast.data(), colors.data(), d1.data(), n);
            kernels::portable::AddWeightedRow(plain.data(), colors.data(), d2.data(), n);
            ASSERT_EQ(fast, plain) << n;
            EXPECT_EQ(d1, std::vector<uint32_t>(size_t(n) + 1, 0));
            EXPECT_EQ(d2, std::vector<uint32_t>(size_t(n) + 1, 0));
            // Channel by channel: out + colour x weight / 256, at most 255.
            for (int i = 0; i < n; ++i)
                for (int shift = 0; shift < 32; shift += 8) {
                    const uint32_t w = weights[size_t(i)] >> 4;
                    const uint32_t c = (colors[size_t(i)] >> shift) & 0xFF;
                    const uint32_t o = (out[size_t(i)] >> shift) & 0xFF;
                    ASSERT_EQ((plain[size_t(i)] >> shift) & 0xFF, std::min(255u, o + c * w / 256));
                }
        }
}

TEST(PixelKernels, BilinearSamplesAgree) {
    Rows r(3);
    const int w = 5;
    const std::vector<uint32_t> top = r.Colors(w), bottom = r.Colors(w);
    for (int n = 0; n < 30; ++n) {
        std::vector<BilinearTap> taps;
        for (int i = 0; i < n; ++i) {
            const int32_t x0 = int32_t(r.Next(w));
            // Neighbours, a wrap back to the first column, and a clamped edge.
            const int32_t x1 = r.Next(3) == 0 ? x0 : (x0 + 1) % w;
            static const uint32_t ends[] = {0, 255, 1, 128};
            const uint32_t fx = r.Next(2) ? ends[r.Next(4)] : r.Next(256);
            const uint32_t fy = r.Next(2) ? ends[r.Next(4)] : r.Next(256);
            taps.push_back({top.data(), bottom.data(), x0, x1, fx, fy});
        }
        std::vector<uint32_t> fast(static_cast<size_t>(n)), plain(static_cast<size_t>(n));
        kernels::BilinearRow(taps.data(), n, fast.data());
        kernels::portable::BilinearRow(taps.data(), n, plain.data());
        ASSERT_EQ(fast, plain) << n;
    }
    // At the corners a sample is the pixel itself.
    uint32_t out = 0;
    BilinearTap corner{top.data(), bottom.data(), 2, 3, 0, 0};
    kernels::portable::BilinearRow(&corner, 1, &out);
    EXPECT_EQ(out, top[2]);
}

TEST(PixelKernels, BilinearRowsAcrossATileAgreeWithTaps) {
    Rows r(4);
    const int32_t w = 7;
    const std::vector<uint32_t> top = r.Colors(w), bottom = r.Colors(w);
    const int64_t width = int64_t(w) << 32;
    for (int round = 0; round < 200; ++round) {
        const int n = 1 + int(r.Next(40));
        const int64_t u = int64_t(r.Next(uint32_t(w))) << 32 | r.Next(0xFFFFFFFFu);
        // Steps either way, up to almost a whole tile.
        int64_t du = (int64_t(r.Next(uint32_t(w))) << 32 | r.Next(0xFFFFFFFFu)) % width;
        if (r.Next(2))
            du = -du;
        const uint32_t fy = r.Next(256);
        std::vector<BilinearTap> taps;
        int64_t p = u;
        for (int i = 0; i < n; ++i) {
            const int32_t x0 = int32_t(p >> 32);
            taps.push_back(
                {top.data(), bottom.data(), x0, (x0 + 1) % w, uint32_t((p >> 24) & 0xFF), fy});
            p = ((p + du) % width + width) % width;
        }
        std::vector<uint32_t> expected(static_cast<size_t>(n)), fast(static_cast<size_t>(n)),
            plain(static_cast<size_t>(n));
        kernels::portable::BilinearRow(taps.data(), n, expected.data());
        kernels::BilinearAcross(top.data(), bottom.data(), fy, u, du, w, n, fast.data());
        kernels::portable::BilinearAcross(top.data(), bottom.data(), fy, u, du, w, n, plain.data());
        ASSERT_EQ(plain, expected) << round;
        ASSERT_EQ(fast, expected) << round;
    }
}

// Four 16-bit lanes (blue lowest) of per-channel sums.
uint64_t Lanes(uint32_t b, uint32_t g, uint32_t r, uint32_t a) {
    return uint64_t(b) | uint64_t(g) << 16 | uint64_t(r) << 32 | uint64_t(a) << 48;
}

// Counts of 0..16 samples are either those covered by an opaque stack (16 makes the pixel
// opaque) or, for a row where every sample is covered by something, those without an opaque
// layer (0 makes it opaque).
TEST(PixelKernels, RowSumsResolveToPixels) {
    Rows r(5);
    for (bool covered : {false, true})
        for (int n = 1; n < 40; ++n)
            for (int round = 0; round < 20; ++round) {
                // Totals per pixel: channel sums below 16 x 256 and counts of 0..16.
                std::vector<uint32_t> chan(size_t(n) * 4), count(static_cast<size_t>(n));
                for (uint32_t& c : chan)
                    c = r.Next(3) == 0 ? 4080 : r.Next(4081);
                for (uint32_t& o : count)
                    o = r.Next(3) == 0 ? (covered ? 0 : 16) : r.Next(17);
                std::vector<SampleSums> sums(size_t(n) + 1);
                uint64_t prevColor = 0, prevCount = 0;
                for (int i = 0; i < n; ++i) {
                    const uint32_t* c = &chan[size_t(i) * 4];
                    const uint64_t color = Lanes(c[0], c[1], c[2], c[3]);
                    sums[size_t(i)].color = color - prevColor;
                    sums[size_t(i)].opaque = count[size_t(i)] - prevCount;
                    prevColor = color;
                    prevCount = count[size_t(i)];
                }
                sums[size_t(n)].color = 0 - prevColor;
                sums[size_t(n)].opaque = 0 - prevCount;
                std::vector<SampleSums> s1 = sums, s2 = sums;
                std::vector<uint32_t> fast(static_cast<size_t>(n)), plain(static_cast<size_t>(n));
                const uint32_t andFast = kernels::ResolveSums(s1.data(), n, fast.data(), covered);
                const uint32_t andPlain =
                    kernels::portable::ResolveSums(s2.data(), n, plain.data(), covered);
                ASSERT_EQ(fast, plain) << n;
                ASSERT_EQ(andFast, andPlain) << n;
                uint32_t all = 0xFFFFFFFFu;
                for (int i = 0; i < n; ++i) {
                    const uint32_t* c = &chan[size_t(i) * 4];
                    const bool opaque = count[size_t(i)] == (covered ? 0u : 16u);
                    const uint32_t alpha = opaque ? 255 : c[3] >> 4;
                    const uint32_t px =
                        alpha << 24 | (c[2] >> 4) << 16 | (c[1] >> 4) << 8 | (c[0] >> 4);
                    ASSERT_EQ(plain[size_t(i)], px) << n << " " << i;
                    all &= px;
                }
                EXPECT_EQ(andPlain, all);
                for (const std::vector<SampleSums>* s : {&s1, &s2})
                    for (const SampleSums& cell : *s)
                        ASSERT_TRUE(cell.color == 0 && cell.opaque == 0);
            }
}

TEST(PixelKernels, SurfaceRowsOf32Bits) {
    Rows r(6);
    for (int n = 0; n < 20; ++n) {
        const std::vector<uint32_t> colors = r.Colors(n);
        std::vector<uint8_t> a(size_t(n) * 4 + 4, 7), b = a;
        kernels::Write32(a.data(), colors.data(), n);
        kernels::portable::Write32(b.data(), colors.data(), n);
        ASSERT_EQ(a, b);
        std::vector<uint32_t> back(static_cast<size_t>(n)), plainBack(static_cast<size_t>(n));
        kernels::Read32(a.data(), back.data(), n);
        kernels::portable::Read32(a.data(), plainBack.data(), n);
        ASSERT_EQ(back, plainBack);
        for (int i = 0; i < n; ++i)
            ASSERT_EQ(back[size_t(i)], colors[size_t(i)] | 0xFF000000u);
        kernels::Fill32(a.data(), 0x12345678, n);
        kernels::portable::Fill32(b.data(), 0x12345678, n);
        ASSERT_EQ(a, b);
        EXPECT_EQ(a.back(), 7); // nothing past the row
    }
}

} // namespace
