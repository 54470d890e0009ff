// A shape that writes itself as one DefineShape: a path, an optional solid fill, an optional
// line, and its character id (-1 until written). Used for the stage rectangle and the hit-test
// rectangles of buttons.
#pragma once

#include "base/CDoubleRect.h"
#include "model/CColor.h"
#include "model/CFillStyleColor.h"
#include "model/CLineStyle.h"
#include "model/CPath.h"

#include <cstdint>
#include <memory>

namespace tavro {

class CSwfWriter;

class CSwfShape {
public:
    CPath path;
    std::unique_ptr<CFillStyleColor> fill;
    std::unique_ptr<CLineStyle> line;
    int32_t id = -1;

    CSwfShape() = default;
    CSwfShape(const CSwfShape& other);
    CSwfShape& operator=(const CSwfShape& other);
    CSwfShape(CSwfShape&&) noexcept = default;
    CSwfShape& operator=(CSwfShape&&) noexcept = default;
    ~CSwfShape();

    // A shape filled with `color`, no line: move-to (x0, y0) with fill index 1, then line-to
    // (x1, y0), (x1, y1), (x0, y1), (x0, y0). Coordinates in twips.
    static CSwfShape FilledRectangle(const CDoubleRect& rect, const CColor& color);

    // Writes the DefineShape with `newId` (just taken from the writer's NextCharacterId) and
    // keeps it as the shape's id. The bounds are the path's, rounded; an empty path has the
    // bounds (0, 0, 0, 0).
    void Write(CSwfWriter& writer, uint16_t newId);
    // Takes the next character id, writes, and returns the id.
    uint16_t Define(CSwfWriter& writer);
};

// The white rectangle covering the stage, of width x height pixels (the rectangle is in twips).
CSwfShape MakeStageRectangle(double widthPixels, double heightPixels);

} // namespace tavro
