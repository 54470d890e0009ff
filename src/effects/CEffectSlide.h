// Slide: moves the object in from just outside one edge or corner of the stage to its home
// position ("Slide In"), or from its home position out to just outside the stage ("Slide Out").
// The positions are preset at the start of every run from the object's bounds, scale and angle,
// so that the object ends up touching the stage edge from outside.
#pragma once

#include "effects/CEffectObj.h"

namespace tavro {

class CEffectSlide : public CEffectObj {
    TAVRO_DECLARE_CLASS(CEffectSlide)
public:
    enum Direction : int32_t {
        kLeft = 0,
        kRight = 1,
        kTop = 2,
        kBottom = 3,
        kTopLeft = 4,
        kTopRight = 5,
        kBottomLeft = 6,
        kBottomRight = 7,
    };
    static constexpr int kDirectionCount = 8;

    // A slide in starts fully opaque (start alpha set to 100 %).
    explicit CEffectSlide(bool slideOut = false, int32_t direction = kLeft,
                          CTavroObj* parent = nullptr);
    ~CEffectSlide() override;

    // The effect part, a version byte (1), slide out and direction.
    void Serialize(Archive& ar) override;

    // Start and end positions from the off-stage box and the home position (see the class note).
    void OnEffectStart(CSwfWriter& writer) override;
    // "Slide In From Left", "Slide Out To Bottom Right", ...
    std::string GetDefaultName() const override;
    // Opens the "Slide Effect" dialog.
    bool EditSettings(bool recordUndo) override;
    // The base test, and a slide out ends off the stage.
    bool IsVisibleAtEnd() const override;

    bool IsSlideOut() const { return slideOut_ != 0; }
    void SetSlideOut(bool slideOut) { slideOut_ = slideOut ? 1 : 0; }
    int32_t GetDirection() const { return direction_; }
    void SetDirection(int32_t direction) { direction_ = direction; }

private:
    int32_t slideOut_;
    int32_t direction_;
};

} // namespace tavro
