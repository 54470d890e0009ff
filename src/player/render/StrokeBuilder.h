// Turns the line style of an outline into filled outlines, in device units.
// - Widths of 1 to 3 units: every straight piece becomes an axis-aligned bar of that thickness
//   along the axis it is closer to, extended at both ends so that consecutive bars meet.
// - Wider: every line piece becomes the rectangle of its two offsets (w/2 on each side), every
//   curve the band between its two offset curves (a curve bent too sharply is halved first, up
//   to 5 times), and every vertex gets a round disc, which gives round joins and round caps.
// All pieces are closed, carry the line's record on their inner side and are oriented alike, so
// the scan converter's non-zero count unites overlapping pieces instead of cutting holes.
#pragma once

#include "player/render/EdgeBuilder.h"

#include <cstdint>

namespace tavro::player::render {

struct ColorRecord;

class StrokeBuilder {
public:
    explicit StrokeBuilder(EdgeBuilder& edges) : edges_(edges) {}

    // Starts a line of `width` device units drawn with `record`.
    void Begin(ColorRecord* record, int64_t width);
    void MoveTo(DevicePoint p);
    void LineTo(DevicePoint p);
    void CurveTo(DevicePoint c, DevicePoint p);

private:
    void Polygon(const DevicePoint* pts, int n);
    void Bar(DevicePoint a, DevicePoint b);
    void Disc(DevicePoint centre);
    void Band(DevicePoint p0, DevicePoint c, DevicePoint p1, int depth);
    void Segment(DevicePoint a, DevicePoint b);

    EdgeBuilder& edges_;
    ColorRecord* record_ = nullptr;
    int64_t width_ = 0;
    DevicePoint pen_;
    bool started_ = false;
};

} // namespace tavro::player::render
