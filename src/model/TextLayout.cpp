#include "model/TextLayout.h"

#include <algorithm>

namespace tavro {

std::vector<TextLine> SplitTextLines(std::string_view text) {
    std::vector<TextLine> lines;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsLineBreak(static_cast<uint8_t>(text[i])))
            ++i;
        const size_t begin = i;
        while (i < text.size() && !IsLineBreak(static_cast<uint8_t>(text[i])))
            ++i;
        if (i > begin)
            lines.push_back({begin, i});
    }
    return lines;
}

TextBlockLayout LayOutTextBlock(std::string_view text, const TextMetrics& metrics, double scale,
                                int32_t alignment, const std::function<double(size_t)>& advance) {
    TextBlockLayout out;
    out.lines = SplitTextLines(text);
    out.pens.assign(text.size(), CDoublePoint());
    out.ascent = metrics.ascent * scale;
    out.lineHeight = metrics.height * scale;
    out.lineStep = (static_cast<double>(metrics.height) + metrics.externalLeading) * scale;
    if (out.lines.empty())
        return out;

    double widest = 0.0;
    out.lineWidths.reserve(out.lines.size());
    for (const TextLine& line : out.lines) {
        double width = 0.0;
        for (size_t i = line.begin; i < line.end; ++i)
            width += advance(i);
        out.lineWidths.push_back(width * scale);
        widest = std::max(widest, width * scale);
    }
    const double n = static_cast<double>(out.lines.size());
    const double height = (n * metrics.height + (n - 1.0) * metrics.externalLeading) * scale;
    out.rect = CDoubleRect(-widest / 2.0, -height / 2.0, widest / 2.0, height / 2.0);

    double y = out.rect.y0 + out.ascent;
    size_t next = 0; // first character not yet given a pen
    for (size_t k = 0; k < out.lines.size(); ++k) {
        const TextLine& line = out.lines[k];
        const double width = out.lineWidths[k];
        double x = -width / 2.0;
        if (alignment == kAlignLeft)
            x = out.rect.x0;
        else if (alignment == kAlignRight)
            x = out.rect.x1 - width;
        // Breaks before the first line stand where it starts.
        for (; next < line.begin; ++next)
            out.pens[next] = {x, y};
        for (size_t i = line.begin; i < line.end; ++i) {
            out.pens[i] = {x, y};
            x += advance(i) * scale;
        }
        // The breaks after a line stand where it ended.
        const size_t breaksEnd = k + 1 < out.lines.size() ? out.lines[k + 1].begin : text.size();
        for (next = line.end; next < breaksEnd; ++next)
            out.pens[next] = {x, y};
        y += out.lineStep;
    }
    return out;
}

} // namespace tavro
