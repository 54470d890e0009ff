// The platform's font service: finds the font file for a face name, weight and italic flag,
// lists the installed families, and reads glyph outlines, glyph metrics, text metrics and
// string extents at a requested em height, unhinted. Faces are opened once and kept.
//
// Text and face names are Windows-1252 bytes, as documents store them. Every query is safe to
// call from several threads; calls are serialised inside.
#pragma once

#include "swf/FontOutline.h"
#include "swf/FontTextMetrics.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavro {

// A font as text asks for it.
struct FontRequest {
    std::string face;     // face name (Windows-1252); empty means the default face
    int32_t emHeight = 0; // units per em of every result: 1024, or size x 20 for twips
    int32_t weight = 400; // 400 regular, 700 bold; 0 counts as 400
    bool italic = false;
};

// The font file that stands in for a face name.
struct FontMatch {
    std::string file;             // path of the font file
    int32_t index = 0;            // face index inside the file
    std::string family;           // the file's own family name, UTF-8
    bool syntheticBold = false;   // the face is emboldened to stand in for a bold one
    bool syntheticItalic = false; // the face is slanted to stand in for an italic one
};

struct FontFamily {
    std::string name;      // Windows-1252, as a document would store it
    bool trueType = false; // at least one face of the family has quadratic (TrueType) outlines
};

struct TextExtent {
    int32_t width = 0;  // sum of the advances of the characters
    int32_t height = 0; // the font's text height
};

class FontService {
public:
    FontService();
    ~FontService();
    FontService(const FontService&) = delete;
    FontService& operator=(const FontService&) = delete;

    // The service shared by the whole program.
    static FontService& Shared();

    // The font that a face name, weight and italic flag resolve to. An unknown face falls back
    // to a similar installed face; none only when no usable font is installed at all.
    std::optional<FontMatch> Match(std::string_view face, int32_t weight, bool italic);

    // The families of the installed outline fonts that a Windows-1252 name can express, each
    // name once, sorted without regard to case.
    std::vector<FontFamily> Families();

    // The outline and metrics of the glyph for a Windows-1252 byte; a character the font lacks
    // gives the font's missing-glyph box. None when the request has no font or a non-positive
    // em height.
    std::optional<GlyphOutline> GetGlyphOutline(const FontRequest& request, uint8_t code);

    // The metrics alone, as GetGlyphOutline would report them.
    std::optional<GlyphMetrics> GetGlyphMetrics(const FontRequest& request, uint8_t code);

    std::optional<TextMetrics> GetTextMetrics(const FontRequest& request);

    // Width and height of a single-line Windows-1252 string; no kerning is applied.
    std::optional<TextExtent> GetTextExtent(const FontRequest& request, std::string_view text);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace tavro
