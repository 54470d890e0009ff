// Builds small SWF files byte by byte for the player tests.
#pragma once

#include "swfformat/ActionCodes.h"
#include "swfformat/BitWriter.h"
#include "swfformat/TagCodes.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace tavro::player::test {

using Bytes = std::vector<uint8_t>;

// MSB-first bit packing for RECT, MATRIX and shape records, through the format's own bit writer.
class BitPacker {
public:
    void Bits(int64_t value, int n) { w_.WriteBits(static_cast<int32_t>(value), n); }
    Bytes Take() {
        Bytes b = w_.Bytes();
        w_ = swfformat::BitWriter();
        return b;
    }
    static int SignedBits(int64_t v) { return swfformat::BitWriter::SignedBitCount(int32_t(v)); }

private:
    swfformat::BitWriter w_;
};

inline void Append(Bytes& to, const Bytes& from) {
    to.insert(to.end(), from.begin(), from.end());
}
inline void U16(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
inline void U32(Bytes& b, uint32_t v) {
    U16(b, v & 0xFFFF);
    U16(b, v >> 16);
}

inline Bytes RectBytes(int32_t xmin, int32_t xmax, int32_t ymin, int32_t ymax) {
    int n = 1;
    for (int32_t v : {xmin, xmax, ymin, ymax})
        n = std::max(n, BitPacker::SignedBits(v));
    BitPacker p;
    p.Bits(n, 5);
    for (int32_t v : {xmin, xmax, ymin, ymax})
        p.Bits(v, n);
    return p.Take();
}

// A MATRIX with translation only (scale and rotation absent).
inline Bytes Translate(int32_t tx, int32_t ty) {
    int n = std::max(BitPacker::SignedBits(tx), BitPacker::SignedBits(ty));
    BitPacker p;
    p.Bits(0, 1);
    p.Bits(0, 1);
    p.Bits(n, 5);
    p.Bits(tx, n);
    p.Bits(ty, n);
    return p.Take();
}

inline Bytes Tag(int code, const Bytes& body, bool forceLong = false) {
    Bytes t;
    if (body.size() < 63 && !forceLong) {
        U16(t, uint32_t(code << 6) | uint32_t(body.size()));
    } else {
        U16(t, uint32_t(code << 6) | 0x3F);
        U32(t, uint32_t(body.size()));
    }
    Append(t, body);
    return t;
}

inline Bytes ShowFrame() {
    return Tag(swfformat::kTagShowFrame, {});
}
inline Bytes End() {
    return Tag(swfformat::kTagEnd, {});
}

// DefineShape with the given bounds and no styles or edges.
inline Bytes DefineShape(uint16_t id, int32_t w = 200, int32_t h = 200) {
    Bytes b;
    U16(b, id);
    Append(b, RectBytes(0, w, 0, h));
    b.push_back(0); // fill styles
    b.push_back(0); // line styles
    b.push_back(0); // fill and line index bits
    b.push_back(0); // end record
    return Tag(swfformat::kTagDefineShape, b);
}

inline Bytes DefineSprite(uint16_t id, uint16_t frames, const Bytes& tags) {
    Bytes b;
    U16(b, id);
    U16(b, frames);
    Append(b, tags);
    return Tag(swfformat::kTagDefineSprite, b);
}

// PlaceObject2 placing `id` at `depth` (optionally named, optionally moved to x, y).
inline Bytes Place2(uint16_t depth, uint16_t id, const std::string& name = {}, int32_t x = 0,
                    int32_t y = 0) {
    Bytes b;
    b.push_back(uint8_t(0x02 | 0x04 | (name.empty() ? 0 : 0x20)));
    U16(b, depth);
    U16(b, id);
    Append(b, Translate(x, y));
    if (!name.empty()) {
        b.insert(b.end(), name.begin(), name.end());
        b.push_back(0);
    }
    return Tag(swfformat::kTagPlaceObject2, b);
}

// PlaceObject2 with the move flag: new translation, and a new character when id != 0.
inline Bytes Move2(uint16_t depth, int32_t x, int32_t y, uint16_t id = 0) {
    Bytes b;
    b.push_back(uint8_t(0x01 | 0x04 | (id ? 0x02 : 0)));
    U16(b, depth);
    if (id)
        U16(b, id);
    Append(b, Translate(x, y));
    return Tag(swfformat::kTagPlaceObject2, b);
}

inline Bytes Remove2(uint16_t depth) {
    Bytes b;
    U16(b, depth);
    return Tag(swfformat::kTagRemoveObject2, b);
}

inline Bytes DoAction(const Bytes& actions) {
    Bytes b = actions;
    b.push_back(0);
    return Tag(swfformat::kTagDoAction, b);
}

inline Bytes FrameLabel(const std::string& name) {
    Bytes b(name.begin(), name.end());
    b.push_back(0);
    return Tag(swfformat::kTagFrameLabel, b);
}

inline Bytes Background(uint8_t r, uint8_t g, uint8_t b) {
    return Tag(swfformat::kTagSetBackgroundColor, {r, g, b});
}

// Action records.
inline Bytes ActStop() {
    return {swfformat::kActionStop};
}
inline Bytes ActPlay() {
    return {swfformat::kActionPlay};
}
inline Bytes ActGotoFrame(uint16_t f) {
    return {swfformat::kActionGotoFrame, 0x02, 0x00, uint8_t(f), uint8_t(f >> 8)};
}
inline Bytes ActGoToLabel(const std::string& label) {
    Bytes b{swfformat::kActionGotoLabel};
    U16(b, uint32_t(label.size() + 1));
    b.insert(b.end(), label.begin(), label.end());
    b.push_back(0);
    return b;
}

// A whole movie: header (width x height pixels, rate in 8.8, frame count) and the tags.
// `declaredLength` overrides the header's file length when not 0.
inline Bytes Movie(const Bytes& tags, uint16_t frames = 1, uint16_t rate = 12 << 8, int width = 100,
                   int height = 50, uint32_t declaredLength = 0) {
    Bytes m{0x46, 0x57, 0x53, 0x04, 0, 0, 0, 0};
    Append(m, RectBytes(0, width * 20, 0, height * 20));
    U16(m, rate);
    U16(m, frames);
    Append(m, tags);
    uint32_t len = declaredLength ? declaredLength : uint32_t(m.size());
    m[4] = uint8_t(len);
    m[5] = uint8_t(len >> 8);
    m[6] = uint8_t(len >> 16);
    m[7] = uint8_t(len >> 24);
    return m;
}

inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes b;
    for (const auto& p : parts)
        Append(b, p);
    return b;
}

} // namespace tavro::player::test
