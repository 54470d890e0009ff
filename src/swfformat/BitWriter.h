// The bit and byte cursor of an SWF image being written: MSB-first bit fields and little-endian
// integers into a growable, zero-filled byte image.
//
// Bits are OR-ed into the zero-filled image, so a partly written byte is never written again by a
// bit operation; back-patching goes through whole-byte writes after SeekTo. The image grows as
// needed (doubling) and is never written past its end; it can never exceed 4 GiB, the reach of
// the file length field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tavro::swfformat {

class BitWriter {
public:
    explicit BitWriter(size_t initialCapacity = 4096);

    // Cursor. Bit offset 0 is a byte boundary; a bit field that exactly fills a byte leaves it
    // at 8 until the next write or Align moves on.
    void Align();
    uint32_t GetPosition(bool bytesOnly) const; // bytes, or position * 8 + bit offset
    void SeekTo(uint32_t byteOffset);           // saves the cursor (one slot), bit offset 0
    void RestorePosition();
    void SetPosition(uint32_t byteOffset, uint32_t bitOffset); // no save; bitOffset 0..8

    // Packs the low bitCount (0..32) bits of value, most significant first.
    void WriteBits(int32_t value, int bitCount);
    // Align, then 1, 2 or 4 bytes little-endian (the low bits of value).
    void WriteUI8(uint32_t value);
    void WriteUI16(uint32_t value);
    void WriteUI32(uint32_t value);
    static int SignedBitCount(int32_t value);    // sign bit included: 0 -> 1, -1 -> 1, 255 -> 9
    static int UnsignedBitCount(uint32_t value); // 0 -> 0

    // The bytes up to the cursor, a partly written byte included.
    std::vector<uint8_t> Bytes() const;

protected:
    void Reserve(uint64_t byteCount);
    void WriteByteAt(uint32_t offset, uint8_t value);

    std::vector<uint8_t> image_;
    uint32_t position_ = 0;
    uint32_t bitOffset_ = 0;
    uint32_t savedPosition_ = 0;
    uint32_t savedBitOffset_ = 0;
};

} // namespace tavro::swfformat
