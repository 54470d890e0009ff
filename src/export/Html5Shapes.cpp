#include "export/Html5Shapes.h"

#include "player/BitReader.h"
#include "player/render/ShapeRecordReader.h"

#include <algorithm>
#include <map>
#include <utility>

namespace tavro::html5 {

namespace {

using player::BitReader;
using player::render::ShapeRecord;
using player::render::ShapeRecordReader;

// Coordinates stay within what the player keeps (it clamps to 2^30 as well).
constexpr int64_t kCoordLimit = int64_t(1) << 30;

int64_t Clamp(int64_t v) {
    return std::clamp(v, -kCoordLimit, kCoordLimit);
}

// Writes numbers of path data: a separator only where the next number would otherwise run
// into the previous one.
class PathWriter {
public:
    void Command(char c) {
        out_.push_back(c);
        needSpace_ = false;
    }
    void Number(int64_t v) {
        if (needSpace_ && v >= 0)
            out_.push_back(' ');
        out_ += std::to_string(v);
        needSpace_ = true;
    }
    // The pen moves to (x, y): absolute for the first move, relative afterwards.
    void MoveTo(int64_t x, int64_t y) {
        if (!started_) {
            Command('M');
            Number(x);
            Number(y);
            started_ = true;
        } else {
            Command('m');
            Number(x - penX_);
            Number(y - penY_);
        }
        penX_ = startX_ = x;
        penY_ = startY_ = y;
    }
    void Edge(const PathEdge& e) {
        if (e.curve) {
            Command('q');
            Number(e.cx - penX_);
            Number(e.cy - penY_);
            Number(e.x1 - penX_);
            Number(e.y1 - penY_);
        } else if (e.y1 == penY_) {
            Command('h');
            Number(e.x1 - penX_);
        } else if (e.x1 == penX_) {
            Command('v');
            Number(e.y1 - penY_);
        } else {
            Command('l');
            Number(e.x1 - penX_);
            Number(e.y1 - penY_);
        }
        penX_ = e.x1;
        penY_ = e.y1;
    }
    // Closes the contour; the pen goes back to its start.
    void Close() {
        Command('z');
        penX_ = startX_;
        penY_ = startY_;
    }
    bool AtPen(int64_t x, int64_t y) const { return started_ && x == penX_ && y == penY_; }
    std::string Take() { return std::move(out_); }

private:
    std::string out_;
    bool needSpace_ = false;
    bool started_ = false;
    int64_t penX_ = 0, penY_ = 0, startX_ = 0, startY_ = 0;
};

bool IsPoint(const PathEdge& e) {
    return !e.curve && e.x0 == e.x1 && e.y0 == e.y1;
}

uint32_t ReadCount(BitReader& in, bool extended) {
    uint32_t n = in.U8();
    if (n == 255 && extended)
        n = in.U16();
    return n;
}

uint32_t ReadColour(BitReader& in, bool alpha) {
    const uint32_t r = in.U8(), g = in.U8(), b = in.U8();
    const uint32_t a = alpha ? in.U8() : 255;
    return (a << 24) | (r << 16) | (g << 8) | b;
}

struct Style {
    uint32_t argb = 0;
    uint32_t width = 0;
    std::vector<PathEdge> edges;
};

// Walks the shape records, handing each edge with the styles in force to `edge`.
template <typename EdgeFn, typename StylesFn>
bool WalkRecords(BitReader& in, ShapeRecordReader& records, EdgeFn edge, StylesFn newStyles,
                 std::string& error) {
    ShapeRecord rec;
    int64_t x = 0, y = 0;
    uint32_t fill0 = 0, fill1 = 0, line = 0;
    while (records.Next(rec)) {
        if (rec.type == ShapeRecord::StyleChange) {
            if (rec.newStyles) {
                if (!newStyles(in))
                    return false;
                const unsigned bits = in.U8();
                records.SetBits(bits >> 4, bits & 15);
                fill0 = fill1 = line = 0;
            }
            if (rec.hasMove) {
                x = rec.moveX;
                y = rec.moveY;
            }
            if (rec.hasFill0)
                fill0 = rec.fill0;
            if (rec.hasFill1)
                fill1 = rec.fill1;
            if (rec.hasLine)
                line = rec.line;
            continue;
        }
        PathEdge e;
        e.x0 = x;
        e.y0 = y;
        if (rec.type == ShapeRecord::Curve) {
            e.curve = true;
            e.cx = Clamp(x + rec.cdx);
            e.cy = Clamp(y + rec.cdy);
            e.x1 = Clamp(e.cx + rec.dx);
            e.y1 = Clamp(e.cy + rec.dy);
        } else {
            e.x1 = Clamp(x + rec.dx);
            e.y1 = Clamp(y + rec.dy);
        }
        x = e.x1;
        y = e.y1;
        if (!edge(e, fill0, fill1, line))
            return false;
    }
    if (!in.ok()) {
        error = "its shape records are cut short";
        return false;
    }
    return true;
}

// The edges with a style on one side, turned so that the style lies on their fill-1 side.
void AddFillEdge(std::vector<Style>& fills, size_t base, uint32_t fill0, uint32_t fill1,
                 const PathEdge& e) {
    if (fill0 == fill1)
        return;
    if (fill1 != 0)
        fills[base + fill1 - 1].edges.push_back(e);
    if (fill0 != 0)
        fills[base + fill0 - 1].edges.push_back(e.Reversed());
}

} // namespace

std::string ContourPathData(const std::vector<PathEdge>& edges) {
    PathWriter w;
    std::vector<bool> used(edges.size(), false);
    // Edges by start point, in their order, to find the one that continues a contour.
    std::map<std::pair<int64_t, int64_t>, std::vector<size_t>> starts;
    for (size_t i = 0; i < edges.size(); ++i)
        if (!IsPoint(edges[i]))
            starts[{edges[i].x0, edges[i].y0}].push_back(i);
    auto take = [&](int64_t x, int64_t y, size_t prefer) -> size_t {
        if (prefer < edges.size() && !used[prefer] && !IsPoint(edges[prefer]) &&
            edges[prefer].x0 == x && edges[prefer].y0 == y)
            return prefer;
        const auto it = starts.find({x, y});
        if (it == starts.end())
            return edges.size();
        for (size_t i : it->second)
            if (!used[i])
                return i;
        return edges.size();
    };
    for (size_t first = 0; first < edges.size(); ++first) {
        if (used[first] || IsPoint(edges[first]))
            continue;
        std::vector<size_t> contour;
        size_t i = first;
        while (i < edges.size()) {
            used[i] = true;
            contour.push_back(i);
            if (edges[i].x1 == edges[first].x0 && edges[i].y1 == edges[first].y0)
                break;
            i = take(edges[i].x1, edges[i].y1, i + 1);
        }
        const PathEdge& start = edges[contour.front()];
        const PathEdge& end = edges[contour.back()];
        const bool closed = end.x1 == start.x0 && end.y1 == start.y0;
        w.MoveTo(start.x0, start.y0);
        // A closed contour's last straight edge is the one the close draws.
        const size_t drawn =
            closed && !end.curve && contour.size() > 1 ? contour.size() - 1 : contour.size();
        for (size_t k = 0; k < drawn; ++k)
            w.Edge(edges[contour[k]]);
        if (closed)
            w.Close();
    }
    return w.Take();
}

std::string StrokePathData(const std::vector<PathEdge>& edges) {
    PathWriter w;
    for (const PathEdge& e : edges) {
        if (!w.AtPen(e.x0, e.y0))
            w.MoveTo(e.x0, e.y0);
        w.Edge(e);
    }
    return w.Take();
}

bool ReadShapeOutline(std::span<const uint8_t> data, int version, ShapeOutline& out,
                      std::string& error) {
    out = ShapeOutline();
    const bool alpha = version >= 3;
    std::vector<Style> fills, lines;
    size_t fillBase = 0, lineBase = 0;
    BitReader in(data.data(), data.size());

    auto readStyles = [&](BitReader& r) {
        fillBase = fills.size();
        const uint32_t fillCount = ReadCount(r, version >= 2);
        for (uint32_t i = 0; i < fillCount && r.ok(); ++i) {
            const uint8_t type = r.U8();
            if (type != 0) {
                error = type & 0x40 ? "it fills a shape with a bitmap, which the page cannot draw"
                                    : "it fills a shape with a gradient, which the page cannot "
                                      "draw";
                return false;
            }
            Style s;
            s.argb = ReadColour(r, alpha);
            fills.push_back(std::move(s));
        }
        lineBase = lines.size();
        const uint32_t lineCount = ReadCount(r, version >= 2);
        for (uint32_t i = 0; i < lineCount && r.ok(); ++i) {
            Style s;
            s.width = r.U16();
            s.argb = ReadColour(r, alpha);
            lines.push_back(std::move(s));
        }
        if (!r.ok()) {
            error = "its style arrays are cut short";
            return false;
        }
        return true;
    };
    if (!readStyles(in))
        return false;
    const unsigned bits = in.U8();
    if (!in.ok()) {
        error = "its style arrays are cut short";
        return false;
    }
    ShapeRecordReader records(in, bits >> 4, bits & 15);
    records.AllowNewStyles(version >= 2);
    auto edge = [&](const PathEdge& e, uint32_t fill0, uint32_t fill1, uint32_t line) {
        if (fill0 > fills.size() - fillBase || fill1 > fills.size() - fillBase ||
            line > lines.size() - lineBase) {
            error = "an edge names a style the shape does not have";
            return false;
        }
        AddFillEdge(fills, fillBase, fill0, fill1, e);
        if (line != 0)
            lines[lineBase + line - 1].edges.push_back(e);
        return true;
    };
    if (!WalkRecords(in, records, edge, readStyles, error))
        return false;

    for (const Style& s : fills) {
        std::string d = ContourPathData(s.edges);
        if (d.empty())
            continue;
        out.parts.push_back({uint32_t(out.colours.size()), false, 0, std::move(d)});
        out.colours.push_back(s.argb);
    }
    for (const Style& s : lines) {
        std::string d = StrokePathData(s.edges);
        if (d.empty())
            continue;
        out.parts.push_back({uint32_t(out.colours.size()), true, s.width, std::move(d)});
        out.colours.push_back(s.argb);
    }
    return true;
}

bool ReadGlyphPath(std::span<const uint8_t> data, std::string& d, std::string& error) {
    BitReader in(data.data(), data.size());
    const unsigned bits = in.U8();
    if (!in.ok()) {
        error = "a glyph is empty";
        return false;
    }
    ShapeRecordReader records(in, bits >> 4, bits & 15);
    records.AllowNewStyles(false);
    std::vector<PathEdge> edges;
    auto edge = [&](const PathEdge& e, uint32_t fill0, uint32_t fill1, uint32_t) {
        // Every fill of a glyph is the text's colour.
        const bool left = fill0 != 0, right = fill1 != 0;
        if (left != right)
            edges.push_back(right ? e : e.Reversed());
        return true;
    };
    auto noStyles = [](BitReader&) { return true; };
    if (!WalkRecords(in, records, edge, noStyles, error)) {
        error = "the shape records of a glyph are cut short";
        return false;
    }
    d = ContourPathData(edges);
    return true;
}

} // namespace tavro::html5
