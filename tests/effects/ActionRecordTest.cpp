// Action records, display names and panels of the four actions.
#include "effects/CActionGotoFrame.h"
#include "effects/CActionGotoURL.h"
#include "effects/CActionPlay.h"
#include "effects/CActionStop.h"
#include "swf/CSwfWriter.h"
#include "swfformat/SwfTestBytes.h"

#include <gtest/gtest.h>

using namespace tavro;
using tavro::test::Hex;

namespace {

struct Written {
    bool result = false;
    std::vector<uint8_t> bytes;
};

// The bytes one action appends to a fresh writer.
Written Export(const CActionObj& action) {
    CSwfWriter w;
    const uint32_t start = w.GetPosition(true);
    Written out;
    out.result = action.ExportAction(w);
    const uint32_t end = w.GetPosition(true);
    w.Finish();
    const auto image = w.GetImageBytes();
    out.bytes.assign(image.begin() + start, image.begin() + end);
    // What the event relies on to keep its records within their length fields.
    EXPECT_EQ(action.GetRecordSize(), out.bytes.size());
    return out;
}

CActionGotoFrame Goto(int32_t mode, int32_t frame, std::string_view label, int32_t play) {
    CActionGotoFrame a;
    a.SetMode(mode);
    a.SetFrame(frame);
    a.SetLabel(label);
    a.SetPlay(play);
    return a;
}

CActionGotoURL Url(std::string_view url, std::string_view target) {
    CActionGotoURL a;
    a.SetURL(url);
    a.SetTarget(target);
    return a;
}

} // namespace

TEST(ActionRecords, GotoFrameInEveryMode) {
    struct Case {
        CActionGotoFrame action;
        const char* hex;
    };
    const Case cases[] = {
        {Goto(0, 0, "", 1), "81 0200 0000 06"},
        {Goto(0, 0x1234, "", 0), "81 0200 3412"},
        {Goto(1, 0, "ab", 1), "8C 0300 61 62 00 06"},
        {Goto(1, 0, "", 0), "8C 0100 00"},
        {Goto(2, 9, "x", 0), "04"},
        {Goto(3, 9, "x", 1), "05 06"},
        // A mode the panel never sets writes only its play record.
        {Goto(7, 9, "x", 1), "06"},
        {Goto(-1, 9, "x", 0), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hex);
        const Written out = Export(c.action);
        EXPECT_TRUE(out.result);
        EXPECT_EQ(out.bytes, Hex(c.hex));
    }
}

TEST(ActionRecords, GotoFrameNumberOutsideSixteenBitsIsClampedNotWrapped) {
    // 70000 would wrap onto frame 4464; past-the-end stays past the end.
    EXPECT_EQ(Export(Goto(0, 70000, "", 0)).bytes, Hex("81 0200 FFFF"));
    EXPECT_EQ(Export(Goto(0, 65535, "", 0)).bytes, Hex("81 0200 FFFF"));
    EXPECT_EQ(Export(Goto(0, -3, "", 0)).bytes, Hex("81 0200 0000"));
}

TEST(ActionRecords, GotoURLLengthCountsBothTerminators) {
    EXPECT_EQ(Export(Url("a", "")).bytes, Hex("83 0300 61 00 00"));
    EXPECT_EQ(Export(Url("", "")).bytes, Hex("83 0200 00 00"));
    EXPECT_EQ(Export(Url("x.html", "_top")).bytes, Hex("83 0C00 782E68746D6C 00 5F746F70 00"));
}

TEST(ActionRecords, PlayStopAndTheBaseAction) {
    EXPECT_EQ(Export(CActionPlay()).bytes, Hex("06"));
    EXPECT_EQ(Export(CActionStop()).bytes, Hex("07"));
    const Written base = Export(CActionObj());
    EXPECT_TRUE(base.result);
    EXPECT_TRUE(base.bytes.empty());
}

TEST(ActionRecords, TextsEndAtTheirFirstZeroByte) {
    // A length that counted the bytes after an embedded zero would disagree with where a reader
    // finds the terminator.
    EXPECT_EQ(Export(Goto(1, 0, std::string("ab\0cd", 5), 0)).bytes, Hex("8C 0300 61 62 00"));
    EXPECT_EQ(Export(Url(std::string("a\0b", 3), std::string("\0t", 2))).bytes,
              Hex("83 0300 61 00 00"));
}

TEST(ActionRecords, TextsTooLongForTheLengthFieldAreCut) {
    // URL + target + 2 terminators must fit the 16-bit length: the target gives way first.
    const Written fits = Export(Url(std::string(65530, 'u'), "abc"));
    ASSERT_EQ(fits.bytes.size(), 3u + 65535u);
    EXPECT_EQ(fits.bytes[1], 0xFF);
    EXPECT_EQ(fits.bytes[2], 0xFF);
    EXPECT_EQ(Export(Url(std::string(65530, 'u'), "abcd")).bytes, fits.bytes);

    // The label and its terminator must fit too; the play record still follows.
    const Written label = Export(Goto(1, 0, std::string(65535, 'l'), 1));
    ASSERT_EQ(label.bytes.size(), 3u + 65535u + 1u);
    EXPECT_EQ(label.bytes.back(), 0x06);
}

TEST(ActionNames, DisplayNames) {
    EXPECT_EQ(Goto(0, 12, "", 1).GetName(), "Goto Frame 12");
    EXPECT_EQ(Goto(1, 12, "50%s", 1).GetName(), "Goto Label 50%s");
    EXPECT_EQ(Goto(2, 12, "", 1).GetName(), "Goto Next Frame");
    EXPECT_EQ(Goto(3, 12, "", 1).GetName(), "Goto Previous Frame");
    EXPECT_EQ(Goto(4, 12, "", 1).GetName(), "Unknown Action");
    EXPECT_EQ(Url("http://a/%d", "").GetName(), "Goto URL (http://a/%d)");
    EXPECT_EQ(CActionPlay().GetName(), "Play");
    EXPECT_EQ(CActionStop().GetName(), "Stop");
    EXPECT_EQ(CActionObj().GetName(), "Unknown Action");

    // The stored name is kept but the display name is what GetName shows.
    CActionStop stop;
    stop.SetName("mine");
    EXPECT_EQ(stop.GetName(), "Stop");
}
