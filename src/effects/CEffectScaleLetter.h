// Scale Letters: the letters take turns, one after another, forward or backward through the
// text. In its turn a letter grows or shrinks from a far state (scaled, offset, rotated and faded
// by the effect's parameters) to where it stands ("Add Letters"), or from where it stands to the
// far state ("Remove Letters"). Letters whose turn has not come are absent when adding; letters
// whose turn is over are absent when removing.
//
// Each character of the text (spaces and line breaks included) has a turn of `frames per
// letter` frames followed by `wait` frames, so the effect lasts
// wait x (N - 1) + frames per letter x N frames for a text of N characters.
#pragma once

#include "effects/CTextEffectObj.h"
#include "effects/LetterFrame.h"

#include <cstdint>
#include <string>

namespace tavro {

class CEffectScaleLetter : public CTextEffectObj {
    TAVRO_DECLARE_CLASS(CEffectScaleLetter)
public:
    enum Order : int32_t { kForward = 0, kBackward = 1 };
    enum Style : int32_t { kAddLetters = 0, kRemoveLetters = 1 };

    static constexpr int32_t kDefaultFramesPerLetter = 5;
    static constexpr double kDefaultScale = 300.0;
    static constexpr double kDefaultFade = 100.0;

    explicit CEffectScaleLetter(CTavroObj* parent = nullptr);
    ~CEffectScaleLetter() override;

    // The letter-effect part, a version byte (1), frames per letter, wait (int32), scale,
    // rotate, fade, offset across, offset down (doubles), order, style (int32).
    void Serialize(Archive& ar) override;

    // Places the letters whose turn shows them: before, in or after their window.
    bool ExportFrame(CSwfWriter& writer, int frame, const CMatrix3& matrix,
                     const CColorTransform& cxform) override;
    // Computed from the owner's text and stored into the number-of-frames field (see the class
    // note); never below 0. Without an owner, the stored number.
    int GetNumFrames() const override;
    // Letters to rest; when adding, the owner's letters also leave the display list, so that
    // each letter appears only in its turn.
    void OnEffectStart(CSwfWriter& writer) override;
    void OnEffectEnd(CSwfWriter& writer) override;
    // "Scale Letters".
    std::string GetDefaultName() const override;
    // The length follows from the text: false.
    bool CanSetNumFrames() const override;
    // Opens the "Scaling Letters Effect" dialog.
    bool EditSettings(bool recordUndo) override;
    // The base test, and the letters were added, not removed.
    bool IsVisibleAtEnd() const override;

    // The length for a text of `characters` characters, within 0..INT32_MAX.
    int ComputeNumFrames(int64_t characters) const;

    int32_t GetFramesPerLetter() const { return framesPerLetter_; }
    void SetFramesPerLetter(int32_t frames) { framesPerLetter_ = frames; }
    int32_t GetWait() const { return wait_; }
    void SetWait(int32_t frames) { wait_ = frames; }
    double GetScale() const { return scale_; } // percent
    void SetScale(double scale) { scale_ = scale; }
    double GetRotate() const { return rotate_; } // degrees
    void SetRotate(double rotate) { rotate_ = rotate; }
    double GetFade() const { return fade_; } // percent
    void SetFade(double fade) { fade_ = fade; }
    double GetOffsetAcross() const { return offsetAcross_; } // pixels
    void SetOffsetAcross(double offset) { offsetAcross_ = offset; }
    double GetOffsetDown() const { return offsetDown_; } // pixels
    void SetOffsetDown(double offset) { offsetDown_ = offset; }
    // Order; any value but kBackward goes forward.
    int32_t GetOrder() const { return order_; }
    void SetOrder(int32_t order) { order_ = order; }
    // Style; any value but kRemoveLetters adds.
    int32_t GetStyle() const { return style_; }
    void SetStyle(int32_t style) { style_ = style; }
    bool IsAdding() const { return style_ != kRemoveLetters; }

private:
    LetterFrame frame_; // the run's starting placement; not archived
    int32_t framesPerLetter_ = kDefaultFramesPerLetter;
    int32_t wait_ = 0;
    double scale_ = kDefaultScale;
    double rotate_ = 0.0;
    double fade_ = kDefaultFade;
    double offsetAcross_ = 0.0;
    double offsetDown_ = 0.0;
    int32_t order_ = kForward;
    int32_t style_ = kAddLetters;
};

} // namespace tavro
