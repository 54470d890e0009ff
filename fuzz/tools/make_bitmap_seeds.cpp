// Writes the seed corpus of the bitmap_decode fuzz target: one small valid input of every kind
// (JPEG with shared tables, with its own tables, with an alpha plane; lossless formats 3, 4 and
// 5 with and without alpha). Build and run from the source root:
//   c++ -std=c++20 fuzz/tools/make_bitmap_seeds.cpp -ljpeg -lz -o /tmp/make_bitmap_seeds
//   /tmp/make_bitmap_seeds fuzz/corpus/bitmap_decode
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <zlib.h>

namespace {

using Bytes = std::vector<uint8_t>;

// Input kinds, as the fuzz target reads the first byte.
enum Kind : uint8_t { kShared = 0, kOwn = 1, kAlpha = 2, kLossless = 3, kLossless2 = 4 };

// A 16 x 8 picture: a red-to-blue ramp over a green stripe.
Bytes EncodeJpeg() {
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
    jpeg_set_quality(&c, 50, TRUE);
    jpeg_start_compress(&c, TRUE);
    Bytes row(16 * 3);
    while (c.next_scanline < c.image_height) {
        for (int x = 0; x < 16; ++x) {
            row[size_t(x) * 3 + 0] = uint8_t(255 - x * 16);
            row[size_t(x) * 3 + 1] = c.next_scanline == 3 || c.next_scanline == 4 ? 200 : 0;
            row[size_t(x) * 3 + 2] = uint8_t(x * 16);
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    Bytes out(buf, buf + size);
    std::free(buf);
    jpeg_destroy_compress(&c);
    return out;
}

// Moves the quantisation and Huffman tables of a JPEG into a tables-only stream.
void SplitTables(const Bytes& jpeg, Bytes& tables, Bytes& image) {
    tables = {0xFF, 0xD8};
    image = {0xFF, 0xD8};
    size_t p = 2;
    while (p + 4 <= jpeg.size() && jpeg[p] == 0xFF) {
        const uint8_t marker = jpeg[p + 1];
        const size_t len = size_t(jpeg[p + 2] << 8 | jpeg[p + 3]);
        if (marker == 0xDA) {
            image.insert(image.end(), jpeg.begin() + long(p), jpeg.end());
            break;
        }
        Bytes& dst = (marker == 0xDB || marker == 0xC4) ? tables : image;
        dst.insert(dst.end(), jpeg.begin() + long(p), jpeg.begin() + long(p + 2 + len));
        p += 2 + len;
    }
    tables.push_back(0xFF);
    tables.push_back(0xD9);
}

Bytes Zip(const Bytes& raw) {
    uLongf n = compressBound(uLong(raw.size()));
    Bytes z(n);
    compress2(z.data(), &n, raw.data(), uLong(raw.size()), 9);
    z.resize(n);
    return z;
}

void Append(Bytes& to, const Bytes& what) {
    to.insert(to.end(), what.begin(), what.end());
}

// Format byte, width and height, the colour count for format 3, then the compressed data.
Bytes Lossless(Kind kind, uint8_t format, int w, int h, int colors, const Bytes& raw) {
    Bytes b{kind, format, uint8_t(w), uint8_t(w >> 8), uint8_t(h), uint8_t(h >> 8)};
    if (format == 3)
        b.push_back(uint8_t(colors - 1));
    Append(b, Zip(raw));
    return b;
}

void Write(const std::string& dir, const char* name, const Bytes& b) {
    std::ofstream(dir + "/" + name, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    const Bytes jpeg = EncodeJpeg();
    Bytes tables, image;
    SplitTables(jpeg, tables, image);

    Bytes shared{kShared, uint8_t(tables.size()), uint8_t(tables.size() >> 8)};
    Append(shared, tables);
    Append(shared, image);
    Write(dir, "jpeg_shared_tables", shared);

    Bytes own{kOwn};
    Append(own, jpeg);
    Write(dir, "jpeg_own_tables", own);

    // Tables and image one after the other in the tag body, with the stray EOI/SOI in front.
    Bytes inBody{kOwn, 0xFF, 0xD9, 0xFF, 0xD8};
    Append(inBody, tables);
    Append(inBody, image);
    Write(dir, "jpeg_tables_in_body", inBody);

    Bytes alphaPlane(16 * 8);
    for (size_t i = 0; i < alphaPlane.size(); ++i)
        alphaPlane[i] = uint8_t(i * 2);
    Bytes alpha{kAlpha, uint8_t(jpeg.size()), uint8_t(jpeg.size() >> 8), 0, 0};
    Append(alpha, jpeg);
    Append(alpha, Zip(alphaPlane));
    Write(dir, "jpeg_alpha", alpha);

    // 5 x 3 pixels, so that every row needs padding to 4 bytes.
    Bytes pal, pal2, p15, argb, xrgb;
    for (int i = 0; i < 4; ++i) {
        const Bytes rgb{uint8_t(i * 80), uint8_t(255 - i * 80), 7};
        Append(pal, rgb);
        Append(pal2, rgb);
        pal2.push_back(uint8_t(255 - i * 60));
    }
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 8; ++x) {
            pal.push_back(x < 5 ? uint8_t((x + y) % 5) : 0); // index 4 is beyond the table
            pal2.push_back(x < 5 ? uint8_t((x + y) % 5) : 0);
        }
        for (int x = 0; x < 6; ++x) { // 5 words and one of padding
            const uint32_t v = x < 5 ? uint32_t((x * 6) << 10 | (y * 10) << 5 | (31 - x * 6)) : 0;
            p15.push_back(uint8_t(v >> 8));
            p15.push_back(uint8_t(v));
        }
        for (int x = 0; x < 5; ++x) {
            const uint8_t a = uint8_t(x * 60);
            const Bytes px{a, uint8_t(x * 50), uint8_t(y * 100), 250};
            Append(argb, px);
            Append(xrgb, Bytes{0, uint8_t(x * 50), uint8_t(y * 100), 250});
        }
    }
    Write(dir, "lossless_3", Lossless(kLossless, 3, 5, 3, 4, pal));
    Write(dir, "lossless_4", Lossless(kLossless, 4, 5, 3, 0, p15));
    Write(dir, "lossless_5", Lossless(kLossless, 5, 5, 3, 0, xrgb));
    Write(dir, "lossless2_3", Lossless(kLossless2, 3, 5, 3, 4, pal2));
    Write(dir, "lossless2_5", Lossless(kLossless2, 5, 5, 3, 0, argb));
    return 0;
}
