#include "swf/SwfTagReader.h"

#include "ReplayFiles.h"

#include "base/CColorTransform.h"
#include "model/CMatrix3.h"
#include "swf/CSwfWriter.h"
#include "swfformat/SwfTestBytes.h"

#include <gtest/gtest.h>

#include <random>

namespace tavro {
namespace {

using test::Bytes;
using test::Concat;
using test::Hex;
using test::ReadFile;
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
    SwfTagReader::ListMovie(data, SwfTagReader::ReadHeader(data),
                            [&](const SwfTagReader::Entry& e) { entries.push_back(e); });
    return entries;
}

std::vector<Line> Lines(std::span<const uint8_t> data) {
    std::vector<Line> lines;
    for (const auto& e : List(data))
        lines.push_back({e.nesting, e.frame, e.tag.code, e.fields});
    return lines;
}

// The message of the Error the listing ends with; "" when it succeeds. Any other exception
// escapes and fails the test.
std::string ErrorOf(std::span<const uint8_t> data) {
    try {
        List(data);
        return "";
    } catch (const SwfTagReader::Error& e) {
        return e.what();
    }
}

void WriteTag(CSwfWriter& w, uint16_t code, const Bytes& body) {
    w.BeginTag(code);
    for (uint8_t byte : body)
        w.WriteUI8(byte);
    w.EndTag();
}

// A two-frame movie with each kind of tag the exporter writes.
Bytes WriteSampleMovie() {
    CSwfWriter w;
    w.WriteHeader(550, 400, 12, 2);
    w.WriteSetBackgroundColor(0x11, 0x22, 0x33);
    w.BeginTag(2);
    w.WriteUI16(1);
    w.WriteRect(0, 0, 200, 100);
    w.WriteUI8(0);
    w.WriteUI8(0);
    w.WriteBits(0, 14);
    w.EndTag();

    const CMatrix3 identity;
    w.BeginTag(39);
    const uint32_t sprite = w.GetTagStart();
    w.WriteUI16(2);
    w.WriteUI16(1);
    w.WritePlaceObject2(1, &identity, nullptr, 1, false);
    w.WriteShowFrame();
    w.WriteEnd();
    w.SetTagStart(sprite);
    w.EndTag();

    WriteTag(w, 10, Hex("03 00  04 00 06 00  11 00  11 00"));
    WriteTag(w, 13, Concat({Hex("03 00 05"), Bytes{'A', 'r', 'i', 'a', 'l'}, Hex("00 41 42")}));
    w.BeginTag(11);
    w.WriteUI16(4);
    w.WriteRect(-10, -20, 30, 40);
    w.WriteMatrix(65536, 0, 0, 65536, 0, 0);
    for (uint8_t b : Hex("01 01 00"))
        w.WriteUI8(b);
    w.EndTag();
    WriteTag(w, 34, Hex("05 00 00 03 00 00 00 00 00 00 00"));

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
    EXPECT_EQ((std::vector<int32_t>{h.xmin, h.xmax, h.ymin, h.ymax}),
              (std::vector<int32_t>{0, 11000, 0, 8000}));
    EXPECT_EQ(h.frameRate, 12 * 256);
    EXPECT_EQ(h.frameCount, 2);
    EXPECT_EQ(h.firstTagOffset, 21u);

    const std::string half = "cxform(mult=256,256,256,128 add=0,0,0,0)";
    const std::vector<Line> expected = {
        {0, 0, 9, "color=#112233"},
        {0, 0, 2, "id=1 bounds x=0..200 y=0..100"},
        {0, 0, 39, "id=2 frames=1"},
        {1, 0, 26, "flags=0x06 depth=1 id=1 matrix(sx=65536 sy=65536 r0=0 r1=0 tx=0 ty=0)"},
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
    EXPECT_EQ(Lines(movie), expected);
}

TEST(SwfTagReader, HeaderErrors) {
    EXPECT_EQ(ErrorOf(Hex("43 57 53 0A 20 00 00 00 78 9C")),
              "compressed (CWS) files are not supported");
    EXPECT_EQ(ErrorOf(Hex("47 49 46 38 39 61 00 00 00")), "not an SWF file");
    EXPECT_EQ(ErrorOf(Hex("46 57 53 03 1F 00")), "truncated header at offset 6");
    // 31-bit RECT fields need 17 bytes; 2 are there.
    EXPECT_EQ(ErrorOf(Hex("46 57 53 03 1F 00 00 00 F8 00")).rfind("truncated header", 0), 0u);
    EXPECT_EQ(ErrorOf(Hex("46 57 53 03 0A 00 00 00 30 0A 00 50 00 0C 01 00 00 00 00")),
              "file length field 10 is shorter than the header");
}

TEST(SwfTagReader, EveryTruncationIsReportedAtTheDamagedTag) {
    const Bytes movie = WriteSampleMovie();
    const auto entries = List(movie);
    for (size_t cut = 0; cut < movie.size(); ++cut) {
        const std::string message = ErrorOf({movie.data(), cut});
        ASSERT_NE(message, "") << cut;
        for (const auto& e : entries) {
            const auto& t = e.tag;
            if (e.nesting == 0 && t.offset < cut && cut < t.bodyOffset + t.length) {
                EXPECT_EQ(message.rfind("truncated tag at offset " + std::to_string(t.offset), 0),
                          0u)
                    << cut << ": " << message;
            }
        }
    }
    EXPECT_EQ(ErrorOf({movie.data(), movie.size() - 1}),
              "truncated: the header gives " + std::to_string(movie.size()) +
                  " bytes, the file has " + std::to_string(movie.size() - 1));
}

// A movie header (1 x 0.5 px, 12 fps) before the given tags; the length field counts every byte.
Bytes Movie(const Bytes& tags) {
    Bytes m = Concat({Hex("46 57 53 03 00 00 00 00 30 0A 00 50 00 0C 01 00"), tags});
    for (int i = 0; i < 4; ++i)
        m[4 + i] = static_cast<uint8_t>(m.size() >> (8 * i));
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

    Bytes nested = Hex("40 00 00 00"); // one level deeper than the reader follows
    for (int level = 0; level <= SwfTagReader::kMaxSpriteNesting; ++level) {
        const Bytes body = Concat({Hex("01 00 01 00"), nested, Hex("00 00")});
        nested = Concat({Hex("FF 09"), Bytes{uint8_t(body.size()), 0, 0, 0}, body});
    }
    EXPECT_EQ(ErrorOf(Movie(Concat({nested, end}))).rfind("sprites nested too deeply", 0), 0u);
}

TEST(SwfTagReader, MutatedMoviesGiveErrorsAndNothingElse) {
    const Bytes movie = WriteSampleMovie();
    std::mt19937 random(20240611);
    int failures = 0;
    for (int round = 0; round < 4000; ++round) {
        Bytes mutant = movie;
        for (int i = 0, n = 1 + static_cast<int>(random() % 4); i < n; ++i)
            mutant[8 + random() % (mutant.size() - 8)] = static_cast<uint8_t>(random());
        if (round % 4 == 0)
            mutant.resize(8 + random() % (mutant.size() - 8));
        failures += ErrorOf(mutant) != "";
    }
    EXPECT_GT(failures, 0); // the mutations do reach the checks
}

// The swf_info seeds and the reproducers: exactly the files named bad-* fail.
TEST(SwfTagReader, StoredFilesReplay) {
    int bad = 0, good = 0;
    for (const auto& file : test::ReplayFiles("swf_info", "swf")) {
        const bool isBad = file.path.filename().string().rfind("bad-", 0) == 0;
        EXPECT_EQ(ErrorOf(file.bytes) != "", isBad) << file.path;
        bad += isBad;
        good += !isBad;
    }
    EXPECT_GE(bad, 5);
    EXPECT_GE(good, 1);
    EXPECT_EQ(Lines(ReadFile(fs::path(TAVRO_SOURCE_DIR) / "examples" / "hello.swf")),
              (std::vector<Line>{{0, 0, 9, "color=#FFFFFF"}, {0, 0, 1, ""}, {0, 1, 0, ""}}));
}

} // namespace
} // namespace tavro
