#include "export/PublishPage.h"

#include "base/Rounding.h"
#include "model/CDocObj.h"

#include <cstdio>

namespace tavro {
namespace {

bool IsPlainHost(std::string_view host) {
    if (host.empty() || host.size() > 253)
        return false;
    for (const char c : host) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '.' || c == '-' || c == ':';
        if (!ok)
            return false;
    }
    return true;
}

std::string HexColor(uint32_t rgb) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%06X", static_cast<unsigned>(rgb & 0xFFFFFFu));
    return buffer;
}

} // namespace

std::string EscapeMarkup(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
            break;
        }
    }
    return out;
}

PublishPageFields PageFieldsOf(const CDocObj& doc, std::string name) {
    PublishPageFields fields;
    fields.name = std::move(name);
    const CDoublePoint size = doc.GetMovieSize();
    fields.width = RoundToInt(size.x);
    fields.height = RoundToInt(size.y);
    const CColor& c = doc.GetBackgroundColor();
    fields.color = (static_cast<uint32_t>(c.red & 0xFF) << 16) |
                   (static_cast<uint32_t>(c.green & 0xFF) << 8) |
                   static_cast<uint32_t>(c.blue & 0xFF);
    return fields;
}

std::string BuildPublishPage(const PublishPageFields& f) {
    const PublishPageFields defaults;
    const std::string& codebaseHost =
        IsPlainHost(f.codebaseHost) ? f.codebaseHost : defaults.codebaseHost;
    const std::string& pageHost =
        IsPlainHost(f.pluginsPageHost) ? f.pluginsPageHost : defaults.pluginsPageHost;
    const std::string n = EscapeMarkup(f.name);
    const std::string s = EscapeMarkup(f.name + ".swf");
    const std::string w = std::to_string(f.width);
    const std::string h = std::to_string(f.height);
    const std::string c = HexColor(f.color);
    const std::string q = "\"";

    // Each entry is one line of the page; the lines end in carriage return and line feed. A line
    // break inside the name is text and gets no carriage return.
    const std::string lines[] = {
        "<html>",
        "<head>",
        "<title>Tavro [" + n + ".swi]</title>",
        "</head>",
        "<body bgcolor=" + q + "#ffffff" + q + ">",
        "<center>",
        "<OBJECT classid=" + q + "clsid:D27CDB6E-AE6D-11cf-96B8-444553540000" + q,
        "\tcodebase=" + q + "http://" + codebaseHost + "/flash2/cabs/swflash.cab#version=4,0,0,0" +
            q,
        "\tID=" + n + " WIDTH=" + w + " HEIGHT=" + h + ">",
        "\t<PARAM NAME=movie VALUE=" + q + s + q + ">",
        "\t<PARAM NAME=quality VALUE=high>",
        "\t<PARAM NAME=bgcolor VALUE=" + c + ">",
        "\t<EMBED src=" + q + s + q + " quality=high bgcolor=" + c,
        "\t\tWIDTH=" + w + " HEIGHT=" + h,
        "\t\tTYPE=" + q + "application/x-shockwave-flash" + q,
        "\t\tPLUGINSPAGE=" + q + "http://" + pageHost +
            "/shockwave/download/index.cgi?P1_Prod_Version=ShockwaveFlash" + q + ">",
        "\t</EMBED>",
        "</OBJECT>",
        "</center>",
        "</body>",
        "</html>",
    };
    std::string page;
    for (const std::string& line : lines)
        page += line + "\r\n";
    return page;
}

std::string SizeReadout(uint64_t imageBytes) {
    char buffer[64];
    if (imageBytes <= 10240)
        std::snprintf(buffer, sizeof buffer, "%llu %s", static_cast<unsigned long long>(imageBytes),
                      "bytes");
    else
        std::snprintf(buffer, sizeof buffer, "%.1f %s", static_cast<double>(imageBytes) / 1024.0,
                      "KB");
    return buffer;
}

} // namespace tavro
