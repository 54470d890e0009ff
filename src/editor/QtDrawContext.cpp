#include "editor/QtDrawContext.h"

#include "base/Cp1252.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tavro::editor {
namespace {

constexpr int kMaxMaskSide = 8192;

// Qt's coordinates are int; the model's may lie anywhere in int32. Far-off values are pulled in
// to a range the raster engine handles without overflow.
int Coord(int32_t v) {
    return std::clamp<int32_t>(v, -(1 << 24), 1 << 24);
}

QRect ToQRect(const IntRect& r) {
    int x0 = Coord(r.x0), y0 = Coord(r.y0), x1 = Coord(r.x1), y1 = Coord(r.y1);
    return QRect(x0, y0, std::max(x1 - x0, 0), std::max(y1 - y0, 0));
}

QPoint ToQPoint(IntPoint p) {
    return QPoint(Coord(p.x), Coord(p.y));
}

// The lines of `text`, broken at CR, LF and CR LF.
std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    lines.push_back(text.substr(start));
    return lines;
}

class QtDrawMask final : public DrawMask {
public:
    QtDrawMask(int width, int height)
        : image_(std::clamp(width, 0, kMaxMaskSide), std::clamp(height, 0, kMaxMaskSide),
                 QImage::Format_Grayscale8) {
        image_.fill(Qt::white);
        if (!image_.isNull()) {
            painter_.begin(&image_);
            context_ = std::make_unique<QtDrawContext>(painter_, true);
        }
    }
    ~QtDrawMask() override {
        context_.reset();
        if (painter_.isActive())
            painter_.end();
    }

    DrawContext& Context() override {
        if (!context_) {
            // An empty mask still offers a context; it draws nowhere.
            static QImage nothing(1, 1, QImage::Format_Grayscale8);
            if (!painter_.isActive())
                painter_.begin(&nothing);
            context_ = std::make_unique<QtDrawContext>(painter_, true);
        }
        return *context_;
    }
    bool Test(int x, int y) const override {
        if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height())
            return false;
        // Pending drawing has to reach the image before it is read.
        if (painter_.isActive())
            painter_.end();
        return image_.constScanLine(y)[x] < 128;
    }
    int Width() const override { return image_.width(); }
    int Height() const override { return image_.height(); }

private:
    QImage image_;
    mutable QPainter painter_;
    std::unique_ptr<QtDrawContext> context_;
};

} // namespace

QtDrawContext::QtDrawContext(QPainter& painter, bool inkOnly)
    : painter_(painter), inkOnly_(inkOnly), pen_(Qt::black, 0) {
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, !inkOnly_);
}

QColor QtDrawContext::Ink(const CColor& color) const {
    if (inkOnly_)
        return Qt::black;
    return QColor(color.red & 0xFF, color.green & 0xFF, color.blue & 0xFF);
}

void QtDrawContext::SetPen(const CColor& color, int width) {
    pen_ = QPen(Ink(color), std::max(width, 0));
}

void QtDrawContext::DrawRect(const IntRect& rect, const CColor& color) {
    QRect r = ToQRect(rect);
    if (r.isEmpty())
        return;
    painter_.setPen(QPen(Ink(color), 0));
    painter_.setBrush(Qt::NoBrush);
    // A one-pixel outline covering exactly x0 <= x < x1, y0 <= y < y1.
    painter_.drawRect(r.adjusted(0, 0, -1, -1));
}

void QtDrawContext::FillRect(const IntRect& rect, const CColor& color) {
    QRect r = ToQRect(rect);
    if (!r.isEmpty())
        painter_.fillRect(r, Ink(color));
}

void QtDrawContext::DrawText(const IntRect& box, std::string_view text, const DrawFont& font,
                             DrawTextAlign align) {
    if (text.empty())
        return;
    QFont f(QString::fromStdString(font.face));
    f.setPixelSize(std::clamp(font.size, 1, 4096));
    f.setBold(font.bold);
    f.setItalic(font.italic);
    if (inkOnly_)
        f.setStyleStrategy(QFont::NoAntialias);
    painter_.setFont(f);
    painter_.setPen(Ink(font.color));
    const QFontMetrics metrics(f);
    const int step = std::max(metrics.lineSpacing(), 1);
    const QRect r = ToQRect(box);
    int flags = Qt::AlignTop | Qt::TextDontClip | Qt::TextSingleLine;
    flags |= align == DrawTextAlign::Center  ? Qt::AlignHCenter
             : align == DrawTextAlign::Right ? Qt::AlignRight
                                             : Qt::AlignLeft;
    int top = r.top();
    for (std::string_view line : SplitLines(text)) {
        painter_.drawText(QRect(r.left(), top, r.width(), step), flags,
                          QString::fromStdString(Cp1252ToUtf8(line)));
        top += step;
    }
}

void QtDrawContext::InvertRectOutline(const IntRect& rect) {
    QRect r = ToQRect(rect);
    if (r.isEmpty())
        return;
    const QPainter::CompositionMode mode = painter_.compositionMode();
    painter_.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    const QColor white(Qt::white);
    // Four edges, each pixel once, so that inverting twice restores the picture.
    painter_.fillRect(QRect(r.left(), r.top(), r.width(), 1), white);
    if (r.height() > 1)
        painter_.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), white);
    if (r.height() > 2) {
        painter_.fillRect(QRect(r.left(), r.top() + 1, 1, r.height() - 2), white);
        if (r.width() > 1)
            painter_.fillRect(QRect(r.right(), r.top() + 1, 1, r.height() - 2), white);
    }
    painter_.setCompositionMode(mode);
}

void QtDrawContext::InvertLine(IntPoint from, IntPoint to) {
    const QPainter::CompositionMode mode = painter_.compositionMode();
    painter_.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter_.setPen(QPen(Qt::white, 0));
    painter_.drawLine(ToQPoint(from), ToQPoint(to));
    painter_.setCompositionMode(mode);
}

std::unique_ptr<DrawMask> QtDrawContext::CreateMask(int width, int height) {
    return std::make_unique<QtDrawMask>(width, height);
}

void QtDrawContext::DoMoveTo(IntPoint) {}

void QtDrawContext::DoLineTo(IntPoint from, IntPoint to) {
    painter_.setPen(pen_);
    painter_.drawLine(ToQPoint(from), ToQPoint(to));
}

void QtDrawContext::DoBezierTo(IntPoint from, IntPoint control1, IntPoint control2, IntPoint end) {
    QPainterPath path(ToQPoint(from));
    path.cubicTo(ToQPoint(control1), ToQPoint(control2), ToQPoint(end));
    painter_.setPen(pen_);
    painter_.setBrush(Qt::NoBrush);
    painter_.drawPath(path);
}

void QtDrawContext::DoCloseFigure(IntPoint from, IntPoint start) {
    DoLineTo(from, start);
}

} // namespace tavro::editor
