// Shared pieces of the edit-text tests: SWF records for fonts and fields, a headless player whose
// action runner hands placements to the edit-text fields, and a GlyphOutput that records.
#pragma once

#include "player/PlayerTestSupport.h"

#include "player/DisplayObject.h"
#include "player/FrameActions.h"
#include "player/Matrix16.h"
#include "player/MovieLevel.h"
#include "player/edittext/EditTextFields.h"
#include "player/render/Renderer.h"

#include <memory>
#include <string>
#include <vector>

namespace tavro::player::test {

// DefineFont2 with a layout table: one glyph per character of `codes` (empty, or `shape` for
// all), each advancing `advance` em units; ascent 800, descent 224.
inline Bytes DefineFont2(uint16_t id, const std::string& name, const std::string& codes,
                         int16_t advance = 512, uint8_t extraFlags = 0,
                         const Bytes& shape = {0x00, 0x00}) {
    const size_t n = codes.size();
    Bytes b;
    U16(b, id);
    b.push_back(uint8_t(0x80 | extraFlags));
    b.push_back(0); // language
    b.push_back(uint8_t(name.size()));
    b.insert(b.end(), name.begin(), name.end());
    U16(b, uint32_t(n));
    const uint32_t table = uint32_t(n + 1) * 2;
    for (size_t i = 0; i <= n; ++i)
        U16(b, table + uint32_t(shape.size() * i));
    for (size_t i = 0; i < n; ++i)
        Append(b, shape);
    b.insert(b.end(), codes.begin(), codes.end());
    U16(b, 800);
    U16(b, 224);
    U16(b, 0);
    for (size_t i = 0; i < n; ++i)
        U16(b, uint16_t(advance));
    for (size_t i = 0; i < n; ++i)
        Append(b, RectBytes(0, 0, 0, 0));
    U16(b, 0); // kerning pairs
    return Tag(swfformat::kTagDefineFont2, b, true);
}

// The optional initial text of a field. (A plain flag and string: std::optional<std::string>
// inside an aggregate trips GCC's may-be-uninitialized warning in optimised builds.)
struct InitialText {
    bool set = false;
    std::string text;
    InitialText& operator=(std::string t) {
        set = true;
        text = std::move(t);
        return *this;
    }
    InitialText& operator=(const char* t) { return *this = std::string(t); }
    InitialText& operator=(std::optional<std::string> t) {
        set = t.has_value();
        text = t.value_or(std::string());
        return *this;
    }
    explicit operator bool() const { return set; }
    const std::string* operator->() const { return &text; }
};

struct FieldSpec {
    Rect bounds{0, 1080, 0, 280};
    uint8_t flags1 = 0x01 | 0x04; // font, colour
    uint8_t flags2 = 0x01;        // outlines
    uint16_t fontId = 1;
    uint16_t height = 200;
    uint32_t rgba = 0x102030FF;
    bool layout = false;
    uint8_t align = 0;
    uint16_t leftMargin = 0, rightMargin = 0, indent = 0;
    int16_t leading = 0;
    uint16_t maxLength = 0; // written with flag 0x02
    std::string variable;
    InitialText initial;
};

// The body of DefineEditText (id included).
inline Bytes EditTextBody(uint16_t id, const FieldSpec& s) {
    Bytes b;
    U16(b, id);
    Append(b, RectBytes(s.bounds.xmin, s.bounds.xmax, s.bounds.ymin, s.bounds.ymax));
    b.push_back(uint8_t(s.flags1 | (s.initial ? 0x80 : 0)));
    b.push_back(uint8_t(s.flags2 | (s.layout ? 0x20 : 0)));
    if (s.flags1 & 0x01) {
        U16(b, s.fontId);
        U16(b, s.height);
    }
    if (s.flags1 & 0x04)
        for (int shift : {24, 16, 8, 0})
            b.push_back(uint8_t(s.rgba >> shift));
    if (s.flags1 & 0x02)
        U16(b, s.maxLength);
    if (s.layout) {
        b.push_back(s.align);
        U16(b, s.leftMargin);
        U16(b, s.rightMargin);
        U16(b, s.indent);
        U16(b, uint16_t(s.leading));
    }
    b.insert(b.end(), s.variable.begin(), s.variable.end());
    b.push_back(0);
    if (s.initial) {
        b.insert(b.end(), s.initial->begin(), s.initial->end());
        b.push_back(0);
    }
    return b;
}

inline Bytes DefineEditText(uint16_t id, const FieldSpec& s) {
    return Tag(swfformat::kTagDefineEditText, EditTextBody(id, s), true);
}

// Runs frame actions and hands edit-text placements to the fields, as the action engine does.
class FieldActions : public FrameActions {
public:
    explicit FieldActions(PlayerCore& core) : input(MakeTextFieldInput(core)) {}
    void ObjectPlaced(PlayerCore&, DisplayObject& obj) override { input->ObjectPlaced(obj); }
    void ObjectRemoved(PlayerCore&, DisplayObject& obj) override { input->ObjectRemoved(obj); }
    void AfterReplay(PlayerCore&, Timeline& t) override { input->AfterReplay(t); }
    std::unique_ptr<TextFieldInput> input;
};

class FieldHost : public HeadlessHost {
public:
    FieldHost() : HeadlessHost(200, 100) {
        auto a = std::make_unique<FieldActions>(*this);
        actions = a.get();
        SetActionInterpreter(std::move(a));
    }
    void LoadTags(const Bytes& tags, uint16_t frames = 1) {
        Bytes m = Movie(tags, frames, 12 << 8, 200, 100);
        Load(m.data(), m.size());
        Renderer::Of(*this).RebuildView();
    }
    EditTextFields& Fields() { return static_cast<EditTextFields&>(*actions->input); }
    Timeline& Root() { return Level0(); }
    DisplayObject* At(uint16_t depth) { return Level0().rootObject->FindChild(depth); }
    EditTextField* Field(uint16_t depth) {
        DisplayObject* o = At(depth);
        return o ? Fields().FieldOf(*o) : nullptr;
    }
    FieldActions* actions;
};

struct RecordedGlyph {
    uint32_t index;
    Matrix16 m;
    uint32_t argb;
};

class RecordingOutput : public GlyphOutput {
public:
    void Glyph(const Character&, uint32_t index, const Matrix16& m, uint32_t argb) override {
        glyphs.push_back({index, m, argb});
    }
    void FillRect(const Rect& r, uint32_t argb) override { rects.push_back({r, argb}); }
    std::vector<RecordedGlyph> glyphs;
    std::vector<std::pair<Rect, uint32_t>> rects;
};

inline std::string Utf16ToBytes(const std::u16string& s) {
    return std::string(s.begin(), s.end());
}

} // namespace tavro::player::test
