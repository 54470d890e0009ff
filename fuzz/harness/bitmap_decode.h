// The bitmap_decode fuzz target, shared with the test that replays its corpus. Decodes
// arbitrary bytes as a bitmap character. The first byte chooses the tag (mod 5):
//   0  DefineBits: a 16-bit little-endian length, that many bytes of JPEGTables, then the image;
//   1  DefineBitsJPEG2: the JPEG stream;
//   2  DefineBitsJPEG3: 32-bit JPEG length, the JPEG stream, then the zlib alpha plane;
//   3  DefineBitsLossless and 4 DefineBitsLossless2: format, width, height, [colour count],
//      then the zlib data.
// The rest is the tag body after the character id. Damage must give a failed bitmap: never a
// crash, a hang or a read outside the input. A decoded bitmap must be consistent: as many
// pixels as its size says, premultiplied, and marked opaque exactly when every alpha is 255.
#pragma once

#include "player/render/BitmapDecoder.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace tavro::fuzz {

namespace bitmap_detail {

using player::render::BitmapDecoder;
using player::render::DecodedBitmap;

inline constexpr uint8_t kTags[5] = {6, 21, 35, 20, 36};

inline bool Consistent(const DecodedBitmap& bm) {
    if (bm.failed)
        return bm.pixels.empty() && bm.width == 0 && bm.height == 0;
    if (bm.width <= 0 || bm.height <= 0 || bm.pixels.size() != size_t(bm.width) * size_t(bm.height))
        return false;
    bool opaque = true;
    for (uint32_t c : bm.pixels) {
        const uint32_t a = c >> 24;
        if (((c >> 16) & 0xFF) > a || ((c >> 8) & 0xFF) > a || (c & 0xFF) > a)
            return false;
        opaque &= a == 255;
    }
    return opaque == bm.opaque;
}

} // namespace bitmap_detail

// The bitmap an input decodes to; null for inputs that are skipped (empty, or above 64 KiB).
inline std::unique_ptr<player::render::DecodedBitmap> DecodeBitmapInput(const uint8_t* data,
                                                                        size_t size) {
    using namespace bitmap_detail;
    if (size < 1 || size > 65536)
        return nullptr;
    const uint8_t tag = kTags[data[0] % 5];
    std::span<const uint8_t> in(data + 1, size - 1);
    std::span<const uint8_t> tables;
    if (tag == 6) {
        if (in.size() < 2)
            return nullptr;
        const size_t n = std::min<size_t>(in[0] | (in[1] << 8), in.size() - 2);
        tables = in.subspan(2, n);
        in = in.subspan(2 + n);
    }
    std::vector<uint8_t> body{1, 0}; // character id 1
    body.insert(body.end(), in.begin(), in.end());
    return BitmapDecoder::Decode(tag, body, tables);
}

// False when a decoded bitmap is inconsistent.
inline bool RunBitmapDecode(const uint8_t* data, size_t size) {
    const auto bm = DecodeBitmapInput(data, size);
    return !bm || bitmap_detail::Consistent(*bm);
}

} // namespace tavro::fuzz
