#include "model/DrawContext.h"

namespace tavro {

DrawContext::~DrawContext() = default;
DrawMask::~DrawMask() = default;

void DrawContext::MoveTo(IntPoint p) {
    DoMoveTo(p);
    current_ = p;
    figureStart_ = p;
}

void DrawContext::LineTo(IntPoint p) {
    DoLineTo(current_, p);
    current_ = p;
}

void DrawContext::BezierTo(IntPoint control1, IntPoint control2, IntPoint end) {
    DoBezierTo(current_, control1, control2, end);
    current_ = end;
}

void DrawContext::CloseFigure() {
    DoCloseFigure(current_, figureStart_);
    current_ = figureStart_;
}

} // namespace tavro
