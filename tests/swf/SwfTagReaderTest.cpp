#include "swf/SwfTagReader.h"

#include "model/CColorTransform.h"
#include "model/CMatrix3.h"
#include "swf/CSwfWriter.h"
#include "swf/SwfTestBytes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace tavro {
namespace {

using test::Bytes;
using test::Concat;
using test::Hex;
namespace fs = std::filesystem;

struct Line {
    int nesting;
    uint32_t frame;
    uint16_t code;
    std::string fields;
    bool operator==(const Line&) const = default;
};

void PrintTo(const Line& l, std::ostream* os) {
    *os << l.nesting << " " << l.frame << " " << l.code << " [" << l.fields << "]";
}

std::vector<SwfTagReader::Entry> List(std::span<const uint8_t> data) {
    std::vector<SwfTagReader::Entry> entries;
    const SwfTagReader::Header header = SwfTagReader::ReadHeader(data);
    SwfTagReader::ListMovie(data, header,
                            [&](const SwfTagReader::Entry& e) { entries.push_back(e); });
    return entries;
}

std::vector<Line> Lines(const std::vector<SwfTagReader::Entry>& entries) {
    std::vector<Line> lines;
    for (const auto& e : entries)
        lines.push_back({e.nesting, e.frame, e.tag.code, e.fields});
    return lines;
}

// A two-frame movie with one of each tag the exporter writes.
Bytes WriteSampleMovie() {
    CSwfWriter w;
    w.WriteHeader(550, 400, 12, 2);
    w.WriteSetBackgroundColor(0x11, 0x22, 0x33);

    w.BeginTag(2);
    w.WriteUI16(w.NextCharacterId());
    w.WriteRect(0, 0, 200, 100);
    w.WriteUI8(0);
    w.WriteUI8(0);
    w.WriteBits(0, 4);
    w.WriteBits(0, 4);
    w.WriteBits(0, 6);
    w.EndTag();

    const CMatrix3 identity;
    w.BeginTag(39);
    const uint32_t sprite = w.GetTagStart();
    w.WriteUI16(w.NextCharacterId());
    w.WriteUI16(1);
    w.WritePlaceObject2(1, &identity, nullptr, 1, false);
    w.WriteShowFrame();
    w.WriteEnd();
    w.SetTagStart(sprite);
    w.EndTag();

    w.BeginTag(10);
    const uint16_t font = w.NextCharacterId();
    w.WriteUI16(font);
    const uint32_t table = w.GetPosition(true);
    w.SetPosition(table + 4, 0);
    uint32_t offsets[2];
    for (uint32_t& offset : offsets) {
        w.Align();
        offset = w.GetPosition(true) - table;
        w.WriteBits(1, 4);
        w.WriteBits(1, 4);
        w.WriteBits(0, 6);
    }
    w.SeekTo(table);
    w.WriteUI16(offsets[0]);
    w.WriteUI16(offsets[1]);
    w.RestorePosition();
    w.EndTag();

    w.BeginTag(13);
    w.WriteUI16(font);
    w.WriteUI8(5);
    for (char c : std::string("Arial"))
        w.WriteUI8(static_cast<uint8_t>(c));
    w.WriteUI8(0);
    w.WriteUI8('A');
    w.WriteUI8('B');
    w.EndTag();

    w.BeginTag(11);
    w.WriteUI16(w.NextCharacterId());
    w.WriteRect(-10, -20, 30, 40);
    w.WriteMatrix(65536, 0, 0, 65536, 0, 0);
    w.WriteUI8(1);
    w.WriteUI8(1);
    w.WriteUI8(0);
    w.EndTag();

    w.BeginTag(34);
    w.WriteUI16(w.NextCharacterId());
    w.WriteUI8(0);
    w.WriteUI16(3);
    w.WriteUI8(0);
    w.WriteUI16(0);
    w.WriteUI16(0);
    w.WriteUI8(0);
    w.EndTag();

    CMatrix3 moved;
    moved.m[6] = 100;
    moved.m[7] = -40;
    const CColorTransform half(128, 256, 256, 256, 0, 0, 0, 0);
    w.WritePlaceObject2(4, &moved, &half, 2, false);

    w.BeginTag(12);
    for (uint8_t b : Hex("81 02 00 05 00  06  8C 06 00"))
        w.WriteUI8(b);
    w.WriteString("intro", false);
    w.WriteUI8(0x83);
    w.WriteUI16(16);
    w.WriteString("http://x", false);
    w.WriteString("_blank", false);
    w.WriteUI8(0x07);
    w.WriteUI8(0);
    w.EndTag();
    w.WriteShowFrame();

    w.WritePlaceObject2(0, nullptr, &half, 2, true);
    w.WriteRemoveObject2(2);
    w.WriteShowFrame();
    w.Finish();
    return Bytes(w.GetImageBytes().begin(), w.GetImageBytes().end());
}

TEST(SwfTagReader, ListsEveryTagOfAWrittenMovie) {
    const Bytes movie = WriteSampleMovie();
    const SwfTagReader::Header h = SwfTagReader::ReadHeader(movie);
    EXPECT_EQ(h.version, 3);
    EXPECT_EQ(h.fileLength, movie.size());
    EXPECT_EQ(std::vector<int32_t>({h.xmin, h.xmax, h.ymin, h.ymax}),
              std::vector<int32_t>({0, 11000, 0, 8000}));
    EXPECT_EQ(h.frameRate, 12 * 256);
    EXPECT_EQ(h.frameCount, 2);
    EXPECT_EQ(h.firstTagOffset, 21u);

    const std::string identity = "matrix(sx=65536 sy=65536 r0=0 r1=0 tx=0 ty=0)";
    const std::string half = "cxform(mult=256,256,256,128 add=0,0,0,0)";
    const std::vector<Line> expected = {
        {0, 0, 9, "color=#112233"},
        {0, 0, 2, "id=1 bounds x=0..200 y=0..100"},
        {0, 0, 39, "id=2 frames=1"},
        {1, 0, 26, "flags=0x06 depth=1 id=1 " + identity},
        {1, 0, 1, ""},
        {1, 1, 0, ""},
        {0, 0, 10, "id=3 glyphs=2"},
        {0, 0, 13, "id=3 name=\"Arial\" flags=0x00 codes=2"},
        {0, 0, 11, "id=4 bounds x=-10..30 y=-20..40"},
        {0, 0, 34, "id=5 menu=0"},
        {0, 0, 26,
         "flags=0x0E depth=2 id=4 matrix(sx=65536 sy=65536 r0=0 r1=0 tx=100 ty=-40) " + half},
        {0, 0, 12,
         "actions: 0x81 GotoFrame(5) 0x06 Play 0x8C GotoLabel(\"intro\") 0x83 "
         "GetURL(\"http://x\", \"_blank\") 0x07 Stop"},
        {0, 0, 1, ""},
        {0, 1, 26, "flags=0x09 depth=2 " + half},
        {0, 1, 28, "depth=2"},
        {0, 1, 1, ""},
        {0, 2, 0, ""},
    };
    const auto entries = List(movie);
    EXPECT_EQ(Lines(entries), expected);
    ASSERT_EQ(entries.size(), expected.size());
    EXPECT_EQ(entries[11].tag.length, 36u); // DoAction
    EXPECT_EQ(entries.back().tag.offset + 3, movie.size());
}

// Runs the whole listing; true when it succeeded, false when it reported an Error. Any other
// exception escapes and fails the test.
bool ListsCleanly(std::span<const uint8_t> data, std::string* message = nullptr) {
    try {
        List(data);
        return true;
    } catch (const SwfTagReader::Error& e) {
        if (message)
            *message = e.what();
        return false;
    }
}

std::string ErrorOf(std::span<const uint8_t> data) {
    std::string message;
    EXPECT_FALSE(ListsCleanly(data, &message));
    return message;
}

TEST(SwfTagReader, HeaderErrors) {
    EXPECT_EQ(ErrorOf(Hex("43 57 53 0A 20 00 00 00 78 9C")),
              "compressed (CWS) files are not supported");
    EXPECT_EQ(ErrorOf(Hex("5A 57 53 0D 20 00 00 00")), "compressed (ZWS) files are not supported");
    EXPECT_EQ(ErrorOf(Hex("47 49 46 38 39 61 00 00 00")), "not an SWF file");
    EXPECT_EQ(ErrorOf(Hex("46 57")), "not an SWF file");
    EXPECT_EQ(ErrorOf(Hex("46 57 53 03 1F 00")), "truncated header at offset 6");
    // A RECT of 31-bit fields needs 17 bytes; only 2 are there.
    EXPECT_NE(ErrorOf(Hex("46 57 53 03 1F 00 00 00 F8 00")).find("truncated header"),
              std::string::npos);
    EXPECT_EQ(ErrorOf(Hex("46 57 53 03 0A 00 00 00 30 0A 00 50 00 0C 01 00 00 00 00")),
              "file length field 10 is shorter than the header");
}

TEST(SwfTagReader, EveryTruncationIsReportedAtTheDamagedTag) {
    const Bytes movie = WriteSampleMovie();
    const auto entries = List(movie);
    for (size_t cut = 0; cut < movie.size(); ++cut) {
        const std::span<const uint8_t> prefix(movie.data(), cut);
        std::string message;
        ASSERT_FALSE(ListsCleanly(prefix, &message)) << cut;
        // The top-level tag that the cut falls into is the one named.
        for (const auto& e : entries) {
            if (e.nesting == 0 && e.tag.offset < cut && cut < e.tag.bodyOffset + e.tag.length) {
                EXPECT_EQ(message.rfind(
                              "truncated tag at offset " + std::to_string(e.tag.offset) + ":", 0),
                          0u)
                    << cut << ": " << message;
            }
        }
    }
    EXPECT_EQ(ErrorOf({movie.data(), movie.size() - 1}),
              "truncated: the header gives " + std::to_string(movie.size()) +
                  " bytes, the file has " + std::to_string(movie.size() - 1));
}

// A 1 x 0.5 px movie at 12 fps around the given tags; the length field counts every byte.
Bytes Movie(const Bytes& tags) {
    Bytes m = Concat({Hex("46 57 53 03 00 00 00 00 30 0A 00 50 00 0C 01 00"), tags});
    const uint32_t n = static_cast<uint32_t>(m.size());
    for (int i = 0; i < 4; ++i)
        m[4 + i] = static_cast<uint8_t>(n >> (8 * i));
    return m;
}

TEST(SwfTagReader, DamagedRecordsAreErrors) {
    const Bytes end = Hex("00 00 00");
    const std::pair<Bytes, std::string> cases[] = {
        {Movie(Concat({Hex("3F 03 F0 FF FF FF 00 00"), end})),
         "truncated tag at offset 16: DoAction needs 4294967280 bytes, 5 left"},
        {Movie(Hex("01")), "truncated tag at offset 16: header cut short"},
        {Movie(Hex("40 00")), "truncated: no End tag before offset 18"},
        {Movie(Concat({Hex("85 06 06 01 00 02 00"), end})),
         "PlaceObject2 at offset 16: fields run past the end at offset 23"},
        {Movie(Concat({Hex("06 03 83 10 00 61 00 00"), end})),
         "DoAction at offset 16: action record longer than its tag at offset 21"},
        {Movie(Concat({Hex("08 03 83 02 00 61 00 62 00 00"), end})),
         "DoAction at offset 16: action operands longer than their record at offset 25"},
        {Movie(Concat({Hex("C2 09 01 00"), end})),
         "DefineSprite at offset 16: fields run past the end at offset 20"},
        {Movie(Concat({Hex("C6 09 01 00 01 00 40 00"), end})),
         "DefineSprite at offset 16 has no End tag"},
        {Movie(Concat({Hex("84 02 01 00 03 00"), end})),
         "DefineFont at offset 16: damaged glyph offset table at offset 22"},
        {Movie(Concat({Hex("C3 0A 61 62 63"), end})),
         "FrameLabel at offset 16: string without terminator at offset 18"},
    };
    for (const auto& [bytes, message] : cases)
        EXPECT_EQ(ErrorOf(bytes), message);

    // Sprites nested one level deeper than the reader follows.
    Bytes nested = Hex("40 00 00 00");
    for (int level = 0; level <= SwfTagReader::kMaxSpriteNesting; ++level) {
        Bytes body = Concat({Hex("01 00 01 00"), nested, Hex("00 00")});
        nested = Concat(
            {Hex("FF 09"), Bytes{uint8_t(body.size()), uint8_t(body.size() >> 8), 0, 0}, body});
    }
    EXPECT_EQ(ErrorOf(Movie(Concat({nested, end}))).rfind("sprites nested too deeply", 0), 0u);
}

TEST(SwfTagReader, MutatedMoviesGiveErrorsAndNothingElse) {
    const Bytes movie = WriteSampleMovie();
    std::mt19937 random(20240611);
    int failures = 0;
    for (int round = 0; round < 4000; ++round) {
        Bytes mutant = movie;
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < changes; ++i) {
            const size_t at = 8 + random() % (mutant.size() - 8);
            mutant[at] = static_cast<uint8_t>(random());
        }
        if (round % 4 == 0)
            mutant.resize(8 + random() % (mutant.size() - 8));
        if (!ListsCleanly(mutant))
            ++failures;
    }
    EXPECT_GT(failures, 0); // the mutations do reach the checks
}

TEST(SwfTagReader, StoredFilesReplay) {
    const fs::path dir = fs::path(TAVRO_TEST_DATA_DIR) / "swf";
    int bad = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const bool isBad = entry.path().filename().string().rfind("bad-", 0) == 0;
        EXPECT_EQ(ListsCleanly(bytes), !isBad) << entry.path();
        bad += isBad;
    }
    EXPECT_GE(bad, 5);

    std::ifstream in(fs::path(TAVRO_SOURCE_DIR) / "examples" / "hello.swf", std::ios::binary);
    const Bytes hello((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(Lines(List(hello)),
              (std::vector<Line>{{0, 0, 9, "color=#FFFFFF"}, {0, 0, 1, ""}, {0, 1, 0, ""}}));
}

} // namespace
} // namespace tavro
