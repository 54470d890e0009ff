// Helpers of the renderer tests: a bit writer for hand-built SWF records and movies, and a
// canvas that draws records straight into a surface.
#pragma once

#include "player/Matrix16.h"
#include "player/Rect.h"
#include "player/render/FrameBuilder.h"
#include "player/render/NativeBitmap.h"
#include "player/render/ScanConverter.h"
#include "player/render/ShapeDrawer.h"
#include "player/render/SpanPainter.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tavro::player::render::test {

class Bits {
public:
    Bits& Ub(uint32_t v, int n) {
        for (int i = n - 1; i >= 0; --i) {
            if (bit_ == 0)
                bytes.push_back(0);
            if ((v >> i) & 1)
                bytes.back() |= uint8_t(0x80 >> bit_);
            bit_ = (bit_ + 1) & 7;
        }
        return *this;
    }
    Bits& Sb(int32_t v, int n) { return Ub(uint32_t(v) & (n == 32 ? ~0u : ((1u << n) - 1)), n); }
    Bits& Align() {
        bit_ = 0;
        return *this;
    }
    Bits& U8(uint32_t v) {
        Align();
        bytes.push_back(uint8_t(v));
        return *this;
    }
    Bits& U16(uint32_t v) { return U8(v & 0xFF).U8((v >> 8) & 0xFF); }
    Bits& U32(uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
    Bits& Rgb(uint32_t rgb) { return U8(rgb >> 16).U8(rgb >> 8).U8(rgb); }
    Bits& Rgba(uint32_t argb) { return Rgb(argb).U8(argb >> 24); }
    Bits& Raw(const std::vector<uint8_t>& b) {
        Align();
        bytes.insert(bytes.end(), b.begin(), b.end());
        return *this;
    }
    // RECT and MATRIX with a fixed 20-bit field width (wide enough for every test value).
    Bits& Rect(int32_t x0, int32_t x1, int32_t y0, int32_t y1) {
        Align();
        Ub(20, 5).Sb(x0, 20).Sb(x1, 20).Sb(y0, 20).Sb(y1, 20);
        return Align();
    }
    Bits& Matrix(int32_t a, int32_t b, int32_t c, int32_t d, int32_t tx, int32_t ty) {
        Align();
        Ub(1, 1).Ub(31, 5).Sb(a, 31).Sb(d, 31);
        Ub(1, 1).Ub(31, 5).Sb(b, 31).Sb(c, 31);
        Ub(31, 5).Sb(tx, 31).Sb(ty, 31);
        return Align();
    }
    Bits& Identity() { return Matrix(0x10000, 0, 0, 0x10000, 0, 0); }

    // Shape records (fill and line index fields 4 bits wide, moves 20 bits).
    Bits& Move(int32_t x, int32_t y, int fill0 = -1, int fill1 = -1, int line = -1) {
        uint32_t flags = 1 | (fill0 >= 0 ? 2 : 0) | (fill1 >= 0 ? 4 : 0) | (line >= 0 ? 8 : 0);
        Ub(0, 1).Ub(flags, 5).Ub(20, 5).Sb(x, 20).Sb(y, 20);
        if (fill0 >= 0)
            Ub(uint32_t(fill0), 4);
        if (fill1 >= 0)
            Ub(uint32_t(fill1), 4);
        if (line >= 0)
            Ub(uint32_t(line), 4);
        return *this;
    }
    // Edges with 17-bit deltas (the widest the 4-bit count allows).
    Bits& Line(int32_t dx, int32_t dy) {
        return Ub(1, 1).Ub(1, 1).Ub(15, 4).Ub(1, 1).Sb(dx, 17).Sb(dy, 17);
    }
    Bits& Curve(int32_t cdx, int32_t cdy, int32_t adx, int32_t ady) {
        return Ub(1, 1).Ub(0, 1).Ub(15, 4).Sb(cdx, 17).Sb(cdy, 17).Sb(adx, 17).Sb(ady, 17);
    }
    Bits& EndShape() { return Ub(0, 6).Align(); }
    // Fill/line bit counts of 4 each, at a byte boundary.
    Bits& StyleBits() { return U8(0x44); }

    std::vector<uint8_t> bytes;

private:
    int bit_ = 0;
};

// A closed polygon path (absolute points) after a move with the given styles.
inline Bits& Polygon(Bits& b, const std::vector<std::pair<int32_t, int32_t>>& pts, int fill0,
                     int fill1, int line = -1) {
    b.Move(pts[0].first, pts[0].second, fill0, fill1, line);
    for (size_t i = 1; i <= pts.size(); ++i) {
        auto p = pts[i % pts.size()];
        auto q = pts[i - 1];
        b.Line(p.first - q.first, p.second - q.second);
    }
    return b;
}

// Draws records straight into a 32-bit surface, without a player around them.
class Canvas {
public:
    // A background of alpha 0 means none: the surface keeps what it holds where nothing is
    // drawn (Prefill sets that).
    Canvas(int w, int h, bool antiAlias = false, uint32_t background = 0xFFFFFFFF,
           bool smoothBitmaps = false)
        : frame_(scan_), aa_(antiAlias) {
        surface.Create(w, h, 7);
        int k = aa_ ? 4 : 1;
        clip_ = Rect(0, w * k, 0, h * k);
        scan_.Begin(clip_);
        frame_.Begin(aa_, smoothBitmaps);
        if ((background >> 24) == 0)
            return;
        ColorRecord* bg = frame_.NewRecord();
        bg->color = background;
        EdgeBuilder& eb = frame_.Edges();
        eb.SetFills(nullptr, bg);
        eb.DeviceLine({-1, -1}, {clip_.xmax + 1, -1});
        eb.DeviceLine({clip_.xmax + 1, -1}, {clip_.xmax + 1, clip_.ymax + 1});
        eb.DeviceLine({clip_.xmax + 1, clip_.ymax + 1}, {-1, clip_.ymax + 1});
        eb.DeviceLine({-1, clip_.ymax + 1}, {-1, -1});
    }
    // Object space to device: twips to pixels (1/20) by default, times 4 with anti-aliasing.
    DrawState State(int32_t scale = 0x10000 / 20) const {
        DrawState st;
        // Saturates, so that a test may ask for the largest scale with anti-aliasing on.
        const int64_t wide = aa_ ? int64_t{scale} * 4 : int64_t{scale};
        const int32_t s = static_cast<int32_t>(std::clamp<int64_t>(wide, INT32_MIN, INT32_MAX));
        st.toDevice = Matrix16::Scale(s, s);
        return st;
    }
    FrameBuilder& Frame() { return frame_; }
    void Prefill(uint32_t rgb) { surface.Clear(0xFF000000 | rgb); }
    void Shape(const std::vector<uint8_t>& record, int version, const DrawState& st,
               CharacterSource* source = nullptr) {
        ShapeDrawer d(frame_, source);
        d.DrawShape(record, version, st);
    }
    void Finish() {
        SpanPainter painter;
        painter.Begin(surface, clip_, aa_);
        scan_.Run(painter);
    }
    uint32_t At(int x, int y) const { return surface.PixelAt(x, y) & 0xFFFFFF; }
    // Number of pixels of exactly this colour (0xRRGGBB).
    int Count(uint32_t rgb) const {
        int n = 0;
        for (int y = 0; y < surface.Height(); ++y)
            for (int x = 0; x < surface.Width(); ++x)
                n += At(x, y) == rgb;
        return n;
    }

    NativeBitmap surface;

private:
    ScanConverter scan_;
    FrameBuilder frame_;
    bool aa_;
    Rect clip_;
};

// A movie built tag by tag (uncompressed, version 4).
class Movie {
public:
    Movie(int32_t widthTwips, int32_t heightTwips, int frames = 1) {
        header_.Rect(0, widthTwips, 0, heightTwips).U16(12 << 8).U16(uint32_t(frames));
    }
    Movie& Tag(int code, const std::vector<uint8_t>& body) {
        Bits t;
        if (body.size() >= 63)
            t.U16(uint32_t(code << 6) | 63).U32(uint32_t(body.size()));
        else
            t.U16(uint32_t(code << 6) | uint32_t(body.size()));
        t.Raw(body);
        tags_.insert(tags_.end(), t.bytes.begin(), t.bytes.end());
        return *this;
    }
    Movie& Background(uint32_t rgb) { return Tag(9, Bits().Rgb(rgb).bytes); }
    // DefineShape (code 2), DefineShape2 (22) or DefineShape3 (32).
    Movie& Shape(uint16_t id, const Rect& bounds, const std::vector<uint8_t>& record,
                 int code = 2) {
        Bits b;
        b.U16(id).Rect(bounds.xmin, bounds.xmax, bounds.ymin, bounds.ymax).Raw(record);
        return Tag(code, b.bytes);
    }
    // PlaceObject2 of a new character (translation only), optionally with ratio and clip depth.
    Movie& Place(uint16_t depth, uint16_t id, int32_t tx = 0, int32_t ty = 0, int ratio = -1,
                 int clipDepth = -1) {
        Bits b;
        uint32_t flags = 0x02 | 0x04 | (ratio >= 0 ? 0x10 : 0) | (clipDepth >= 0 ? 0x40 : 0);
        b.U8(flags).U16(depth).U16(id).Matrix(0x10000, 0, 0, 0x10000, tx, ty);
        if (ratio >= 0)
            b.U16(uint32_t(ratio));
        if (clipDepth >= 0)
            b.U16(uint32_t(clipDepth));
        return Tag(26, b.bytes);
    }
    Movie& ShowFrame() { return Tag(1, {}); }
    std::vector<uint8_t> Bytes() const {
        Bits out;
        std::vector<uint8_t> body = header_.bytes;
        body.insert(body.end(), tags_.begin(), tags_.end());
        body.push_back(0);
        body.push_back(0); // End
        out.U8('F').U8('W').U8('S').U8(4).U32(uint32_t(body.size() + 8)).Raw(body);
        return out.bytes;
    }

private:
    Bits header_;
    std::vector<uint8_t> tags_;
};

} // namespace tavro::player::render::test
