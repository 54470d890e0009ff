// A DrawContext for tests and headless use: every call becomes one line of text in Calls(), in
// order. Its masks are in-memory bitmaps that rasterise lines, curves (flattened) and
// rectangles one pixel wide; text marks its whole box as ink, since no font is rasterised here.
// A mask side is at most 8192 pixels (larger requests are cut to that).
//
// Line formats (colours as #RRGGBB):
//   MoveTo x y | LineTo x y | BezierTo x1 y1 x2 y2 x y | CloseFigure | Pen #RRGGBB w
//   Rect x0 y0 x1 y1 #RRGGBB | FillRect x0 y0 x1 y1 #RRGGBB
//   Text x0 y0 x1 y1 left|center|right "face" size [bold] [italic] #RRGGBB "text"
//   InvertRect x0 y0 x1 y1 | InvertLine x0 y0 x1 y1 | CreateMask w h
#pragma once

#include "model/DrawContext.h"

#include <string>
#include <vector>

namespace tavro {

class RecordingDrawContext : public DrawContext {
public:
    const std::vector<std::string>& Calls() const { return calls_; }
    void Clear() { calls_.clear(); }

    void SetPen(const CColor& color, int width) override;
    void DrawRect(const IntRect& rect, const CColor& color) override;
    void FillRect(const IntRect& rect, const CColor& color) override;
    void DrawText(const IntRect& box, std::string_view text, const DrawFont& font,
                  DrawTextAlign align) override;
    void InvertRectOutline(const IntRect& rect) override;
    void InvertLine(IntPoint from, IntPoint to) override;
    // Sizes below 0 count as 0.
    std::unique_ptr<DrawMask> CreateMask(int width, int height) override;

protected:
    void DoMoveTo(IntPoint p) override;
    void DoLineTo(IntPoint from, IntPoint to) override;
    void DoBezierTo(IntPoint from, IntPoint control1, IntPoint control2, IntPoint end) override;
    void DoCloseFigure(IntPoint from, IntPoint start) override;

private:
    void Record(std::string line) { calls_.push_back(std::move(line)); }
    std::vector<std::string> calls_;
};

} // namespace tavro
