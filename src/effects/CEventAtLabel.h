// A frame event placeholder: stored and listed with its actions, but it has no frame and
// writes nothing.
#pragma once

#include "effects/CEventObj.h"

namespace tavro {

class CEventAtLabel : public CEventObj {
    TAVRO_DECLARE_CLASS(CEventAtLabel)
public:
    // A panel that only shows "AT LABEL DIALOG".
    static constexpr int kPage = 197;

    explicit CEventAtLabel(CTavroObj* parent = nullptr);

    void Serialize(Archive& ar) override;

    int GetPageId() const override;
    bool ExportEvent(CSwfWriter& writer, int frame) const override;
    // "At Label".
    std::string GetDisplayName() const override;
};

} // namespace tavro
