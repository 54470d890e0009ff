#include "player/render/PaletteState.h"

#include <algorithm>
#include <cstdlib>

namespace tavro::player::render {

namespace {

constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) {
    return (r << 16) | (g << 8) | b;
}

PaletteState::Entries MakeDefaultPalette() {
    PaletteState::Entries p{};
    const uint32_t low[10] = {Rgb(0, 0, 0),      Rgb(128, 0, 0),     Rgb(0, 128, 0),
                              Rgb(128, 128, 0),  Rgb(0, 0, 128),     Rgb(128, 0, 128),
                              Rgb(0, 128, 128),  Rgb(192, 192, 192), Rgb(192, 220, 192),
                              Rgb(166, 202, 240)};
    const uint32_t high[10] = {Rgb(255, 251, 240), Rgb(160, 160, 164), Rgb(128, 128, 128),
                               Rgb(255, 0, 0),     Rgb(0, 255, 0),     Rgb(255, 255, 0),
                               Rgb(0, 0, 255),     Rgb(255, 0, 255),   Rgb(0, 255, 255),
                               Rgb(255, 255, 255)};
    for (int i = 0; i < 10; ++i) {
        p[i] = low[i];
        p[246 + i] = high[i];
    }
    int n = 10;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                p[n++] = Rgb(r * 51, g * 51, b * 51);
    for (int i = 0; i < 20; ++i) {
        uint32_t v = uint32_t((i + 1) * 255 / 21);
        p[n++] = Rgb(v, v, v);
    }
    return p;
}

} // namespace

const PaletteState::Entries& PaletteState::DefaultSystemPalette() {
    static const Entries palette = MakeDefaultPalette();
    return palette;
}

std::shared_ptr<const PaletteState> PaletteState::Build(const Entries& systemPalette) {
    std::shared_ptr<PaletteState> s(new PaletteState());
    for (size_t i = 0; i < 256; ++i)
        s->colors_[i] = systemPalette[i] & 0xFFFFFF;
    s->BuildInverse();
    return s;
}

std::array<uint8_t, 1024> PaletteState::ColorTable() const {
    std::array<uint8_t, 1024> t{};
    for (size_t i = 0; i < 256; ++i) {
        t[i * 4 + 0] = uint8_t(colors_[i]);
        t[i * 4 + 1] = uint8_t(colors_[i] >> 8);
        t[i * 4 + 2] = uint8_t(colors_[i] >> 16);
        t[i * 4 + 3] = 0;
    }
    return t;
}

// Grows a neighbourhood around every palette entry one level at a time; a cell takes an entry
// when that entry is closer (sum of channel distances) than the one it holds. Growing stops once
// every cell has been claimed, so distant cells are settled by the entries nearest to them
// rather than by an exhaustive search.
void PaletteState::BuildInverse() {
    std::array<uint8_t, 4096> dist;
    dist.fill(255);
    inverse_.fill(0);
    std::array<bool, 4096> set{};
    size_t setCount = 0;
    auto levelValue = [](int level) { return level == 15 ? 255 : level * 16; };

    for (int radius = 3; radius <= 15 && setCount < 4096; ++radius) {
        for (int e = 0; e < 256; ++e) {
            int er = int((colors_[e] >> 16) & 0xFF), eg = int((colors_[e] >> 8) & 0xFF),
                eb = int(colors_[e] & 0xFF);
            int cr = er >> 4, cg = eg >> 4, cb = eb >> 4;
            for (int r = std::max(0, cr - radius); r <= std::min(15, cr + radius); ++r) {
                int dr = std::abs(levelValue(r) - er);
                for (int g = std::max(0, cg - radius); g <= std::min(15, cg + radius); ++g) {
                    int dg = std::abs(levelValue(g) - eg);
                    for (int b = std::max(0, cb - radius); b <= std::min(15, cb + radius); ++b) {
                        int d = std::min(254, dr + dg + std::abs(levelValue(b) - eb));
                        size_t cell = size_t((r << 8) | (g << 4) | b);
                        if (d < dist[cell]) {
                            dist[cell] = uint8_t(d);
                            inverse_[cell] = uint8_t(e);
                            if (!set[cell]) {
                                set[cell] = true;
                                ++setCount;
                            }
                        }
                    }
                }
            }
        }
    }
}

} // namespace tavro::player::render
