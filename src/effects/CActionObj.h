// The base of every action of an event: what happens when the event fires. An action writes
// itself as SWF action records into the writer's current action list (a DoAction tag or a
// button condition record opened by its event). The base action is shown as "Unknown Action"
// and writes nothing.
#pragma once

#include "model/CTavroObj.h"

#include <cstdint>
#include <string>

namespace tavro {

class CSwfWriter;

class CActionObj : public CTavroObj {
    TAVRO_DECLARE_CLASS(CActionObj)
public:
    // Page id of an action without a property panel.
    static constexpr int kNoPage = -1;

    explicit CActionObj(CTavroObj* parent = nullptr);

    void Serialize(Archive& ar) override;
    // The action's display name (the tree of the "Actions" page shows it). The object's stored
    // name (SetName, archived with the base) is kept but not shown.
    std::string GetName() const override;

    // Appends this action's records; true when done. Texts end at their first zero byte, and
    // texts too long for a record's 16-bit length are cut so that the length stays true.
    virtual bool ExportAction(CSwfWriter& writer) const;
    // The number of bytes ExportAction writes (0 when it writes nothing).
    virtual uint32_t GetRecordSize() const;

    // Identifier of the action's property panel template; kNoPage for none. Not archived: each
    // constructor sets it.
    int GetPageId() const { return page_; }

protected:
    CActionObj(CTavroObj* parent, int page);

private:
    int page_;
};

} // namespace tavro
