// The paths that write the shape records of the shared record table.
#pragma once

#include "model/CPath.h"
#include "swfformat/RecordVectors.h"

#include <vector>

namespace tavro::test::vectors {

// A path whose nodes write `records`: absolute points from the relative edges.
inline CPath ToPath(const std::vector<ShapeRecordValue>& records) {
    CPath path;
    double x = 0, y = 0;
    for (const ShapeRecordValue& r : records) {
        switch (r.kind) {
        case ShapeRecordValue::Move:
            path.AddMoveTo(r.x, r.y, r.fill1, r.line);
            x = r.x, y = r.y;
            break;
        case ShapeRecordValue::Line:
            x += r.x, y += r.y;
            path.AddLineTo(x, y);
            break;
        case ShapeRecordValue::Curve: {
            const CDoublePoint control(x + r.cx, y + r.cy);
            x = control.x + r.x, y = control.y + r.y;
            path.AddCurveTo2(control, CDoublePoint(x, y));
            break;
        }
        }
    }
    return path;
}

} // namespace tavro::test::vectors
