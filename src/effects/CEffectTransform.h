// Transform: the plain effect with the user's start and transform parameters; its settings are
// the "Effect Properties" dialog itself.
#pragma once

#include "effects/CEffectObj.h"

namespace tavro {

class CEffectTransform : public CEffectObj {
    TAVRO_DECLARE_CLASS(CEffectTransform)
public:
    explicit CEffectTransform(CTavroObj* parent = nullptr);
    ~CEffectTransform() override;

    // The effect part, then a version byte of its own (1), ignored when reading.
    void Serialize(Archive& ar) override;

    std::string GetDefaultName() const override;
    // Opens the "Effect Properties" dialog.
    bool EditSettings(bool recordUndo) override;
};

} // namespace tavro
