// Bounded reader of SWF record bytes: little-endian integers, MSB-first bit fields and
// zero-terminated strings. Reading past the end never touches memory outside the buffer: it
// yields zeros and clears ok(), so callers check once after a record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tavro::swfformat {

class BitReader {
public:
    BitReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    BitReader(const uint8_t* data, size_t size, size_t pos) : data_(data), size_(size), pos_(pos) {
        if (pos_ > size_) {
            pos_ = size_;
            ok_ = false;
        }
    }

    bool ok() const { return ok_; }
    size_t Pos() const { return pos_; }
    size_t Size() const { return size_; }
    size_t Remaining() const { return size_ - pos_; }
    const uint8_t* Data() const { return data_; }

    // Byte reads align to the next byte boundary first.
    void Align() { bitsLeft_ = 0; }
    uint8_t U8();
    uint16_t U16();
    uint32_t U32();
    int16_t S16() { return int16_t(U16()); }
    void Skip(size_t n);
    // Moves to an absolute position within the buffer (clears any bit state).
    void Seek(size_t pos);

    uint32_t UBits(unsigned n);
    int32_t SBits(unsigned n);

    // A zero-terminated string; without a terminator the rest of the buffer is taken and ok()
    // is cleared.
    std::string_view ReadString();

protected:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    uint8_t bitBuf_ = 0;
    unsigned bitsLeft_ = 0;
    bool ok_ = true;
};

} // namespace tavro::swfformat
