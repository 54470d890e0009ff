// Surface layouts: strides, per-depth round trips, the 16-bit expansion tables, the 8-bit
// palette with its inverse table and the ordered dither.
#include "player/render/PixelFormats.h"
#include "player/render/NativeBitmap.h"
#include "player/render/PaletteState.h"

#include <gtest/gtest.h>

using tavro::player::NativeBitmap;
using tavro::player::render::kDitherTable;
using tavro::player::render::kExpand5;
using tavro::player::render::kExpand6;
using tavro::player::render::PaletteState;

TEST(NativeBitmapTest, DisplayDepthsMapToLayouts) {
    EXPECT_EQ(NativeBitmap::DepthIndexForDisplay(8), 3);
    EXPECT_EQ(NativeBitmap::DepthIndexForDisplay(16), 4);
    EXPECT_EQ(NativeBitmap::DepthIndexForDisplay(24), 6);
    EXPECT_EQ(NativeBitmap::DepthIndexForDisplay(32), 7);
    EXPECT_EQ(NativeBitmap::DepthIndexForDisplay(1), 3);
    EXPECT_EQ(NativeBitmap::DepthIndexForDisplay(4), 3);
}

TEST(NativeBitmapTest, RowsArePaddedToFourBytes) {
    struct Case {
        int depthIndex, width, rowBytes;
    } cases[] = {{0, 33, 8}, {1, 5, 4},  {2, 9, 8}, {3, 5, 8}, {4, 3, 8},
                 {5, 2, 4},  {6, 3, 12}, {6, 1, 4}, {7, 3, 12}};
    for (const Case& c : cases) {
        NativeBitmap bm;
        ASSERT_TRUE(bm.Create(c.width, 2, c.depthIndex)) << c.depthIndex;
        EXPECT_EQ(bm.RowBytes(), c.rowBytes) << "depth index " << c.depthIndex;
    }
}

TEST(NativeBitmapTest, RefusesImpossibleSizes) {
    NativeBitmap bm;
    EXPECT_FALSE(bm.Create(0, 10, 7));
    EXPECT_FALSE(bm.Create(10, -1, 7));
    EXPECT_FALSE(bm.Create(NativeBitmap::kMaxSide + 1, 1, 7));
    EXPECT_FALSE(bm.Create(10, 10, 8));
    EXPECT_FALSE(bm.IsValid());
}

TEST(PixelFormatsTest, ExpansionTables) {
    EXPECT_EQ(kExpand5[0], 0);
    EXPECT_EQ(kExpand5[1], 15);
    EXPECT_EQ(kExpand5[11], 95);
    EXPECT_EQ(kExpand5[12], 95);
    EXPECT_EQ(kExpand5[13], 111);
    EXPECT_EQ(kExpand5[28], 223);
    EXPECT_EQ(kExpand5[31], 255);
    EXPECT_EQ(kExpand6[0], 0);
    EXPECT_EQ(kExpand6[1], 7);
    EXPECT_EQ(kExpand6[63], 255);
}

TEST(PixelFormatsTest, SixteenBitLayoutsStoreAndExpand) {
    NativeBitmap b555, b565;
    ASSERT_TRUE(b555.Create(2, 1, 4));
    ASSERT_TRUE(b565.Create(2, 1, 5));
    // red 0x60 -> 12 (5 bits), green 0x84 -> 16 / 33 (5 / 6 bits), blue 0xFF -> 31.
    b555.FillSpan(0, 0, 2, 0xFF6084FF);
    b565.FillSpan(0, 0, 2, 0xFF6084FF);
    EXPECT_EQ(b555.Row(0)[0] | (b555.Row(0)[1] << 8), (12 << 10) | (16 << 5) | 31);
    EXPECT_EQ(b565.Row(0)[0] | (b565.Row(0)[1] << 8), (12 << 11) | (33 << 5) | 31);
    EXPECT_EQ(b555.PixelAt(1, 0), 0xFF5F87FFu); // 95, 8*16+7, 255
    EXPECT_EQ(b565.PixelAt(1, 0), 0xFF5F87FFu); // 95, (33<<2)|3, 255
}

TEST(PixelFormatsTest, TrueColourLayoutsRoundTrip) {
    for (int depthIndex : {6, 7}) {
        NativeBitmap bm;
        ASSERT_TRUE(bm.Create(3, 2, depthIndex));
        const uint32_t colors[3] = {0xFF123456, 0xFFFFFFFF, 0xFF000000};
        bm.WriteSpan(0, 1, 3, colors);
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(bm.PixelAt(x, 1), colors[x]) << depthIndex;
        EXPECT_EQ(bm.PixelAt(0, 0), 0xFF000000u);
    }
    NativeBitmap bm24;
    ASSERT_TRUE(bm24.Create(1, 1, 6));
    bm24.FillSpan(0, 0, 1, 0xFF102030);
    EXPECT_EQ(bm24.Row(0)[0], 0x30); // blue, green, red
    EXPECT_EQ(bm24.Row(0)[2], 0x10);
}

TEST(PixelFormatsTest, LowDepthsStoreGreyLevelsMostSignificantFirst) {
    NativeBitmap bm;
    ASSERT_TRUE(bm.Create(8, 1, 0));
    bm.FillSpan(0, 0, 8, 0xFF000000);
    bm.FillSpan(1, 0, 1, 0xFFFFFFFF);
    EXPECT_EQ(bm.Row(0)[0], 0x40);
    EXPECT_EQ(bm.PixelAt(1, 0), 0xFFFFFFFFu);
    EXPECT_EQ(bm.PixelAt(0, 0), 0xFF000000u);

    NativeBitmap b4;
    ASSERT_TRUE(b4.Create(2, 1, 2));
    b4.FillSpan(0, 0, 2, 0xFFFFFFFF);
    EXPECT_EQ(b4.Row(0)[0], 0xFF);
    NativeBitmap b2;
    ASSERT_TRUE(b2.Create(4, 1, 1));
    b2.FillSpan(0, 0, 4, 0xFFFFFFFF);
    EXPECT_EQ(b2.Row(0)[0], 0xFF);
    EXPECT_EQ(b2.PixelAt(3, 0), 0xFFFFFFFFu);
}

TEST(PaletteTest, InverseTablePicksExactEntries) {
    auto state = PaletteState::Build(PaletteState::DefaultSystemPalette());
    const auto& colors = state->Colors();
    // Colours whose channels are 0 or 255 sit exactly on a cell; the entry found must be
    // that very colour.
    for (uint32_t rgb : {0x000000u, 0xFFFFFFu, 0xFF0000u, 0x00FF00u, 0x0000FFu, 0xFFFF00u}) {
        uint8_t idx = state->IndexFor(rgb, 0);
        EXPECT_EQ(colors[idx], rgb) << std::hex << rgb;
    }
    // Every cell is settled, with an entry not far from it.
    for (unsigned r = 0; r < 16; ++r)
        for (unsigned g = 0; g < 16; ++g)
            for (unsigned b = 0; b < 16; ++b) {
                uint32_t e = colors[state->Lookup(r, g, b)];
                auto level = [](unsigned v) { return v == 15 ? 255 : int(v) * 16; };
                int d = std::abs(level(r) - int((e >> 16) & 0xFF)) +
                        std::abs(level(g) - int((e >> 8) & 0xFF)) +
                        std::abs(level(b) - int(e & 0xFF));
                EXPECT_LE(d, 3 * 40) << r << " " << g << " " << b;
            }
}

TEST(PaletteTest, FlatGreyShowsTheOrderedDitherPattern) {
    NativeBitmap bm;
    ASSERT_TRUE(bm.Create(16, 16, 3));
    // Grey 120 sits between cell 7 (112) and cell 8 (128): dither offsets of 8 and more reach
    // the lighter cell.
    bm.FillSpan(0, 0, 16, 0xFF787878);
    for (int y = 1; y < 16; ++y) {
        uint32_t row[16];
        for (int x = 0; x < 16; ++x)
            row[x] = 0xFF787878;
        bm.WriteSpan(0, y, 16, row);
    }
    uint32_t dark = 0, light = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            bool expectLight = kDitherTable[y & 7][x & 7] >= 8;
            uint32_t c = bm.PixelAt(x, y);
            (expectLight ? light : dark) = c;
            EXPECT_EQ(c, expectLight ? light : dark) << x << "," << y;
        }
    EXPECT_LT(dark & 0xFF, 0x78u);
    EXPECT_GE(light & 0xFF, 0x78u);
    EXPECT_EQ(kDitherTable[0][6], 15);
    EXPECT_EQ(kDitherTable[7][0], 13);
}
