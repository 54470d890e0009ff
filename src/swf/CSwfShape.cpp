#include "swf/CSwfShape.h"

#include "swf/CSwfWriter.h"
#include "swf/SwfRecords.h"

namespace tavro {

CSwfShape::CSwfShape(const CSwfShape& other)
    : path(other.path), fill(other.fill ? std::make_unique<CFillStyleColor>(*other.fill) : nullptr),
      line(other.line ? other.line->Clone() : nullptr), id(other.id) {}

CSwfShape& CSwfShape::operator=(const CSwfShape& other) {
    if (this != &other) {
        CSwfShape copy(other);
        *this = std::move(copy);
    }
    return *this;
}

CSwfShape::~CSwfShape() = default;

CSwfShape CSwfShape::FilledRectangle(const CDoubleRect& rect, const CColor& color) {
    CSwfShape shape;
    shape.fill = std::make_unique<CFillStyleColor>(color);
    shape.path.AddMoveTo(rect.x0, rect.y0, 1, -1);
    shape.path.AddLineTo(rect.x1, rect.y0);
    shape.path.AddLineTo(rect.x1, rect.y1);
    shape.path.AddLineTo(rect.x0, rect.y1);
    shape.path.AddLineTo(rect.x0, rect.y0);
    return shape;
}

void CSwfShape::Write(CSwfWriter& writer, uint16_t newId) {
    const IntRect bounds = path.IsEmpty() ? IntRect{} : path.GetBounds().Round();
    WriteDefineShape(writer, newId, bounds, path, fill.get(), line.get());
    id = newId;
}

uint16_t CSwfShape::Define(CSwfWriter& writer) {
    const uint16_t newId = writer.NextCharacterId();
    Write(writer, newId);
    return newId;
}

CSwfShape MakeStageRectangle(double widthPixels, double heightPixels) {
    return CSwfShape::FilledRectangle(
        CDoubleRect(0.0, 0.0, widthPixels * 20.0, heightPixels * 20.0), CColor(255, 255, 255));
}

} // namespace tavro
