// One table of SWF records as values and as their exact bytes, shared by both sides: the writer
// tests write the values and compare the bytes, the player tests decode the bytes and compare the
// values. The bytes are built by hand from the record layouts, never by the code under test.
#pragma once

#include "swfformat/SwfTestBytes.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavro::test::vectors {

struct RectVector {
    const char* what;
    int32_t xmin, xmax, ymin, ymax; // twips
    Bytes bytes;
};

// scaleX/scaleY and the rotate/skew terms in 16.16 fixed point, translation in twips.
struct MatrixVector {
    const char* what;
    int32_t scaleX, rotateSkew0, rotateSkew1, scaleY, translateX, translateY;
    Bytes bytes;
};

// Multipliers (256 = 1.0) and offsets in the order red, green, blue, alpha.
struct CxformVector {
    const char* what;
    bool withAlpha;
    std::array<int32_t, 4> mult, add;
    Bytes bytes;
};

// A whole PlaceObject2 tag. Without a matrix or a colour transform the record leaves them out.
struct PlaceVector {
    const char* what;
    uint16_t characterId, depth;
    bool move;
    std::optional<MatrixVector> matrix;
    std::optional<CxformVector> cxform;
    Bytes bytes;
};

struct RemoveVector {
    uint16_t depth;
    Bytes bytes; // the whole RemoveObject2 tag
};

struct BackgroundVector {
    uint8_t red, green, blue;
    Bytes bytes; // the whole SetBackgroundColor tag
};

inline std::vector<RectVector> RectVectors() {
    return {
        {"unit square around the origin", -1, 1, -1, 1, Bits("00010 11 01 11 01")},
        {"the example stage, 550 x 400 pixels", 0, 11000, 0, 8000,
         Bits("01111" + Field(0, 15) + Field(11000, 15) + Field(0, 15) + Field(8000, 15))},
        {"12-bit fields", 0, 2000, 0, 1000, Hex("60 00 3E 80 00 1F 40")},
        {"all zero still takes one bit a field", 0, 0, 0, 0, Bits("00001 0 0 0 0")},
    };
}

inline std::vector<MatrixVector> MatrixVectors() {
    return {
        {"identity: no scale, no rotation, 1-bit translation", 65536, 0, 0, 65536, 0, 0,
         Hex("02 00")},
        {"scale only", 65536, 0, 0, 65537, 0, 0,
         Bits("1 10010" + Field(65536, 18) + Field(65537, 18) + "0 00001 0 0")},
        {"scale, rotation and a negative translation", 131072, 32768, -16384, 65536, 101, -101,
         Bits("1 10011" + Field(131072, 19) + Field(65536, 19) + "1 10001" + Field(32768, 17) +
              Field(-16384, 17) + "01000" + Field(101, 8) + Field(-101, 8))},
        {"translation only", 65536, 0, 0, 65536, 2000, -20,
         Bits("0 0 01100" + Field(2000, 12) + Field(-20, 12))},
    };
}

inline std::vector<CxformVector> CxformVectors() {
    const std::string m256 = Field(256, 10);
    return {
        {"identity with alpha: six zero bits", true, {256, 256, 256, 256}, {0, 0, 0, 0}, Hex("00")},
        {"alpha multiplier only",
         true,
         {256, 256, 256, 128},
         {0, 0, 0, 0},
         Bits("0 1 1010" + m256 + m256 + m256 + Field(128, 10))},
        {"offsets only, the field wide enough for -255",
         true,
         {256, 256, 256, 256},
         {-255, 0, 0, 10},
         Bits("1 0 1010" + Field(-255, 10) + Field(0, 20) + Field(10, 10))},
        {"multipliers and offsets without alpha",
         false,
         {128, 256, 0, 256},
         {-16, 0, 16, 0},
         Bits("1 1 1010" + Field(128, 10) + m256 + Field(0, 10) + Field(-16, 10) + Field(0, 10) +
              Field(16, 10))},
    };
}

inline std::vector<PlaceVector> PlaceVectors() {
    const MatrixVector identity = MatrixVectors()[0];
    const CxformVector half = CxformVectors()[1];
    return {
        {"a character with a matrix", 2, 1, false, identity, std::nullopt,
         Hex("87 06 06 01 00 02 00 02 00")},
        {"a move with a colour transform: no character id", 99, 3, true, std::nullopt, half,
         Concat({Hex("89 06 09 03 00"), half.bytes})},
        {"a character alone", 5, 0x0102, false, std::nullopt, std::nullopt,
         Hex("85 06 02 02 01 05 00")},
    };
}

inline std::vector<RemoveVector> RemoveVectors() {
    return {{1, Hex("02 07 01 00")}, {0x1234, Hex("02 07 34 12")}};
}

inline std::vector<BackgroundVector> BackgroundVectors() {
    return {{255, 255, 255, Hex("43 02 FF FF FF")}, {0x12, 0x34, 0x56, Hex("43 02 12 34 56")}};
}

// A DefineSprite of character 1 with one frame holding `inner` tags, in the short form below 63
// bytes of body and the long form from there, and the ShowFrame and End that close it.
inline Bytes SpriteBytes(const Bytes& inner) {
    const Bytes closing = Hex("40 00 00 00");
    const size_t body = 4 + inner.size() + closing.size();
    Bytes header = body < 63 ? Bytes{uint8_t(0xC0 | body), 0x09}
                             : Concat({Hex("FF 09"), Bytes{uint8_t(body), uint8_t(body >> 8),
                                                           uint8_t(body >> 16), 0}});
    return Concat({header, Hex("01 00 01 00"), inner, closing});
}

} // namespace tavro::test::vectors
