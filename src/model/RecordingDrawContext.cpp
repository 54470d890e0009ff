#include "model/RecordingDrawContext.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace tavro {
namespace {

std::string Hex(const CColor& c) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%02X%02X%02X", c.red & 0xFF, c.green & 0xFF, c.blue & 0xFF);
    return buf;
}

std::string Coords(std::initializer_list<int32_t> values) {
    std::string s;
    for (int32_t v : values) {
        if (!s.empty())
            s += ' ';
        s += std::to_string(v);
    }
    return s;
}

std::string RectText(const IntRect& r) {
    return Coords({r.x0, r.y0, r.x1, r.y1});
}

constexpr int kMaxMaskSide = 8192;

// A one-bit surface. Every drawing operation marks ink (or, for the inverting ones, toggles it).
// Coordinates far outside the surface are clipped before any loop runs, so a huge rectangle or a
// long line costs no more than the surface itself.
class BitmapMask final : public DrawMask, private DrawContext {
public:
    BitmapMask(int width, int height)
        : width_(std::clamp(width, 0, kMaxMaskSide)), height_(std::clamp(height, 0, kMaxMaskSide)),
          bits_(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0) {}

    DrawContext& Context() override { return *this; }
    bool Test(int x, int y) const override {
        return x >= 0 && y >= 0 && x < width_ && y < height_ && bits_[Index(x, y)] != 0;
    }
    int Width() const override { return width_; }
    int Height() const override { return height_; }

private:
    size_t Index(int x, int y) const {
        return static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x);
    }
    void Plot(int64_t x, int64_t y, bool toggle) {
        if (x < 0 || y < 0 || x >= width_ || y >= height_)
            return;
        uint8_t& b = bits_[Index(static_cast<int>(x), static_cast<int>(y))];
        b = toggle ? static_cast<uint8_t>(b ^ 1) : 1;
    }
    void Span(int64_t x0, int64_t x1, int64_t y, bool toggle) {
        if (y < 0 || y >= height_)
            return;
        for (int64_t x = std::max<int64_t>(x0, 0); x <= std::min<int64_t>(x1, width_ - 1); ++x)
            Plot(x, y, toggle);
    }
    void Line(IntPoint a, IntPoint b, bool toggle) {
        // Clip to a box around the surface first, by the parametric form of the segment.
        const double margin = 2.0;
        double t0 = 0.0, t1 = 1.0;
        const double ax = a.x, ay = a.y, dx = double(b.x) - a.x, dy = double(b.y) - a.y;
        auto clip = [&](double p, double q) {
            if (p == 0.0)
                return q >= 0.0;
            const double r = q / p;
            if (p < 0.0)
                t0 = std::max(t0, r);
            else
                t1 = std::min(t1, r);
            return t0 <= t1;
        };
        if (!clip(-dx, ax + margin) || !clip(dx, width_ + margin - ax) || !clip(-dy, ay + margin) ||
            !clip(dy, height_ + margin - ay))
            return;
        int64_t x = std::llround(ax + t0 * dx), y = std::llround(ay + t0 * dy);
        const int64_t x1 = std::llround(ax + t1 * dx), y1 = std::llround(ay + t1 * dy);
        const int64_t sx = x < x1 ? 1 : -1, sy = y < y1 ? 1 : -1;
        const int64_t ex = std::llabs(x1 - x), ey = -std::llabs(y1 - y);
        int64_t err = ex + ey;
        for (;;) {
            Plot(x, y, toggle);
            if (x == x1 && y == y1)
                break;
            const int64_t e2 = 2 * err;
            if (e2 >= ey) {
                err += ey;
                x += sx;
            }
            if (e2 <= ex) {
                err += ex;
                y += sy;
            }
        }
    }
    void Outline(const IntRect& r, bool toggle) {
        if (r.x1 <= r.x0 || r.y1 <= r.y0)
            return;
        const int64_t right = int64_t{r.x1} - 1, bottom = int64_t{r.y1} - 1;
        Span(r.x0, right, r.y0, toggle);
        if (bottom != r.y0)
            Span(r.x0, right, bottom, toggle);
        for (int64_t y = std::max<int64_t>(int64_t{r.y0} + 1, 0);
             y <= std::min<int64_t>(bottom - 1, height_ - 1); ++y) {
            Plot(r.x0, y, toggle);
            if (right != r.x0)
                Plot(right, y, toggle);
        }
    }
    void Fill(const IntRect& r) {
        for (int64_t y = std::max<int64_t>(r.y0, 0); y < std::min<int64_t>(r.y1, height_); ++y)
            Span(r.x0, int64_t{r.x1} - 1, y, false);
    }

    void SetPen(const CColor&, int) override {}
    void DrawRect(const IntRect& rect, const CColor&) override { Outline(rect, false); }
    void FillRect(const IntRect& rect, const CColor&) override { Fill(rect); }
    void DrawText(const IntRect& box, std::string_view text, const DrawFont&,
                  DrawTextAlign) override {
        if (!text.empty())
            Fill(box);
    }
    void InvertRectOutline(const IntRect& rect) override { Outline(rect, true); }
    void InvertLine(IntPoint from, IntPoint to) override { Line(from, to, true); }
    std::unique_ptr<DrawMask> CreateMask(int width, int height) override {
        return std::make_unique<BitmapMask>(width, height);
    }
    void DoMoveTo(IntPoint) override {}
    void DoLineTo(IntPoint from, IntPoint to) override { Line(from, to, false); }
    void DoBezierTo(IntPoint from, IntPoint c1, IntPoint c2, IntPoint end) override {
        constexpr int kSteps = 16;
        IntPoint prev = from;
        for (int i = 1; i <= kSteps; ++i) {
            const double t = double(i) / kSteps, u = 1.0 - t;
            const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
            const IntPoint p{
                static_cast<int32_t>(std::lround(a * from.x + b * c1.x + c * c2.x + d * end.x)),
                static_cast<int32_t>(std::lround(a * from.y + b * c1.y + c * c2.y + d * end.y))};
            Line(prev, p, false);
            prev = p;
        }
    }
    void DoCloseFigure(IntPoint from, IntPoint start) override { Line(from, start, false); }

    int width_;
    int height_;
    std::vector<uint8_t> bits_;
};

} // namespace

void RecordingDrawContext::SetPen(const CColor& color, int width) {
    Record("Pen " + Hex(color) + " " + std::to_string(width));
}

void RecordingDrawContext::DrawRect(const IntRect& rect, const CColor& color) {
    Record("Rect " + RectText(rect) + " " + Hex(color));
}

void RecordingDrawContext::FillRect(const IntRect& rect, const CColor& color) {
    Record("FillRect " + RectText(rect) + " " + Hex(color));
}

void RecordingDrawContext::DrawText(const IntRect& box, std::string_view text, const DrawFont& font,
                                    DrawTextAlign align) {
    const char* alignText = align == DrawTextAlign::Left     ? "left"
                            : align == DrawTextAlign::Center ? "center"
                                                             : "right";
    std::string line = "Text " + RectText(box) + " " + alignText + " \"" + font.face + "\" " +
                       std::to_string(font.size);
    if (font.bold)
        line += " bold";
    if (font.italic)
        line += " italic";
    line += " " + Hex(font.color) + " \"" + std::string(text) + "\"";
    Record(std::move(line));
}

void RecordingDrawContext::InvertRectOutline(const IntRect& rect) {
    Record("InvertRect " + RectText(rect));
}

void RecordingDrawContext::InvertLine(IntPoint from, IntPoint to) {
    Record("InvertLine " + Coords({from.x, from.y, to.x, to.y}));
}

std::unique_ptr<DrawMask> RecordingDrawContext::CreateMask(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    Record("CreateMask " + Coords({width, height}));
    return std::make_unique<BitmapMask>(width, height);
}

void RecordingDrawContext::DoMoveTo(IntPoint p) {
    Record("MoveTo " + Coords({p.x, p.y}));
}

void RecordingDrawContext::DoLineTo(IntPoint, IntPoint to) {
    Record("LineTo " + Coords({to.x, to.y}));
}

void RecordingDrawContext::DoBezierTo(IntPoint, IntPoint c1, IntPoint c2, IntPoint end) {
    Record("BezierTo " + Coords({c1.x, c1.y, c2.x, c2.y, end.x, end.y}));
}

void RecordingDrawContext::DoCloseFigure(IntPoint, IntPoint) {
    Record("CloseFigure");
}

} // namespace tavro
