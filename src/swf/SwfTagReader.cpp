#include "swf/SwfTagReader.h"

#include "swfformat/ActionCodes.h"
#include "swfformat/BitReader.h"
#include "swfformat/TagCodes.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <utility>

namespace tavro {
namespace {

using namespace swfformat;

// Longest text shown for a string field; longer ones are cut with "...".
constexpr size_t kMaxShownString = 120;

std::string Offset(uint64_t offset) {
    return std::to_string(offset);
}

// Reads bits and bytes of one record range [begin, end); every read is checked against end.
class BodyReader {
public:
    BodyReader(std::span<const uint8_t> data, uint32_t begin, uint32_t end, std::string context)
        : r_(data.data(), end, begin), end_(end), context_(std::move(context)) {}

    uint32_t UB(int n) {
        const uint32_t v = r_.UBits(static_cast<unsigned>(n));
        Check();
        return v;
    }
    int32_t SB(int n) {
        const int32_t v = r_.SBits(static_cast<unsigned>(n));
        Check();
        return v;
    }
    void Align() { r_.Align(); }
    uint8_t UI8() {
        const uint8_t v = r_.U8();
        Check();
        return v;
    }
    uint16_t UI16() {
        const uint16_t v = r_.U16();
        Check();
        return v;
    }
    uint32_t UI32() {
        const uint32_t v = r_.U32();
        Check();
        return v;
    }
    // n bytes shown as a quoted, escaped string.
    std::string Text(uint32_t n) {
        Align();
        Need(n);
        const uint8_t* text = r_.Data() + r_.Pos();
        std::string out = "\"";
        for (uint32_t i = 0; i < n; ++i) {
            if (i == kMaxShownString) {
                out += "...";
                break;
            }
            const uint8_t c = text[i];
            if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
                out += static_cast<char>(c);
            } else {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\x%02X", c);
                out += buf;
            }
        }
        r_.Skip(n);
        return out + "\"";
    }
    // A zero-terminated string, which must end inside the range.
    std::string CString() {
        Align();
        const uint8_t* text = r_.Data() + r_.Pos();
        uint32_t n = 0;
        while (true) {
            if (Pos() + n >= end_)
                Fail("string without terminator");
            if (text[n] == 0)
                break;
            ++n;
        }
        std::string s = Text(n);
        r_.Skip(1);
        return s;
    }
    std::string Rect() {
        const int n = static_cast<int>(UB(5));
        const int32_t xmin = SB(n), xmax = SB(n), ymin = SB(n), ymax = SB(n);
        return "x=" + std::to_string(xmin) + ".." + std::to_string(xmax) +
               " y=" + std::to_string(ymin) + ".." + std::to_string(ymax);
    }
    std::string Matrix() {
        Align();
        int32_t sx = 65536, sy = 65536, r0 = 0, r1 = 0;
        if (UB(1)) {
            const int n = static_cast<int>(UB(5));
            sx = SB(n);
            sy = SB(n);
        }
        if (UB(1)) {
            const int n = static_cast<int>(UB(5));
            r0 = SB(n);
            r1 = SB(n);
        }
        const int n = static_cast<int>(UB(5));
        const int32_t tx = SB(n), ty = SB(n);
        return "matrix(sx=" + std::to_string(sx) + " sy=" + std::to_string(sy) +
               " r0=" + std::to_string(r0) + " r1=" + std::to_string(r1) +
               " tx=" + std::to_string(tx) + " ty=" + std::to_string(ty) + ")";
    }
    std::string Cxform(bool withAlpha) {
        Align();
        const bool hasAdd = UB(1), hasMult = UB(1);
        const int n = static_cast<int>(UB(4));
        const int count = withAlpha ? 4 : 3;
        int32_t mult[4] = {256, 256, 256, 256}, add[4] = {0, 0, 0, 0};
        if (hasMult)
            for (int i = 0; i < count; ++i)
                mult[i] = SB(n);
        if (hasAdd)
            for (int i = 0; i < count; ++i)
                add[i] = SB(n);
        std::string m = "mult=", a = " add=";
        for (int i = 0; i < count; ++i) {
            m += (i ? "," : "") + std::to_string(mult[i]);
            a += (i ? "," : "") + std::to_string(add[i]);
        }
        return "cxform(" + m + a + ")";
    }

    void Skip(uint32_t n) {
        Align();
        Need(n);
        r_.Skip(n);
    }
    bool AtEnd() const { return Pos() >= end_; }
    uint32_t Left() const { return Pos() >= end_ ? 0 : end_ - Pos(); }
    uint32_t Pos() const { return static_cast<uint32_t>(r_.Pos()); }
    [[noreturn]] void Fail(const std::string& what) const {
        throw SwfTagReader::Error(context_ + ": " + what + " at offset " + Offset(Pos()), Pos());
    }

private:
    void Need(uint64_t bytes) const {
        if (uint64_t{Pos()} + bytes > end_)
            Fail("fields run past the end");
    }
    // A read that ran past the end leaves the reader at the end, where the failure is reported.
    void Check() const {
        if (!r_.ok())
            Fail("fields run past the end");
    }

    swfformat::BitReader r_;
    uint32_t end_;
    std::string context_;
};

uint32_t ClampedSize(std::span<const uint8_t> data) {
    return static_cast<uint32_t>(
        std::min<uint64_t>(data.size(), std::numeric_limits<uint32_t>::max()));
}

// Action records up to the 0 byte: code and name, with the operands of the go-to and URL
// actions this system writes.
std::string DescribeActions(BodyReader& r) {
    std::string out = "actions:";
    while (true) {
        if (r.AtEnd())
            return out + " (no end byte)";
        const uint8_t code = r.UI8();
        if (code == kActionEnd)
            return out;
        char hex[8];
        std::snprintf(hex, sizeof hex, " 0x%02X", code);
        out += hex;
        const std::string_view name = swfformat::ActionName(code);
        if (!name.empty())
            out += " " + std::string(name);
        if (!swfformat::ActionHasOperands(code))
            continue;
        const uint16_t length = r.UI16();
        if (length > r.Left())
            r.Fail("action record longer than its tag");
        const uint32_t next = r.Pos() + length;
        if (code == kActionGotoFrame && length >= 2) {
            out += "(" + std::to_string(r.UI16()) + ")";
        } else if (code == kActionGotoLabel && length >= 1) {
            out += "(" + r.CString() + ")";
        } else if (code == kActionGetUrl && length >= 2) {
            const std::string url = r.CString();
            out += "(" + url + ", " + r.CString() + ")";
        }
        if (r.Pos() > next)
            r.Fail("action operands longer than their record");
        r.Skip(next - r.Pos());
    }
}

} // namespace

SwfTagReader::Header SwfTagReader::ReadHeader(std::span<const uint8_t> data) {
    if (data.size() >= 3 && (data[0] == 'C' || data[0] == 'Z') && data[1] == 'W' && data[2] == 'S')
        throw Error(std::string("compressed (") + static_cast<char>(data[0]) +
                        "WS) files are not supported",
                    0);
    if (data.size() < 3 || data[0] != 'F' || data[1] != 'W' || data[2] != 'S')
        throw Error("not an SWF file", 0);
    if (data.size() < 8)
        throw Error("truncated header at offset " + Offset(data.size()), data.size());
    Header h;
    h.version = data[3];
    h.fileLength = static_cast<uint32_t>(data[4] | (data[5] << 8) | (data[6] << 16)) |
                   (uint32_t{data[7]} << 24);
    BodyReader r(data, 8, ClampedSize(data), "truncated header");
    const int n = static_cast<int>(r.UB(5));
    h.xmin = r.SB(n);
    h.xmax = r.SB(n);
    h.ymin = r.SB(n);
    h.ymax = r.SB(n);
    h.frameRate = r.UI16();
    h.frameCount = r.UI16();
    h.firstTagOffset = r.Pos();
    if (h.fileLength < h.firstTagOffset)
        throw Error(
            "file length field " + std::to_string(h.fileLength) + " is shorter than the header", 4);
    return h;
}

SwfTagReader SwfTagReader::ForMovie(std::span<const uint8_t> data, const Header& header) {
    const uint32_t end = std::min(ClampedSize(data), header.fileLength);
    return SwfTagReader(data, std::min(header.firstTagOffset, end), end);
}

SwfTagReader SwfTagReader::ForSprite(std::span<const uint8_t> data, const Tag& sprite) {
    if (sprite.length < 4)
        throw Error("DefineSprite at offset " + Offset(sprite.offset) +
                        ": body shorter than its id and frame count",
                    sprite.offset);
    return SwfTagReader(data, sprite.bodyOffset + 4, sprite.bodyOffset + sprite.length);
}

SwfTagReader::SwfTagReader(std::span<const uint8_t> data, uint32_t begin, uint32_t end)
    : data_(data), pos_(begin), end_(std::min(end, ClampedSize(data))) {}

bool SwfTagReader::Next(Tag& tag) {
    if (sawEnd_ || pos_ >= end_)
        return false;
    const uint32_t left = end_ - pos_;
    if (left < 2)
        throw Error("truncated tag at offset " + Offset(pos_) + ": header cut short", pos_);
    const uint16_t word = static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    Tag t;
    t.code = word >> 6;
    t.offset = pos_;
    t.length = word & 0x3F;
    uint32_t headerLength = 2;
    if (t.length == 0x3F) {
        if (left < 6)
            throw Error("truncated tag at offset " + Offset(pos_) + ": header cut short", pos_);
        const uint8_t* p = &data_[pos_ + 2];
        t.length =
            static_cast<uint32_t>(p[0] | (p[1] << 8) | (p[2] << 16)) | (uint32_t{p[3]} << 24);
        t.longForm = true;
        headerLength = 6;
    }
    if (t.length > left - headerLength)
        throw Error("truncated tag at offset " + Offset(pos_) + ": " +
                        std::string(TagName(t.code)) + " needs " + std::to_string(t.length) +
                        " bytes, " + std::to_string(left - headerLength) + " left",
                    pos_);
    t.bodyOffset = pos_ + headerLength;
    pos_ = t.bodyOffset + t.length;
    if (t.code == kTagEnd)
        sawEnd_ = true;
    tag = t;
    return true;
}

std::string_view SwfTagReader::TagName(uint16_t code) {
    const std::string_view name = swfformat::TagName(code);
    return name.empty() ? "Unknown" : name;
}

std::string SwfTagReader::DescribeFields(const Tag& tag) const {
    BodyReader r(data_, tag.bodyOffset, tag.bodyOffset + tag.length,
                 std::string(TagName(tag.code)) + " at offset " + Offset(tag.offset));
    auto id = [&r] { return "id=" + std::to_string(r.UI16()); };
    switch (tag.code) {
    case kTagDefineShape:
    case kTagDefineShape2:
    case kTagDefineShape3:
    case kTagDefineText:
    case kTagDefineText2: {
        std::string s = id();
        return s + " bounds " + r.Rect();
    }
    case kTagPlaceObject: {
        std::string s = id();
        s += " depth=" + std::to_string(r.UI16()) + " " + r.Matrix();
        if (!r.AtEnd())
            s += " " + r.Cxform(false);
        return s;
    }
    case kTagRemoveObject: {
        std::string s = id();
        return s + " depth=" + std::to_string(r.UI16());
    }
    case kTagSetBackgroundColor: {
        const uint8_t red = r.UI8(), green = r.UI8(), blue = r.UI8();
        char buf[32];
        std::snprintf(buf, sizeof buf, "color=#%02X%02X%02X", red, green, blue);
        return buf;
    }
    case kTagDefineFont: {
        std::string s = id();
        // The offset table's first entry is its own size: two bytes per glyph.
        uint32_t glyphs = 0;
        if (r.Left() >= 2) {
            const uint32_t first = r.UI16();
            if (first % 2 != 0 || first > tag.length - 2)
                r.Fail("damaged glyph offset table");
            glyphs = first / 2;
        }
        return s + " glyphs=" + std::to_string(glyphs);
    }
    case kTagDoAction:
        return DescribeActions(r);
    case kTagDefineFontInfo: {
        std::string s = id();
        const uint8_t nameLength = r.UI8();
        s += " name=" + r.Text(nameLength);
        char flags[16];
        std::snprintf(flags, sizeof flags, " flags=0x%02X", r.UI8());
        return s + flags + " codes=" + std::to_string(r.Left());
    }
    case kTagPlaceObject2: {
        const uint8_t flags = r.UI8();
        char buf[16];
        std::snprintf(buf, sizeof buf, "flags=0x%02X", flags);
        std::string s = buf;
        s += " depth=" + std::to_string(r.UI16());
        if (flags & 0x02)
            s += " " + id();
        if (flags & 0x04)
            s += " " + r.Matrix();
        if (flags & 0x08)
            s += " " + r.Cxform(true);
        if (flags & 0x10)
            s += " ratio=" + std::to_string(r.UI16());
        if (flags & 0x20)
            s += " name=" + r.CString();
        if (flags & 0x40)
            s += " clip=" + std::to_string(r.UI16());
        return s;
    }
    case kTagRemoveObject2:
        return "depth=" + std::to_string(r.UI16());
    case kTagDefineButton2: {
        std::string s = id();
        return s + " menu=" + std::to_string(r.UI8());
    }
    case kTagDefineSprite: {
        std::string s = id();
        return s + " frames=" + std::to_string(r.UI16());
    }
    case kTagFrameLabel:
        return "label=" + r.CString();
    case kTagDefineBits:
    case kTagDefineButton:
    case kTagDefineSound:
    case kTagDefineButtonSound:
    case kTagDefineBitsLossless:
    case kTagDefineBitsJpeg2:
    case kTagDefineButtonCxform:
    case kTagDefineBitsJpeg3:
    case kTagDefineBitsLossless2:
    case kTagDefineEditText:
    case kTagDefineMorphShape:
    case kTagDefineFont2:
        return id();
    default:
        return {};
    }
}

void SwfTagReader::ListTimeline(std::span<const uint8_t> data, SwfTagReader& reader, int nesting,
                                const std::function<void(const Entry&)>& visit) {
    Entry entry;
    entry.nesting = nesting;
    while (reader.Next(entry.tag)) {
        entry.fields = reader.DescribeFields(entry.tag);
        visit(entry);
        if (entry.tag.code == kTagShowFrame)
            ++entry.frame;
        if (entry.tag.code != kTagDefineSprite)
            continue;
        const Tag& sprite = entry.tag;
        if (nesting + 1 > kMaxSpriteNesting)
            throw Error("sprites nested too deeply at offset " + Offset(sprite.offset),
                        sprite.offset);
        SwfTagReader inner = ForSprite(data, sprite);
        ListTimeline(data, inner, nesting + 1, visit);
        if (!inner.SawEnd())
            throw Error("DefineSprite at offset " + Offset(sprite.offset) + " has no End tag",
                        sprite.offset);
    }
}

void SwfTagReader::ListMovie(std::span<const uint8_t> data, const Header& header,
                             const std::function<void(const Entry&)>& visit) {
    SwfTagReader reader = ForMovie(data, header);
    ListTimeline(data, reader, 0, visit);
    if (!reader.SawEnd())
        throw Error("truncated: no End tag before offset " + Offset(reader.Position()),
                    reader.Position());
    if (header.fileLength > data.size())
        throw Error("truncated: the header gives " + std::to_string(header.fileLength) +
                        " bytes, the file has " + std::to_string(data.size()),
                    data.size());
}

} // namespace tavro
