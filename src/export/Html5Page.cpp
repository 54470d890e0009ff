#include "export/Html5Page.h"

#include "base/Rounding.h"
#include "export/Html5Movie.h"
#include "export/PublishPage.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace tavro {

using player::ColorXform;
using player::Matrix16;

namespace html5 {

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        // U+2028 and U+2029 (E2 80 A8 / E2 80 A9) end lines in older script parsers.
        if (c == 0xE2 && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x80 &&
            (static_cast<unsigned char>(text[i + 2]) == 0xA8 ||
             static_cast<unsigned char>(text[i + 2]) == 0xA9)) {
            out += static_cast<unsigned char>(text[i + 2]) == 0xA8 ? "\\u2028" : "\\u2029";
            i += 2;
            continue;
        }
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20 || c == '<' || c == '>' || c == '&') {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                out += buffer;
            } else {
                out.push_back(char(c));
            }
        }
    }
    out += '"';
    return out;
}

std::string Fixed16(int32_t value) {
    // Six decimals, rounded half away from zero, trailing zeros and a leading zero dropped.
    const int64_t v = value;
    const int64_t micro = (std::abs(v) * 1000000 + 32768) / 65536;
    std::string digits = std::to_string(micro % 1000000);
    digits.insert(0, 6 - digits.size(), '0');
    while (!digits.empty() && digits.back() == '0')
        digits.pop_back();
    const int64_t whole = micro / 1000000;
    std::string out = v < 0 && micro != 0 ? "-" : "";
    if (whole != 0 || digits.empty())
        out += std::to_string(whole);
    if (!digits.empty())
        out += "." + digits;
    return out;
}

} // namespace html5

namespace {

using namespace html5;

std::string Hex2(uint32_t v) {
    static const char digits[] = "0123456789abcdef";
    return {digits[(v >> 4) & 15], digits[v & 15]};
}

std::string CssColour(uint32_t argb) {
    std::string out = "#" + Hex2(argb >> 16) + Hex2(argb >> 8) + Hex2(argb);
    if ((argb >> 24) != 255)
        out += Hex2(argb >> 24);
    return out;
}

std::string MatrixText(const Matrix16& m) {
    if (m.a == Matrix16::kOne && m.d == Matrix16::kOne && m.b == 0 && m.c == 0)
        return "translate(" + std::to_string(m.tx) + " " + std::to_string(m.ty) + ")";
    return "matrix(" + Fixed16(m.a) + " " + Fixed16(m.b) + " " + Fixed16(m.c) + " " + Fixed16(m.d) +
           " " + std::to_string(m.tx) + " " + std::to_string(m.ty) + ")";
}

std::string TransformAttr(const Matrix16& m) {
    return m.IsIdentity() ? std::string() : " transform=\"" + MatrixText(m) + "\"";
}

// The colours of a shape or text under a colour transform, as the script paints them: custom
// properties --c0, --c1, ... and, when every colour ends with one alpha, that alpha as opacity.
std::string PaintStyle(const std::vector<uint32_t>& colours, const ColorXform& cx) {
    if (cx.IsIdentity() || colours.empty())
        return {};
    std::vector<std::array<uint32_t, 4>> out;
    bool plainAlpha = true;
    for (uint32_t c : colours) {
        out.push_back({ColorXform::ApplyChannel(int32_t(c >> 24), cx.aMul, cx.aAdd),
                       ColorXform::ApplyChannel(int32_t((c >> 16) & 255), cx.rMul, cx.rAdd),
                       ColorXform::ApplyChannel(int32_t((c >> 8) & 255), cx.gMul, cx.gAdd),
                       ColorXform::ApplyChannel(int32_t(c & 255), cx.bMul, cx.bAdd)});
        plainAlpha = plainAlpha && (c >> 24) == 255;
    }
    bool oneAlpha = true;
    for (const auto& c : out)
        oneAlpha = oneAlpha && c[0] == out[0][0];
    const bool tinted = cx.rMul != 256 || cx.gMul != 256 || cx.bMul != 256 || cx.rAdd != 0 ||
                        cx.gAdd != 0 || cx.bAdd != 0;
    std::string style;
    if (tinted || !oneAlpha || !plainAlpha) {
        for (size_t i = 0; i < out.size(); ++i)
            style += "--c" + std::to_string(i) + ":#" + Hex2(out[i][1]) + Hex2(out[i][2]) +
                     Hex2(out[i][3]) + (oneAlpha ? "" : Hex2(out[i][0])) + ";";
    }
    if (oneAlpha && out[0][0] != 255) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%.4f", out[0][0] / 255.0);
        std::string opacity = buffer;
        while (opacity.back() == '0')
            opacity.pop_back();
        if (opacity.back() == '.')
            opacity.pop_back();
        style += "opacity:" + opacity + ";";
    }
    return style.empty() ? std::string() : " style=\"" + style + "\"";
}

// ---- JSON of the timeline and the characters ----

// Differences in the order the script reads them, trailing zeros left out; "0" for none.
std::string DeltaList(const std::vector<int64_t>& values) {
    size_t n = values.size();
    while (n > 0 && values[n - 1] == 0)
        --n;
    if (n == 0)
        return "0";
    std::string out = "[";
    for (size_t i = 0; i < n; ++i) {
        if (i)
            out += ',';
        out += std::to_string(values[i]);
    }
    return out + "]";
}

std::string MatrixDelta(const Matrix16& to, const Matrix16& from = Matrix16()) {
    return DeltaList({int64_t(to.tx) - from.tx, int64_t(to.ty) - from.ty, int64_t(to.a) - from.a,
                      int64_t(to.d) - from.d, int64_t(to.b) - from.b, int64_t(to.c) - from.c});
}

std::string CxDelta(const ColorXform& to, const ColorXform& from = ColorXform()) {
    return DeltaList({int64_t(to.aMul) - from.aMul, int64_t(to.rMul) - from.rMul,
                      int64_t(to.gMul) - from.gMul, int64_t(to.bMul) - from.bMul,
                      int64_t(to.aAdd) - from.aAdd, int64_t(to.rAdd) - from.rAdd,
                      int64_t(to.gAdd) - from.gAdd, int64_t(to.bAdd) - from.bAdd});
}

// A list of fields whose trailing "0"s are left out.
std::string Fields(std::vector<std::string> fields, size_t keep) {
    while (fields.size() > keep && fields.back() == "0")
        fields.pop_back();
    std::string out = "[";
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i)
            out += ',';
        out += fields[i];
    }
    return out + "]";
}

std::string OpJson(const FrameOp& op) {
    const std::string depth = std::to_string(op.depth);
    switch (op.kind) {
    case FrameOp::Remove:
        return "[" + depth + "]";
    case FrameOp::Move:
        return Fields(
            {depth, "0", MatrixDelta(op.matrix, op.fromMatrix), CxDelta(op.cxform, op.fromCxform)},
            3);
    case FrameOp::Place:
        break;
    }
    return Fields({depth, std::to_string(op.id), MatrixDelta(op.matrix), CxDelta(op.cxform)}, 2);
}

std::string OpsJson(const std::vector<FrameOp>& ops) {
    std::string out = "[";
    for (size_t i = 0; i < ops.size(); ++i) {
        if (i)
            out += ',';
        out += OpJson(ops[i]);
    }
    return out + "]";
}

std::string ActionJson(const PageAction& a) {
    const std::string op = std::string("\"") + char(a.op) + "\"";
    switch (a.op) {
    case PageAction::GotoFrame:
    case PageAction::Skip:
        return "[" + op + "," + std::to_string(a.number) + "]";
    case PageAction::GotoLabel:
    case PageAction::SetTarget:
        return "[" + op + "," + JsonString(a.text) + "]";
    case PageAction::GetUrl:
        return "[" + op + "," + JsonString(a.text) + "," + JsonString(a.target) + "]";
    default:
        return "[" + op + "]";
    }
}

std::string ListJson(const ActionList& list) {
    std::string out = "[";
    for (size_t i = 0; i < list.size(); ++i) {
        if (i)
            out += ',';
        out += ActionJson(list[i]);
    }
    return out + "]";
}

std::string ListsJson(const std::vector<ActionList>& lists) {
    std::string out = "[";
    for (size_t i = 0; i < lists.size(); ++i) {
        if (i)
            out += ',';
        out += ListJson(lists[i]);
    }
    return out + "]";
}

std::string ColoursJson(const std::vector<uint32_t>& colours) {
    std::string out = "[";
    for (size_t i = 0; i < colours.size(); ++i) {
        if (i)
            out += ',';
        out += std::to_string(colours[i]);
    }
    return out + "]";
}

// A button that only opens a URL when it is released over: the page shows it as a link.
const PageAction* LinkOf(const CharacterDef& def) {
    if (def.actions.size() != 1 || def.actions[0].first != (1u << 3) ||
        def.actions[0].second.size() != 1)
        return nullptr;
    const PageAction& a = def.actions[0].second[0];
    if (a.op != PageAction::GetUrl || a.text.empty())
        return nullptr;
    const std::string lower = [&] {
        std::string s = a.text.substr(0, 10);
        for (char& c : s)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        return s;
    }();
    std::string target = a.target;
    for (char& c : target)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    if (lower == "fscommand:" || target.rfind("_level", 0) == 0 || target.rfind("_flash", 0) == 0)
        return nullptr;
    return &a;
}

std::string CharacterJson(const CharacterDef& def) {
    switch (def.kind) {
    case CharacterDef::Shape:
        return "{\"k\":\"s\",\"c\":" + ColoursJson(def.outline.colours) + "}";
    case CharacterDef::Text:
        return "{\"k\":\"t\",\"c\":" + ColoursJson(def.colours) + ",\"b\":[" +
               std::to_string(def.bounds.xmin) + "," + std::to_string(def.bounds.ymin) + "," +
               std::to_string(def.bounds.xmax) + "," + std::to_string(def.bounds.ymax) + "]}";
    case CharacterDef::Button: {
        std::string out = "{\"k\":\"b\",\"r\":[";
        for (size_t i = 0; i < def.records.size(); ++i) {
            const ButtonRecord& r = def.records[i];
            if (i)
                out += ',';
            out += Fields({std::to_string(r.states), std::to_string(r.id), std::to_string(r.depth),
                           MatrixDelta(r.matrix), CxDelta(r.cxform)},
                          3);
        }
        out += "],\"a\":[";
        for (size_t i = 0; i < def.actions.size(); ++i) {
            if (i)
                out += ',';
            out += "[" + std::to_string(def.actions[i].first) + "," +
                   ListJson(def.actions[i].second) + "]";
        }
        out += "]";
        if (def.menu)
            out += ",\"menu\":1";
        if (const PageAction* link = LinkOf(def))
            out += ",\"u\":[" + JsonString(link->text) + "," + JsonString(link->target) + "]";
        return out + "}";
    }
    case CharacterDef::Sprite: {
        std::string out = "{\"k\":\"p\",\"r\":[";
        for (size_t i = 0; i < def.children.size(); ++i) {
            const Placement& p = def.children[i];
            if (i)
                out += ',';
            out += Fields({std::to_string(p.depth), std::to_string(p.id), MatrixDelta(p.matrix),
                           CxDelta(p.cxform)},
                          2);
        }
        return out + "]}";
    }
    }
    return "{}";
}

std::string MovieJson(const Movie& movie) {
    std::string out = "{\"frameMs\":" + std::to_string(movie.frameMs) + ",\n\"frames\":[";
    for (size_t f = 0; f < movie.frameOps.size(); ++f) {
        if (f)
            out += ",\n";
        out += OpsJson(movie.frameOps[f]);
    }
    out += "],\n\"actions\":{";
    bool first = true;
    for (size_t f = 0; f < movie.frameActions.size(); ++f) {
        if (movie.frameActions[f].empty())
            continue;
        if (!first)
            out += ',';
        first = false;
        out += "\"" + std::to_string(f) + "\":" + ListsJson(movie.frameActions[f]);
    }
    out += "},\n";
    if (!movie.tailOps.empty())
        out += "\"tail\":" + OpsJson(movie.tailOps) + ",\n";
    if (!movie.tailActions.empty())
        out += "\"tailActions\":" + ListsJson(movie.tailActions) + ",\n";
    out += "\"labels\":{";
    first = true;
    for (const auto& [label, frame] : movie.labels) {
        if (!first)
            out += ',';
        first = false;
        out += JsonString(label) + ":" + std::to_string(frame);
    }
    out += "},\n\"chars\":{";
    first = true;
    for (const auto& [id, def] : movie.characters) {
        if (!first)
            out += ",\n";
        first = false;
        out += "\"" + std::to_string(id) + "\":" + CharacterJson(def);
    }
    return out + "}}";
}

// ---- SVG ----

std::string FillStyle(uint32_t slot, uint32_t argb) {
    return "fill:var(--c" + std::to_string(slot) + "," + CssColour(argb) + ")";
}

std::string ShapeDefs(uint16_t id, const ShapeOutline& outline) {
    const std::string name = "c" + std::to_string(id);
    auto part = [&](const ShapeOutline::Part& p, bool named) {
        const std::string colour = CssColour(outline.colours[p.slot]);
        std::string out = "<path";
        if (named)
            out += " id=\"" + name + "\"";
        if (p.line)
            out += " class=\"tavro-line\" style=\"stroke:var(--c" + std::to_string(p.slot) + "," +
                   colour + ");stroke-width:" + std::to_string(std::max<uint32_t>(p.width, 20)) +
                   "\"";
        else
            out += " style=\"" + FillStyle(p.slot, outline.colours[p.slot]) + "\"";
        return out + " d=\"" + p.d + "\"/>";
    };
    if (outline.parts.size() == 1)
        return part(outline.parts[0], true) + "\n";
    std::string out = "<g id=\"" + name + "\">";
    for (const auto& p : outline.parts)
        out += part(p, false);
    return out + "</g>\n";
}

std::string TextDefs(uint16_t id, const CharacterDef& def, const Movie& movie) {
    std::string out = "<g id=\"c" + std::to_string(id) + "\"" + TransformAttr(def.textMatrix) + ">";
    bool open = false;
    uint32_t slot = 0;
    for (const GlyphUse& g : def.glyphs) {
        const auto font = movie.glyphs.find(g.font);
        if (font == movie.glyphs.end() || font->second.at(g.glyph).empty())
            continue;
        if (!open || g.slot != slot) {
            if (open)
                out += "</g>";
            out += "<g style=\"" + FillStyle(g.slot, def.colours[g.slot]) + "\">";
            open = true;
            slot = g.slot;
        }
        const int32_t scale = int32_t(g.height) * 64; // height / 1024 in 1/65536
        Matrix16 m = Matrix16::Scale(scale, scale);
        m.tx = int32_t(g.x);
        m.ty = int32_t(g.y);
        out += "<use href=\"#f" + std::to_string(g.font) + "g" + std::to_string(g.glyph) + "\"" +
               TransformAttr(m) + "/>";
    }
    if (open)
        out += "</g>";
    return out + "</g>\n";
}

// The still picture of one object, as the script builds it (buttons in their up state).
void StaticObject(std::string& out, const Movie& movie, uint16_t id, const Matrix16& matrix,
                  const ColorXform& world) {
    const CharacterDef& def = movie.characters.at(id);
    const std::string transform = TransformAttr(matrix);
    if (def.kind == CharacterDef::Shape || def.kind == CharacterDef::Text) {
        const auto& colours = def.kind == CharacterDef::Shape ? def.outline.colours : def.colours;
        out += "<use href=\"#c" + std::to_string(id) + "\"" + transform +
               PaintStyle(colours, world) + "/>";
        return;
    }
    out += "<g" + transform + ">";
    if (def.kind == CharacterDef::Sprite) {
        for (const Placement& p : def.children)
            StaticObject(out, movie, p.id, p.matrix, ColorXform::Concat(p.cxform, world));
        out += "</g>";
        return;
    }
    const PageAction* link = LinkOf(def);
    if (link) {
        out += "<a href=\"" + EscapeMarkup(link->text) + "\"";
        if (!link->target.empty())
            out += " target=\"" + EscapeMarkup(link->target) + "\"";
        out += ">";
    }
    for (const ButtonRecord& r : def.records) {
        const CharacterDef& shown = movie.characters.at(r.id);
        if (!(r.states & 8))
            continue;
        if (shown.kind == CharacterDef::Shape) {
            out += "<use href=\"#c" + std::to_string(r.id) + "\" class=\"tavro-hit\"" +
                   TransformAttr(r.matrix) + "/>";
        } else if (shown.kind == CharacterDef::Text) {
            const auto& b = shown.bounds;
            out += "<rect x=\"" + std::to_string(b.xmin) + "\" y=\"" + std::to_string(b.ymin) +
                   "\" width=\"" + std::to_string(b.Width()) + "\" height=\"" +
                   std::to_string(b.Height()) + "\" class=\"tavro-hit\"" + TransformAttr(r.matrix) +
                   "/>";
        }
    }
    if (link)
        out += "</a>";
    // The up state, in depth order; of two records at one depth the later goes behind.
    std::vector<size_t> order;
    for (size_t i = 0; i < def.records.size(); ++i)
        if (def.records[i].states & 1)
            order.push_back(i);
    std::stable_sort(order.begin(), order.end(), [&](size_t x, size_t y) {
        const auto &rx = def.records[x], &ry = def.records[y];
        return rx.depth != ry.depth ? rx.depth < ry.depth : x > y;
    });
    for (size_t i : order) {
        const ButtonRecord& r = def.records[i];
        StaticObject(out, movie, r.id, r.matrix, ColorXform::Concat(r.cxform, world));
    }
    out += "</g>";
}

std::string Page(const Movie& movie, const Html5PageOptions& options) {
    const player::Rect& frame = movie.frameRect;
    const std::string title = EscapeMarkup(options.title);
    const uint32_t background = movie.hasBackground ? movie.background : 0xFFFFFF;
    const std::string bg = CssColour(0xFF000000u | background);
    const std::string viewBox = std::to_string(frame.xmin) + " " + std::to_string(frame.ymin) +
                                " " + std::to_string(frame.Width()) + " " +
                                std::to_string(frame.Height());

    std::string out;
    out += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
    out += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
    out += "<meta name=\"generator\" content=\"Tavro\">\n";
    out += "<title>" + title + "</title>\n<style>\n";
    out += "html,body{margin:0;padding:0;background:" + bg + "}\n";
    if (options.fixedSize)
        out += "#tavro-stage{display:block;margin:0 auto}\n";
    else
        out += "html,body{height:100%;overflow:hidden}\n"
               "#tavro-stage{display:block;width:100%;height:100%}\n";
    out += "#tavro-stage{pointer-events:none}\n"
           ".tavro-hit{opacity:0;pointer-events:fill;cursor:pointer}\n"
           ".tavro-scripted .tavro-hit{cursor:inherit}\n"
           ".tavro-line{fill:none;stroke-linecap:round;stroke-linejoin:round}\n"
           "</style>\n</head>\n<body>\n";
    out +=
        "<svg id=\"tavro-stage\" xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"" + viewBox + "\"";
    if (options.fixedSize)
        out += " width=\"" + std::to_string(RoundToInt(double(frame.Width()) / 20)) +
               "\" height=\"" + std::to_string(RoundToInt(double(frame.Height()) / 20)) + "\"";
    out += " preserveAspectRatio=\"xMidYMid meet\" role=\"img\" aria-label=\"" + title + "\">\n";

    out += "<defs>\n";
    for (const auto& [font, glyphs] : movie.glyphs)
        for (const auto& [glyph, d] : glyphs)
            if (!d.empty())
                out += "<path id=\"f" + std::to_string(font) + "g" + std::to_string(glyph) +
                       "\" d=\"" + d + "\"/>\n";
    for (const auto& [id, def] : movie.characters) {
        if (def.kind == CharacterDef::Shape)
            out += ShapeDefs(id, def.outline);
        else if (def.kind == CharacterDef::Text)
            out += TextDefs(id, def, movie);
    }
    out += "</defs>\n";
    out += "<rect x=\"" + std::to_string(frame.xmin) + "\" y=\"" + std::to_string(frame.ymin) +
           "\" width=\"" + std::to_string(frame.Width()) + "\" height=\"" +
           std::to_string(frame.Height()) + "\" fill=\"" + bg + "\"/>\n";
    out += "<g id=\"tavro-frame\">\n";
    for (const Placement& p : movie.firstFrame) {
        StaticObject(out, movie, p.id, p.matrix, p.cxform);
        out += "\n";
    }
    out += "</g>\n</svg>\n";
    out += "<script type=\"application/json\" id=\"tavro-movie\">\n" + MovieJson(movie) +
           "\n</script>\n";
    out += "<script>\n";
    out += Html5PlayerScript();
    out += "</script>\n</body>\n</html>\n";
    return out;
}

} // namespace

Html5PageResult BuildHtml5Page(std::span<const uint8_t> swf, const Html5PageOptions& options) {
    Html5PageResult result;
    Movie movie;
    if (!ReadMovie(swf, movie, result.error))
        return result;
    result.html = Page(movie, options);
    result.ok = true;
    return result;
}

} // namespace tavro
