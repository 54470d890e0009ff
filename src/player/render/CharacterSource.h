// How a drawn character reaches the other characters it refers to (bitmaps of bitmap fills,
// fonts of text records), all from the dictionary of the movie that defined it.
#pragma once

#include <cstdint>
#include <span>

namespace tavro::player::render {

class DecodedBitmap;

class CharacterSource {
public:
    virtual ~CharacterSource() = default;
    // The decoded bitmap of character `id` (decoded on first use); nullptr when `id` is not a
    // bitmap. A bitmap that failed to decode is returned with `failed` set.
    virtual const DecodedBitmap* Bitmap(uint16_t id) = 0;
    // The record of font `id` (the bytes after the id) and the tag that defined it; false when
    // `id` is not a font.
    virtual bool Font(uint16_t id, std::span<const uint8_t>& data, uint8_t& tagCode) = 0;
};

} // namespace tavro::player::render
