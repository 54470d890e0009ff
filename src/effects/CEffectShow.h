// Show: places the object in one frame with the matrix and colour transform computed for that
// frame (so its transform tabs can still put it somewhere else). A one-frame marker on the
// timeline, green.
#pragma once

#include "effects/CEffectObj.h"

namespace tavro {

class CEffectShow : public CEffectObj {
    TAVRO_DECLARE_CLASS(CEffectShow)
public:
    explicit CEffectShow(CTavroObj* parent = nullptr);
    ~CEffectShow() override;

    // The effect part, then a version byte of its own (1), ignored when reading.
    void Serialize(Archive& ar) override;

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
