#include "export/Html5Movie.h"

#include "base/AsciiCase.h"
#include "base/Cp1252.h"
#include "player/ActionInterpreter.h"
#include "player/ActionQueue.h"
#include "player/BitReader.h"
#include "player/Character.h"
#include "player/DisplayObject.h"
#include "player/MovieLevel.h"
#include "player/PlaceRecord.h"
#include "player/TagHeader.h"
#include "player/buttons/ButtonRecords.h"
#include "player/host/HeadlessHost.h"
#include "player/render/FontGlyphTable.h"
#include "player/render/TextRecords.h"
#include "swfformat/ActionCodes.h"
#include "swfformat/TagCodes.h"

#include <memory>
#include <set>

namespace tavro::html5 {

using namespace swfformat;
using player::BitReader;
using player::Character;
using player::CharacterType;
using player::TagHeader;

namespace {

// More frames than a movie's header can count are not a movie made for a page.
constexpr size_t kMaxFrames = 65536;
// Objects on stage summed over the frames (each frame's display list is compared with the one
// before): a bound on the work a small file of many objects and many frames could ask for.
constexpr uint64_t kMaxObjectFrames = 50'000'000;
// Buttons and sprites inside each other, as deep as the player draws them.
constexpr int kMaxNesting = 64;
// The player never skips an action of WaitForFrame for a frame below this: all frames of a
// movie in memory count as loaded.
constexpr uint32_t kAllFramesLoaded = 16000;

std::string Hex(unsigned v) {
    static const char digits[] = "0123456789ABCDEF";
    return std::string("0x") + digits[(v >> 4) & 15] + digits[v & 15];
}

std::string TagText(uint16_t code) {
    const std::string_view name = TagName(code);
    return name.empty() ? "tag " + std::to_string(code)
                        : std::string(name) + " (tag " + std::to_string(code) + ")";
}

std::string Utf8(std::string_view bytes) {
    return Cp1252ToUtf8(bytes);
}

std::string LowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = AsciiLower(c);
    return out;
}

// A record string: the bytes up to its zero byte, which must be there.
bool RecordString(BitReader& r, std::string& out) {
    const std::string_view s = r.ReadString();
    out.assign(s);
    return r.ok();
}

} // namespace

// ---- actions ----

bool DecodeActions(std::span<const uint8_t> a, ActionList& out, std::string& error) {
    out.clear();
    size_t pos = 0;
    while (pos < a.size()) {
        const uint8_t code = a[pos++];
        if (code == kActionEnd)
            return true;
        size_t bodyStart = pos, bodyEnd = pos;
        if (ActionHasOperands(code)) {
            if (a.size() - pos < 2) {
                error = "an action record is cut short";
                return false;
            }
            const size_t length = size_t(a[pos]) | size_t(a[pos + 1]) << 8;
            bodyStart = pos + 2;
            if (length > a.size() - bodyStart) {
                error = "an action record is longer than its list";
                return false;
            }
            bodyEnd = bodyStart + length;
        }
        pos = bodyEnd;
        BitReader body(a.data(), bodyEnd, bodyStart);
        PageAction action;
        switch (code) {
        case kActionNextFrame:
            action.op = PageAction::NextFrame;
            break;
        case kActionPreviousFrame:
            action.op = PageAction::PreviousFrame;
            break;
        case kActionPlay:
            action.op = PageAction::Play;
            break;
        case kActionStop:
            action.op = PageAction::Stop;
            break;
        case kActionToggleQuality:
        case kActionStopSounds:
            action.op = PageAction::Nothing;
            break;
        case kActionGotoFrame:
            action.op = PageAction::GotoFrame;
            action.number = body.U16();
            break;
        case kActionGotoLabel: {
            std::string label;
            action.op = PageAction::GotoLabel;
            if (RecordString(body, label))
                action.text = Utf8(LowerAscii(label));
            break;
        }
        case kActionGetUrl: {
            std::string url, target;
            action.op = PageAction::GetUrl;
            if (RecordString(body, url) && RecordString(body, target)) {
                action.text = Utf8(url);
                action.target = Utf8(target);
            }
            break;
        }
        case kActionSetTarget: {
            std::string path;
            action.op = PageAction::SetTarget;
            if (RecordString(body, path))
                action.text = Utf8(path);
            break;
        }
        case kActionWaitForFrame: {
            const uint16_t frame = body.U16();
            const uint8_t skip = body.U8();
            action.op = frame > kAllFramesLoaded ? PageAction::Skip : PageAction::Nothing;
            action.number = skip;
            break;
        }
        default: {
            const std::string_view name = ActionName(code);
            error = "it uses the action " + Hex(code) +
                    (name.empty() ? "" : " (" + std::string(name) + ")") +
                    ", which the page cannot run";
            return false;
        }
        }
        if (!body.ok()) {
            error = "an action record is cut short";
            return false;
        }
        out.push_back(std::move(action));
    }
    // A list may end with its record bytes, as the player reads it.
    return true;
}

namespace {

// ---- the first pass: every tag of the main timeline is checked ----

struct Scan {
    std::set<uint16_t> defined;
    std::map<std::string, int32_t> labels;
};

bool CheckPlacement(const TagHeader& h, std::span<const uint8_t> data, Scan& scan,
                    std::string& error) {
    BitReader r(data.data(), h.end, h.bodyPos);
    const player::PlaceRecord p = h.code == kTagPlaceObject2 ? player::ReadPlaceObject2(r)
                                                             : player::ReadPlaceObject(r, h.end);
    if (!r.ok()) {
        error = "a " + TagText(h.code) + " is damaged";
        return false;
    }
    if ((p.flags & player::PlaceInfo::kHasCharacter) && !scan.defined.count(p.characterId)) {
        error = "it places character " + std::to_string(p.characterId) +
                ", which is not defined before";
        return false;
    }
    if (p.flags & player::PlaceInfo::kHasClipDepth) {
        error = "it uses clipping layers, which the page cannot show";
        return false;
    }
    return true;
}

bool ScanMovie(std::span<const uint8_t> data, uint32_t start, Scan& scan, std::string& error) {
    const uint32_t limit = uint32_t(data.size());
    uint32_t pos = start;
    int32_t frame = 0;
    for (;;) {
        TagHeader h;
        if (!TagHeader::Read(data.data(), limit, pos, h)) {
            error = pos >= limit ? "it has no End tag"
                                 : "the tag at byte " + std::to_string(pos) + " is cut short";
            return false;
        }
        BitReader r(data.data(), h.end, h.bodyPos);
        switch (h.code) {
        case kTagEnd:
            return true;
        case kTagShowFrame:
            ++frame;
            break;
        case kTagDefineShape:
        case kTagDefineShape2:
        case kTagDefineShape3:
        case kTagDefineButton:
        case kTagDefineButton2:
        case kTagDefineFont:
        case kTagDefineFont2:
        case kTagDefineText:
        case kTagDefineText2:
        case kTagDefineSprite: {
            const uint16_t id = r.U16();
            if (!r.ok()) {
                error = "a " + TagText(h.code) + " is damaged";
                return false;
            }
            scan.defined.insert(id);
            break;
        }
        case kTagDefineFontInfo:
        case kTagDefineButtonCxform:
        case kTagProtect:
            break;
        case kTagPlaceObject:
        case kTagPlaceObject2:
            if (!CheckPlacement(h, data, scan, error))
                return false;
            break;
        case kTagRemoveObject:
        case kTagRemoveObject2:
            r.U16();
            if (h.code == kTagRemoveObject)
                r.U16();
            if (!r.ok()) {
                error = "a " + TagText(h.code) + " is damaged";
                return false;
            }
            break;
        case kTagSetBackgroundColor:
            r.U8(), r.U8(), r.U8();
            if (!r.ok()) {
                error = "its background colour is damaged";
                return false;
            }
            break;
        case kTagDoAction: {
            ActionList list;
            if (!DecodeActions(data.subspan(h.bodyPos, h.end - h.bodyPos), list, error))
                return false;
            break;
        }
        case kTagFrameLabel: {
            std::string label;
            if (!RecordString(r, label)) {
                error = "a frame label is damaged";
                return false;
            }
            scan.labels.emplace(Utf8(LowerAscii(label)), frame);
            break;
        }
        default:
            error = "it uses " + TagText(h.code) + ", which the page cannot show";
            return false;
        }
        pos = h.end;
    }
}

// ---- the second pass: the player plays the timeline ----

// Stands in for the action engine while the timeline is played frame by frame: the action lists
// the player queues are kept, never run, so every frame is reached whatever its actions say.
class ActionRecorder : public player::ActionInterpreter {
public:
    void RunQueue(player::PlayerCore&, player::ActionQueue& queue) override {
        player::ActionQueue::Entry e;
        while (queue.Pop(e)) {
            if (!e.timeline)
                continue;
            if (!e.timeline->IsLevel())
                spriteActions = true;
            lists.emplace_back(e.Actions().begin(), e.Actions().end());
        }
    }
    std::vector<std::vector<uint8_t>> lists;
    bool spriteActions = false;
};

bool Snapshot(const player::DisplayObject* root, DisplayState& out, std::string& error) {
    out.clear();
    for (const player::DisplayObject* c = root ? root->firstChild : nullptr; c;
         c = c->nextSibling) {
        if (!c->character)
            continue;
        if (!out.empty() && out.back().depth == c->depth) {
            error = "it places two objects at depth " + std::to_string(c->depth);
            return false;
        }
        out.push_back({c->depth, c->character->id, c->matrix, c->cxform});
    }
    return true;
}

std::vector<FrameOp> Diff(const DisplayState& from, const DisplayState& to) {
    std::vector<FrameOp> ops;
    size_t i = 0, j = 0;
    while (i < from.size() || j < to.size()) {
        if (j == to.size() || (i < from.size() && from[i].depth < to[j].depth)) {
            FrameOp op;
            op.kind = FrameOp::Remove;
            op.depth = from[i++].depth;
            ops.push_back(op);
            continue;
        }
        const Placement& n = to[j++];
        FrameOp op;
        op.depth = n.depth;
        op.id = n.id;
        op.matrix = n.matrix;
        op.cxform = n.cxform;
        if (i < from.size() && from[i].depth == n.depth) {
            const Placement& o = from[i++];
            if (o.id == n.id) {
                if (o.matrix == n.matrix && o.cxform == n.cxform)
                    continue;
                op.kind = FrameOp::Move;
                op.fromMatrix = o.matrix;
                op.fromCxform = o.cxform;
            }
        }
        ops.push_back(op);
    }
    return ops;
}

bool DecodeLists(const ActionRecorder& recorder, std::vector<ActionList>& out, std::string& error) {
    out.clear();
    for (const auto& bytes : recorder.lists) {
        ActionList list;
        if (!DecodeActions(bytes, list, error))
            return false;
        out.push_back(std::move(list));
    }
    return true;
}

// ---- characters ----

class CharacterReader {
public:
    CharacterReader(const player::CharacterDictionary& dict, Movie& movie)
        : dict_(dict), movie_(movie) {}

    // Reads character `id` and everything it shows.
    bool Use(uint16_t id, int nesting, std::string& error) {
        const auto state = state_.find(id);
        if (state != state_.end()) {
            if (state->second == kDone)
                return true;
            error = "character " + std::to_string(id) + " shows itself";
            return false;
        }
        if (nesting > kMaxNesting) {
            error = "character " + std::to_string(id) + ": its buttons and sprites nest more " +
                    "than " + std::to_string(kMaxNesting) + " deep";
            return false;
        }
        const Character* ch = dict_.Find(id);
        if (!ch) {
            error = "character " + std::to_string(id) + " is not defined";
            return false;
        }
        state_[id] = kReading;
        CharacterDef def;
        bool ok = false;
        std::string why;
        switch (ch->type) {
        case CharacterType::Shape:
            def.kind = CharacterDef::Shape;
            ok = ReadShapeOutline(ch->Data(), ShapeVersion(ch->tagCode), def.outline, why);
            break;
        case CharacterType::Text:
            def.kind = CharacterDef::Text;
            ok = ReadText(*ch, def, why);
            break;
        case CharacterType::Button:
            def.kind = CharacterDef::Button;
            ok = ReadButton(*ch, def, nesting, why);
            break;
        case CharacterType::Sprite:
            def.kind = CharacterDef::Sprite;
            ok = ReadSprite(*ch, def, nesting, why);
            break;
        default:
            why = "it is a kind of character the page cannot show";
            break;
        }
        if (!ok) {
            // Errors of characters inside this one already name their character.
            error = why.rfind("character ", 0) == 0
                        ? why
                        : "character " + std::to_string(id) + ": " + why;
            return false;
        }
        movie_.characters[id] = std::move(def);
        state_[id] = kDone;
        return true;
    }

private:
    enum State { kReading, kDone };

    static int ShapeVersion(uint8_t tagCode) {
        return tagCode == kTagDefineShape3 ? 3 : tagCode == kTagDefineShape2 ? 2 : 1;
    }

    bool ReadText(const Character& ch, CharacterDef& def, std::string& error) {
        const auto data = ch.Data();
        BitReader in(data.data(), data.size());
        def.bounds = ch.bounds;
        def.textMatrix = in.ReadMatrix();
        const unsigned glyphBits = in.U8();
        const unsigned advanceBits = in.U8();
        if (!in.ok() || glyphBits > 32 || advanceBits > 32) {
            error = "its text header is damaged";
            return false;
        }
        player::render::TextRecordReader records(in, glyphBits, advanceBits,
                                                 ch.tagCode == kTagDefineText2);
        player::render::TextRecord rec;
        const Character* font = nullptr;
        uint16_t fontId = 0, height = 0;
        bool haveColour = false;
        uint32_t slot = 0;
        while (records.Next(rec)) {
            if (rec.type == player::render::TextRecord::Style) {
                if (rec.flags & 0x08) {
                    font = dict_.Find(rec.fontId);
                    if (!font || font->type != CharacterType::Font) {
                        error =
                            "it uses font " + std::to_string(rec.fontId) + ", which is not defined";
                        return false;
                    }
                    fontId = rec.fontId;
                    height = rec.height;
                }
                if (rec.hasColor) {
                    haveColour = true;
                    slot = ColourSlot(def.colours, rec.argb);
                }
                continue;
            }
            if (!font) {
                error = "its glyphs come before any font";
                return false;
            }
            if (!haveColour)
                continue; // the player draws glyphs without a colour as nothing
            if (!UseGlyph(*font, fontId, rec.glyph, error))
                return false;
            def.glyphs.push_back({fontId, rec.glyph, rec.x, rec.y, height, slot});
        }
        if (!in.ok()) {
            error = "its text records are cut short";
            return false;
        }
        return true;
    }

    static uint32_t ColourSlot(std::vector<uint32_t>& colours, uint32_t argb) {
        for (size_t i = 0; i < colours.size(); ++i)
            if (colours[i] == argb)
                return uint32_t(i);
        colours.push_back(argb);
        return uint32_t(colours.size() - 1);
    }

    bool UseGlyph(const Character& font, uint16_t fontId, uint32_t glyph, std::string& error) {
        auto& glyphs = movie_.glyphs[fontId];
        if (glyphs.count(glyph))
            return true;
        const player::render::FontGlyphTable table(font.Data(), font.tagCode);
        const auto shape = table.Glyph(glyph);
        if (shape.empty()) {
            error = "glyph " + std::to_string(glyph) + " of font " + std::to_string(fontId) +
                    " is missing";
            return false;
        }
        std::string d;
        if (!ReadGlyphPath(shape, d, error)) {
            error = "font " + std::to_string(fontId) + ": " + error;
            return false;
        }
        glyphs[glyph] = std::move(d);
        return true;
    }

    // The records and condition records of a DefineButton2 must end where their lengths say,
    // and the player's reader of the button must have found every one of them.
    static bool CheckButton2(const Character& ch, size_t recordCount, std::string& error) {
        const auto body = ch.Data();
        BitReader r(body.data(), body.size());
        const uint16_t actionOffset = r.U16();
        size_t count = 0;
        while (r.ok()) {
            const uint8_t flags = r.U8();
            if (!r.ok() || flags == 0)
                break;
            r.U16(), r.U16();
            r.ReadMatrix();
            r.ReadCxform(true);
            r.Align();
            ++count;
        }
        if (!r.ok() || count != recordCount) {
            error = "its button records are cut short";
            return false;
        }
        if (actionOffset != 0 && actionOffset != r.Pos()) {
            error = "its actions do not follow its records";
            return false;
        }
        for (size_t p = actionOffset; actionOffset != 0;) {
            if (body.size() < p + 4) {
                error = "its condition records are cut short";
                return false;
            }
            const size_t size = body[p] | size_t(body[p + 1]) << 8;
            if (size == 0)
                break;
            if (size < 4 || size > body.size() - p) {
                error = "its condition records are damaged";
                return false;
            }
            p += size;
        }
        return true;
    }

    bool ReadButton(const Character& ch, CharacterDef& def, int nesting, std::string& error) {
        const player::ButtonRecords parsed = player::ButtonRecords::Read(ch);
        if (ch.tagCode == kTagDefineButton2 && !CheckButton2(ch, parsed.records.size(), error))
            return false;
        def.menu = parsed.trackAsMenu;
        const auto& bytes = ch.owner ? ch.owner->SharedBytes() : nullptr;
        for (const auto& list : parsed.actions) {
            if (!bytes || list.offset > bytes->size() ||
                list.length > bytes->size() - list.offset) {
                error = "its actions lie outside the movie";
                return false;
            }
            ActionList actions;
            if (!DecodeActions({bytes->data() + list.offset, list.length}, actions, error))
                return false;
            def.actions.emplace_back(list.conditions, std::move(actions));
        }
        for (const auto& rec : parsed.records) {
            // A record that shows nothing the page needs (a state never shown) is still read,
            // as the player could show it.
            if (!Use(rec.characterId, nesting + 1, error))
                return false;
            def.records.push_back({rec.states, rec.characterId, rec.depth, rec.matrix, rec.cxform});
        }
        return true;
    }

    bool ReadSprite(const Character& ch, CharacterDef& def, int nesting, std::string& error) {
        const auto data = ch.Data();
        const uint32_t limit = uint32_t(data.size());
        uint32_t pos = 0;
        int frames = 0;
        std::map<uint16_t, Placement> objects;
        for (;;) {
            TagHeader h;
            if (!TagHeader::Read(data.data(), limit, pos, h)) {
                error = "its tags are cut short";
                return false;
            }
            if (h.code == kTagEnd)
                break;
            if (frames > 0) {
                // The player would run them one frame later, as a second frame.
                error = "it is a sprite of several frames, which the page cannot play";
                return false;
            }
            BitReader r(data.data(), h.end, h.bodyPos);
            switch (h.code) {
            case kTagShowFrame:
                ++frames;
                break;
            case kTagPlaceObject:
            case kTagPlaceObject2: {
                const player::PlaceRecord p = h.code == kTagPlaceObject2
                                                  ? player::ReadPlaceObject2(r)
                                                  : player::ReadPlaceObject(r, h.end);
                if (!r.ok()) {
                    error = "a " + TagText(h.code) + " in it is damaged";
                    return false;
                }
                if (p.flags & player::PlaceInfo::kHasClipDepth) {
                    error = "it uses clipping layers, which the page cannot show";
                    return false;
                }
                const bool move =
                    h.code == kTagPlaceObject2 && (p.flags & player::PlaceInfo::kMove);
                auto it = objects.find(p.depth);
                if (move) {
                    if (it == objects.end())
                        break;
                    if (p.flags & player::PlaceInfo::kHasCharacter)
                        it->second.id = p.characterId;
                    if (p.flags & player::PlaceInfo::kHasMatrix)
                        it->second.matrix = p.matrix;
                    if (p.flags & player::PlaceInfo::kHasCxform)
                        it->second.cxform = p.cxform;
                    break;
                }
                if (!(p.flags & player::PlaceInfo::kHasCharacter))
                    break;
                if (it != objects.end()) {
                    error = "it places two objects at depth " + std::to_string(p.depth);
                    return false;
                }
                objects[p.depth] = {p.depth, p.characterId, p.matrix, p.cxform};
                break;
            }
            case kTagRemoveObject:
            case kTagRemoveObject2: {
                if (h.code == kTagRemoveObject)
                    r.U16();
                const uint16_t depth = r.U16();
                if (!r.ok()) {
                    error = "a " + TagText(h.code) + " in it is damaged";
                    return false;
                }
                objects.erase(depth);
                break;
            }
            default:
                error = "it holds " + TagText(h.code) + ", which the page cannot show in a sprite";
                return false;
            }
            pos = h.end;
        }
        if (frames > 1 || ch.frameCount > 1) {
            error = "it is a sprite of several frames, which the page cannot play";
            return false;
        }
        for (auto& [depth, p] : objects) {
            if (!Use(p.id, nesting + 1, error))
                return false;
            def.children.push_back(p);
        }
        return true;
    }

    const player::CharacterDictionary& dict_;
    Movie& movie_;
    std::map<uint16_t, State> state_;
};

bool UseCharacters(const DisplayState& state, CharacterReader& reader, std::string& error) {
    for (const Placement& p : state)
        if (!reader.Use(p.id, 0, error))
            return false;
    return true;
}

bool UseOps(const std::vector<FrameOp>& ops, CharacterReader& reader, std::string& error) {
    for (const FrameOp& op : ops)
        if (op.kind == FrameOp::Place && !reader.Use(op.id, 0, error))
            return false;
    return true;
}

} // namespace

bool ReadMovie(std::span<const uint8_t> swf, Movie& out, std::string& error) {
    out = Movie();
    if (swf.size() < 8) {
        error = "it is not an SWF movie (too short)";
        return false;
    }
    if (swf[0] == 'C' && swf[1] == 'W' && swf[2] == 'S') {
        error = "it is a compressed SWF movie; export the movie uncompressed";
        return false;
    }
    if (swf[0] != 'F' || swf[1] != 'W' || swf[2] != 'S') {
        error = "it is not an SWF movie";
        return false;
    }
    const uint32_t declared =
        uint32_t(swf[4]) | uint32_t(swf[5]) << 8 | uint32_t(swf[6]) << 16 | uint32_t(swf[7]) << 24;
    if (declared > swf.size()) {
        error = "it is cut short: its header says " + std::to_string(declared) +
                " bytes, there are " + std::to_string(swf.size());
        return false;
    }
    if (declared < 8) {
        error = "its header is damaged";
        return false;
    }
    const std::span<const uint8_t> data = swf.first(declared);
    BitReader header(data.data(), data.size(), 8);
    out.frameRect = header.ReadRect();
    header.U16();
    header.U16();
    if (!header.ok()) {
        error = "its header is cut short";
        return false;
    }
    if (out.frameRect.IsEmpty() || out.frameRect.Width() <= 0 || out.frameRect.Height() <= 0) {
        error = "its stage has no size";
        return false;
    }
    Scan scan;
    if (!ScanMovie(data, uint32_t(header.Pos()), scan, error))
        return false;
    out.labels = std::move(scan.labels);

    // The player plays the timeline; the recorder keeps each frame's actions.
    player::HeadlessHost host;
    auto recorderOwner = std::make_unique<ActionRecorder>();
    ActionRecorder& recorder = *recorderOwner;
    host.SetActionInterpreter(std::move(recorderOwner));
    host.Load(data.data(), data.size());
    player::MovieLevel& level = host.Level0();
    if (!host.Loaded() || level.currentFrame < 0) {
        error = "it has no frames";
        return false;
    }
    out.frameMs = level.frameMs;
    out.hasBackground = host.GetDisplayList().hasBackground;
    out.background = host.GetDisplayList().backgroundColor;

    DisplayState previous;
    if (!Snapshot(level.rootObject, out.firstFrame, error))
        return false;
    out.frameOps.push_back(Diff({}, out.firstFrame));
    out.frameActions.emplace_back();
    if (!DecodeLists(recorder, out.frameActions.back(), error))
        return false;
    recorder.lists.clear();
    previous = out.firstFrame;
    DisplayState current;
    uint64_t objectFrames = previous.size();
    for (int32_t frame = 1;; ++frame) {
        level.Seek(frame, false);
        host.RunActions();
        if (!Snapshot(level.rootObject, current, error))
            return false;
        objectFrames += current.size();
        if (objectFrames > kMaxObjectFrames) {
            error = "it keeps too many objects on stage for too many frames for a page";
            return false;
        }
        std::vector<ActionList> lists;
        if (!DecodeLists(recorder, lists, error))
            return false;
        recorder.lists.clear();
        if (level.currentFrame < frame) {
            // The end of the movie: what its last tags did.
            out.tailOps = Diff(previous, current);
            out.tailActions = std::move(lists);
            break;
        }
        if (out.frameOps.size() >= kMaxFrames) {
            error = "it has more than " + std::to_string(kMaxFrames) + " frames";
            return false;
        }
        out.frameOps.push_back(Diff(previous, current));
        out.frameActions.push_back(std::move(lists));
        std::swap(previous, current);
    }
    if (recorder.spriteActions) {
        error = "a sprite of it runs actions, which the page cannot do";
        return false;
    }

    CharacterReader reader(level.dictionary, out);
    for (const auto& ops : out.frameOps)
        if (!UseOps(ops, reader, error))
            return false;
    if (!UseOps(out.tailOps, reader, error) || !UseCharacters(out.firstFrame, reader, error))
        return false;
    return true;
}

} // namespace tavro::html5
