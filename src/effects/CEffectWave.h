// Wave Letters: a wave runs along the text, lifting (or pushing aside) each letter in turn as
// its crest passes, optionally tilting the letters to follow the slope, scaling and fading them
// with the wave's height. Every letter is back at rest once the wave has passed it.
//
// The wave has a length (pixels per cycle) and a period (frames per cycle). It travels from the
// first letter to the last ("Forward") or back ("Backward") over a span of whole cycles: the
// largest whole number of cycles that every letter can finish within the effect, at least one.
#pragma once

#include "effects/CTextEffectObj.h"
#include "effects/LetterFrame.h"

namespace tavro {

class CEffectWave : public CTextEffectObj {
    TAVRO_DECLARE_CLASS(CEffectWave)
public:
    enum Direction : int32_t { kForward = 0, kBackward = 1 };
    enum Movement : int32_t { kUpDown = 0, kSideToSide = 1 };

    // 30 frames, period 10, length 300, forward, up / down, rotating, move by -20.
    explicit CEffectWave(CTavroObj* parent = nullptr);
    ~CEffectWave() override;

    // The text effect part, a version byte (1), then the parameters.
    void Serialize(Archive& ar) override;

    bool ExportFrame(CSwfWriter& writer, int frame, const CMatrix3& matrix,
                     const CColorTransform& cxform) override;
    // Letters to rest; the run computes from there.
    void OnEffectStart(CSwfWriter& writer) override;
    void OnEffectEnd(CSwfWriter& writer) override;
    // "Wave"
    std::string GetDefaultName() const override;
    // Opens the "Wave Letters" dialog.
    bool EditSettings(bool recordUndo) override;

    int32_t GetPeriod() const { return period_; }
    void SetPeriod(int32_t frames) { period_ = frames; }
    double GetLength() const { return length_; }
    void SetLength(double pixels) { length_ = pixels; }
    int32_t GetDirection() const { return direction_; }
    void SetDirection(int32_t direction) { direction_ = direction; }
    int32_t GetMovement() const { return movement_; }
    void SetMovement(int32_t movement) { movement_ = movement; }
    bool GetRotateToFollow() const { return rotateToFollow_ != 0; }
    void SetRotateToFollow(bool rotate) { rotateToFollow_ = rotate ? 1 : 0; }
    double GetMoveBy() const { return moveBy_; }
    void SetMoveBy(double pixels) { moveBy_ = pixels; }
    double GetHorizontalScale() const { return horizontalScale_; }
    void SetHorizontalScale(double percent) { horizontalScale_ = percent; }
    double GetVerticalScale() const { return verticalScale_; }
    void SetVerticalScale(double percent) { verticalScale_ = percent; }
    double GetAlphaFade() const { return alphaFade_; }
    void SetAlphaFade(double percent) { alphaFade_ = percent; }

private:
    int32_t period_ = 10;
    double length_ = 300.0;
    int32_t direction_ = kForward;
    int32_t movement_ = kUpDown;
    int32_t rotateToFollow_ = 1;
    double moveBy_ = -20.0;
    double horizontalScale_ = 0.0;
    double verticalScale_ = 0.0;
    double alphaFade_ = 0.0;

    LetterFrame frame_; // where the letters stood when the run began
};

} // namespace tavro
