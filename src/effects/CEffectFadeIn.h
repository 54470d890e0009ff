// Fade In: runs from the object's present opacity (0 when it is not on the display list) to
// fully opaque. The alpha rows are preset at the start of every run and hidden in the dialog.
#pragma once

#include "effects/CEffectObj.h"

namespace tavro {

class CEffectFadeIn : public CEffectObj {
    TAVRO_DECLARE_CLASS(CEffectFadeIn)
public:
    explicit CEffectFadeIn(CTavroObj* parent = nullptr);
    ~CEffectFadeIn() override;

    // The effect part, then a version byte of its own (1), ignored when reading.
    void Serialize(Archive& ar) override;

    // Start alpha: set to the present opacity; transform alpha: set to 100 %.
    void OnEffectStart(CSwfWriter& writer) override;
    std::string GetDefaultName() const override;
    // No dialog of its own: true.
    bool EditSettings(bool recordUndo) override;
    bool HasSettingsDialog() const override;
    bool IsVisibleAtEnd() const override;
};

} // namespace tavro
