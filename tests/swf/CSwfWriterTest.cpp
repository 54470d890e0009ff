#include "swf/CSwfWriter.h"

#include "base/CColorTransform.h"
#include "model/CColor.h"
#include "model/CMatrix3.h"
#include "swfformat/SwfTestBytes.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

namespace tavro {
namespace {

using test::Bits;
using test::Bytes;
using test::Concat;
using test::Field;
using test::Hex;
using test::ReadFile;
namespace fs = std::filesystem;

// The bytes written from `from` up to the cursor, a partly written byte included.
Bytes Written(const CSwfWriter& w, uint32_t from = 8) {
    return Bytes(w.GetImage() + from, w.GetImage() + (w.GetPosition(false) + 7) / 8);
}

Bytes Sequence(int n) {
    Bytes b;
    for (int i = 1; i <= n; ++i)
        b.push_back(static_cast<uint8_t>(i));
    return b;
}

void WriteTag(CSwfWriter& w, uint16_t code, const Bytes& body) {
    w.BeginTag(code);
    for (uint8_t byte : body)
        w.WriteUI8(byte);
    w.EndTag();
}

// 550 x 400 px at 12 fps, one frame, white background: the bundled example movie.
const Bytes kHello = Concat({
    Hex("46 57 53 03 1F 00 00 00"),
    Bits("01111" + Field(0, 15) + Field(11000, 15) + Field(0, 15) + Field(8000, 15)),
    Hex("00 0C 01 00  43 02 FF FF FF  40 00  00 00  00"),
});

CSwfWriter WriteHello(const std::string& fileName = "") {
    CSwfWriter w(fileName);
    w.WriteHeader(550, 400, 12, 1);
    w.WriteSetBackgroundColor(CColor(255, 255, 255));
    w.WriteShowFrame();
    w.Finish();
    return w;
}

TEST(CSwfWriter, BitsAndBytes) {
    CSwfWriter w;
    w.WriteBits(5, 3);      // 101
    w.WriteBits(-3, 6);     // 111101: a negative value keeps its low bits
    w.WriteBits(0x6A5, 10); // 1010100101: bits above the field are dropped
    w.WriteBits(INT32_MIN, 32);
    EXPECT_EQ(Written(w), Bits("101 111101 1010100101 1" + std::string(31, '0')));

    CSwfWriter bytes;
    bytes.WriteBits(0xAB, 8); // fills the byte: the cursor stays on it until the next write
    EXPECT_EQ(bytes.GetPosition(true), 8u);
    EXPECT_EQ(bytes.GetPosition(false), 72u);
    bytes.WriteBits(1, 1);
    bytes.WriteUI16(0x1234); // byte writes align first
    bytes.WriteUI16(static_cast<uint32_t>(-1));
    bytes.WriteUI32(0x12345678);
    EXPECT_EQ(Written(bytes), Hex("AB 80 34 12 FF FF 78 56 34 12"));

    const std::pair<int32_t, int> counts[] = {
        {0, 1}, {1, 2}, {-1, 1}, {-2, 2}, {255, 9}, {-256, 9}, {INT32_MAX, 32}, {INT32_MIN, 32}};
    for (auto [value, bits] : counts)
        EXPECT_EQ(CSwfWriter::SignedBitCount(value), bits) << value;
    EXPECT_EQ(CSwfWriter::UnsignedBitCount(0), 0);
    EXPECT_EQ(CSwfWriter::UnsignedBitCount(256), 9);
    EXPECT_EQ(CSwfWriter::UnsignedBitCount(0xFFFFFFFFu), 32);
}

TEST(CSwfWriter, BackPatchingRestoresTheBitCursor) {
    CSwfWriter w;
    w.WriteUI16(0);
    w.WriteBits(1, 3);
    w.SeekTo(8);
    w.WriteUI16(0xBEEF);
    w.RestorePosition();
    EXPECT_EQ(w.GetPosition(false), 10u * 8 + 3);
    w.WriteBits(1, 1);
    w.SetPosition(15, 0); // room left by SetPosition stays zero until filled in
    w.WriteUI8(0x77);
    w.SeekTo(11);
    w.WriteUI16(0x0102);
    w.RestorePosition();
    EXPECT_EQ(Written(w), Hex("EF BE 30 02 01 00 00 77"));
}

TEST(CSwfWriter, TagFraming) {
    CSwfWriter w;
    WriteTag(w, 12, Sequence(62));
    WriteTag(w, 12, Sequence(63));
    w.WriteShowFrame();
    w.WriteEnd();
    EXPECT_EQ(Written(w), Concat({Hex("3E 03"), Sequence(62), Hex("3F 03 3F 00 00 00"),
                                  Sequence(63), Hex("40 00 00 00")}));

    // A sprite reaches the long form only after its inner tags, which keep their own headers.
    CSwfWriter s;
    s.BeginTag(39);
    const uint32_t spriteStart = s.GetTagStart();
    s.WriteUI16(1);
    s.WriteUI16(1);
    for (uint16_t depth = 1; depth <= 3; ++depth)
        s.WriteRemoveObject2(depth);
    WriteTag(s, 12, Sequence(70));
    s.WriteShowFrame();
    s.WriteEnd();
    s.SetTagStart(spriteStart);
    s.EndTag();
    s.WriteShowFrame();
    EXPECT_EQ(
        Written(s),
        Concat({Hex("FF 09 60 00 00 00 01 00 01 00"), Hex("02 07 01 00 02 07 02 00 02 07 03 00"),
                Hex("3F 03 46 00 00 00"), Sequence(70), Hex("40 00 00 00 40 00")}));
}

TEST(CSwfWriter, ValueRecords) {
    CSwfWriter identity;
    identity.WriteBits(1, 1);
    identity.WriteMatrix(65536, 0, 0, 65536, 0, 0);
    EXPECT_EQ(Written(identity), Hex("80 02 00"));

    CSwfWriter scaled;
    scaled.WriteMatrix(65536, 0, 0, 65537, 0, 0);
    EXPECT_EQ(Written(scaled),
              Bits("1 10010" + Field(65536, 18) + Field(65537, 18) + "0 00001 0 0"));

    // m0, m1, m3, m4 times 65536 and m6, m7 as they are, rounded half away from zero.
    CMatrix3 m;
    m.m[0] = 2.0;
    m.m[1] = 0.5;
    m.m[3] = -0.25;
    m.m[6] = 100.5;
    m.m[7] = -100.5;
    CSwfWriter fromMatrix;
    fromMatrix.WriteMatrix(m);
    EXPECT_EQ(Written(fromMatrix),
              Bits("1 10011" + Field(131072, 19) + Field(65536, 19) + "1 10001" + Field(32768, 17) +
                   Field(-16384, 17) + "01000" + Field(101, 8) + Field(-101, 8)));

    const std::string m256 = Field(256, 10);
    CSwfWriter cx;
    cx.WriteCxform(CColorTransform());                               // six zero bits
    cx.WriteCxform(CColorTransform(128, 256, 256, 256, 0, 0, 0, 0)); // alpha multiplier only
    cx.WriteCxform(256, 256, 256, 256, -255, 0, 0, 10);              // offsets; n counts 256
    EXPECT_EQ(Written(cx),
              Concat({Hex("00"), Bits("0 1 1010" + m256 + m256 + m256 + Field(128, 10)),
                      Bits("1 0 1010" + Field(-255, 10) + Field(0, 20) + Field(10, 10))}));

    CSwfWriter other;
    other.WriteRect(-1, -1, 1, 1); // Xmin, Xmax, Ymin, Ymax
    other.WriteRGB(CColor(4, 5, 6, 7), true);
    other.WriteString("ab", false);
    other.WriteString("ab", true);
    EXPECT_EQ(Written(other), Concat({Bits("00010 11 01 11 01"), Hex("04 05 06 07"),
                                      Hex("61 62 00 03 00 61 62 00")}));
}

TEST(CSwfWriter, PlacementTags) {
    CSwfWriter w;
    const CMatrix3 identity;
    const CColorTransform half(128, 256, 256, 256, 0, 0, 0, 0);
    w.WritePlaceObject2(2, &identity, nullptr, 1, false);
    w.WritePlaceObject2(99, nullptr, &half, 3, true); // moving: no id
    w.WritePlaceObject2(5, nullptr, nullptr, 0x0102, false);
    w.WriteRemoveObject2(0x1234);
    const std::string m256 = Field(256, 10);
    EXPECT_EQ(Written(w), Concat({Hex("87 06 06 01 00 02 00 02 00"), Hex("89 06 09 03 00"),
                                  Bits("0 1 1010" + m256 + m256 + m256 + Field(128, 10)),
                                  Hex("85 06 02 02 01 05 00"), Hex("02 07 34 12")}));
}

TEST(CSwfWriter, HeaderAndFinishedImage) {
    CSwfWriter w;
    w.WriteHeader(1, 1, 12.5, 0);
    EXPECT_EQ(Written(w), Concat({Bits("00110 000000 010100 000000 010100"), Hex("80 0C 00 00")}));

    CSwfWriter hello = WriteHello();
    hello.Finish(); // a second call adds nothing
    EXPECT_EQ(Bytes(hello.GetImageBytes().begin(), hello.GetImageBytes().end()), kHello);
    EXPECT_EQ(ReadFile(fs::path(TAVRO_SOURCE_DIR) / "examples" / "hello.swf"), kHello);
}

TEST(CSwfWriter, ImageGrowsPastTheFirstMegabyte) {
    CSwfWriter w;
    w.WriteHeader(1, 1, 12, 1);
    const uint32_t body = 400000, first = w.GetPosition(true), tagSize = 6 + body;
    for (int tag = 0; tag < 3; ++tag) { // the third is moved after the image grew
        w.BeginTag(12);
        for (uint32_t i = 0; i < body; ++i)
            w.WriteUI8(static_cast<uint8_t>(i * 7 + tag));
        w.EndTag();
    }
    w.Finish();
    const uint32_t n = w.GetFileLength();
    ASSERT_EQ(n, first + 3 * tagSize + 3);
    const uint8_t* image = w.GetImage();
    for (int tag = 0; tag < 3; ++tag) {
        const uint8_t* t = image + first + tag * tagSize;
        EXPECT_EQ(Bytes(t, t + 6), Hex("3F 03 80 1A 06 00"));
        for (uint32_t i : {0u, body / 2, body - 1})
            EXPECT_EQ(t[6 + i], static_cast<uint8_t>(i * 7 + tag)) << tag << " " << i;
    }
    EXPECT_EQ(Bytes(image + 4, image + 8),
              Bytes({uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), 0}));
    EXPECT_EQ(Bytes(image + n - 3, image + n), Hex("00 00 00"));
}

TEST(CSwfWriter, ValuesBeyondTheirFieldsAreClamped) {
    CSwfWriter w;
    w.WriteRect(0, 0, 1 << 30, 0);
    w.WriteMatrix(65536, 0, 0, 65536, INT32_MIN, 0);
    w.WriteCxform(256, 256, 256, 20000, 0, 0, 0, 0);
    w.WriteRGB(-5, 300, 128);
    const std::string m256 = Field(256, 15);
    EXPECT_EQ(Written(w),
              Concat({Bits("11111" + Field(0, 31) + Field((1 << 30) - 1, 31) + Field(0, 62)),
                      Bits("0 0 11111" + Field(-(1 << 30), 31) + Field(0, 31)),
                      Bits("0 1 1111" + m256 + m256 + m256 + Field(16383, 15)), Hex("00 FF 80")}));

    CSwfWriter fast;
    fast.WriteHeader(1, 1, 1000, 3);
    EXPECT_EQ(Written(fast, 12), Hex("FF FF 03 00"));
}

TEST(CSwfWriter, SaveImageReplacesTheTargetOnlyWhenComplete) {
    const fs::path dir = fs::temp_directory_path() / ("tavro-save-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path target = dir / "movie.swf";
    std::ofstream(target) << "an older and longer movie file";
    ::chmod(target.c_str(), 0640);

    EXPECT_TRUE(WriteHello(target.string()).SaveImage());
    EXPECT_EQ(ReadFile(target), kHello);
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    const fs::path taken = dir / "taken.swf"; // a directory: the rename fails
    fs::create_directory(taken);
    EXPECT_FALSE(WriteHello(taken.string()).SaveImage());
    EXPECT_TRUE(fs::is_directory(taken));
    EXPECT_FALSE(WriteHello((dir / "missing" / "movie.swf").string()).SaveImage());
    EXPECT_FALSE(CSwfWriter((dir / "early.swf").string()).SaveImage()); // not finished
    EXPECT_TRUE(WriteHello("").SaveImage());                            // memory only
    // Only the saved movie and the directory are left: no temporary files.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 2);
    fs::remove_all(dir);
}

} // namespace
} // namespace tavro
