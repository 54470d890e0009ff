// Alternate Letters: every other letter moves in from (or out to) alternating sides. Counting
// the visible letters from 0, letters 0, 4, 8, ... move by the offset, letters 2, 6, 10, ... by
// the opposite offset, and they scale, turn and fade on the way; the odd letters stay where they
// are, unchanged. "Letters Move In" ends at the letters' current placement, "Letters Move Out"
// starts there.
#pragma once

#include "effects/CTextEffectObj.h"
#include "effects/LetterFrame.h"

#include <cstdint>
#include <string>

namespace tavro {

class CEffectAlternate : public CTextEffectObj {
    TAVRO_DECLARE_CLASS(CEffectAlternate)
public:
    enum Direction : int32_t { kMoveIn = 0, kMoveOut = 1 };

    static constexpr int kDefaultFrames = 20;
    static constexpr double kDefaultOffsetDown = 50.0;
    static constexpr double kDefaultScale = 100.0;
    static constexpr double kDefaultFade = 100.0;

    explicit CEffectAlternate(CTavroObj* parent = nullptr);
    ~CEffectAlternate() override;

    // The letter-effect part, a version byte (1), offset right, offset down, rotate, scale,
    // fade (doubles), direction (int32).
    void Serialize(Archive& ar) override;

    bool ExportFrame(CSwfWriter& writer, int frame, const CMatrix3& matrix,
                     const CColorTransform& cxform) override;
    // Letters to rest, and their placement taken as the one every frame of the run computes
    // from.
    void OnEffectStart(CSwfWriter& writer) override;
    void OnEffectEnd(CSwfWriter& writer) override;
    // "Alternate Letters", also the description of a new effect.
    std::string GetDefaultName() const override;
    // Opens the "Alternating Letters" dialog.
    bool EditSettings(bool recordUndo) override;

    // The weight of the visible letter with index v (from 0): +1, -1 or 0.
    static int Weight(int64_t visibleIndex);

    double GetOffsetRight() const { return offsetRight_; } // pixels
    void SetOffsetRight(double offset) { offsetRight_ = offset; }
    double GetOffsetDown() const { return offsetDown_; } // pixels
    void SetOffsetDown(double offset) { offsetDown_ = offset; }
    double GetRotate() const { return rotate_; } // degrees
    void SetRotate(double rotate) { rotate_ = rotate; }
    double GetScale() const { return scale_; } // percent
    void SetScale(double scale) { scale_ = scale; }
    double GetFade() const { return fade_; } // percent
    void SetFade(double fade) { fade_ = fade; }
    // Direction; any value but kMoveOut moves in.
    int32_t GetDirection() const { return direction_; }
    void SetDirection(int32_t direction) { direction_ = direction; }
    bool IsMovingOut() const { return direction_ == kMoveOut; }

private:
    LetterFrame frame_; // the run's starting placement; not archived
    double offsetRight_ = 0.0;
    double offsetDown_ = kDefaultOffsetDown;
    double rotate_ = 0.0;
    double scale_ = kDefaultScale;
    double fade_ = kDefaultFade;
    int32_t direction_ = kMoveIn;
};

} // namespace tavro
