#include "swf/FontService.h"

#include "base/Cp1252.h"
#include "base/Rounding.h"
#include "swf/FontOutlineConverter.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <mutex>
#include <tuple>

namespace tavro {

namespace {

// Glyph coordinates stay far inside the range of doubles and int32 metrics up to this em.
constexpr int32_t kMaxEmHeight = 1 << 22;

enum class CharmapKind { Unicode, Symbol, Native, None };

struct OpenFace {
    FT_Face face = nullptr;
    CharmapKind charmap = CharmapKind::None;
    FontTableValues tables;
};

struct ResolvedFont {
    FontMatch match;
    OpenFace* face = nullptr;
    // Synthetic slant (y-up), applied in font units: x' = xx x + xy y, y' = yx x + yy y.
    double xx = 1.0, xy = 0.0, yx = 0.0, yy = 1.0;
    // Synthetic emboldening in font units (0 for none); also added to every advance.
    long emboldenUnits = 0;
};

struct FontconfigMatch {
    FontMatch match;
    FcMatrix matrix{1.0, 0.0, 0.0, 1.0};
};

int32_t SaturateToInt(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

int32_t FloorToInt(double value) {
    return RoundToInt(std::floor(value));
}
int32_t CeilToInt(double value) {
    return RoundToInt(std::ceil(value));
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int ca = std::tolower(static_cast<unsigned char>(a[i]));
        const int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb) {
            return ca < cb;
        }
    }
    if (a.size() != b.size()) {
        return a.size() < b.size();
    }
    return a < b;
}

FontTableValues ReadTables(FT_Face face) {
    FontTableValues tables;
    tables.unitsPerEm = face->units_per_EM;
    tables.bboxYMax = static_cast<int32_t>(face->bbox.yMax);
    tables.bboxYMin = static_cast<int32_t>(face->bbox.yMin);
    tables.maxAdvanceWidth = face->max_advance_width;

    const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
    if (hhea != nullptr) {
        tables.hheaAscender = hhea->Ascender;
        tables.hheaDescender = hhea->Descender;
        tables.hheaLineGap = hhea->Line_Gap;
        tables.maxAdvanceWidth = hhea->advance_Width_Max;
    } else {
        // Fonts without the table (Type 1): FreeType's own line values stand in for it.
        tables.hheaAscender = face->ascender;
        tables.hheaDescender = face->descender;
        tables.hheaLineGap = std::max(0, face->height - (face->ascender - face->descender));
    }

    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 != nullptr && os2->version != 0xFFFF) {
        tables.winAscent = os2->usWinAscent;
        tables.winDescent = os2->usWinDescent;
        tables.averageCharWidth = os2->xAvgCharWidth;
    }
    if (tables.averageCharWidth <= 0) {
        // Without the table's value the width of a lowercase x is the nearest thing.
        FT_Fixed advance = 0;
        const FT_UInt x = FT_Get_Char_Index(face, 'x');
        if (x != 0 && FT_Get_Advance(face, x, FT_LOAD_NO_SCALE, &advance) == 0) {
            tables.averageCharWidth = static_cast<int32_t>(advance);
        }
    }
    return tables;
}

} // namespace

struct FontService::Impl {
    std::mutex mutex;
    FcConfig* config = nullptr;
    FT_Library library = nullptr;
    std::map<std::pair<std::string, int32_t>, std::unique_ptr<OpenFace>> faces;
    std::map<std::tuple<std::string, int32_t, bool>, std::unique_ptr<ResolvedFont>> resolved;

    Impl() {
        config = FcInitLoadConfigAndFonts();
        if (FT_Init_FreeType(&library) != 0) {
            library = nullptr;
        }
    }

    ~Impl() {
        resolved.clear();
        for (auto& entry : faces) {
            if (entry.second && entry.second->face != nullptr) {
                FT_Done_Face(entry.second->face);
            }
        }
        faces.clear();
        if (library != nullptr) {
            FT_Done_FreeType(library);
        }
        if (config != nullptr) {
            FcConfigDestroy(config);
        }
    }

    std::optional<FontconfigMatch> MatchWithFontconfig(const std::string& familyUtf8,
                                                       int32_t weight, bool italic) {
        if (config == nullptr) {
            return std::nullopt;
        }
        FcPattern* pattern = FcPatternCreate();
        if (pattern == nullptr) {
            return std::nullopt;
        }
        if (!familyUtf8.empty()) {
            FcPatternAddString(pattern, FC_FAMILY,
                               reinterpret_cast<const FcChar8*>(familyUtf8.c_str()));
        }
        FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
        FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
        FcConfigSubstitute(config, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);

        FcResult result = FcResultNoMatch;
        FcPattern* found = FcFontMatch(config, pattern, &result);
        FcPatternDestroy(pattern);
        if (found == nullptr) {
            return std::nullopt;
        }

        std::optional<FontconfigMatch> out;
        FcChar8* file = nullptr;
        if (FcPatternGetString(found, FC_FILE, 0, &file) == FcResultMatch && file != nullptr) {
            out.emplace();
            out->match.file = reinterpret_cast<const char*>(file);
            int index = 0;
            if (FcPatternGetInteger(found, FC_INDEX, 0, &index) == FcResultMatch) {
                out->match.index = index;
            }
            FcChar8* family = nullptr;
            if (FcPatternGetString(found, FC_FAMILY, 0, &family) == FcResultMatch &&
                family != nullptr) {
                out->match.family = reinterpret_cast<const char*>(family);
            }
            FcBool embolden = FcFalse;
            if (FcPatternGetBool(found, FC_EMBOLDEN, 0, &embolden) == FcResultMatch) {
                out->match.syntheticBold = embolden == FcTrue;
            }
            FcMatrix* matrix = nullptr;
            if (FcPatternGetMatrix(found, FC_MATRIX, 0, &matrix) == FcResultMatch &&
                matrix != nullptr) {
                out->matrix = *matrix;
                out->match.syntheticItalic = matrix->xy != 0.0;
            }
        }
        FcPatternDestroy(found);
        return out;
    }

    OpenFace* Open(const std::string& file, int32_t index) {
        auto key = std::make_pair(file, index);
        auto it = faces.find(key);
        if (it != faces.end()) {
            return it->second.get();
        }
        std::unique_ptr<OpenFace> opened;
        FT_Face face = nullptr;
        if (library != nullptr && FT_New_Face(library, file.c_str(), index, &face) == 0) {
            if (FT_IS_SCALABLE(face) && face->units_per_EM > 0) {
                opened = std::make_unique<OpenFace>();
                opened->face = face;
                if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) == 0) {
                    opened->charmap = CharmapKind::Unicode;
                } else if (FT_Select_Charmap(face, FT_ENCODING_MS_SYMBOL) == 0) {
                    opened->charmap = CharmapKind::Symbol;
                } else if (face->num_charmaps > 0 && FT_Set_Charmap(face, face->charmaps[0]) == 0) {
                    opened->charmap = CharmapKind::Native;
                }
                opened->tables = ReadTables(face);
            } else {
                FT_Done_Face(face);
            }
        }
        // A file that cannot be used is remembered as such, so it is not tried again.
        OpenFace* result = opened.get();
        faces.emplace(key, std::move(opened));
        return result;
    }

    ResolvedFont* Resolve(std::string_view faceName, int32_t weight, bool italic) {
        weight = weight <= 0 ? 400 : std::min(weight, 1000);
        auto key = std::make_tuple(std::string(faceName), weight, italic);
        auto it = resolved.find(key);
        if (it != resolved.end()) {
            return it->second.get();
        }

        std::unique_ptr<ResolvedFont> font;
        // The face as asked for, else the generic sans-serif face in the same style.
        for (const std::string& family : {Cp1252ToUtf8(faceName), std::string("sans-serif")}) {
            std::optional<FontconfigMatch> found = MatchWithFontconfig(family, weight, italic);
            if (!found) {
                continue;
            }
            OpenFace* face = Open(found->match.file, found->match.index);
            if (face == nullptr) {
                continue;
            }
            font = std::make_unique<ResolvedFont>();
            font->match = found->match;
            font->face = face;
            font->xx = found->matrix.xx;
            font->xy = found->matrix.xy;
            font->yx = found->matrix.yx;
            font->yy = found->matrix.yy;
            if (found->match.syntheticBold) {
                font->emboldenUnits = std::max<long>(1, face->face->units_per_EM / 24);
            }
            break;
        }
        ResolvedFont* result = font.get();
        resolved.emplace(std::move(key), std::move(font));
        return result;
    }

    ResolvedFont* Resolve(const FontRequest& request) {
        if (request.emHeight <= 0 || request.emHeight > kMaxEmHeight) {
            return nullptr;
        }
        return Resolve(request.face, request.weight, request.italic);
    }

    static FT_UInt GlyphIndex(const OpenFace& face, uint8_t code) {
        switch (face.charmap) {
        case CharmapKind::Unicode:
            return FT_Get_Char_Index(face.face, Cp1252ToUnicode(code));
        case CharmapKind::Symbol: {
            // Symbol fonts keep their characters in the private area at 0xF000 + byte.
            const FT_UInt index = FT_Get_Char_Index(face.face, 0xF000 + code);
            return index != 0 ? index : FT_Get_Char_Index(face.face, code);
        }
        case CharmapKind::Native:
            return FT_Get_Char_Index(face.face, code);
        case CharmapKind::None:
            break;
        }
        return 0;
    }

    static double Scale(const ResolvedFont& font, int32_t emHeight, double units) {
        return units * static_cast<double>(emHeight) / font.face->tables.unitsPerEm;
    }

    // Advance in font units, synthetic emboldening included.
    static int64_t AdvanceUnits(const ResolvedFont& font, FT_UInt glyph) {
        FT_Fixed advance = 0;
        if (FT_Get_Advance(font.face->face, glyph, FT_LOAD_NO_SCALE, &advance) != 0) {
            return 0;
        }
        return static_cast<int64_t>(advance) + font.emboldenUnits;
    }

    static int32_t CellIncrement(const ResolvedFont& font, int32_t emHeight, FT_UInt glyph) {
        return RoundToInt(Scale(font, emHeight, static_cast<double>(AdvanceUnits(font, glyph))));
    }

    // Loads and converts the outline of the glyph for code; metrics filled from the result.
    static GlyphOutline LoadOutline(const ResolvedFont& font, int32_t emHeight, uint8_t code) {
        GlyphOutline outline;
        const FT_UInt glyph = GlyphIndex(*font.face, code);
        outline.metrics.cellIncX = CellIncrement(font, emHeight, glyph);

        FT_Face face = font.face->face;
        if (FT_Load_Glyph(face, glyph, FT_LOAD_NO_SCALE) != 0 ||
            face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) {
            return outline;
        }
        FT_Outline& source = face->glyph->outline;
        if (font.emboldenUnits > 0) {
            FT_Outline_EmboldenXY(&source, font.emboldenUnits, font.emboldenUnits);
        }
        // Outlines are delivered with the orientation of quadratic (TrueType) fonts, whatever
        // the font's flavour, so that fill rules see the same winding for every font.
        const bool reverse = FT_Outline_Get_Orientation(&source) == FT_ORIENTATION_POSTSCRIPT;

        RawFontOutline raw;
        const int pointCount = std::max(0, static_cast<int>(source.n_points));
        const int contourCount = std::max(0, static_cast<int>(source.n_contours));
        raw.points.reserve(pointCount);
        raw.kinds.reserve(pointCount);
        for (int i = 0; i < pointCount; ++i) {
            const double x = static_cast<double>(source.points[i].x);
            const double y = static_cast<double>(source.points[i].y);
            raw.points.push_back({Scale(font, emHeight, font.xx * x + font.xy * y),
                                  Scale(font, emHeight, font.yx * x + font.yy * y)});
            switch (FT_CURVE_TAG(source.tags[i])) {
            case FT_CURVE_TAG_ON:
                raw.kinds.push_back(FontPointKind::On);
                break;
            case FT_CURVE_TAG_CUBIC:
                raw.kinds.push_back(FontPointKind::Cubic);
                break;
            default:
                raw.kinds.push_back(FontPointKind::Conic);
                break;
            }
        }
        for (int i = 0; i < contourCount; ++i) {
            raw.contourEnds.push_back(static_cast<int>(source.contours[i]));
        }
        ConvertFontOutline(raw, reverse, outline.contours);

        const FontInkBounds ink = MeasureFontInk(outline.contours);
        if (!ink.empty) {
            const int32_t left = FloorToInt(ink.left);
            const int32_t right = CeilToInt(ink.right);
            const int32_t bottom = FloorToInt(ink.bottom);
            const int32_t top = CeilToInt(ink.top);
            outline.metrics.originX = left;
            outline.metrics.originY = top;
            outline.metrics.blackBoxX = SaturateToInt(int64_t{right} - left);
            outline.metrics.blackBoxY = SaturateToInt(int64_t{top} - bottom);
        }
        return outline;
    }
};

FontService::FontService() : impl_(std::make_unique<Impl>()) {}

FontService::~FontService() = default;

FontService& FontService::Shared() {
    static FontService service;
    return service;
}

std::optional<FontMatch> FontService::Match(std::string_view face, int32_t weight, bool italic) {
    std::lock_guard lock(impl_->mutex);
    const ResolvedFont* font = impl_->Resolve(face, weight, italic);
    if (font == nullptr) {
        return std::nullopt;
    }
    return font->match;
}

std::vector<FontFamily> FontService::Families() {
    std::lock_guard lock(impl_->mutex);
    std::vector<FontFamily> families;
    if (impl_->config == nullptr) {
        return families;
    }
    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_FAMILYLANG, FC_FONTFORMAT, nullptr);
    FcFontSet* set = nullptr;
    if (pattern != nullptr && objects != nullptr) {
        FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
        set = FcFontList(impl_->config, pattern, objects);
    }
    std::map<std::string, bool> found;
    for (int i = 0; set != nullptr && i < set->nfont; ++i) {
        const FcPattern* font = set->fonts[i];
        FcChar8* format = nullptr;
        const bool trueType =
            FcPatternGetString(font, FC_FONTFORMAT, 0, &format) == FcResultMatch &&
            format != nullptr &&
            std::string_view(reinterpret_cast<const char*>(format)) == "TrueType";
        // A font may carry its family name in several languages and both as a typographic and
        // a legacy family. List the English (or unlabelled) names a document can store; a font
        // with none of those lists its first storable name.
        std::vector<std::string> english;
        std::optional<std::string> firstStorable;
        FcChar8* name = nullptr;
        for (int n = 0; FcPatternGetString(font, FC_FAMILY, n, &name) == FcResultMatch; ++n) {
            std::optional<std::string> stored = Utf8ToCp1252(reinterpret_cast<const char*>(name));
            if (!stored || stored->empty()) {
                continue;
            }
            FcChar8* lang = nullptr;
            const bool hasLang =
                FcPatternGetString(font, FC_FAMILYLANG, n, &lang) == FcResultMatch &&
                lang != nullptr;
            if (!hasLang || std::string_view(reinterpret_cast<const char*>(lang)) == "en") {
                english.push_back(*stored);
            }
            if (!firstStorable) {
                firstStorable = *stored;
            }
        }
        if (english.empty() && firstStorable) {
            english.push_back(*firstStorable);
        }
        for (const std::string& family : english) {
            found[family] = found[family] || trueType;
        }
    }
    if (set != nullptr) {
        FcFontSetDestroy(set);
    }
    if (objects != nullptr) {
        FcObjectSetDestroy(objects);
    }
    if (pattern != nullptr) {
        FcPatternDestroy(pattern);
    }

    for (const auto& [name, trueType] : found) {
        families.push_back({name, trueType});
    }
    std::sort(families.begin(), families.end(), [](const FontFamily& a, const FontFamily& b) {
        return LessIgnoringCase(a.name, b.name);
    });
    return families;
}

std::optional<GlyphOutline> FontService::GetGlyphOutline(const FontRequest& request, uint8_t code) {
    std::lock_guard lock(impl_->mutex);
    const ResolvedFont* font = impl_->Resolve(request);
    if (font == nullptr) {
        return std::nullopt;
    }
    return Impl::LoadOutline(*font, request.emHeight, code);
}

std::optional<GlyphMetrics> FontService::GetGlyphMetrics(const FontRequest& request, uint8_t code) {
    std::optional<GlyphOutline> outline = GetGlyphOutline(request, code);
    if (!outline) {
        return std::nullopt;
    }
    return outline->metrics;
}

std::optional<TextMetrics> FontService::GetTextMetrics(const FontRequest& request) {
    std::lock_guard lock(impl_->mutex);
    const ResolvedFont* font = impl_->Resolve(request);
    if (font == nullptr) {
        return std::nullopt;
    }
    return ComputeTextMetrics(font->face->tables, request.emHeight);
}

std::optional<TextExtent> FontService::GetTextExtent(const FontRequest& request,
                                                     std::string_view text) {
    std::lock_guard lock(impl_->mutex);
    const ResolvedFont* font = impl_->Resolve(request);
    if (font == nullptr) {
        return std::nullopt;
    }
    int64_t width = 0;
    for (char c : text) {
        const FT_UInt glyph = Impl::GlyphIndex(*font->face, static_cast<uint8_t>(c));
        width += Impl::CellIncrement(*font, request.emHeight, glyph);
    }
    TextExtent extent;
    extent.width = SaturateToInt(width);
    extent.height = ComputeTextMetrics(font->face->tables, request.emHeight).height;
    return extent;
}

} // namespace tavro
