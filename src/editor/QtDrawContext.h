// The model's drawing interface on a QPainter: document objects draw themselves on the stage
// through it. Colours are opaque, lines and text are not anti-aliased (so the inverting selection
// marks restore the picture exactly), and document text (Windows-1252) is converted to Unicode
// here. Masks are white 8-bit images in which every drawing is black ink.
#pragma once

#include "model/DrawContext.h"

#include <QPen>

class QPainter;

namespace tavro::editor {

class QtDrawContext : public DrawContext {
public:
    // The painter must outlive the context. With `inkOnly` every colour becomes black (masks).
    explicit QtDrawContext(QPainter& painter, bool inkOnly = false);

    void SetPen(const CColor& color, int width) override;
    void DrawRect(const IntRect& rect, const CColor& color) override;
    void FillRect(const IntRect& rect, const CColor& color) override;
    void DrawText(const IntRect& box, std::string_view text, const DrawFont& font,
                  DrawTextAlign align) override;
    void InvertRectOutline(const IntRect& rect) override;
    void InvertLine(IntPoint from, IntPoint to) override;
    // Sides are held to 0..8192.
    std::unique_ptr<DrawMask> CreateMask(int width, int height) override;

protected:
    void DoMoveTo(IntPoint p) override;
    void DoLineTo(IntPoint from, IntPoint to) override;
    void DoBezierTo(IntPoint from, IntPoint control1, IntPoint control2, IntPoint end) override;
    void DoCloseFigure(IntPoint from, IntPoint start) override;

private:
    QColor Ink(const CColor& color) const;

    QPainter& painter_;
    bool inkOnly_;
    QPen pen_;
};

} // namespace tavro::editor
