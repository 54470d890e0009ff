// Outlines of shapes and glyphs as SVG path data, for the web page of a movie.
//
// A shape's edges carry the fill style on each of their two sides. The player counts, per fill
// style, the edges it crosses with their direction and fills wherever the count is not zero. The
// same picture comes from SVG's nonzero rule once every edge of a style is turned so that the
// style lies on the same side of it: edges with the style on their fill-1 side keep their
// direction, those with it on their fill-0 side are reversed, and edges with the style on both
// sides are left out (they add nothing to the count). The turned edges are then joined end to
// start into closed contours.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tavro::html5 {

// One straight or quadratic edge in twips (or glyph units).
struct PathEdge {
    int64_t x0 = 0, y0 = 0;
    int64_t cx = 0, cy = 0; // control point of a curve
    int64_t x1 = 0, y1 = 0;
    bool curve = false;

    PathEdge Reversed() const { return {x1, y1, cx, cy, x0, y0, curve}; }
};

// Path data of edges joined end to start into contours, each closed when it returns to its
// start. Coordinates are whole numbers; the commands after the first are relative.
std::string ContourPathData(const std::vector<PathEdge>& edges);
// Path data of edges in their order, with a move wherever an edge does not start where the
// previous one ended (for lines, which are not closed).
std::string StrokePathData(const std::vector<PathEdge>& edges);

// What a shape draws: its colours (the colour slots, 0xAARRGGBB) and, in drawing order, one
// path per fill or line style that has edges.
struct ShapeOutline {
    struct Part {
        uint32_t slot = 0;
        bool line = false;
        uint32_t width = 0; // lines: twips
        std::string d;
    };
    std::vector<uint32_t> colours;
    std::vector<Part> parts;
};

// Reads a DefineShape record after its bounds (`version` 1, 2 or 3 for DefineShape,
// DefineShape2, DefineShape3). False, with the reason, when the record is damaged or uses a
// fill the page cannot draw (gradients, bitmaps).
bool ReadShapeOutline(std::span<const uint8_t> data, int version, ShapeOutline& out,
                      std::string& error);

// Reads one glyph of a font (its bit counts, then shape records): every fill is the text's
// colour. False, with the reason, when the glyph is damaged.
bool ReadGlyphPath(std::span<const uint8_t> data, std::string& d, std::string& error);

} // namespace tavro::html5
