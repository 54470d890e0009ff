// Bitmap decoding: JPEG with its own tables, with the movie's shared tables, with an alpha
// plane; lossless bitmaps in each pixel format; and damaged or oversized data, which must give
// a failed bitmap rather than a crash.
#include "player/render/BitmapDecoder.h"

#include "ReplayFiles.h"
#include "fuzz/harness/bitmap_decode.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>
#include <zlib.h>

using namespace tavro::player::render;

namespace {

// An 16 x 8 JPEG: left half red, right half blue (made with the library's encoder).
std::vector<uint8_t> EncodeJpeg() {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buf = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buf, &size);
    c.image_width = 16;
    c.image_height = 8;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 95, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<uint8_t> row(16 * 3);
    for (int x = 0; x < 16; ++x) {
        row[x * 3 + 0] = x < 8 ? 255 : 0;
        row[x * 3 + 1] = 0;
        row[x * 3 + 2] = x < 8 ? 0 : 255;
    }
    while (c.next_scanline < c.image_height) {
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    std::vector<uint8_t> out(buf, buf + size);
    free(buf);
    jpeg_destroy_compress(&c);
    return out;
}

// Splits a JPEG into a tables-only stream (SOI, DQT and DHT segments, EOI) and the image
// without those segments, as a movie with JPEGTables stores them.
void SplitTables(const std::vector<uint8_t>& jpeg, std::vector<uint8_t>& tables,
                 std::vector<uint8_t>& image) {
    tables = {0xFF, 0xD8};
    image = {0xFF, 0xD8};
    size_t p = 2;
    while (p + 4 <= jpeg.size() && jpeg[p] == 0xFF) {
        uint8_t marker = jpeg[p + 1];
        size_t len = size_t(jpeg[p + 2] << 8 | jpeg[p + 3]);
        std::vector<uint8_t>& dst = (marker == 0xDB || marker == 0xC4) ? tables : image;
        if (marker == 0xDA) { // start of scan: the rest is entropy data
            image.insert(image.end(), jpeg.begin() + long(p), jpeg.end());
            break;
        }
        dst.insert(dst.end(), jpeg.begin() + long(p), jpeg.begin() + long(p + 2 + len));
        p += 2 + len;
    }
    tables.push_back(0xFF);
    tables.push_back(0xD9);
}

std::vector<uint8_t> Zip(const std::vector<uint8_t>& raw) {
    uLongf n = compressBound(uLong(raw.size()));
    std::vector<uint8_t> z(n);
    EXPECT_EQ(compress(z.data(), &n, raw.data(), uLong(raw.size())), Z_OK);
    z.resize(n);
    return z;
}

std::vector<uint8_t> Body(uint16_t id, std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> b = {uint8_t(id), uint8_t(id >> 8)};
    for (const auto& p : parts)
        b.insert(b.end(), p.begin(), p.end());
    return b;
}

std::vector<uint8_t> U32(uint32_t v) {
    return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}

bool Close(uint32_t got, uint32_t want, int tol) {
    for (int s = 0; s < 32; s += 8)
        if (std::abs(int((got >> s) & 0xFF) - int((want >> s) & 0xFF)) > tol)
            return false;
    return true;
}

} // namespace

TEST(BitmapDecoderTest, JpegWithOwnOrSharedTables) {
    std::vector<uint8_t> jpeg = EncodeJpeg();
    auto own = BitmapDecoder::Decode(21, Body(1, {jpeg}), {});
    ASSERT_FALSE(own->failed);
    EXPECT_EQ(own->width, 16);
    EXPECT_EQ(own->height, 8);
    EXPECT_TRUE(own->opaque);
    EXPECT_TRUE(Close(own->At(2, 4), 0xFFFF0000, 12)) << std::hex << own->At(2, 4);
    EXPECT_TRUE(Close(own->At(13, 4), 0xFF0000FF, 12)) << std::hex << own->At(13, 4);

    // The stray end/start marker pair some movies put in front is skipped.
    std::vector<uint8_t> prefixed = {0xFF, 0xD9, 0xFF, 0xD8};
    prefixed.insert(prefixed.end(), jpeg.begin(), jpeg.end());
    EXPECT_FALSE(BitmapDecoder::Decode(21, Body(1, {prefixed}), {})->failed);

    std::vector<uint8_t> tables, image;
    SplitTables(jpeg, tables, image);
    auto shared = BitmapDecoder::Decode(6, Body(2, {image}), tables);
    ASSERT_FALSE(shared->failed);
    EXPECT_EQ(shared->pixels, own->pixels);
    // Without the tables the abbreviated image cannot be decoded.
    EXPECT_TRUE(BitmapDecoder::Decode(6, Body(2, {image}), {})->failed);
    // Tables and image in one tag body, one stream after the other.
    std::vector<uint8_t> both = tables;
    both.insert(both.end(), image.begin(), image.end());
    EXPECT_FALSE(BitmapDecoder::Decode(21, Body(3, {both}), {})->failed);
}

TEST(BitmapDecoderTest, JpegWithAlphaPlaneIsPremultipliedByClamping) {
    std::vector<uint8_t> jpeg = EncodeJpeg();
    std::vector<uint8_t> alpha(16 * 8, 255);
    for (int y = 0; y < 8; ++y)
        alpha[size_t(y * 16 + 1)] = 64; // column 1: red lowered to 64
    auto bm =
        BitmapDecoder::Decode(35, Body(4, {U32(uint32_t(jpeg.size())), jpeg, Zip(alpha)}), {});
    ASSERT_FALSE(bm->failed);
    EXPECT_FALSE(bm->opaque);
    uint32_t c = bm->At(1, 3);
    EXPECT_EQ(c >> 24, 64u);
    EXPECT_LE((c >> 16) & 0xFF, 64u);
    EXPECT_GE((c >> 16) & 0xFF, 56u);
    EXPECT_EQ(bm->At(5, 3) >> 24, 255u);

    // A short alpha plane, or a JPEG length beyond the tag, drops the bitmap.
    std::vector<uint8_t> shortAlpha(10, 255);
    EXPECT_TRUE(
        BitmapDecoder::Decode(35, Body(4, {U32(uint32_t(jpeg.size())), jpeg, Zip(shortAlpha)}), {})
            ->failed);
    EXPECT_TRUE(
        BitmapDecoder::Decode(35, Body(4, {U32(uint32_t(jpeg.size()) + 100), jpeg}), {})->failed);
}

TEST(BitmapDecoderTest, TruncatedOrDamagedJpegNeverCrashes) {
    std::vector<uint8_t> jpeg = EncodeJpeg();
    // Cut inside the entropy data: decoded as far as it goes (the source supplies the end).
    std::vector<uint8_t> cut(jpeg.begin(), jpeg.end() - 6);
    auto partial = BitmapDecoder::Decode(21, Body(1, {cut}), {});
    EXPECT_FALSE(partial->failed);
    EXPECT_EQ(partial->width, 16);
    // Every prefix and a few corruptions: failed or decoded, never out of bounds.
    for (size_t n = 0; n < jpeg.size(); n += 7)
        BitmapDecoder::Decode(
            21, Body(1, {std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + long(n))}), {});
    for (size_t i = 2; i < jpeg.size(); i += 11) {
        std::vector<uint8_t> bad = jpeg;
        bad[i] ^= 0x5A;
        BitmapDecoder::Decode(21, Body(1, {bad}), {});
    }
    EXPECT_TRUE(BitmapDecoder::Decode(21, Body(1, {{1, 2, 3, 4, 5}}), {})->failed);
    EXPECT_TRUE(BitmapDecoder::Decode(21, Body(1, {}), {})->failed);
}

TEST(BitmapDecoderTest, LosslessFormats) {
    // Format 3, 3 x 2, colour table of 2 entries, rows padded to 4 bytes.
    std::vector<uint8_t> raw3 = {255, 0, 0, /**/ 0, 0, 255, /**/ 0, 1, 0, 0, /**/ 1, 1, 7, 0};
    auto pal = BitmapDecoder::Decode(20, Body(1, {{3, 3, 0, 2, 0, 1}, Zip(raw3)}), {});
    ASSERT_FALSE(pal->failed);
    EXPECT_EQ(pal->At(0, 0), 0xFFFF0000u);
    EXPECT_EQ(pal->At(1, 0), 0xFF0000FFu);
    EXPECT_EQ(pal->At(2, 1), 0xFF000000u) << "index beyond the table";
    EXPECT_TRUE(pal->opaque);

    // Format 4 (15-bit, big-endian words), 1 x 1: red 31, green 0, blue 16, row padded.
    std::vector<uint8_t> raw4 = {0x7C, 0x10, 0, 0};
    auto p15 = BitmapDecoder::Decode(20, Body(1, {{4, 1, 0, 1, 0}, Zip(raw4)}), {});
    ASSERT_FALSE(p15->failed);
    EXPECT_EQ(p15->At(0, 0), 0xFFFF0084u);

    // Format 5 with alpha (Lossless2): premultiplied ARGB, channels clamped to alpha.
    std::vector<uint8_t> raw5 = {128, 128, 0, 0, /**/ 0, 0, 0, 0, /**/ 64, 200, 10, 20};
    auto argb = BitmapDecoder::Decode(36, Body(1, {{5, 3, 0, 1, 0}, Zip(raw5)}), {});
    ASSERT_FALSE(argb->failed);
    EXPECT_EQ(argb->At(0, 0), 0x80800000u);
    EXPECT_EQ(argb->At(1, 0), 0x00000000u);
    EXPECT_EQ(argb->At(2, 0), 0x40400A14u);
    EXPECT_FALSE(argb->opaque);

    // Lossless2 colour table entries carry alpha.
    std::vector<uint8_t> raw3a = {10, 20, 30, 40, /**/ 0, 0, 0, 0};
    auto pala = BitmapDecoder::Decode(36, Body(1, {{3, 1, 0, 1, 0, 0}, Zip(raw3a)}), {});
    ASSERT_FALSE(pala->failed);
    EXPECT_EQ(pala->At(0, 0), 0x280A141Eu);
}

TEST(BitmapDecoderTest, DamagedLosslessIsDropped) {
    std::vector<uint8_t> raw = {255, 0, 0, 255, 0, 0, 0, 0};
    std::vector<uint8_t> z = Zip(raw);
    // Fewer pixels than the size needs.
    EXPECT_TRUE(BitmapDecoder::Decode(20, Body(1, {{5, 2, 0, 2, 0}, z}), {})->failed);
    // Cut compressed data, and garbage.
    std::vector<uint8_t> cut(z.begin(), z.begin() + long(z.size() / 2));
    EXPECT_TRUE(BitmapDecoder::Decode(20, Body(1, {{5, 2, 0, 1, 0}, cut}), {})->failed);
    EXPECT_TRUE(BitmapDecoder::Decode(20, Body(1, {{5, 2, 0, 1, 0}, {1, 2, 3}}), {})->failed);
    // Unknown format, 15-bit with alpha, zero size, a size beyond the limit, a short header.
    EXPECT_TRUE(BitmapDecoder::Decode(20, Body(1, {{6, 1, 0, 1, 0}, z}), {})->failed);
    EXPECT_TRUE(BitmapDecoder::Decode(36, Body(1, {{4, 1, 0, 1, 0}, z}), {})->failed);
    EXPECT_TRUE(BitmapDecoder::Decode(20, Body(1, {{5, 0, 0, 1, 0}, z}), {})->failed);
    EXPECT_TRUE(BitmapDecoder::Decode(20, Body(1, {{5, 0xFF, 0xFF, 0xFF, 0xFF}, z}), {})->failed);
    EXPECT_TRUE(BitmapDecoder::Decode(20, Body(1, {{5, 1}}), {})->failed);
    EXPECT_TRUE(BitmapDecoder::Decode(20, {}, {})->failed);
}

// The bitmap_decode fuzz corpus and the committed reproducers, through the fuzz target's own
// harness and consistency checks. The made seeds (one valid input of every kind) decode; the
// inputs the fuzzer found (found_*) are mostly damaged.
TEST(BitmapDecoderTest, FuzzCorpusAndReproducersReplay) {
    const auto files = tavro::test::ReplayFiles("bitmap_decode", "bitmap_decode");
    int seeds = 0;
    for (const auto& file : files) {
        SCOPED_TRACE(file.path.string());
        EXPECT_TRUE(tavro::fuzz::RunBitmapDecode(file.bytes.data(), file.bytes.size()));
        if (file.seed && file.path.filename().string().rfind("found_", 0) != 0) {
            const auto bm = tavro::fuzz::DecodeBitmapInput(file.bytes.data(), file.bytes.size());
            ASSERT_TRUE(bm);
            EXPECT_FALSE(bm->failed);
            ++seeds;
        }
    }
    EXPECT_GE(seeds, 9);
}
