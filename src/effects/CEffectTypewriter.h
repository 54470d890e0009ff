// Typewriter: the letters appear one after another as if typed, with a cursor that stands where
// the next letter will appear. The cursor flashes a few times before each line is typed, at the
// end of each line and after the last letter; while letters are being typed it stays lit.
//
// The length of the effect follows from the text and the intervals and is not entered. The
// cursor is an extra letter of the text's font (its character is a parameter), created at the
// start of every run and taken off the display list at its end; it takes one depth beyond the
// text's letters.
#pragma once

#include "effects/CTextEffectObj.h"
#include "effects/LetterFrame.h"

#include <cstdint>
#include <memory>
#include <string_view>

namespace tavro {

struct TextLetter;

class CEffectTypewriter : public CTextEffectObj {
    TAVRO_DECLARE_CLASS(CEffectTypewriter)
public:
    // A letter every frame, the cursor flashing every 4 frames, once at each line start and
    // twice at each line end; the cursor is "_".
    explicit CEffectTypewriter(CTavroObj* parent = nullptr);
    ~CEffectTypewriter() override;

    // The text effect part, a version byte (1), then the parameters. The number of frames is
    // computed from the text first, so that the file holds the effect's true length.
    void Serialize(Archive& ar) override;

    bool ExportFrame(CSwfWriter& writer, int frame, const CMatrix3& matrix,
                     const CColorTransform& cxform) override;
    // Computed from the owner's text (the stored field without an owner).
    int GetNumFrames() const override;
    // Letters to rest, then the cursor letter: its glyph added to the text's font.
    void OnEffectStart(CSwfWriter& writer) override;
    // The cursor comes off the display list and is released.
    void OnEffectEnd(CSwfWriter& writer) override;
    // "Typewriter"
    std::string GetDefaultName() const override;
    bool CanSetNumFrames() const override;
    // The owner's depths and one for the cursor.
    int GetDepthCount() const override;
    // Opens the "Typewriter Effect" dialog.
    bool EditSettings(bool recordUndo) override;

    // The length for a text: with N characters and K line breaks (CR LF),
    // (K + 1)(2b + 1)F + (N - 2K)I + (2a(K + 1) + 1)F frames.
    int ComputeNumFrames(std::string_view text) const;

    int32_t GetLetterInterval() const { return letterInterval_; }
    void SetLetterInterval(int32_t frames) { letterInterval_ = frames; }
    int32_t GetFlashInterval() const { return flashInterval_; }
    void SetFlashInterval(int32_t frames) { flashInterval_ = frames; }
    int32_t GetCursorCharacter() const { return cursorCharacter_; }
    void SetCursorCharacter(int32_t code) { cursorCharacter_ = code; }
    int32_t GetFlashesAtLineStart() const { return flashesAtLineStart_; }
    void SetFlashesAtLineStart(int32_t count) { flashesAtLineStart_ = count; }
    int32_t GetFlashesAtLineEnd() const { return flashesAtLineEnd_; }
    void SetFlashesAtLineEnd(int32_t count) { flashesAtLineEnd_ = count; }

    // The cursor letter of the running effect, or null.
    const TextLetter* GetCursorLetter() const { return cursor_.get(); }

private:
    // Intervals and counts as the arithmetic uses them: within the dialog's ranges.
    struct Timing {
        int64_t letter, flash, lineStart, lineEnd;
    };
    Timing GetTiming() const;

    int32_t letterInterval_ = 1;
    int32_t flashInterval_ = 4;
    int32_t cursorCharacter_ = '_';
    int32_t flashesAtLineStart_ = 1;
    int32_t flashesAtLineEnd_ = 2;

    std::unique_ptr<TextLetter> cursor_; // during a run
    LetterFrame frame_;                  // where the letters stood when the run began
};

} // namespace tavro
