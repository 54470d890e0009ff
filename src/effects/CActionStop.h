// Stops the timeline (action record 0x07). A stop in a frame event also lets the effect
// timeline bring a text button to rest as one character (CEventObj::HasStopAtFrame).
#pragma once

#include "effects/CActionObj.h"

namespace tavro {

class CActionStop : public CActionObj {
    TAVRO_DECLARE_CLASS(CActionStop)
public:
    explicit CActionStop(CTavroObj* parent = nullptr);

    void Serialize(Archive& ar) override;
    std::string GetName() const override;
    bool ExportAction(CSwfWriter& writer) const override;
    uint32_t GetRecordSize() const override;
};

} // namespace tavro
