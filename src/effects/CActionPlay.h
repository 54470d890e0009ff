// Starts playing the timeline (action record 0x06).
#pragma once

#include "effects/CActionObj.h"

namespace tavro {

class CActionPlay : public CActionObj {
    TAVRO_DECLARE_CLASS(CActionPlay)
public:
    explicit CActionPlay(CTavroObj* parent = nullptr);

    void Serialize(Archive& ar) override;
    std::string GetName() const override;
    bool ExportAction(CSwfWriter& writer) const override;
    uint32_t GetRecordSize() const override;
};

} // namespace tavro
