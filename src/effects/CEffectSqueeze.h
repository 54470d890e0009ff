// Squeeze: draws the letters of a text together or apart horizontally. Each letter's distance
// from a reference x is scaled from the start factor to the end factor over the effect's frames,
// while the letters fade: out when they spread apart, in when they close in (or stay).
//
// The reference is the object's own origin ("Squeeze to Center"), or the home x of the leftmost
// ("Squeeze to Left") or rightmost ("Squeeze to Right") visible letter, which therefore keeps its
// place.
#pragma once

#include "effects/CTextEffectObj.h"
#include "effects/LetterFrame.h"

#include <cstdint>
#include <string>

namespace tavro {

class CEffectSqueeze : public CTextEffectObj {
    TAVRO_DECLARE_CLASS(CEffectSqueeze)
public:
    enum Alignment : int32_t {
        kSqueezeToCenter = 0,
        kSqueezeToLeft = 1,
        kSqueezeToRight = 2,
    };

    static constexpr int kDefaultFrames = 20;
    static constexpr int32_t kDefaultStartFactor = 200;
    static constexpr int32_t kDefaultEndFactor = 100;
    static constexpr int32_t kDefaultFade = 100;

    explicit CEffectSqueeze(CTavroObj* parent = nullptr);
    ~CEffectSqueeze() override;

    // The letter-effect part, a version byte (2), start factor, end factor, alignment (from
    // version 1) and fade (from version 2). A version-1 squeeze keeps the default fade.
    void Serialize(Archive& ar) override;

    // Places every visible letter at its squeezed x with its faded alpha.
    bool ExportFrame(CSwfWriter& writer, int frame, const CMatrix3& matrix,
                     const CColorTransform& cxform) override;
    // Letters to rest, and their placement taken as the one every frame of the run computes
    // from.
    void OnEffectStart(CSwfWriter& writer) override;
    void OnEffectEnd(CSwfWriter& writer) override;
    // "Squeeze".
    std::string GetDefaultName() const override;
    // Opens the "Squeeze Effect" dialog.
    bool EditSettings(bool recordUndo) override;
    // The base test, and the letters end visible: they close in or keep their spacing (and so
    // fade in), or fade less than fully.
    bool IsVisibleAtEnd() const override;

    // Percent.
    int32_t GetStartFactor() const { return startFactor_; }
    void SetStartFactor(int32_t factor) { startFactor_ = factor; }
    int32_t GetEndFactor() const { return endFactor_; }
    void SetEndFactor(int32_t factor) { endFactor_ = factor; }
    // Alignment (0..2); any other value squeezes to the centre.
    int32_t GetAlignment() const { return alignment_; }
    void SetAlignment(int32_t alignment) { alignment_ = alignment; }
    // Percent of the alpha the letters lose.
    int32_t GetFade() const { return fade_; }
    void SetFade(int32_t fade) { fade_ = fade; }

private:
    LetterFrame frame_; // the run's starting placement; not archived
    int32_t startFactor_ = kDefaultStartFactor;
    int32_t endFactor_ = kDefaultEndFactor;
    int32_t alignment_ = kSqueezeToCenter;
    int32_t fade_ = kDefaultFade;
};

} // namespace tavro
