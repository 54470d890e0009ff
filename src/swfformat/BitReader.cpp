#include "swfformat/BitReader.h"

namespace tavro::swfformat {

uint8_t BitReader::U8() {
    Align();
    if (pos_ >= size_) {
        ok_ = false;
        return 0;
    }
    return data_[pos_++];
}

uint16_t BitReader::U16() {
    Align();
    if (size_ - pos_ < 2) {
        pos_ = size_;
        ok_ = false;
        return 0;
    }
    uint16_t v = uint16_t(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
}

uint32_t BitReader::U32() {
    Align();
    if (size_ - pos_ < 4) {
        pos_ = size_;
        ok_ = false;
        return 0;
    }
    uint32_t v = uint32_t(data_[pos_]) | (uint32_t(data_[pos_ + 1]) << 8) |
                 (uint32_t(data_[pos_ + 2]) << 16) | (uint32_t(data_[pos_ + 3]) << 24);
    pos_ += 4;
    return v;
}

void BitReader::Skip(size_t n) {
    Align();
    if (n > size_ - pos_) {
        pos_ = size_;
        ok_ = false;
        return;
    }
    pos_ += n;
}

void BitReader::Seek(size_t pos) {
    Align();
    if (pos > size_) {
        pos_ = size_;
        ok_ = false;
        return;
    }
    pos_ = pos;
}

uint32_t BitReader::UBits(unsigned n) {
    uint32_t v = 0;
    for (unsigned i = 0; i < n; ++i) {
        if (bitsLeft_ == 0) {
            if (pos_ >= size_) {
                ok_ = false;
                return 0;
            }
            bitBuf_ = data_[pos_++];
            bitsLeft_ = 8;
        }
        --bitsLeft_;
        v = (v << 1) | ((bitBuf_ >> bitsLeft_) & 1u);
    }
    return v;
}

int32_t BitReader::SBits(unsigned n) {
    if (n == 0)
        return 0;
    uint32_t v = UBits(n);
    if (n < 32 && (v & (1u << (n - 1))))
        v |= ~((1u << n) - 1); // sign-extend
    return int32_t(v);
}

std::string_view BitReader::ReadString() {
    Align();
    size_t start = pos_;
    while (pos_ < size_ && data_[pos_] != 0)
        ++pos_;
    std::string_view s(reinterpret_cast<const char*>(data_ + start), pos_ - start);
    if (pos_ < size_)
        ++pos_; // the terminator
    else
        ok_ = false;
    return s;
}

} // namespace tavro::swfformat
