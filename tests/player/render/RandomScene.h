// Random movies that use every way of filling the renderer knows: solid, translucent, linear
// and radial gradients, tiled and clipped bitmaps (opaque and with alpha), wide and thin lines,
// rotated and skewed placements, colour transforms and clip layers; later frames move, turn and
// recolour some objects, so that incremental updates are drawn too. The same seed always gives
// the same movie.
#pragma once

#include "RenderTestSupport.h"

#include <cstdint>
#include <random>
#include <vector>

#include <zlib.h>

namespace tavro::player::render::test {

class RandomScene {
public:
    static constexpr int32_t kWidth = 6000, kHeight = 4400; // twips
    static constexpr int kBitmapSide = 24;

    RandomScene(uint32_t seed, int frames) : rng_(seed), frames_(frames) {}

    std::vector<uint8_t> Build() {
        Movie m(kWidth, kHeight, frames_);
        m.Background(Next(0xFFFFFF));
        m.Tag(20, Bitmap(1, false));
        m.Tag(36, Bitmap(2, true));
        const int shapes = 6 + int(Next(10));
        for (int i = 0; i < shapes; ++i)
            m.Tag(32, ShapeTag(uint16_t(10 + i)));
        // Placements: about one in six is a clip layer over the next few depths.
        std::vector<uint16_t> depths;
        for (int i = 0; i < shapes; ++i) {
            uint16_t depth = uint16_t(1 + 3 * i);
            int clip = Next(6) == 0 ? int(depth + 1 + Next(7)) : -1;
            m.Tag(26, Place(depth, uint16_t(10 + i), false, clip));
            if (clip < 0)
                depths.push_back(depth);
        }
        m.ShowFrame();
        for (int f = 1; f < frames_; ++f) {
            for (uint16_t d : depths)
                if (Next(3) == 0)
                    m.Tag(26, Place(d, 0, true, -1));
            m.ShowFrame();
        }
        return m.Bytes();
    }

private:
    uint32_t Next(uint32_t n) { return n == 0 ? 0 : uint32_t(rng_() % n); }
    int32_t Range(int32_t lo, int32_t hi) { return lo + int32_t(Next(uint32_t(hi - lo + 1))); }
    uint32_t Color(bool translucent) {
        uint32_t a = translucent ? 30 + Next(200) : 255;
        return (a << 24) | Next(0x1000000);
    }

    std::vector<uint8_t> Bitmap(uint16_t id, bool alpha) {
        std::vector<uint8_t> raw;
        for (int y = 0; y < kBitmapSide; ++y)
            for (int x = 0; x < kBitmapSide; ++x) {
                uint32_t a = alpha ? uint32_t((x * 11 + y * 7) % 256) : 255;
                uint32_t r = uint32_t(x * 10) % 256, g = uint32_t(y * 10) % 256,
                         b = uint32_t((x ^ y) * 9) % 256;
                if (alpha) // premultiplied
                    r = r * a / 255, g = g * a / 255, b = b * a / 255;
                raw.insert(raw.end(), {uint8_t(a), uint8_t(r), uint8_t(g), uint8_t(b)});
            }
        uLongf n = compressBound(uLong(raw.size()));
        std::vector<uint8_t> z(n);
        compress(z.data(), &n, raw.data(), uLong(raw.size()));
        z.resize(n);
        Bits b;
        b.U16(id).U8(5).U16(kBitmapSide).U16(kBitmapSide).Raw(z);
        return b.bytes;
    }

    // A matrix with a random scale, rotation or skew and translation.
    Bits& RandomMatrix(Bits& b, int32_t scale, int32_t tx, int32_t ty) {
        int32_t a = scale + Range(-scale / 2, scale / 2), d = scale + Range(-scale / 2, scale / 2);
        int32_t r0 = Next(2) ? Range(-scale, scale) : 0, r1 = Next(2) ? Range(-scale, scale) : 0;
        return b.Matrix(a, r0, r1, d, tx, ty);
    }

    void FillStyle(Bits& b) {
        switch (Next(7)) {
        case 0:
        case 1:
            b.U8(0x00).Rgba(Color(Next(2) != 0));
            break;
        case 2:
        case 3: {
            b.U8(Next(2) ? 0x10 : 0x12);
            RandomMatrix(b, 0x2000 + int32_t(Next(0x6000)), Range(0, 3000), Range(0, 3000));
            int n = 2 + int(Next(3));
            b.U8(uint32_t(n));
            bool translucent = Next(3) == 0;
            for (int i = 0; i < n; ++i)
                b.U8(uint32_t(i * 255 / (n - 1))).Rgba(Color(translucent));
            break;
        }
        default: {
            b.U8(Next(2) ? 0x40 : 0x41).U16(1 + Next(2));
            RandomMatrix(b, 0x10000 * (10 + int32_t(Next(60))), Range(0, 2000), Range(0, 2000));
            break;
        }
        }
    }

    std::vector<uint8_t> ShapeTag(uint16_t id) {
        Bits b;
        b.U16(id).Rect(-1000, 5000, -1000, 5000);
        const int fills = 1 + int(Next(3));
        b.U8(uint32_t(fills));
        for (int i = 0; i < fills; ++i)
            FillStyle(b);
        const int lines = int(Next(2));
        b.U8(uint32_t(lines));
        for (int i = 0; i < lines; ++i) {
            static const uint16_t widths[] = {0, 20, 40, 60, 130, 300};
            b.U16(widths[Next(6)]).Rgba(Color(Next(2) != 0));
        }
        b.StyleBits();
        // A few closed paths of lines and curves, each with one fill (and the line, if any).
        const int paths = 1 + int(Next(3));
        for (int p = 0; p < paths; ++p) {
            int32_t x = Range(0, 3000), y = Range(0, 3000);
            const int32_t x0 = x, y0 = y;
            b.Move(x, y, -1, 1 + int(Next(uint32_t(fills))), lines ? 1 : -1);
            const int pieces = 3 + int(Next(6));
            for (int i = 0; i < pieces; ++i) {
                int32_t nx = Range(0, 4000), ny = Range(0, 4000);
                if (Next(2)) {
                    int32_t cx = Range(0, 4000), cy = Range(0, 4000);
                    b.Curve(cx - x, cy - y, nx - cx, ny - cy);
                } else {
                    b.Line(nx - x, ny - y);
                }
                x = nx, y = ny;
            }
            b.Line(x0 - x, y0 - y);
        }
        return b.EndShape().bytes;
    }

    // PlaceObject2: a new character, or (move) a new matrix and colour transform for a depth.
    std::vector<uint8_t> Place(uint16_t depth, uint16_t id, bool move, int clipDepth) {
        Bits b;
        const bool cx = !move ? Next(3) == 0 : Next(2) == 0;
        uint32_t flags =
            (move ? 0x01 : 0x02) | 0x04 | (cx ? 0x08 : 0) | (clipDepth >= 0 ? 0x40 : 0);
        b.U8(flags).U16(depth);
        if (!move)
            b.U16(id);
        RandomMatrix(b, 0x10000, Range(-500, kWidth - 2000), Range(-500, kHeight - 2000));
        if (cx) {
            // CXFORMWITHALPHA: multiply and add terms, 10 bits each.
            b.Align();
            b.Ub(1, 1).Ub(1, 1).Ub(10, 4);
            for (int i = 0; i < 4; ++i)
                b.Sb(Range(64, 300), 10);
            for (int i = 0; i < 4; ++i)
                b.Sb(Range(-100, 100), 10);
            b.Align();
        }
        if (clipDepth >= 0)
            b.U16(uint32_t(clipDepth));
        return b.bytes;
    }

    std::mt19937 rng_;
    int frames_;
};

} // namespace tavro::player::render::test
