#include "swf/CSwfWriter.h"

#include "model/CColor.h"
#include "model/CColorTransform.h"
#include "model/CMatrix3.h"
#include "swf/SwfTestBytes.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace tavro {
namespace {

using test::Bits;
using test::Bytes;
using test::Concat;
using test::Field;
using test::Hex;
namespace fs = std::filesystem;

// The bytes written from `from` up to the cursor, a partly written byte included.
Bytes Written(const CSwfWriter& w, uint32_t from = 8) {
    const uint32_t bits = w.GetPosition(false);
    const uint32_t end = (bits + 7) / 8;
    return Bytes(w.GetImage() + from, w.GetImage() + end);
}

Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// 550 x 400 px at 12 fps, one frame, white background: the bundled example movie.
const Bytes kHelloMovie = Concat({
    Hex("46 57 53 03 1F 00 00 00"),
    Bits("01111" + Field(0, 15) + Field(11000, 15) + Field(0, 15) + Field(8000, 15)),
    Hex("00 0C 01 00"),    // 12 fps, 1 frame
    Hex("43 02 FF FF FF"), // SetBackgroundColor, 3 bytes
    Hex("40 00 00 00 00"), // ShowFrame, End, trailing zero
});

TEST(CSwfWriter, BitFieldsPackAcrossBytesMostSignificantFirst) {
    CSwfWriter w;
    w.WriteBits(5, 3);      // 101
    w.WriteBits(-3, 6);     // 111101: negative values keep their low bits
    w.WriteBits(0x6A5, 10); // 1010100101: bits above the field are dropped
    EXPECT_EQ(w.GetPosition(false), 8u * 8 + 19);
    EXPECT_EQ(Written(w), Bits("101 111101 1010100101"));

    // A field that exactly fills a byte leaves the cursor on it until the next write.
    CSwfWriter full;
    full.WriteBits(0xAB, 8);
    EXPECT_EQ(full.GetPosition(true), 8u);
    EXPECT_EQ(full.GetPosition(false), 72u);
    full.WriteBits(1, 1);
    EXPECT_EQ(Written(full), Hex("AB 80"));

    CSwfWriter wide;
    wide.WriteBits(1, 3);
    wide.WriteBits(INT32_MIN, 32);
    wide.WriteBits(-1, 32);
    EXPECT_EQ(Written(wide), Bits("001 1" + std::string(31, '0') + std::string(32, '1')));
}

TEST(CSwfWriter, BitCounts) {
    const std::pair<int32_t, int> signedCases[] = {{0, 1},     {1, 2},          {-1, 1},
                                                   {-2, 2},    {255, 9},        {-256, 9},
                                                   {-257, 10}, {INT32_MAX, 32}, {INT32_MIN, 32}};
    for (auto [value, bits] : signedCases)
        EXPECT_EQ(CSwfWriter::SignedBitCount(value), bits) << value;
    EXPECT_EQ(CSwfWriter::UnsignedBitCount(0), 0);
    EXPECT_EQ(CSwfWriter::UnsignedBitCount(1), 1);
    EXPECT_EQ(CSwfWriter::UnsignedBitCount(256), 9);
    EXPECT_EQ(CSwfWriter::UnsignedBitCount(0xFFFFFFFFu), 32);
}

TEST(CSwfWriter, ByteWritesAlignAndAreLittleEndian) {
    CSwfWriter w;
    w.WriteBits(1, 1);
    w.WriteUI16(0x1234);
    w.WriteUI16(static_cast<uint32_t>(-1)); // a signed value keeps its low 16 bits
    w.WriteUI32(0x12345678);
    w.WriteUI8(0x1FF);
    EXPECT_EQ(Written(w), Hex("80 34 12 FF FF 78 56 34 12 FF"));
}

TEST(CSwfWriter, SeekToBackPatchesAndRestoresTheBitCursor) {
    CSwfWriter w;
    const uint32_t p = w.GetPosition(true);
    w.WriteUI16(0);
    w.WriteBits(1, 3);
    w.SeekTo(p);
    w.WriteUI16(0xBEEF);
    w.RestorePosition();
    EXPECT_EQ(w.GetPosition(false), (p + 2) * 8 + 3);
    w.WriteBits(1, 1);
    EXPECT_EQ(Written(w, p), Hex("EF BE 30"));

    // Room left with SetPosition stays zero until it is filled in.
    const uint32_t t = w.GetPosition(true) + 1;
    w.SetPosition(t + 4, 0);
    w.WriteUI8(0x77);
    w.SeekTo(t);
    w.WriteUI16(0x0102);
    w.RestorePosition();
    EXPECT_EQ(Written(w, t), Hex("02 01 00 00 77"));
}

Bytes Sequence(int n) {
    Bytes b;
    for (int i = 1; i <= n; ++i)
        b.push_back(static_cast<uint8_t>(i));
    return b;
}

void WriteTagWithBody(CSwfWriter& w, uint16_t code, int bodyLength) {
    w.BeginTag(code);
    for (uint8_t byte : Sequence(bodyLength))
        w.WriteUI8(byte);
    w.EndTag();
}

TEST(CSwfWriter, TagBodiesOf62And63BytesTakeShortAndLongForm) {
    CSwfWriter shortForm;
    WriteTagWithBody(shortForm, 12, 62);
    EXPECT_EQ(Written(shortForm), Concat({Hex("3E 03"), Sequence(62)}));

    CSwfWriter longForm;
    WriteTagWithBody(longForm, 12, 63);
    longForm.WriteShowFrame();
    EXPECT_EQ(Written(longForm), Concat({Hex("3F 03 3F 00 00 00"), Sequence(63), Hex("40 00")}));

    CSwfWriter end;
    end.WriteEnd();
    EXPECT_EQ(Written(end), Hex("00 00"));
}

TEST(CSwfWriter, NestedSpriteReachesLongFormAndKeepsInnerHeaders) {
    CSwfWriter w;
    w.BeginTag(39);
    const uint32_t spriteStart = w.GetTagStart();
    w.WriteUI16(1); // id
    w.WriteUI16(1); // frame count
    for (uint16_t depth = 1; depth <= 3; ++depth)
        w.WriteRemoveObject2(depth);
    WriteTagWithBody(w, 12, 70); // an inner tag that is long itself
    w.WriteShowFrame();
    w.WriteEnd();
    w.SetTagStart(spriteStart);
    w.EndTag();
    w.WriteShowFrame();

    const Bytes inner = Concat({Hex("02 07 01 00 02 07 02 00 02 07 03 00"),
                                Hex("3F 03 46 00 00 00"), Sequence(70), Hex("40 00 00 00")});
    ASSERT_EQ(inner.size(), 92u);
    EXPECT_EQ(Written(w), Concat({Hex("FF 09 60 00 00 00 01 00 01 00"), inner, Hex("40 00")}));

    // A sprite whose body stays under 63 bytes keeps the short header.
    CSwfWriter small;
    small.BeginTag(39);
    const uint32_t start = small.GetTagStart();
    small.WriteUI16(2);
    small.WriteUI16(1);
    small.WriteShowFrame();
    small.WriteEnd();
    small.SetTagStart(start);
    small.EndTag();
    EXPECT_EQ(Written(small), Hex("C8 09 02 00 01 00 40 00 00 00"));
}

TEST(CSwfWriter, MatrixRecords) {
    CSwfWriter identity;
    identity.WriteBits(1, 1); // the record starts on a byte boundary
    identity.WriteMatrix(65536, 0, 0, 65536, 0, 0);
    EXPECT_EQ(Written(identity), Hex("80 02 00"));

    CSwfWriter scaled;
    scaled.WriteMatrix(65536, 0, 0, 65537, 0, 0);
    EXPECT_EQ(Written(scaled),
              Bits("1 10010" + Field(65536, 18) + Field(65537, 18) + "0 00001 0 0"));

    CSwfWriter rotated;
    rotated.WriteMatrix(65536, -65536, 65536, 65536, -20, 300);
    EXPECT_EQ(Written(rotated), Bits("0 1 10010" + Field(-65536, 18) + Field(65536, 18) + "01010" +
                                     Field(-20, 10) + Field(300, 10)));

    // From a CMatrix3: m0, m1, m3, m4 scaled by 65536, m6 and m7 as twips, halves away from 0.
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
}

TEST(CSwfWriter, ColorTransformRecords) {
    CSwfWriter identity;
    identity.WriteCxform(CColorTransform());
    identity.WriteUI8(0xAA);
    EXPECT_EQ(Written(identity), Hex("00 AA")); // six zero bits, then padding

    const std::string m256 = Field(256, 10);
    CSwfWriter alpha;
    alpha.WriteCxform(CColorTransform(128, 256, 256, 256, 0, 0, 0, 0));
    EXPECT_EQ(Written(alpha), Bits("0 1 1010" + m256 + m256 + m256 + Field(128, 10)));

    // Offsets only: the width still counts the multipliers (256 needs 10 bits).
    CSwfWriter add;
    add.WriteCxform(256, 256, 256, 256, -255, 0, 0, 10);
    EXPECT_EQ(Written(add),
              Bits("1 0 1010" + Field(-255, 10) + Field(0, 10) + Field(0, 10) + Field(10, 10)));
}

TEST(CSwfWriter, RectColourAndStringRecords) {
    CSwfWriter rect;
    rect.WriteRect(-1, -1, 1, 1); // written Xmin, Xmax, Ymin, Ymax
    EXPECT_EQ(Written(rect), Bits("00010 11 01 11 01"));

    CSwfWriter colour;
    colour.WriteRGB(1, 2, 3);
    colour.WriteRGB(CColor(4, 5, 6, 7), true);
    colour.WriteRGB(CColor(8, 9, 10, 11), false);
    EXPECT_EQ(Written(colour), Hex("01 02 03 04 05 06 07 08 09 0A"));

    CSwfWriter text;
    text.WriteString("ab", false);
    text.WriteString("ab", true);
    text.WriteString("", true);
    EXPECT_EQ(Written(text), Hex("61 62 00 03 00 61 62 00 01 00 00"));
}

TEST(CSwfWriter, PlacementAndFrameTags) {
    CSwfWriter w;
    const CMatrix3 identity;
    w.WritePlaceObject2(2, &identity, nullptr, 1, false);
    const CColorTransform half(128, 256, 256, 256, 0, 0, 0, 0);
    w.WritePlaceObject2(99, nullptr, &half, 3, true); // moving: the id is not written
    w.WritePlaceObject2(5, nullptr, nullptr, 0x0102, false);
    w.WriteRemoveObject2(0x1234);
    w.WriteSetBackgroundColor(CColor(1, 2, 3));
    w.WriteShowFrame();
    const std::string m256 = Field(256, 10);
    EXPECT_EQ(Written(w), Concat({Hex("87 06 06 01 00 02 00 02 00"), Hex("89 06 09 03 00"),
                                  Bits("0 1 1010" + m256 + m256 + m256 + Field(128, 10)),
                                  Hex("85 06 02 02 01 05 00"), Hex("02 07 34 12"),
                                  Hex("43 02 01 02 03"), Hex("40 00")}));

    CSwfWriter ids;
    EXPECT_EQ(ids.NextCharacterId(), 1);
    EXPECT_EQ(ids.NextCharacterId(), 2);
}

TEST(CSwfWriter, HeaderFrameRateAndFrameCount) {
    CSwfWriter w;
    w.WriteHeader(1, 1, 12.5, 0);
    EXPECT_EQ(Written(w), Concat({Bits("00110 000000 010100 000000 010100"), Hex("80 0C 00 00")}));

    CSwfWriter fast;
    fast.WriteHeader(1, 1, 1000, 3); // beyond 8.8: the largest rate the field holds
    EXPECT_EQ(Written(fast, 12), Hex("FF FF 03 00"));
}

TEST(CSwfWriter, FinishedMovieMatchesTheBundledExample) {
    CSwfWriter w;
    w.WriteHeader(550, 400, 12, 1);
    w.WriteSetBackgroundColor(255, 255, 255);
    w.WriteShowFrame();
    EXPECT_EQ(w.GetFileLength(), 0u);
    w.Finish();
    w.Finish(); // a second call adds nothing
    const Bytes image(w.GetImageBytes().begin(), w.GetImageBytes().end());
    EXPECT_EQ(image, kHelloMovie);
    EXPECT_EQ(w.GetFileLength(), kHelloMovie.size());
    EXPECT_EQ(ReadFile(fs::path(TAVRO_SOURCE_DIR) / "examples" / "hello.swf"), kHelloMovie);
}

TEST(CSwfWriter, ImageGrowsPastTheFirstMegabyte) {
    CSwfWriter w;
    w.WriteHeader(1, 1, 12, 1);
    const uint32_t first = w.GetPosition(true);
    const uint32_t body = 400000;
    for (int tag = 0; tag < 3; ++tag) {
        w.BeginTag(12);
        for (uint32_t i = 0; i < body; ++i)
            w.WriteUI8(static_cast<uint8_t>(i * 7 + tag));
        w.EndTag(); // the third body crosses 1 MiB and is moved after the image grew
    }
    w.Finish();
    const uint32_t tagSize = 6 + body;
    ASSERT_EQ(w.GetFileLength(), first + 3 * tagSize + 3);
    ASSERT_GT(w.GetFileLength(), CSwfWriter::kInitialCapacity);
    const uint8_t* image = w.GetImage();
    for (int tag = 0; tag < 3; ++tag) {
        const uint8_t* t = image + first + tag * tagSize;
        EXPECT_EQ(Bytes(t, t + 6), Hex("3F 03 80 1A 06 00")) << tag;
        for (uint32_t i : {0u, 1u, body / 2, body - 1})
            EXPECT_EQ(t[6 + i], static_cast<uint8_t>(i * 7 + tag)) << tag << " " << i;
    }
    const uint32_t n = w.GetFileLength();
    EXPECT_EQ(Bytes(image + n - 3, image + n), Hex("00 00 00"));
    EXPECT_EQ(Bytes(image + 4, image + 8),
              Bytes({uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)}));
}

TEST(CSwfWriter, ValuesBeyondTheirBitCountFieldsAreClamped) {
    const std::string zero31 = Field(0, 31), max31 = Field((1 << 30) - 1, 31);
    CSwfWriter rect;
    rect.WriteRect(0, 0, 1 << 30, 0);
    EXPECT_EQ(Written(rect), Bits("11111" + zero31 + max31 + zero31 + zero31));

    CSwfWriter matrix;
    matrix.WriteMatrix(65536, 0, 0, 65536, INT32_MIN, INT32_MAX);
    EXPECT_EQ(Written(matrix), Bits("0 0 11111" + Field(-(1 << 30), 31) + max31));

    const std::string m256 = Field(256, 15);
    CSwfWriter cxform;
    cxform.WriteCxform(256, 256, 256, 20000, 0, 0, 0, 0);
    EXPECT_EQ(Written(cxform), Bits("0 1 1111" + m256 + m256 + m256 + Field(16383, 15)));

    CSwfWriter colour;
    colour.WriteRGB(-5, 300, 128);
    EXPECT_EQ(Written(colour), Hex("00 FF 80"));
}

class CSwfWriterSave : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("tavro-swfwriter-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    static CSwfWriter FinishedHello(const std::string& name) {
        CSwfWriter w(name);
        w.WriteHeader(550, 400, 12, 1);
        w.WriteSetBackgroundColor(255, 255, 255);
        w.WriteShowFrame();
        w.Finish();
        return w;
    }
    size_t EntriesInDir() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), {}));
    }

    fs::path dir_;
};

TEST_F(CSwfWriterSave, WritesTheImageAndReplacesAnOldFileKeepingItsMode) {
    const fs::path target = dir_ / "movie.swf";
    {
        std::ofstream old(target, std::ios::binary);
        old << "an older and longer movie file";
    }
    ::chmod(target.c_str(), 0640);
    EXPECT_TRUE(FinishedHello(target.string()).SaveImage());
    EXPECT_EQ(ReadFile(target), kHelloMovie);
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(EntriesInDir(), 1u); // no temporary file left behind
}

TEST_F(CSwfWriterSave, FailureLeavesTheTargetAndNoTemporaryFile) {
    // The target is a directory: the rename fails, the directory stays as it was.
    const fs::path taken = dir_ / "taken.swf";
    fs::create_directory(taken);
    fs::path keep = taken / "keep";
    std::ofstream(keep) << "x";
    EXPECT_FALSE(FinishedHello(taken.string()).SaveImage());
    EXPECT_TRUE(fs::is_directory(taken));
    EXPECT_TRUE(fs::exists(keep));
    EXPECT_EQ(EntriesInDir(), 1u);

    EXPECT_FALSE(FinishedHello((dir_ / "missing" / "movie.swf").string()).SaveImage());

    // An image that is not finished is never saved.
    CSwfWriter unfinished((dir_ / "early.swf").string());
    EXPECT_FALSE(unfinished.SaveImage());
    EXPECT_FALSE(fs::exists(dir_ / "early.swf"));
}

TEST_F(CSwfWriterSave, EmptyNameKeepsTheImageInMemory) {
    CSwfWriter w = FinishedHello("");
    EXPECT_TRUE(w.SaveImage());
    EXPECT_EQ(w.GetFileLength(), kHelloMovie.size());
    EXPECT_EQ(EntriesInDir(), 0u);
}

} // namespace
} // namespace tavro
