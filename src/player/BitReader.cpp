#include "player/BitReader.h"

namespace tavro::player {

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

Rect BitReader::ReadRect() {
    Align();
    unsigned n = UBits(5);
    Rect r;
    r.xmin = SBits(n);
    r.xmax = SBits(n);
    r.ymin = SBits(n);
    r.ymax = SBits(n);
    if (r.xmin == Rect::kEmpty)
        r.xmin = Rect::kEmpty + 1; // a decoded rectangle is never the empty marker
    Align();
    return r;
}

Matrix16 BitReader::ReadMatrix() {
    Align();
    Matrix16 m;
    if (UBits(1)) {
        unsigned n = UBits(5);
        m.a = SBits(n);
        m.d = SBits(n);
    }
    if (UBits(1)) {
        unsigned n = UBits(5);
        m.b = SBits(n);
        m.c = SBits(n);
    }
    unsigned n = UBits(5);
    m.tx = SBits(n);
    m.ty = SBits(n);
    Align();
    return m;
}

ColorXform BitReader::ReadCxform(bool withAlpha) {
    Align();
    ColorXform x;
    bool hasAdd = UBits(1) != 0;
    bool hasMult = UBits(1) != 0;
    unsigned n = UBits(4);
    if (hasMult) {
        x.rMul = SBits(n);
        x.gMul = SBits(n);
        x.bMul = SBits(n);
        if (withAlpha)
            x.aMul = SBits(n);
    }
    if (hasAdd) {
        x.rAdd = SBits(n);
        x.gAdd = SBits(n);
        x.bAdd = SBits(n);
        if (withAlpha)
            x.aAdd = SBits(n);
    }
    x.UpdateFlags();
    Align();
    return x;
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

} // namespace tavro::player
