// The frame rules every letter effect shares: which letters are placed, the placement a run
// computes from, interpolation and alpha rounding, and how each letter reaches the display list
// through its text object.
//
// A letter effect computes each frame afresh from where the letters stood when its run began, so
// that a frame depends only on its relative number and the effect's parameters. The text
// object's letter placement records what it writes as the letter's current matrix (so that what
// follows the effect starts where the letters were left); reading that back frame after frame
// would compound the motion. LetterFrame therefore takes the letters' placement once, at the
// start of the run, and every frame computes from that copy.
//
// Usage in an effect:
//   OnEffectStart: reset the letters (CTextEffectObj), then frame_.Capture(*text); Revert
//                  captures without the reset, so that it starts where the letters were left
//   ExportFrame:   frame_.Place(*text, writer, M, C, [&](const VisibleLetter& v) { ... })
//   OnEffectEnd:   frame_.Clear()
#pragma once

#include "base/CColorTransform.h"
#include "base/CDoublePoint.h"
#include "model/CMatrix3.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace tavro {

class CSwfWriter;
class CTextObj;
struct TextLetter;

// A letter effect places only visible letters: those with a letter shape whose character is
// printable (IsPrintableCharacter: above the space, not DEL, and defined in Windows-1252, so the
// bytes from 0x80 up are placed except 0x81, 0x8D, 0x8F, 0x90 and 0x9D). Spaces, line breaks,
// control characters and those five undefined bytes are never placed and do not count in
// per-letter counters.
bool IsVisibleLetter(const TextLetter& letter);

// The progress of relative frame r in an effect of n frames: (r + 1) / n, and 1 ("to") when
// n < 2.
double LetterProgress(int r, int n);
// from + (to - from) * t, per component for points.
double Interpolate(double from, double to, double t);
CDoublePoint Interpolate(const CDoublePoint& from, const CDoublePoint& to, double t);
// An alpha multiplier rounded half away from zero (NaN gives 0; kept in the int32 range).
int32_t RoundAlpha(double alpha);
// A copy of `cxform` whose alpha multiplier is `alpha`, rounded.
CColorTransform WithAlpha(const CColorTransform& cxform, double alpha);
// The identity colour transform with alpha multiplier `alpha`, rounded.
CColorTransform AlphaTransform(double alpha);

// A letter's placement in the parts effects compute with.
struct LetterPose {
    CDoublePoint translation; // twips
    CDoublePoint scale;       // factors
    CDoublePoint angles;      // axis angles in degrees; unrotated (0, 90)
    CColorTransform cxform;

    static LetterPose From(const CMatrix3& matrix, const CColorTransform& cxform);
    // The matrix built from translation, scale and angles.
    CMatrix3 Matrix() const;
};

// One visible letter as an effect sees it in a frame.
struct VisibleLetter {
    size_t index = 0;     // in the text, line breaks included
    int visibleIndex = 0; // among the visible letters, from 0
    const TextLetter* record = nullptr;
    CMatrix3 matrix;   // the letter's placement when the run began
    LetterPose pose;   // the same, in parts
    CDoublePoint home; // the laid-out position, twips
};

// What a letter shows in a frame.
struct LetterPlacement {
    CMatrix3 matrix;
    CColorTransform cxform;
};

class LetterFrame {
public:
    // Takes every letter's current placement as the one the run computes from.
    void Capture(const CTextObj& text);
    // Forgets it (at the end of a run).
    void Clear();
    // The placement was taken for a text of this many letters.
    bool IsCapturedFor(const CTextObj& text) const;

    // The visible letters of `text` in text order, with their run placements. Letters that
    // were not captured (no run started) are taken as they stand now.
    std::vector<VisibleLetter> Letters(const CTextObj& text);
    // The run placement of letter `index` of `text` (visible or not); the identity placement
    // for an index past the letters.
    LetterPose StartPose(const CTextObj& text, size_t index);

    // What an effect returns for a visible letter: its placement, or nothing to leave it
    // unplaced in this frame.
    using Compute = std::function<std::optional<LetterPlacement>(const VisibleLetter&)>;
    // Places every visible letter for which `compute` gives a placement through the text's
    // letter placement, combined with the object's matrix M and colour transform C.
    void Place(CTextObj& text, CSwfWriter& writer, const CMatrix3& matrix,
               const CColorTransform& cxform, const Compute& compute);

private:
    struct Start {
        CMatrix3 matrix;
        CColorTransform cxform;
    };
    std::vector<Start> start_;
};

} // namespace tavro
