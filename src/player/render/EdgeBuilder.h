// Turns outline segments into scan-converter edges: maps object-space points through the device
// matrix, then cuts every segment into monotone pieces that fit the edge store:
// - a quadratic whose control point lies outside its end points' y range by less than 3 units
//   has the control point moved onto the range; by more, it is split at its y extremum;
// - a curve whose ends are more than 256 units apart in y is halved (lines are exact at any
//   height);
// - coordinates must stay within +-32000: pieces entirely above y = -16000 or below
//   y = 16000 are dropped, pieces beyond +-32000 lying wholly left of x = -16000 (right of
//   16000) become vertical lines at x = -32000 (32000), any other piece beyond +-32000 is
//   halved. Splitting stops at depth 16; deeper pieces are dropped.
// Every segment is put into one canonical direction before it is cut, so that two outlines
// sharing a segment (in either direction) get identical pieces.
#pragma once

#include "player/Matrix16.h"

#include <cstdint>
#include <vector>

namespace tavro::player::render {

class ScanConverter;
struct ColorRecord;

struct DevicePoint {
    int64_t x = 0;
    int64_t y = 0;
};

class EdgeBuilder {
public:
    explicit EdgeBuilder(ScanConverter& target) : target_(target) {}

    void SetMatrix(const Matrix16& toDevice) { matrix_ = toDevice; }
    const Matrix16& Matrix() const { return matrix_; }
    void SetFills(ColorRecord* fill0, ColorRecord* fill1) {
        fill0_ = fill0;
        fill1_ = fill1;
    }

    // Object-space segments (mapped through the matrix).
    void Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
    void Curve(int32_t x0, int32_t y0, int32_t cx, int32_t cy, int32_t x1, int32_t y1);

    // Device-space segments.
    void DeviceLine(DevicePoint p0, DevicePoint p1);
    void DeviceCurve(DevicePoint p0, DevicePoint c, DevicePoint p1);

    DevicePoint Map(int32_t x, int32_t y) const;

    // Number of edges dropped because the edge store was full.
    int Dropped() const { return dropped_; }

    // Every edge emitted also goes to `sink` (with its record pointers) while it is set, before
    // the scan converter's clip rows drop any.
    struct Emitted {
        int32_t x0, y0, cx, cy, x1, y1;
        bool isLine;
        ColorRecord* fill0;
        ColorRecord* fill1;
    };
    void SetCapture(std::vector<Emitted>* sink) { capture_ = sink; }

private:
    void Piece(DevicePoint p0, DevicePoint c, DevicePoint p1, bool line, bool reversed, int depth);
    void Emit(DevicePoint p0, DevicePoint c, DevicePoint p1, bool reversed);

    ScanConverter& target_;
    Matrix16 matrix_;
    ColorRecord* fill0_ = nullptr;
    ColorRecord* fill1_ = nullptr;
    int dropped_ = 0;
    std::vector<Emitted>* capture_ = nullptr;
};

} // namespace tavro::player::render
