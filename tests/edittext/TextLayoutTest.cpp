// Line breaking: hard breaks at CR, LF and CR LF, word wrap at blanks and hyphens, indent.
#include "player/edittext/TextLayout.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace tavro::player;

namespace {

// Every character advances 100 twips.
int32_t Fixed(char16_t) {
    return 100;
}

std::vector<std::pair<uint32_t, uint32_t>> Spans(const std::vector<TextLine>& lines) {
    std::vector<std::pair<uint32_t, uint32_t>> out;
    for (const TextLine& l : lines)
        out.push_back({l.start, l.end});
    return out;
}

using SpanList = std::vector<std::pair<uint32_t, uint32_t>>;

TEST(TextLayout, BreaksAtCarriageReturnLineFeedAndThePair) {
    //                     0123 45678 9AB C D EF
    std::u16string text = u"ab\rcd\nef\r\ngh";
    auto lines = TextLayout::Break(text, Fixed, 10000, 0, false);
    EXPECT_EQ(Spans(lines), (SpanList{{0, 2}, {3, 5}, {6, 8}, {10, 12}}));
    EXPECT_EQ(lines[2].next, 10u); // CR LF is one break
    for (const TextLine& l : lines)
        EXPECT_TRUE(l.paragraphStart);

    // A break at the end leaves an empty last line; two breaks in a row an empty one between.
    EXPECT_EQ(Spans(TextLayout::Break(u"ab\n", Fixed, 10000, 0, false)),
              (SpanList{{0, 2}, {3, 3}}));
    EXPECT_EQ(Spans(TextLayout::Break(u"a\n\rb", Fixed, 10000, 0, false)),
              (SpanList{{0, 1}, {2, 2}, {3, 4}}));
    EXPECT_EQ(Spans(TextLayout::Break(u"", Fixed, 10000, 0, false)), (SpanList{{0, 0}}));
}

TEST(TextLayout, WrapsAfterBlanksAndHyphens) {
    // Five characters fit; the blank stays at the end of the first line.
    auto lines = TextLayout::Break(u"abc defgh", Fixed, 500, 0, true);
    EXPECT_EQ(Spans(lines), (SpanList{{0, 4}, {4, 9}}));
    EXPECT_TRUE(lines[0].paragraphStart);
    EXPECT_FALSE(lines[1].paragraphStart);

    // The hyphen stays on the first line.
    EXPECT_EQ(Spans(TextLayout::Break(u"ab-cdef", Fixed, 400, 0, true)),
              (SpanList{{0, 3}, {3, 7}}));
    // The last opportunity wins.
    EXPECT_EQ(Spans(TextLayout::Break(u"a b-c de", Fixed, 600, 0, true)),
              (SpanList{{0, 6}, {6, 8}}));
    // Blanks past the edge hang instead of starting a line.
    EXPECT_EQ(Spans(TextLayout::Break(u"abc   de", Fixed, 300, 0, true)),
              (SpanList{{0, 6}, {6, 8}}));
    // Without wrapping a long line stays one line.
    EXPECT_EQ(Spans(TextLayout::Break(u"abc defgh", Fixed, 500, 0, false)), (SpanList{{0, 9}}));
}

TEST(TextLayout, BreaksLongWordsAndKeepsOneCharacterPerLine) {
    EXPECT_EQ(Spans(TextLayout::Break(u"abcdefg", Fixed, 300, 0, true)),
              (SpanList{{0, 3}, {3, 6}, {6, 7}}));
    // A width narrower than one character still makes progress.
    EXPECT_EQ(Spans(TextLayout::Break(u"abc", Fixed, 0, 0, true)),
              (SpanList{{0, 1}, {1, 2}, {2, 3}}));
}

TEST(TextLayout, IndentNarrowsTheFirstLineOfEachParagraph) {
    auto lines = TextLayout::Break(u"abcdef\rabcdef", Fixed, 400, 200, true);
    EXPECT_EQ(Spans(lines), (SpanList{{0, 2}, {2, 6}, {7, 9}, {9, 13}}));
    EXPECT_TRUE(lines[2].paragraphStart);
}

} // namespace
