#include "swf/CSwfFont.h"

#include "model/CFillStyleColor.h"
#include "model/CNodeCurveTo2.h"
#include "model/CPath.h"
#include "swf/CSwfWriter.h"
#include "swf/SwfRecords.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tavro {

namespace {

// size x 20 without overflow; the font service refuses what it cannot draw.
int32_t SizeFontEm(int32_t size) {
    const int64_t em = int64_t{size} * 20;
    return static_cast<int32_t>(std::clamp<int64_t>(em, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

CDoublePoint ToMovie(const FontPoint& p) {
    return {p.x, -p.y};
}

bool SamePoint(const CDoublePoint& a, const CDoublePoint& b) {
    return std::fabs(a.x - b.x) <= 1e-10 && std::fabs(a.y - b.y) <= 1e-10;
}

} // namespace

CSwfFont::CSwfFont(std::string_view face, int32_t size, bool bold, bool italic,
                   std::string_view text, const CColor& color, FontService& service)
    : service_(service), face_(face), size_(size), color_(color), indexOfCode_(256, -1) {
    const int32_t weight = bold ? 700 : 400;
    sizeFont_ = FontRequest{face_, SizeFontEm(size), weight, italic};
    emFont_ = FontRequest{face_, kEmSquare, weight, italic};
    for (char c : text) {
        const auto code = static_cast<uint8_t>(c);
        if (IsGlyphCharacter(code))
            AddGlyph(code);
    }
}

CSwfFont::~CSwfFont() = default;

size_t CSwfFont::AddGlyph(uint8_t code) {
    if (indexOfCode_[code] >= 0)
        return static_cast<size_t>(indexOfCode_[code]);
    glyphs_.push_back(std::make_unique<CSwfGlyph>(code));
    indexOfCode_[code] = static_cast<int16_t>(glyphs_.size() - 1);
    return glyphs_.size() - 1;
}

CSwfGlyph* CSwfFont::FindGlyph(uint8_t code) const {
    const int16_t i = indexOfCode_[code];
    return i >= 0 ? glyphs_[static_cast<size_t>(i)].get() : nullptr;
}

bool CSwfFont::AllGlyphsWritten() const {
    return std::all_of(glyphs_.begin(), glyphs_.end(),
                       [](const std::unique_ptr<CSwfGlyph>& g) { return g->written; });
}

void CSwfFont::OutlineToPath(const GlyphOutline& outline, CPath& path) {
    bool first = true;
    for (const FontContour& contour : outline.contours) {
        const CDoublePoint start = ToMovie(contour.start);
        path.AddMoveTo(start.x, start.y, first ? 1 : -1, -1);
        first = false;
        CDoublePoint current = start;
        for (const FontCurve& curve : contour.curves) {
            if (curve.points.empty())
                continue;
            if (curve.type == FontCurveType::Line) {
                for (const FontPoint& p : curve.points)
                    path.AddLineTo(ToMovie(p));
            } else {
                // Between two control points lies an implied on-curve point at their midpoint;
                // the last point is on the curve.
                CDoublePoint previous = ToMovie(curve.points[0]);
                const size_t n = curve.points.size();
                for (size_t i = 1; i < n; ++i) {
                    const CDoublePoint p = ToMovie(curve.points[i]);
                    const CDoublePoint anchor = i + 1 == n ? p : (previous + p) * 0.5;
                    path.AddCurveTo2(previous, anchor);
                    previous = p;
                }
                // A one-point spline has no on-curve end of its own: treat it as a line.
                if (n == 1)
                    path.AddLineTo(previous);
            }
            current = ToMovie(curve.points.back());
        }
        if (!SamePoint(current, start))
            path.AddLineTo(start);
    }
}

void CSwfFont::ReadOutline(const FontRequest& font, CSwfGlyph& glyph, CPath& path) {
    const std::optional<GlyphOutline> outline = service_.GetGlyphOutline(font, glyph.code);
    if (!outline) {
        glyph.metrics = GlyphMetrics{};
        return;
    }
    glyph.metrics = outline->metrics;
    OutlineToPath(*outline, path);
}

void CSwfFont::WriteFont(CSwfWriter& writer, Form form) {
    if (form == Form::Font)
        WriteFontForm(writer);
    else
        WriteLetterForm(writer);
}

void CSwfFont::WriteFontForm(CSwfWriter& writer) {
    if (fontId_ >= 0)
        return;
    std::vector<CPath> paths(glyphs_.size());
    std::vector<const CPath*> pointers;
    std::vector<uint8_t> codes;
    pointers.reserve(glyphs_.size());
    codes.reserve(glyphs_.size());
    for (size_t i = 0; i < glyphs_.size(); ++i) {
        CSwfGlyph& glyph = *glyphs_[i];
        ReadOutline(emFont_, glyph, paths[i]);
        glyph.glyphIndex = static_cast<int32_t>(i);
        glyph.centreX = 0;
        glyph.centreY = 0;
        pointers.push_back(&paths[i]);
        codes.push_back(glyph.code);
    }
    fontId_ = WriteDefineFont(writer, pointers);
    WriteDefineFontInfo(writer, static_cast<uint16_t>(fontId_), face_, codes);
}

void CSwfFont::WriteLetterForm(CSwfWriter& writer) {
    const CFillStyleColor fill(CColor(color_.red, color_.green, color_.blue));
    for (const std::unique_ptr<CSwfGlyph>& owned : glyphs_) {
        CSwfGlyph& glyph = *owned;
        if (glyph.written)
            continue;
        CPath path;
        ReadOutline(sizeFont_, glyph, path);
        // A glyph without ink (a space) is settled too: it simply has no shape.
        glyph.written = true;
        if (path.IsEmpty()) {
            glyph.shapeId = -1;
            glyph.centreX = glyph.centreY = 0;
            glyph.bounds = CDoubleRect();
            continue;
        }
        const GlyphMetrics& m = glyph.metrics;
        const int64_t left = m.originX;
        const int64_t top = -int64_t{m.originY};
        const int64_t right = left + m.blackBoxX;
        const int64_t bottom = top + m.blackBoxY;
        // Integer halves, truncated toward zero.
        glyph.centreX = static_cast<int32_t>((left + right) / 2);
        glyph.centreY = static_cast<int32_t>((top + bottom) / 2);
        const IntRect box{static_cast<int32_t>(left - glyph.centreX),
                          static_cast<int32_t>(top - glyph.centreY),
                          static_cast<int32_t>(right - glyph.centreX),
                          static_cast<int32_t>(bottom - glyph.centreY)};
        path.Offset(-glyph.centreX, -glyph.centreY);
        const uint16_t id = writer.NextCharacterId();
        glyph.shapeId = id;
        WriteDefineShape(writer, id, box, path, &fill, nullptr);
        glyph.bounds = CDoubleRect(box.x0, box.y0, box.x1, box.y1);
    }
}

} // namespace tavro
