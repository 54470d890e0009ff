// The marker values of the object archive's byte layout: object reference tags, the count
// escape and the string length prefixes. The archive itself and the JSON form's transcoder both
// read and write these bytes, so both take them from here.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tavro::wire {

// Object references: the first word, then what it announces.
constexpr uint16_t kNullTag = 0x0000;           // a null pointer; nothing follows
constexpr uint16_t kNewClassTag = 0xFFFF;       // a class descriptor, then the new object's data
constexpr uint16_t kBigTag = 0x7FFF;            // a dword: a class tag (kBigClassFlag) or an index
constexpr uint16_t kClassTag = 0x8000;          // | class index (below kBigTag): a new object
constexpr uint32_t kBigClassFlag = 0x80000000u; // in the dword after kBigTag: a class index

// Class descriptor names: a reader rejects any longer name.
constexpr size_t kMaxClassNameLength = 63;

// Counts: a word below kCountEscape, else kCountEscape and a dword.
constexpr uint16_t kCountEscape = 0xFFFF;
constexpr bool CountFitsWord(uint64_t count) {
    return count < kCountEscape;
}

// String length prefixes: a byte below kLengthEscape; else kLengthEscape and a word holding the
// length up to kMaxWordLength; else kLengthEscape, kLongLengthEscape and a dword. The word
// kWideMarker instead announces a wide string: a second prefix of the same kind (where the word
// form reaches kMaxWideWordLength, as no marker is read there), then 16-bit characters.
constexpr uint8_t kLengthEscape = 0xFF;
constexpr uint16_t kLongLengthEscape = 0xFFFF;
constexpr uint16_t kWideMarker = 0xFFFE;
constexpr uint16_t kMaxWordLength = 0xFFFD;
constexpr uint16_t kMaxWideWordLength = 0xFFFE;

} // namespace tavro::wire
