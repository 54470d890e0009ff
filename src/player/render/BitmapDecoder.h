// Decodes bitmap characters into premultiplied 32-bit pixels:
// - DefineBits (JPEG data that relies on the movie's JPEGTables), DefineBitsJPEG2 (JPEG with
//   its own tables), DefineBitsJPEG3 (JPEG plus a zlib-compressed alpha plane);
// - DefineBitsLossless and DefineBitsLossless2 (8-bit colour-mapped, 15-bit and 32-bit pixels,
//   zlib-compressed).
// Every length is checked against the tag; damaged data, unsupported layouts and images beyond
// the size limit give a bitmap marked `failed` (drawn as opaque white), never a crash.
#pragma once

#include "player/render/DecodedBitmap.h"

#include <cstdint>
#include <memory>
#include <span>

namespace tavro::player::render {

class BitmapDecoder {
public:
    // Largest side and pixel count decoded; bigger images are refused.
    static constexpr int kMaxSide = 8192;
    static constexpr int64_t kMaxPixels = int64_t(1) << 24;

    // `tagCode`: 6, 20, 21, 35 or 36. `body`: the tag body from the character id on.
    // `jpegTables`: the body of the movie's JPEGTables tag (empty when there is none).
    static std::unique_ptr<DecodedBitmap> Decode(uint8_t tagCode, std::span<const uint8_t> body,
                                                 std::span<const uint8_t> jpegTables);

    // The pieces, for tests and tools.
    static bool DecodeJpeg(std::span<const uint8_t> tables, std::span<const uint8_t> image,
                           DecodedBitmap& out);
    static bool ApplyAlphaPlane(std::span<const uint8_t> zlibAlpha, DecodedBitmap& bitmap);
    static bool DecodeLossless(std::span<const uint8_t> afterId, bool withAlpha,
                               DecodedBitmap& out);
};

} // namespace tavro::player::render
