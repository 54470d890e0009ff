// Revert: brings every letter back from wherever the effects before it left it to its laid-out
// place, unscaled, unrotated and opaque, turning each axis back the short way. It has no
// settings of its own.
#pragma once

#include "effects/CTextEffectObj.h"
#include "effects/LetterFrame.h"

#include <string>

namespace tavro {

class CEffectRevertText : public CTextEffectObj {
    TAVRO_DECLARE_CLASS(CEffectRevertText)
public:
    static constexpr int kDefaultFrames = 20;

    explicit CEffectRevertText(CTavroObj* parent = nullptr);
    ~CEffectRevertText() override;

    // The letter-effect part and a version byte (2); no fields.
    void Serialize(Archive& ar) override;

    bool ExportFrame(CSwfWriter& writer, int frame, const CMatrix3& matrix,
                     const CColorTransform& cxform) override;
    // The letters' current placement (where the previous effect left them, not their rest)
    // taken as the one every frame of the run computes from.
    void OnEffectStart(CSwfWriter& writer) override;
    void OnEffectEnd(CSwfWriter& writer) override;
    // "Revert".
    std::string GetDefaultName() const override;
    // No dialog of its own: true without one.
    bool EditSettings(bool recordUndo) override;
    bool HasSettingsDialog() const override;
    // The letters end opaque: true.
    bool IsVisibleAtEnd() const override;

private:
    LetterFrame frame_; // the run's starting placement; not archived
};

} // namespace tavro
