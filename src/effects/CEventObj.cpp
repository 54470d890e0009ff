#include "effects/CEventObj.h"

#include "effects/CActionObj.h"
#include "effects/CActionStop.h"
#include "effects/EffectStrings.h"
#include "model/Archive.h"
#include "swf/SwfRecords.h"

#include <limits>

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CEventObj, CTavroObj, 1)

const std::array<CEventObj::ConditionWord, 7> CEventObj::kConditionWords{{
    {kRollOver, string_id::kRollOver, "Roll Over"},
    {kRollOut, string_id::kRollOut, "Roll Out"},
    {kPress, string_id::kPress, "Press"},
    {kRelease, string_id::kRelease, "Release"},
    {kDragOut, string_id::kDragOut, "Drag Out"},
    {kDragOver, string_id::kDragOver, "Drag Over"},
    {kReleaseOutside, string_id::kReleaseOutside, "Release Outside"},
}};

const std::array<CEventObj::ConditionBox, 7> CEventObj::kConditionBoxes{{
    {"&Press", kPress},
    {"&Release", kRelease},
    {"On Roll Over", kRollOver},
    {"On Roll Out", kRollOut},
    {"On Drag Over", kDragOver},
    {"On Drag Out", kDragOut},
    {"On Release Outside", kReleaseOutside},
}};

namespace {

// A condition record's 16-bit offset covers its own four header bytes, the action records and
// the end byte.
constexpr uint64_t kConditionRecordActionLimit = 0xFFFF - 5;
// A DoAction tag has a 32-bit length; keep well inside the writer's 32-bit positions.
constexpr uint64_t kDoActionLimit = std::numeric_limits<int32_t>::max();

} // namespace

CEventObj::CEventObj(CTavroObj* parent, int32_t conditions)
    : CTavroObj(parent), conditions_(conditions) {}

void CEventObj::Serialize(Archive& ar) {
    CTavroObj::Serialize(ar);
    if (ar.SerializeVersion(classInfo) == 0)
        return;
    if (ar.IsStoring())
        ar.WriteInt(conditions_);
    else
        conditions_ = ar.ReadInt();
}

int CEventObj::GetPageId() const {
    return kPage;
}

bool CEventObj::ExportEvent(CSwfWriter& writer, int frame) const {
    if (frame >= 0)
        return true; // a frame loop: a button event has nothing to write there
    return WriteConditionRecord(writer);
}

std::string CEventObj::GetDisplayName() const {
    return ConditionsDisplayName(conditions_);
}

int CEventObj::GetFrame() const {
    return -1;
}

void CEventObj::SetFrame(int) {}

bool CEventObj::HasActions() const {
    for (const auto& child : GetChildList()) {
        if (DynamicCast<CActionObj>(child.get()) != nullptr)
            return true;
    }
    return false;
}

bool CEventObj::HasStopAction() const {
    for (const auto& child : GetChildList()) {
        if (DynamicCast<CActionStop>(child.get()) != nullptr)
            return true;
    }
    return false;
}

std::string CEventObj::ConditionsDisplayName(int32_t conditions) {
    std::string name = "On (";
    bool first = true;
    for (const ConditionWord& c : kConditionWords) {
        if ((conditions & c.bit) == 0)
            continue;
        if (!first)
            name += ',';
        name += LoadEffectString(c.stringId);
        first = false;
    }
    name += ')';
    return name;
}

bool CEventObj::HasStopAtFrame(const CTavroObj& events, int frame) {
    if (frame < 0)
        return false;
    for (const auto& child : events.GetChildList()) {
        const auto* event = DynamicCast<CEventObj>(child.get());
        if (event != nullptr && event->GetFrame() == frame && event->HasStopAction())
            return true;
    }
    return false;
}

uint16_t CEventObj::WrittenConditions(int32_t conditions) {
    // "Release Outside" is the release after the mouse was pressed on the button and dragged
    // off it. For a button that is not a menu (all of the editor's) that is the transition
    // out-down -> idle, bit 6; the stored bit 8 (over-down -> idle) is the same release for
    // menu buttons only. Both are written, so the event fires for either kind of button.
    constexpr int32_t kOutDownToIdle = 64;
    if (conditions & kReleaseOutside)
        conditions |= kOutDownToIdle;
    return static_cast<uint16_t>(conditions & 0xFFFF);
}

bool CEventObj::WriteConditionRecord(CSwfWriter& writer) const {
    if (!HasActions())
        return true;
    const uint32_t sizePosition = BeginButtonCondition(writer, WrittenConditions(conditions_));
    const bool complete = WriteActionRecords(writer, kConditionRecordActionLimit);
    EndButtonCondition(writer, sizePosition);
    return complete;
}

bool CEventObj::WriteDoActionTag(CSwfWriter& writer) const {
    if (!HasActions())
        return true;
    BeginDoAction(writer);
    const bool complete = WriteActionRecords(writer, kDoActionLimit);
    EndDoAction(writer);
    return complete;
}

bool CEventObj::WriteActionRecords(CSwfWriter& writer, uint64_t limit) const {
    bool complete = true;
    uint64_t total = 0;
    for (const auto& child : GetChildList()) {
        const auto* action = DynamicCast<CActionObj>(child.get());
        if (action == nullptr)
            continue;
        const uint32_t size = action->GetRecordSize();
        if (total + size > limit || !action->ExportAction(writer)) {
            complete = false;
            continue;
        }
        total += size;
    }
    return complete;
}

} // namespace tavro
