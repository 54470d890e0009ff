#include "swfformat/BitWriter.h"

#include <algorithm>
#include <stdexcept>

namespace tavro::swfformat {
namespace {

// The file length field is a UI32, so an image can never be longer than this.
constexpr uint64_t kMaxImageSize = 0xFFFFFFFFu;

} // namespace

BitWriter::BitWriter(size_t initialCapacity) : image_(initialCapacity, 0) {}

void BitWriter::Reserve(uint64_t byteCount) {
    if (byteCount <= image_.size())
        return;
    if (byteCount > kMaxImageSize)
        throw std::length_error("SWF image would exceed 4 GiB");
    const uint64_t doubled = std::min<uint64_t>(uint64_t{image_.size()} * 2, kMaxImageSize);
    image_.resize(static_cast<size_t>(std::max(byteCount, doubled)), 0);
}

void BitWriter::WriteByteAt(uint32_t offset, uint8_t value) {
    Reserve(uint64_t{offset} + 1);
    image_[offset] = value;
}

void BitWriter::Align() {
    if (bitOffset_ != 0) {
        bitOffset_ = 0;
        ++position_;
    }
}

uint32_t BitWriter::GetPosition(bool bytesOnly) const {
    return bytesOnly ? position_ : position_ * 8 + bitOffset_;
}

void BitWriter::SeekTo(uint32_t byteOffset) {
    savedPosition_ = position_;
    savedBitOffset_ = bitOffset_;
    position_ = byteOffset;
    bitOffset_ = 0;
}

void BitWriter::RestorePosition() {
    position_ = savedPosition_;
    bitOffset_ = savedBitOffset_;
}

void BitWriter::SetPosition(uint32_t byteOffset, uint32_t bitOffset) {
    if (bitOffset > 8)
        throw std::invalid_argument("bit offset beyond a byte");
    position_ = byteOffset;
    bitOffset_ = bitOffset;
}

void BitWriter::WriteBits(int32_t value, int bitCount) {
    if (bitCount < 0 || bitCount > 32)
        throw std::invalid_argument("bit field wider than 32 bits");
    uint32_t v = static_cast<uint32_t>(value);
    if (bitCount < 32)
        v &= (uint32_t{1} << bitCount) - 1;
    int remaining = bitCount;
    while (remaining > 0) {
        if (bitOffset_ == 8) {
            ++position_;
            bitOffset_ = 0;
        }
        Reserve(uint64_t{position_} + 1);
        const int free = 8 - static_cast<int>(bitOffset_);
        const int take = std::min(free, remaining);
        remaining -= take;
        const uint32_t chunk = (v >> remaining) & ((uint32_t{1} << take) - 1);
        image_[position_] |= static_cast<uint8_t>(chunk << (free - take));
        bitOffset_ += static_cast<uint32_t>(take);
    }
}

void BitWriter::WriteUI8(uint32_t value) {
    Align();
    WriteByteAt(position_, static_cast<uint8_t>(value));
    ++position_;
}

void BitWriter::WriteUI16(uint32_t value) {
    WriteUI8(value & 0xFF);
    WriteUI8((value >> 8) & 0xFF);
}

void BitWriter::WriteUI32(uint32_t value) {
    WriteUI16(value & 0xFFFF);
    WriteUI16(value >> 16);
}

int BitWriter::UnsignedBitCount(uint32_t value) {
    int count = 0;
    while (value != 0) {
        value >>= 1;
        ++count;
    }
    return count;
}

int BitWriter::SignedBitCount(int32_t value) {
    if (value >= 0)
        return UnsignedBitCount(static_cast<uint32_t>(value)) + 1;
    int count = 0;
    while (value != -1) {
        value >>= 1; // arithmetic shift
        ++count;
    }
    return count + 1;
}

std::vector<uint8_t> BitWriter::Bytes() const {
    const size_t end = std::min<size_t>(image_.size(), position_ + (bitOffset_ != 0 ? 1 : 0));
    return {image_.begin(), image_.begin() + static_cast<std::ptrdiff_t>(end)};
}

} // namespace tavro::swfformat
