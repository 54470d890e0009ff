// Decoders against reference decodes made by independent tools, hand-worked ADPCM codes of the
// sizes those tools do not cover, and damaged data.
#include "SoundTestSupport.h"

#include "ReplayFiles.h"
#include "fuzz/harness/sound_decode.h"

#include "player/sound/AdpcmDecoder.h"
#include "player/sound/Mp3Decoder.h"
#include "player/sound/Mp3FrameHeader.h"
#include "player/sound/Mp3SoundDecoder.h"
#include "player/sound/SoundDecoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>

namespace tavro::player::test {
namespace {

std::vector<int16_t> DecodeAll(SoundDecoder& d, size_t limit = 1 << 20) {
    std::vector<int16_t> out;
    std::vector<int16_t> chunk(1000 * size_t(d.Channels()));
    while (out.size() < limit) {
        size_t n = d.Decode(chunk.data(), 1000);
        out.insert(out.end(), chunk.begin(), chunk.begin() + ptrdiff_t(n * size_t(d.Channels())));
        if (n < 1000)
            break;
    }
    return out;
}

std::vector<int16_t> DecodeRecord(const SoundRecord& r) {
    auto d = SoundDecoder::Create(r.formatByte, false);
    d->Start(r, true);
    return DecodeAll(*d);
}

std::vector<int16_t> First(std::vector<int16_t> v, size_t n) {
    v.resize(std::min(v.size(), n));
    return v;
}

// Bits packed MSB first, for hand-built ADPCM data.
struct BitWriter {
    std::vector<uint8_t> bytes;
    int used = 8;
    void Put(uint32_t v, int n) {
        for (int i = n - 1; i >= 0; --i) {
            if (used == 8) {
                bytes.push_back(0);
                used = 0;
            }
            if ((v >> i) & 1)
                bytes.back() |= uint8_t(0x80 >> used);
            ++used;
        }
    }
};

TEST(AdpcmDecoder, MatchesTheReferenceDecodeAcrossPacketsMonoAndStereo) {
    struct Case {
        const char* name;
        int rateIndex;
        bool stereo;
    };
    for (Case c : {Case{"tone_mono", 2, false}, Case{"tone_stereo", 1, true}}) {
        SCOPED_TRACE(c.name);
        auto data = ReadSoundFixture(std::string(c.name) + ".adpcm");
        auto ref = ToSamples(ReadSoundFixture(std::string(c.name) + ".ref.s16"));
        ASSERT_FALSE(data.empty());
        ASSERT_GT(ref.size(), size_t(4096 * (c.stereo ? 2 : 1)));
        uint32_t frames = uint32_t(ref.size() / (c.stereo ? 2 : 1));
        auto rec = SoundRecord::Make(FormatByte(0x10, c.rateIndex, true, c.stereo), frames, data);
        EXPECT_EQ(DecodeRecord(*rec), ref);

        // Seeking skips the first packet whole and decodes into the second.
        AdpcmDecoder d(rec->formatByte);
        d.Start(*rec, true);
        d.Seek(4096 + 7);
        std::vector<int16_t> got(20);
        ASSERT_EQ(d.Decode(got.data(), 10), 10u);
        size_t ch = c.stereo ? 2 : 1;
        std::vector<int16_t> want(ref.begin() + ptrdiff_t((4096 + 7) * ch),
                                  ref.begin() + ptrdiff_t((4096 + 17) * ch));
        got.resize(10 * ch);
        EXPECT_EQ(got, want);
    }
}

TEST(AdpcmDecoder, TwoAndFiveBitCodesWorkedByHand) {
    // 2-bit codes from sample 0, index 0 (step 7):
    //   01: +(7>>1) + 7 = +10 -> 10, index 2 (step 9)
    //   11: -((9>>1) + 9) = -13 -> -3, index 4 (step 11)
    //   00: +(11>>1) = +5 -> 2, index 3
    BitWriter two;
    two.Put(0, 2); // code size 2 bits
    two.Put(0, 16);
    two.Put(0, 6);
    two.Put(0b01, 2);
    two.Put(0b11, 2);
    two.Put(0b00, 2);
    auto r2 = SoundRecord::Make(FormatByte(0x10, 0, true, false), 4, two.bytes);
    EXPECT_EQ(First(DecodeRecord(*r2), 4), (std::vector<int16_t>{0, 10, -3, 2}));

    // 5-bit codes from 32760 at index 63 (step 3024): the predictor saturates both ways and
    // the index is held at 88.
    //   01111: +(3024>>4) + 3024 + 1512 + 756 + 378 = +5859 -> 32767, index 79 (step 13899)
    //   11111: -(868 + 13899 + 6949 + 3474 + 1737) = -26927 -> 5840, index 95 -> 88
    //   11111: -(2047 + 32767 + 16383 + 8191 + 4095) = -63483 -> -32768
    BitWriter five;
    five.Put(3, 2); // code size 5 bits
    five.Put(32760, 16);
    five.Put(63, 6);
    five.Put(0b01111, 5);
    five.Put(0b11111, 5);
    five.Put(0b11111, 5);
    auto r5 = SoundRecord::Make(FormatByte(0x10, 0, true, false), 4, five.bytes);
    EXPECT_EQ(First(DecodeRecord(*r5), 4), (std::vector<int16_t>{32760, 32767, 5840, -32768}));
}

TEST(AdpcmDecoder, DataCutAnywhereEndsTheSoundEarly) {
    auto data = ReadSoundFixture("tone_stereo.adpcm");
    auto ref = ToSamples(ReadSoundFixture("tone_stereo.ref.s16"));
    for (size_t cut : {size_t(0), size_t(1), size_t(5), size_t(6), size_t(777), data.size() - 1}) {
        SCOPED_TRACE(cut);
        std::vector<uint8_t> part(data.begin(), data.begin() + ptrdiff_t(cut));
        auto rec = SoundRecord::Make(FormatByte(0x10, 1, true, true), 4396, part);
        auto got = DecodeRecord(*rec);
        ASSERT_LE(got.size(), ref.size());
        EXPECT_TRUE(std::equal(got.begin(), got.end(), ref.begin()));
        // Nothing beyond what the remaining bits can hold.
        EXPECT_LE(got.size() / 2 * 8, cut * 8 + 64);
    }
}

double SnrDb(const std::vector<int16_t>& a, size_t aFrom, const std::vector<int16_t>& b,
             size_t bFrom, size_t n) {
    double signal = 0, noise = 0;
    for (size_t i = 0; i < n; ++i) {
        double x = b[bFrom + i], y = a[aFrom + i];
        signal += x * x;
        noise += (x - y) * (x - y);
    }
    return noise == 0 ? 200 : 10 * std::log10(signal / noise);
}

TEST(Mp3SoundDecoder, MatchesAnIndependentDecodeOfTheSameFile) {
    auto mp3 = ReadSoundFixture("tone_mp3.mp3");
    auto ref = ToSamples(ReadSoundFixture("tone_mp3.ref.s16"));
    ASSERT_FALSE(mp3.empty());
    auto rec = SoundRecord::Make(FormatByte(0x20, 2, true, false), 14 * 576, mp3);
    auto got = DecodeRecord(*rec);
    // 14 frames of 576 samples each, all of them.
    EXPECT_EQ(got.size(), 14u * 576u);

    // The reference drops the codec delay: find the offset where the two line up.
    size_t bestOffset = 0;
    double best = -1e9;
    for (size_t off = 0; off < 1500; ++off) {
        double snr = SnrDb(got, off, ref, 0, 4000);
        if (snr > best) {
            best = snr;
            bestOffset = off;
        }
    }
    EXPECT_GT(best, 30.0) << "at offset " << bestOffset;
}

TEST(Mp3SoundDecoder, SeekSkipsWholeFramesThenDecodesTheRest) {
    auto mp3 = ReadSoundFixture("tone_mp3.mp3");
    auto rec = SoundRecord::Make(FormatByte(0x20, 2, true, false), 14 * 576, mp3);
    auto all = DecodeRecord(*rec);

    Mp3SoundDecoder d(rec->formatByte, false);
    d.Start(*rec, true);
    d.Seek(3 * 576 + 100);
    auto rest = DecodeAll(d);
    EXPECT_EQ(rest.size(), all.size() - (3 * 576 + 100));
    // Frames skipped unread take the bit reservoir and the filter bank's memory with them;
    // a few frames later the decode is the same as without seeking.
    size_t from = 4 * 576;
    ASSERT_GT(rest.size(), from + 500);
    EXPECT_TRUE(std::equal(rest.begin() + ptrdiff_t(from), rest.end(),
                           all.begin() + ptrdiff_t(3 * 576 + 100 + from)));
}

TEST(Mp3FrameHeader, WalksTheFramesOfAnEncodedFile) {
    auto mp3 = ReadSoundFixture("tone_mp3.mp3");
    size_t pos = 0;
    int frames = 0;
    Mp3FrameHeader h;
    while (Mp3FrameHeader::Parse(mp3.data() + pos, mp3.size() - pos, h)) {
        EXPECT_EQ(h.version, 2);
        EXPECT_EQ(h.sampleRate, 22050);
        EXPECT_EQ(h.bitRate, 32);
        EXPECT_EQ(h.channels, 1);
        EXPECT_EQ(h.samplesPerFrame, 576u);
        EXPECT_EQ(h.frameBytes, h.padding ? 105u : 104u); // 72 * 32000 / 22050 (+1)
        pos += h.frameBytes;
        ++frames;
    }
    EXPECT_EQ(pos, mp3.size());
    EXPECT_EQ(frames, 14);

    // Not Layer III, free format, bad rate and sample-rate indexes are refused.
    const uint8_t layer2[] = {0xFF, 0xF5, 0x90, 0xC4};
    const uint8_t freeFormat[] = {0xFF, 0xF3, 0x00, 0xC4};
    const uint8_t badRate[] = {0xFF, 0xF3, 0xF0, 0xC4};
    const uint8_t badSampleRate[] = {0xFF, 0xF3, 0x9C, 0xC4};
    for (const uint8_t* p : {layer2, freeFormat, badRate, badSampleRate})
        EXPECT_FALSE(Mp3FrameHeader::Parse(p, 4, h));
    EXPECT_FALSE(Mp3FrameHeader::Parse(mp3.data(), 3, h));
}

TEST(Mp3Decoder, StatusCodesClassesAndHandles) {
    EXPECT_EQ(Mp3Decoder::Message(0), "(Mp3Ssc) success: no error");
    EXPECT_EQ(Mp3Decoder::Message(0x41010002),
              "(Mp3Ssc) info: Decoder - not enough main data present");
    EXPECT_EQ(Mp3Decoder::Message(0x81010004), "(Mp3Ssc) warning: Decoder - sync eof");
    EXPECT_EQ(Mp3Decoder::Message(0xC1010002), "(Mp3Ssc) error: Decoder - wrong MPEG layer");
    EXPECT_EQ(Mp3Decoder::Message(0x12345678), "(Mp3Ssc) unknown SSC (0x12345678)");
    EXPECT_EQ(Mp3Decoder::Classify(0x41010001), Mp3Decoder::Severity::Information);
    EXPECT_EQ(Mp3Decoder::Classify(0x81010002), Mp3Decoder::Severity::Warning);
    EXPECT_EQ(Mp3Decoder::Classify(0xC0000002), Mp3Decoder::Severity::Error);

    Mp3Decoder* d = nullptr;
    EXPECT_EQ(Mp3Decoder::Create(22050, 3, 0, &d), Mp3Decoder::kBadParameter);
    EXPECT_EQ(Mp3Decoder::Create(1000, 1, 0, &d), Mp3Decoder::kBadParameter);
    EXPECT_EQ(d, nullptr);
    EXPECT_EQ(Mp3Decoder::Destroy(nullptr), Mp3Decoder::kInvalidHandle);

    ASSERT_EQ(Mp3Decoder::Create(22050, 1, 0, &d), Mp3Decoder::kSuccess);
    uint8_t out[8192];
    size_t produced = 1;
    EXPECT_EQ(d->Decode(out, 1, &produced), Mp3Decoder::kBufferTooSmall);
    EXPECT_EQ(d->Decode(out, sizeof out, &produced), Mp3Decoder::kSyncNeedData);
    EXPECT_EQ(produced, 0u);
    // The input ring takes at most 8192 bytes until the decoder consumes some.
    std::vector<uint8_t> zeros(20000, 0);
    size_t accepted = 0;
    EXPECT_EQ(d->Feed(zeros.data(), zeros.size(), &accepted), Mp3Decoder::kSuccess);
    EXPECT_EQ(accepted, Mp3Decoder::kInputRingBytes);
    d->EndOfInput();
    uint32_t status = 0;
    for (int i = 0; i < 10 && status != Mp3Decoder::kSyncEof; ++i)
        status = d->Decode(out, sizeof out, &produced);
    EXPECT_NE(Mp3Decoder::Classify(status), Mp3Decoder::Severity::Success);
    EXPECT_EQ(Mp3Decoder::Destroy(d), Mp3Decoder::kSuccess);
}

// Damaged data of every codec ends or stops the sound; it never crashes or runs away.
TEST(SoundDecoder, DamagedDataOfEveryCodecStaysBounded) {
    std::vector<std::pair<uint8_t, std::vector<uint8_t>>> inputs;
    auto mp3 = ReadSoundFixture("tone_mp3.mp3");
    auto adpcm = ReadSoundFixture("tone_mono.adpcm");
    std::mt19937 rng(7);
    for (int i = 0; i < 12; ++i) {
        auto m = mp3;
        for (int k = 0; k < 20; ++k)
            m[rng() % m.size()] ^= uint8_t(1u << (rng() % 8));
        m.resize(rng() % m.size());
        inputs.push_back({FormatByte(0x20, 2, true, false), m});
        auto a = adpcm;
        for (int k = 0; k < 20; ++k)
            a[rng() % a.size()] = uint8_t(rng());
        a.resize(rng() % a.size());
        inputs.push_back({FormatByte(0x10, 2, true, i % 2 == 1), a});
        std::vector<uint8_t> noise(rng() % 3000);
        for (auto& b : noise)
            b = uint8_t(rng());
        inputs.push_back({uint8_t((rng() % 3) << 4 | (rng() & 15)), noise});
    }
    // Committed damaged inputs (fuzz reproducers): format byte, then the data.
    std::string dir = std::string(TAVRO_TEST_DATA_DIR) + "/sound/damaged";
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        auto bytes = ReadSoundFixture("damaged/" + entry.path().filename().string());
        if (!bytes.empty())
            inputs.push_back({bytes[0], std::vector<uint8_t>(bytes.begin() + 1, bytes.end())});
    }
    for (auto& [format, data] : inputs) {
        auto rec = SoundRecord::Make(format, 100000, data);
        for (bool streaming : {false, true}) {
            auto d = SoundDecoder::Create(format, streaming);
            ASSERT_TRUE(d);
            d->Start(*rec, true);
            d->Seek(1000);
            auto got = DecodeAll(*d, 1 << 22);
            // No codec gets more than a few hundred samples out of one byte.
            EXPECT_LE(got.size(), data.size() * 8 * 1152 / 8 + 4096);
        }
    }
}

// The sound_decode fuzz corpus and its reproducers, through the fuzz target's own harness.
TEST(SoundDecoder, FuzzCorpusReplays) {
    const auto files = tavro::test::ReplayFiles("sound_decode", "sound_decode");
    ASSERT_FALSE(files.empty());
    for (const auto& file : files) {
        SCOPED_TRACE(file.path.string());
        tavro::fuzz::RunSoundDecode(file.bytes.data(), file.bytes.size());
    }
}

} // namespace
} // namespace tavro::player::test
