// A one-text movie exported with letter effects, read back with the independent tag reader and
// replayed into the display list as it stands after each frame.
#pragma once

#include "model/CSceneObj.h"
#include "model/CTextObj.h"
#include "swf/CSwfShape.h"
#include "swf/CSwfWriter.h"
#include "swf/SwfTagReader.h"
#include "swfformat/TagCodes.h"

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tavro::letter_test {

// The integer after "key=" in a tag description, or `missing`.
inline long Field(const std::string& fields, const std::string& key, long missing = -1) {
    for (size_t at = fields.find(key + "="); at != std::string::npos;
         at = fields.find(key + "=", at + 1)) {
        if (at == 0 || fields[at - 1] == ' ' || fields[at - 1] == '(')
            return std::strtol(fields.c_str() + at + key.size() + 1, nullptr, 10);
    }
    return missing;
}

// Little-endian archive values, for expected bytes.
inline void PutInt(std::vector<uint8_t>& v, int32_t x) {
    for (int i = 0; i < 4; ++i)
        v.push_back(static_cast<uint8_t>(static_cast<uint32_t>(x) >> (8 * i)));
}
inline void PutDouble(std::vector<uint8_t>& v, double d) {
    const auto bits = std::bit_cast<uint64_t>(d);
    for (int i = 0; i < 8; ++i)
        v.push_back(static_cast<uint8_t>(bits >> (8 * i)));
}

// What stands at one depth.
struct Placed {
    long id = -1;
    long sx = 65536, sy = 65536, r0 = 0, r1 = 0, tx = 0, ty = 0;
    long alpha = 256;
    bool operator==(const Placed&) const = default;
};
using DisplayList = std::map<long, Placed>;

struct Tag {
    uint32_t frame;
    uint16_t code;
    int nesting;
    std::string fields;
};

struct Exported {
    std::vector<uint8_t> bytes;
    std::vector<Tag> tags;           // every tag but ShowFrame and End
    std::vector<DisplayList> frames; // the top-level display list after each frame
};

inline void Apply(DisplayList& list, const std::string& f) {
    const long depth = Field(f, "depth");
    Placed& p = list[depth];
    if (f.find(" id=") != std::string::npos)
        p = Placed{Field(f, "id")};
    if (f.find("matrix(") != std::string::npos) {
        p.sx = Field(f, "sx");
        p.sy = Field(f, "sy");
        p.r0 = Field(f, "r0");
        p.r1 = Field(f, "r1");
        p.tx = Field(f, "tx");
        p.ty = Field(f, "ty");
    }
    const size_t mult = f.find("mult=");
    if (mult != std::string::npos) {
        size_t at = mult;
        for (int comma = 0; comma < 3; ++comma)
            at = f.find(',', at) + 1;
        p.alpha = std::strtol(f.c_str() + at, nullptr, 10);
    }
}

// A 550 x 400 scene holding one text at (x, y) pixels.
struct LetterMovie {
    CSceneObj scene;
    CTextObj* text = nullptr;

    explicit LetterMovie(std::string_view chars, double x = 275.0, double y = 200.0) {
        auto t = std::make_unique<CTextObj>(chars, &scene);
        t->SetStagePosition(x, y);
        text = t.get();
        scene.AddChild(std::move(t));
    }
    template <class E> E& Add(std::unique_ptr<E> effect, int start = 0) {
        effect->SetStartFrame(start);
        E& ref = *effect;
        text->InsertEffect(std::move(effect));
        return ref;
    }
    Exported Export() {
        CSwfWriter w;
        w.WriteHeader(550.0, 400.0, 12.0, static_cast<uint16_t>(scene.GetFrameCount()));
        CSwfShape stage;
        scene.WriteSwf(w, true, stage, {550.0, 400.0});
        w.Finish();
        Exported out;
        const auto image = w.GetImageBytes();
        out.bytes.assign(image.begin(), image.end());
        DisplayList list;
        SwfTagReader::ListMovie(
            image, SwfTagReader::ReadHeader(image), [&](const SwfTagReader::Entry& e) {
                if (e.nesting != 0) {
                    out.tags.push_back({e.frame, e.tag.code, e.nesting, e.fields});
                    return;
                }
                if (e.tag.code == swfformat::kTagShowFrame)
                    out.frames.push_back(list);
                else if (e.tag.code == swfformat::kTagPlaceObject2)
                    Apply(list, e.fields);
                else if (e.tag.code == swfformat::kTagRemoveObject2)
                    list.erase(Field(e.fields, "depth"));
                if (e.tag.code != swfformat::kTagShowFrame && e.tag.code != swfformat::kTagEnd)
                    out.tags.push_back({e.frame, e.tag.code, e.nesting, e.fields});
            });
        return out;
    }
    // Where letter i stands at rest on the stage, twips.
    CDoublePoint Rest(size_t i) const {
        return text->GetLetters()[i].position + text->GetStagePosition() * 20.0;
    }
};

} // namespace tavro::letter_test
