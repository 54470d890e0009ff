// The colour state of an 8-bit surface: a 256-entry palette copied from the display, the flags
// each entry carries, and the inverse colour table that maps a colour (4 bits per channel) to
// the nearest palette entry. Built once per display depth and shared by the surfaces of that
// depth.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

namespace tavro::player::render {

class PaletteState {
public:
    static constexpr uint8_t kNoCollapse = 4;

    // Palette entries are 0x00RRGGBB.
    using Entries = std::array<uint32_t, 256>;

    // A palette an 8-bit display would typically hold when nothing else has claimed it: twenty
    // fixed colours at 0..9 and 246..255, a 6x6x6 colour cube at 10..225 and twenty greys.
    static const Entries& DefaultSystemPalette();

    // Builds the state from the display's current palette.
    static std::shared_ptr<const PaletteState> Build(const Entries& systemPalette);

    const Entries& Colors() const { return colors_; }
    uint8_t Flags(int index) const { return (index >= 10 && index <= 245) ? kNoCollapse : 0; }
    // The 1024-byte colour table of the bitmap section: blue, green, red, 0 per entry.
    std::array<uint8_t, 1024> ColorTable() const;

    // Palette index of the cell (r4, g4, b4), each 0..15.
    uint8_t Lookup(unsigned r4, unsigned g4, unsigned b4) const {
        return inverse_[(r4 << 8) | (g4 << 4) | b4];
    }
    // Palette index for a straight 0x..RRGGBB colour after adding the dither offset (0..15).
    uint8_t IndexFor(uint32_t rgb, unsigned dither) const {
        auto cell = [dither](uint32_t c) {
            uint32_t v = (c + dither) >> 4;
            return v > 15 ? 15u : v;
        };
        return Lookup(cell((rgb >> 16) & 0xFF), cell((rgb >> 8) & 0xFF), cell(rgb & 0xFF));
    }

private:
    PaletteState() = default;
    void BuildInverse();

    Entries colors_{};
    std::array<uint8_t, 4096> inverse_{};
};

} // namespace tavro::player::render
