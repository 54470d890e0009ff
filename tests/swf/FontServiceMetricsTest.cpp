// Text metrics from font table values, and the Windows-1252 conversions.
#include "base/Cp1252.h"
#include "swf/FontTextMetrics.h"

#include <gtest/gtest.h>

#include <climits>

namespace tavro {
namespace {

// The table values of a common sans-serif face (2048 units per em).
FontTableValues SansTables() {
    FontTableValues t;
    t.unitsPerEm = 2048;
    t.winAscent = 1854;
    t.winDescent = 434;
    t.hheaAscender = 1854;
    t.hheaDescender = -434;
    t.hheaLineGap = 67;
    t.averageCharWidth = 1176;
    t.maxAdvanceWidth = 4096;
    t.bboxYMax = 1854;
    t.bboxYMin = -434;
    return t;
}

TEST(FontTextMetrics, ScalesWinMetricsAndRoundsHalfAwayFromZero) {
    // At 1024 units per em every value halves; the line gap 67 gives 33.5, which rounds up.
    EXPECT_EQ(ComputeTextMetrics(SansTables(), 1024),
              (TextMetrics{1144, 927, 217, 120, 34, 588, 2048}));
    // At 72 px in twips (1440 per em): ascent 1303.59, descent 305.16, gap 47.1.
    EXPECT_EQ(ComputeTextMetrics(SansTables(), 1440),
              (TextMetrics{1609, 1304, 305, 169, 47, 827, 2880}));
}

TEST(FontTextMetrics, ExternalLeadingIsTheLineGapBeyondTheWinExtent) {
    FontTableValues t = SansTables();
    t.unitsPerEm = 1000;
    t.winAscent = 1000;
    t.winDescent = 300;
    t.hheaAscender = 900;
    t.hheaDescender = -200;
    t.hheaLineGap = 400; // hhea line = 1500, win extent 1300: 200 units remain
    EXPECT_EQ(ComputeTextMetrics(t, 1000).externalLeading, 200);
    t.hheaLineGap = 100; // the win extent already exceeds the hhea line: never negative
    EXPECT_EQ(ComputeTextMetrics(t, 1000).externalLeading, 0);
}

TEST(FontTextMetrics, FallsBackWhenWinMetricsAreMissing) {
    FontTableValues t = SansTables();
    t.winAscent = t.winDescent = 0;
    t.hheaAscender = 1638;
    t.hheaDescender = -410;
    EXPECT_EQ(ComputeTextMetrics(t, 2048), (TextMetrics{2048, 1638, 410, 0, 67, 1176, 4096}));
    t.hheaAscender = t.hheaDescender = 0; // then the bounding box
    EXPECT_EQ(ComputeTextMetrics(t, 2048).height, 1854 + 434);
}

TEST(FontTextMetrics, DegenerateInputsGiveZerosOrSaturate) {
    EXPECT_EQ(ComputeTextMetrics(SansTables(), 0), TextMetrics{});
    FontTableValues t = SansTables();
    t.unitsPerEm = 0;
    EXPECT_EQ(ComputeTextMetrics(t, 1024), TextMetrics{});
    // Extreme tables at an extreme em height saturate instead of overflowing.
    t.unitsPerEm = 16;
    t.winAscent = t.winDescent = 65535;
    EXPECT_EQ(ComputeTextMetrics(t, INT32_MAX).height, INT32_MAX);
}

TEST(Cp1252, MapsBytesToUnicode) {
    EXPECT_EQ(Cp1252ToUnicode(0x41), U'A');
    EXPECT_EQ(Cp1252ToUnicode(0x80), U'\u20AC');
    EXPECT_EQ(Cp1252ToUnicode(0x9F), U'\u0178');
    EXPECT_EQ(Cp1252ToUnicode(0xE9), U'\u00E9');
    EXPECT_EQ(Cp1252ToUnicode(0xFF), U'\u00FF');

    int undefined = 0;
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<uint8_t>(b);
        undefined += Cp1252IsDefined(byte) ? 0 : 1;
        EXPECT_EQ(UnicodeToCp1252(Cp1252ToUnicode(byte)), b) << "byte " << b;
    }
    EXPECT_EQ(undefined, 5);
    EXPECT_FALSE(Cp1252IsDefined(0x81));
    EXPECT_EQ(UnicodeToCp1252(U'\u0100'), -1);
    EXPECT_EQ(UnicodeToCp1252(U'\u65E5'), -1);
}

TEST(Cp1252, ConvertsStringsToAndFromUtf8) {
    EXPECT_EQ(Cp1252ToUtf8("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(Utf8ToCp1252("caf\xC3\xA9 \xE2\x82\xAC"), std::string("caf\xE9 \x80"));
    EXPECT_EQ(Utf8ToCp1252(""), std::string());
    // Not representable, truncated, overlong, surrogate, stray continuation byte.
    EXPECT_EQ(Utf8ToCp1252("\xE6\x97\xA5"), std::nullopt);
    EXPECT_EQ(Utf8ToCp1252("ab\xE2\x82"), std::nullopt);
    EXPECT_EQ(Utf8ToCp1252("\xC0\xAF"), std::nullopt);
    EXPECT_EQ(Utf8ToCp1252("\xED\xA0\x80"), std::nullopt);
    EXPECT_EQ(Utf8ToCp1252("\x80"), std::nullopt);
}

} // namespace
} // namespace tavro
