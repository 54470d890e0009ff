// A button event: the mouse transitions (condition bits) on which its actions run. The actions
// are the event's children, in order. The frame events CEventAtFrame and CEventAtLabel derive
// from it.
//
// Export. A symbol's button definition calls ExportEvent(writer, kButtonFrame) on each of its
// events, head first, to write the condition records; a scene or symbol frame loop calls
// ExportEvent(writer, f) on each of its events for every frame f it writes. Each kind writes
// only on its own call: a button event writes its condition record for kButtonFrame and nothing
// for a real frame, a frame event writes its DoAction tag only in its own frame and nothing for
// kButtonFrame. So an event that ends up in the other kind of list is ignored instead of
// writing a record where the format does not allow one.
#pragma once

#include "model/CTavroObj.h"

#include <array>
#include <cstdint>
#include <string>

namespace tavro {

class CActionObj;
class CSwfWriter;

class CEventObj : public CTavroObj {
    TAVRO_DECLARE_CLASS(CEventObj)
public:
    // Condition bits; written unchanged as the condition word of the button condition record.
    enum Condition : int32_t {
        kRollOver = 1,         // idle -> over-up
        kRollOut = 2,          // over-up -> idle
        kPress = 4,            // over-up -> over-down
        kRelease = 8,          // over-down -> over-up
        kDragOut = 16,         // over-down -> out-down
        kDragOver = 32,        // out-down -> over-down
        kReleaseOutside = 256, // over-down -> idle
    };

    struct ConditionWord {
        int32_t bit;
        int stringId;
        const char* word;
    };
    // The conditions in the order the display name lists them.
    static const std::array<ConditionWord, 7> kConditionWords;

    // The button-event panel (template 164): one check box per condition, in this order; the
    // panel's value is the or of the checked boxes.
    struct ConditionBox {
        const char* label;
        int32_t bit;
    };
    static const std::array<ConditionBox, 7> kConditionBoxes;

    static constexpr int kPage = 164;
    // The frame argument of ExportEvent when a button definition writes its condition records.
    static constexpr int kButtonFrame = -1;

    explicit CEventObj(CTavroObj* parent = nullptr, int32_t conditions = 0);

    void Serialize(Archive& ar) override;

    // Identifier of the event's property panel template.
    virtual int GetPageId() const;
    // See the note at the top. False when an action was left out because the button condition
    // record's 16-bit size could not hold it; everything else was still written.
    virtual bool ExportEvent(CSwfWriter& writer, int frame) const;
    // "On (" + the words of the set conditions joined by "," + ")".
    virtual std::string GetDisplayName() const;
    // The frame at which the event fires, or -1 for an event without a frame.
    virtual int GetFrame() const;
    virtual void SetFrame(int frame);

    int32_t GetConditions() const { return conditions_; }
    void SetConditions(int32_t conditions) { conditions_ = conditions; }

    // At least one child is an action. An event without actions writes nothing.
    bool HasActions() const;
    // One of the actions is a CActionStop.
    bool HasStopAction() const;

    // The display name of a condition set, as GetDisplayName gives it.
    static std::string ConditionsDisplayName(int32_t conditions);
    // The condition word a button's condition record carries for a stored set: as stored, with
    // the release outside of a normal button (bit 6) added to Release Outside.
    static uint16_t WrittenConditions(int32_t conditions);

    // Whether an event container (the children are events) holds an event at `frame` (>= 0)
    // with a stop action: the effect timeline's test for bringing a text button to rest.
    static bool HasStopAtFrame(const CTavroObj& events, int frame);

protected:
    // The button condition record: offset placeholder, condition word, the action records, the
    // end byte, then the offset patched. Nothing when there is no action.
    bool WriteConditionRecord(CSwfWriter& writer) const;
    // A DoAction tag with the action records and the end byte. Nothing when there is no action.
    bool WriteDoActionTag(CSwfWriter& writer) const;

private:
    // Appends the actions' records in list order, leaving out any that would take the total
    // beyond `limit` bytes. False when one was left out.
    bool WriteActionRecords(CSwfWriter& writer, uint64_t limit) const;

    int32_t conditions_;
};

} // namespace tavro
