// The drawing interface through which document objects draw themselves in the editor: figure
// outlines, rectangles, text, inverted selection marks, and off-screen monochrome masks for pixel
// hit tests. Coordinates are integer pixels, y down. The editor implements it with its GUI
// toolkit; RecordingDrawContext implements it for tests and headless use.
//
// Figures: MoveTo starts a figure, LineTo and BezierTo extend it from the current position,
// CloseFigure draws back to the figure's start. The context keeps the current position itself
// (GetCurrentPosition), so an implementation only has to draw.
#pragma once

#include "base/IntPoint.h"
#include "base/IntRect.h"
#include "model/CColor.h"

#include <memory>
#include <string>
#include <string_view>

namespace tavro {

class DrawMask;

// A font for text output: face name, height in pixels, style and ink colour.
struct DrawFont {
    std::string face = "Arial";
    int size = 12;
    bool bold = false;
    bool italic = false;
    CColor color;
};

enum class DrawTextAlign { Left, Center, Right };

class DrawContext {
public:
    DrawContext() = default;
    DrawContext(const DrawContext&) = delete;
    DrawContext& operator=(const DrawContext&) = delete;
    virtual ~DrawContext();

    void MoveTo(IntPoint p);
    void LineTo(IntPoint p);
    // A cubic Bézier curve from the current position.
    void BezierTo(IntPoint control1, IntPoint control2, IntPoint end);
    void CloseFigure();
    IntPoint GetCurrentPosition() const { return current_; }

    // Colour and width of the lines of figures.
    virtual void SetPen(const CColor& color, int width) = 0;
    // Rectangles cover x0 <= x < x1, y0 <= y < y1.
    virtual void DrawRect(const IntRect& rect, const CColor& color) = 0;
    virtual void FillRect(const IntRect& rect, const CColor& color) = 0;
    // Text inside `box` (its top-left corner is the text position), lines broken at CR / LF,
    // each line aligned within the box; no prefix processing, transparent background.
    virtual void DrawText(const IntRect& box, std::string_view text, const DrawFont& font,
                          DrawTextAlign align) = 0;
    // Inverting (XOR) marks: drawing the same mark twice restores the picture.
    virtual void InvertRectOutline(const IntRect& rect) = 0;
    virtual void InvertLine(IntPoint from, IntPoint to) = 0;
    // An off-screen monochrome surface of width x height pixels, all white (clear).
    virtual std::unique_ptr<DrawMask> CreateMask(int width, int height) = 0;

protected:
    virtual void DoMoveTo(IntPoint p) = 0;
    virtual void DoLineTo(IntPoint from, IntPoint to) = 0;
    virtual void DoBezierTo(IntPoint from, IntPoint control1, IntPoint control2, IntPoint end) = 0;
    virtual void DoCloseFigure(IntPoint from, IntPoint start) = 0;

private:
    IntPoint current_;
    IntPoint figureStart_;
};

// A monochrome mask: anything drawn into its context sets pixels to black (ink); Test answers
// whether a pixel is black. Pixels outside the surface are never black.
class DrawMask {
public:
    virtual ~DrawMask();
    virtual DrawContext& Context() = 0;
    virtual bool Test(int x, int y) const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
};

} // namespace tavro
