#include "player/render/ShapeDrawer.h"

#include "player/render/CharacterSource.h"
#include "player/render/ShapeRecordReader.h"

#include <algorithm>

namespace tavro::player::render {

namespace {

constexpr int64_t kCoordLimit = int64_t(1) << 30;

int32_t Clamp(int64_t v) {
    return int32_t(std::clamp(v, -kCoordLimit, kCoordLimit));
}

uint32_t ReadColor(BitReader& in, bool alpha) {
    uint32_t r = in.U8(), g = in.U8(), b = in.U8();
    uint32_t a = alpha ? in.U8() : 255;
    return (a << 24) | (r << 16) | (g << 8) | b;
}

int32_t Lerp(int64_t s, int64_t e, int32_t t) {
    return Clamp(s + (e - s) * t / 65536);
}

uint32_t LerpColor(uint32_t s, uint32_t e, int32_t t) {
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
        out |= uint32_t(Lerp((s >> shift) & 0xFF, (e >> shift) & 0xFF, t) & 0xFF) << shift;
    return out;
}

Matrix16 LerpMatrix(const Matrix16& s, const Matrix16& e, int32_t t) {
    return Matrix16{Lerp(s.a, e.a, t), Lerp(s.b, e.b, t),   Lerp(s.c, e.c, t),
                    Lerp(s.d, e.d, t), Lerp(s.tx, e.tx, t), Lerp(s.ty, e.ty, t)};
}

uint32_t ReadCount(BitReader& in) {
    uint32_t n = in.U8();
    if (n == 255)
        n = in.U16();
    return n;
}

FillKind BitmapKind(uint32_t type) {
    return (type & 1) ? FillKind::ClippedBitmap : FillKind::TiledBitmap;
}
FillKind GradientKind(uint32_t type) {
    return type == 0x10 ? FillKind::LinearGradient : FillKind::RadialGradient;
}

} // namespace

ColorRecord* ShapeDrawer::Fill(uint32_t index) const {
    if (index == 0)
        return nullptr;
    if (glyphColor_)
        return glyphColor_;
    size_t i = fillBase_ + index - 1;
    return i < fills_.size() ? fills_[i] : nullptr;
}

const ShapeDrawer::LineStyle* ShapeDrawer::Line(uint32_t index) const {
    if (index == 0 || !drawLines_)
        return nullptr;
    size_t i = lineBase_ + index - 1;
    return i < lines_.size() && lines_[i].record ? &lines_[i] : nullptr;
}

void ShapeDrawer::ReadStyles(BitReader& in, int version, const DrawState& st) {
    const bool alpha = version >= 3;
    fillBase_ = fills_.size();
    uint32_t count = ReadCount(in);
    for (uint32_t i = 0; i < count && in.ok(); ++i) {
        uint32_t type = in.U8();
        ColorRecord* rec = nullptr;
        if (type & 0x10) {
            Matrix16 m = in.ReadMatrix();
            int n = in.U8() & 0x0F;
            GradientEntry entries[16];
            for (int k = 0; k < n; ++k) {
                entries[k].ratio = in.U8();
                entries[k].argb = ReadColor(in, alpha);
            }
            if (in.ok())
                rec = frame_.Gradient(GradientKind(type), m, entries, n, st);
        } else if (type & 0x40) {
            uint16_t id = in.U16();
            Matrix16 m = in.ReadMatrix();
            if (in.ok())
                rec =
                    frame_.Bitmap(BitmapKind(type), m, source_ ? source_->Bitmap(id) : nullptr, st);
        } else {
            uint32_t c = ReadColor(in, alpha);
            if (in.ok())
                rec = frame_.Solid(c, st);
        }
        fills_.push_back(rec);
    }
    lineBase_ = lines_.size();
    count = ReadCount(in);
    for (uint32_t i = 0; i < count && in.ok(); ++i) {
        uint16_t width = in.U16();
        uint32_t c = ReadColor(in, alpha);
        LineStyle ls;
        if (in.ok() && drawLines_) {
            ls.record = frame_.Solid(c, st);
            ls.width = std::max<int64_t>(st.toDevice.ScaleLength(width), frame_.MinLineWidth());
        }
        lines_.push_back(ls);
    }
}

void ShapeDrawer::ApplyStyleChange(const ShapeRecord& rec) {
    if (rec.hasMove) {
        pen_ = {rec.moveX, rec.moveY};
        strokeOpen_ = false;
    }
    if (rec.hasFill0)
        fill0_ = Fill(rec.fill0);
    if (rec.hasFill1)
        fill1_ = Fill(rec.fill1);
    if (rec.hasLine) {
        line_ = Line(rec.line);
        strokeOpen_ = false;
    }
}

void ShapeDrawer::Segment(bool curve, Pen c, Pen p) {
    EdgeBuilder& eb = frame_.Edges();
    if (fill0_ || fill1_) {
        eb.SetFills(fill0_, fill1_);
        if (curve)
            eb.Curve(Clamp(pen_.x), Clamp(pen_.y), Clamp(c.x), Clamp(c.y), Clamp(p.x), Clamp(p.y));
        else
            eb.Line(Clamp(pen_.x), Clamp(pen_.y), Clamp(p.x), Clamp(p.y));
    }
    if (line_) {
        StrokeBuilder& sb = frame_.Strokes();
        if (!strokeOpen_) {
            sb.Begin(line_->record, line_->width);
            sb.MoveTo(eb.Map(Clamp(pen_.x), Clamp(pen_.y)));
            strokeOpen_ = true;
        }
        if (curve)
            sb.CurveTo(eb.Map(Clamp(c.x), Clamp(c.y)), eb.Map(Clamp(p.x), Clamp(p.y)));
        else
            sb.LineTo(eb.Map(Clamp(p.x), Clamp(p.y)));
    }
    pen_ = p;
}

void ShapeDrawer::Walk(BitReader& in, ShapeRecordReader& records, int version,
                       const DrawState& st) {
    ShapeRecord rec;
    while (records.Next(rec)) {
        switch (rec.type) {
        case ShapeRecord::StyleChange:
            if (rec.newStyles) {
                ReadStyles(in, version, st);
                unsigned bits = in.U8();
                records.SetBits(bits >> 4, bits & 15);
                fill0_ = fill1_ = nullptr;
                line_ = nullptr;
                strokeOpen_ = false;
            }
            ApplyStyleChange(rec);
            break;
        case ShapeRecord::Line:
            Segment(false, {}, {pen_.x + rec.dx, pen_.y + rec.dy});
            break;
        case ShapeRecord::Curve: {
            Pen c{pen_.x + rec.cdx, pen_.y + rec.cdy};
            Segment(true, c, {c.x + rec.dx, c.y + rec.dy});
            break;
        }
        case ShapeRecord::End:
            return;
        }
    }
}

void ShapeDrawer::DrawShape(std::span<const uint8_t> data, int version, const DrawState& st) {
    fills_.clear();
    lines_.clear();
    glyphColor_ = nullptr;
    drawLines_ = st.clipRecord == nullptr;
    pen_ = {};
    fill0_ = fill1_ = nullptr;
    line_ = nullptr;
    strokeOpen_ = false;
    frame_.Edges().SetMatrix(st.toDevice);
    BitReader in(data.data(), data.size());
    ReadStyles(in, version, st);
    unsigned bits = in.U8();
    if (!in.ok())
        return;
    ShapeRecordReader records(in, bits >> 4, bits & 15);
    records.AllowNewStyles(version >= 2);
    Walk(in, records, version, st);
}

void ShapeDrawer::DrawGlyph(std::span<const uint8_t> data, ColorRecord* color,
                            const DrawState& st) {
    if (!color)
        return;
    fills_.clear();
    lines_.clear();
    glyphColor_ = color;
    drawLines_ = false;
    pen_ = {};
    fill0_ = fill1_ = nullptr;
    line_ = nullptr;
    strokeOpen_ = false;
    frame_.Edges().SetMatrix(st.toDevice);
    BitReader in(data.data(), data.size());
    unsigned bits = in.U8();
    if (!in.ok())
        return;
    ShapeRecordReader records(in, bits >> 4, bits & 15);
    records.AllowNewStyles(false);
    Walk(in, records, 1, st);
    glyphColor_ = nullptr;
}

void ShapeDrawer::ReadMorphStyles(BitReader& in, int32_t t, const DrawState& st) {
    fillBase_ = 0;
    uint32_t count = ReadCount(in);
    for (uint32_t i = 0; i < count && in.ok(); ++i) {
        uint32_t type = in.U8();
        ColorRecord* rec = nullptr;
        if (type & 0x10) {
            Matrix16 m0 = in.ReadMatrix(), m1 = in.ReadMatrix();
            int n = in.U8() & 0x0F;
            GradientEntry entries[16];
            for (int k = 0; k < n; ++k) {
                uint8_t r0 = in.U8();
                uint32_t c0 = ReadColor(in, true);
                uint8_t r1 = in.U8();
                uint32_t c1 = ReadColor(in, true);
                entries[k].ratio = uint8_t(Lerp(r0, r1, t));
                entries[k].argb = LerpColor(c0, c1, t);
            }
            if (in.ok())
                rec = frame_.Gradient(GradientKind(type), LerpMatrix(m0, m1, t), entries, n, st);
        } else if (type & 0x40) {
            uint16_t id = in.U16();
            Matrix16 m0 = in.ReadMatrix(), m1 = in.ReadMatrix();
            if (in.ok())
                rec = frame_.Bitmap(BitmapKind(type), LerpMatrix(m0, m1, t),
                                    source_ ? source_->Bitmap(id) : nullptr, st);
        } else {
            uint32_t c0 = ReadColor(in, true), c1 = ReadColor(in, true);
            if (in.ok())
                rec = frame_.Solid(LerpColor(c0, c1, t), st);
        }
        fills_.push_back(rec);
    }
    lineBase_ = 0;
    count = ReadCount(in);
    for (uint32_t i = 0; i < count && in.ok(); ++i) {
        uint16_t w0 = in.U16(), w1 = in.U16();
        uint32_t c0 = ReadColor(in, true), c1 = ReadColor(in, true);
        LineStyle ls;
        if (in.ok() && drawLines_) {
            ls.record = frame_.Solid(LerpColor(c0, c1, t), st);
            ls.width =
                std::max<int64_t>(st.toDevice.ScaleLength(Lerp(w0, w1, t)), frame_.MinLineWidth());
        }
        lines_.push_back(ls);
    }
}

void ShapeDrawer::DrawMorph(std::span<const uint8_t> data, const DrawState& st) {
    fills_.clear();
    lines_.clear();
    glyphColor_ = nullptr;
    drawLines_ = st.clipRecord == nullptr;
    fill0_ = fill1_ = nullptr;
    line_ = nullptr;
    strokeOpen_ = false;
    frame_.Edges().SetMatrix(st.toDevice);
    const int32_t t = MorphT(st.ratio);

    BitReader in(data.data(), data.size());
    in.ReadRect();
    in.ReadRect();
    uint32_t offset = in.U32();
    size_t endPos = in.Pos() + offset;
    if (!in.ok() || offset > data.size() || endPos > data.size())
        return;
    ReadMorphStyles(in, t, st);
    unsigned bits = in.U8();
    if (!in.ok())
        return;
    ShapeRecordReader startRecords(in, bits >> 4, bits & 15);
    startRecords.AllowNewStyles(false);

    // The end shape: moves and edges only.
    BitReader endIn(data.data(), data.size(), endPos);
    unsigned endBits = endIn.U8();
    ShapeRecordReader endRecords(endIn, endBits >> 4, endBits & 15);
    endRecords.AllowNewStyles(false);
    std::vector<ShapeRecord> ends;
    ShapeRecord rec;
    while (endIn.ok() && ends.size() < (size_t(1) << 20) && endRecords.Next(rec))
        ends.push_back(rec);

    size_t ei = 0;
    Pen startPen, endPen;
    pen_ = {};
    while (startRecords.Next(rec)) {
        if (rec.type == ShapeRecord::StyleChange) {
            if (ei < ends.size() && ends[ei].type == ShapeRecord::StyleChange) {
                if (ends[ei].hasMove)
                    endPen = {ends[ei].moveX, ends[ei].moveY};
                ++ei;
            } else if (rec.hasMove) {
                endPen = {rec.moveX, rec.moveY};
            }
            if (rec.hasMove)
                startPen = {rec.moveX, rec.moveY};
            ApplyStyleChange(rec);
            pen_ = {Lerp(startPen.x, endPen.x, t), Lerp(startPen.y, endPen.y, t)};
            continue;
        }
        while (ei < ends.size() && ends[ei].type == ShapeRecord::StyleChange) {
            if (ends[ei].hasMove)
                endPen = {ends[ei].moveX, ends[ei].moveY};
            ++ei;
        }
        const ShapeRecord& e = ei < ends.size() ? ends[ei++] : rec;
        // Both edges as curves (a line's control point is its midpoint).
        auto control = [](const ShapeRecord& r, Pen from) {
            if (r.type == ShapeRecord::Curve)
                return Pen{from.x + r.cdx, from.y + r.cdy};
            return Pen{from.x + r.dx / 2, from.y + r.dy / 2};
        };
        auto anchor = [](const ShapeRecord& r, Pen from) {
            if (r.type == ShapeRecord::Curve)
                return Pen{from.x + r.cdx + r.dx, from.y + r.cdy + r.dy};
            return Pen{from.x + r.dx, from.y + r.dy};
        };
        Pen sc = control(rec, startPen), sa = anchor(rec, startPen);
        Pen ec = control(e, endPen), ea = anchor(e, endPen);
        bool curve = rec.type == ShapeRecord::Curve || e.type == ShapeRecord::Curve;
        Pen c{Lerp(sc.x, ec.x, t), Lerp(sc.y, ec.y, t)};
        Pen a{Lerp(sa.x, ea.x, t), Lerp(sa.y, ea.y, t)};
        Segment(curve, c, a);
        startPen = sa;
        endPen = ea;
    }
}

} // namespace tavro::player::render
