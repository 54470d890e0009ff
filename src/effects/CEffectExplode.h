// Explode: the letters fly apart from a bomb, pulled by gravity, growing, turning and fading as
// they go ("Explode"), or the same played backwards so that they fly together and end at rest
// ("Implode").
//
// Each letter's speed and turn come from a small linear congruential generator that is seeded
// afresh at every frame, so every letter receives the same random numbers on every frame and
// every export gives the same explosion. A letter standing exactly on the bomb has no direction
// to fly in: it only falls with gravity.
#pragma once

#include "effects/CTextEffectObj.h"
#include "effects/LetterFrame.h"

#include <cstdint>

namespace tavro {

class CEffectExplode : public CTextEffectObj {
    TAVRO_DECLARE_CLASS(CEffectExplode)
public:
    // The random generator: a 32-bit state; each draw gives 0..32767.
    class Random {
    public:
        explicit Random(uint32_t seed) : state_(seed) {}
        int Draw() {
            state_ = state_ * 214013u + 2531011u;
            return static_cast<int>((state_ >> 16) & 0x7FFFu);
        }

    private:
        uint32_t state_;
    };
    static constexpr int kRandomMax = 32767;

    // 30 frames, bomb at (0, 30) pixels, gravity 1 downwards (90 degrees), velocity 8, seed 1,
    // scale 20 %, rotate 90 degrees, fade 100 %, explode.
    explicit CEffectExplode(CTavroObj* parent = nullptr);
    ~CEffectExplode() override;

    // The text effect part, a version byte (1), then the parameters.
    void Serialize(Archive& ar) override;

    bool ExportFrame(CSwfWriter& writer, int frame, const CMatrix3& matrix,
                     const CColorTransform& cxform) override;
    void OnEffectStart(CSwfWriter& writer) override;
    void OnEffectEnd(CSwfWriter& writer) override;
    // "Explode"
    std::string GetDefaultName() const override;
    // Opens the "Explode Effect" dialog.
    bool EditSettings(bool recordUndo) override;
    // The base test, and the letters are still there: an implosion, or a fade below 100 %.
    bool IsVisibleAtEnd() const override;

    int32_t GetBombX() const { return bombX_; }
    int32_t GetBombY() const { return bombY_; }
    void SetBomb(int32_t x, int32_t y) {
        bombX_ = x;
        bombY_ = y;
    }
    double GetGravityDirection() const { return gravityDirection_; }
    void SetGravityDirection(double degrees) { gravityDirection_ = degrees; }
    double GetGravityStrength() const { return gravityStrength_; }
    void SetGravityStrength(double strength) { gravityStrength_ = strength; }
    double GetVelocity() const { return velocity_; }
    void SetVelocity(double velocity) { velocity_ = velocity; }
    int32_t GetRandomSeed() const { return randomSeed_; }
    void SetRandomSeed(int32_t seed) { randomSeed_ = seed; }
    double GetScale() const { return scale_; }
    void SetScale(double percent) { scale_ = percent; }
    double GetRotate() const { return rotate_; }
    void SetRotate(double degrees) { rotate_ = degrees; }
    bool GetUniformRotation() const { return uniformRotation_ != 0; }
    void SetUniformRotation(bool uniform) { uniformRotation_ = uniform ? 1 : 0; }
    int32_t GetFade() const { return fade_; }
    void SetFade(int32_t percent) { fade_ = percent; }
    bool GetImplode() const { return implode_ != 0; }
    void SetImplode(bool implode) { implode_ = implode ? 1 : 0; }

private:
    int32_t bombX_ = 0;
    int32_t bombY_ = 30;
    double gravityDirection_ = 90.0;
    double gravityStrength_ = 1.0;
    double velocity_ = 8.0;
    int32_t randomSeed_ = 1;
    double scale_ = 20.0;
    double rotate_ = 90.0;
    int32_t uniformRotation_ = 0;
    int32_t fade_ = 100;
    int32_t implode_ = 0;

    LetterFrame frame_; // where the letters stood when the run began
};

} // namespace tavro
