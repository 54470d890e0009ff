// Hide: removes the object from the display list in one frame. A one-frame marker on the
// timeline, red.
#pragma once

#include "effects/CEffectObj.h"

namespace tavro {

class CEffectHide : public CEffectObj {
    TAVRO_DECLARE_CLASS(CEffectHide)
public:
    explicit CEffectHide(CTavroObj* parent = nullptr);
    ~CEffectHide() override;

    // The effect part, then a version byte of its own (1), ignored when reading.
    void Serialize(Archive& ar) override;

    // Removes the owner from the display list; true.
    bool ExportFrame(CSwfWriter& writer, int frame, const CMatrix3& matrix,
                     const CColorTransform& cxform) override;
    std::string GetDefaultName() const override;
    bool ShowsNameInTimeline() const override;
    bool CanSetNumFrames() const override;
    std::optional<CColor> GetTimelineColor() const override;
    // No dialog of its own: true.
    bool EditSettings(bool recordUndo) override;
    bool HasSettingsDialog() const override;
    bool IsVisibleAtEnd() const override;
};

} // namespace tavro
