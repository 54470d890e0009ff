#include "effects/LetterFrame.h"

#include "base/Rounding.h"
#include "model/CTextObj.h"

namespace tavro {

bool IsVisibleLetter(const TextLetter& letter) {
    // The same letters the text object counts for its depths and places on its own.
    return letter.IsVisible();
}

double LetterProgress(int r, int n) {
    if (n < 2)
        return 1.0;
    return (static_cast<double>(r) + 1.0) / n;
}

double Interpolate(double from, double to, double t) {
    return from + (to - from) * t;
}

CDoublePoint Interpolate(const CDoublePoint& from, const CDoublePoint& to, double t) {
    return {Interpolate(from.x, to.x, t), Interpolate(from.y, to.y, t)};
}

int32_t RoundAlpha(double alpha) {
    return RoundToInt(alpha);
}

CColorTransform WithAlpha(const CColorTransform& cxform, double alpha) {
    CColorTransform c = cxform;
    c.alphaMult = RoundAlpha(alpha);
    return c;
}

CColorTransform AlphaTransform(double alpha) {
    return WithAlpha(CColorTransform(), alpha);
}

LetterPose LetterPose::From(const CMatrix3& matrix, const CColorTransform& cxform) {
    return {matrix.GetTranslation(), matrix.GetScale(), matrix.GetAxisAngles(), cxform};
}

CMatrix3 LetterPose::Matrix() const {
    return CMatrix3(translation.x, translation.y, scale.x, scale.y, angles.x, angles.y);
}

void LetterFrame::Capture(const CTextObj& text) {
    start_.clear();
    start_.reserve(text.GetLetters().size());
    for (const TextLetter& letter : text.GetLetters())
        start_.push_back({letter.matrix, letter.colorTransform});
}

void LetterFrame::Clear() {
    start_.clear();
}

bool LetterFrame::IsCapturedFor(const CTextObj& text) const {
    return !start_.empty() && start_.size() == text.GetLetters().size();
}

std::vector<VisibleLetter> LetterFrame::Letters(const CTextObj& text) {
    if (!IsCapturedFor(text))
        Capture(text);
    std::vector<VisibleLetter> out;
    const std::vector<TextLetter>& letters = text.GetLetters();
    int visible = 0;
    for (size_t i = 0; i < letters.size(); ++i) {
        const TextLetter& letter = letters[i];
        if (!IsVisibleLetter(letter))
            continue;
        VisibleLetter v;
        v.index = i;
        v.visibleIndex = visible++;
        v.record = &letter;
        v.matrix = start_[i].matrix;
        v.pose = LetterPose::From(start_[i].matrix, start_[i].cxform);
        v.home = letter.position;
        out.push_back(v);
    }
    return out;
}

LetterPose LetterFrame::StartPose(const CTextObj& text, size_t index) {
    if (!IsCapturedFor(text))
        Capture(text);
    if (index >= start_.size())
        return LetterPose::From(CMatrix3(), CColorTransform());
    return LetterPose::From(start_[index].matrix, start_[index].cxform);
}

void LetterFrame::Place(CTextObj& text, CSwfWriter& writer, const CMatrix3& matrix,
                        const CColorTransform& cxform, const Compute& compute) {
    for (const VisibleLetter& v : Letters(text)) {
        const std::optional<LetterPlacement> placement = compute(v);
        if (!placement)
            continue;
        text.PlaceLetter(text.GetLetters()[v.index], writer, placement->matrix, placement->cxform,
                         matrix, cxform);
    }
}

} // namespace tavro
