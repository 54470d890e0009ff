#include "player/buttons/ButtonRecords.h"

#include "player/BitReader.h"
#include "player/Character.h"
#include "swfformat/TagCodes.h"

namespace tavro::player {

using namespace swfformat;

namespace {

// The bytes of a condition record's header: its size (offset to the next record, 0 for the last)
// and its condition word.
constexpr size_t kConditionHeader = 4;

} // namespace

ButtonRecords ButtonRecords::Read(const Character& button) {
    ButtonRecords out;
    if (button.type != CharacterType::Button)
        return out;
    const auto body = button.Data();
    if (body.empty())
        return out;
    const bool second = button.tagCode == kTagDefineButton2;
    out.trackAsMenu = second && (button.trackAsMenu & 0x01);

    // DefineButton has one colour transform for all of its records, in DefineButtonCxform.
    ColorXform sharedCxform;
    if (!second) {
        const auto cx = button.Bytes(button.cxformData);
        BitReader cr(cx.data(), cx.size());
        ColorXform x = cr.ReadCxform(false);
        if (cr.ok() && !cx.empty())
            sharedCxform = x;
    }

    BitReader r(body.data(), body.size());
    uint16_t actionOffset = 0;
    if (second) {
        actionOffset = r.U16();
        if (!r.ok())
            return out;
    }
    bool terminated = false;
    size_t recordsEnd = 0;
    while (r.Remaining() > 0) {
        uint8_t flags = r.U8();
        if (flags == 0) {
            terminated = true;
            recordsEnd = r.Pos();
            break;
        }
        Record rec;
        rec.states = flags & 0x0F;
        rec.characterId = r.U16();
        rec.depth = r.U16();
        rec.matrix = r.ReadMatrix();
        rec.cxform = second ? r.ReadCxform(true) : sharedCxform;
        r.Align();
        if (!r.ok())
            break; // a truncated record ends the list
        out.records.push_back(rec);
    }

    const uint32_t base = button.data.offset;
    if (!second) {
        // The single action list follows the records' end byte and runs to the end of the tag.
        if (terminated && recordsEnd < body.size())
            out.actions.push_back({kReleaseCondition, uint32_t(base + recordsEnd),
                                   uint32_t(body.size() - recordsEnd)});
        return out;
    }
    if (actionOffset == 0)
        return out;
    // The action offset counts from its own field, the first two bytes of the body.
    size_t p = actionOffset;
    while (p <= body.size() && body.size() - p >= kConditionHeader) {
        const size_t size = body[p] | (size_t(body[p + 1]) << 8);
        const uint16_t conditions = uint16_t(body[p + 2] | (body[p + 3] << 8));
        const size_t start = p + kConditionHeader;
        size_t end = body.size();
        if (size != 0) {
            if (size < kConditionHeader || size > body.size() - p)
                break; // damaged: the size points inside its own header or past the tag
            end = p + size;
        }
        if (end > start)
            out.actions.push_back({conditions, uint32_t(base + start), uint32_t(end - start)});
        if (size == 0)
            break;
        p += size;
    }
    return out;
}

} // namespace tavro::player
