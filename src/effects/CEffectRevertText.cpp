#include "effects/CEffectRevertText.h"

#include "effects/EffectNames.h"
#include "model/Archive.h"
#include "model/CTextObj.h"
#include "model/JsonForm.h"

#include <cmath>
#include <optional>

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CEffectRevertText, CTextEffectObj, 2)

namespace {

const ArchiveLevelRegistrar kJsonLevel{
    {"CEffectRevertText", "CTextEffectObj", 2, ArchiveLevelForm::VersionIgnored, {}}};

// The angle equal to `target` modulo 360 that lies nearest to `from`, so that a letter turns
// back the short way (a letter at 350 degrees goes on to 360, not back through 180).
double NearestTurn(double from, double target) {
    const double delta = std::remainder(target - from, 360.0);
    return std::isfinite(delta) ? from + delta : target;
}

} // namespace

CEffectRevertText::CEffectRevertText(CTavroObj* parent) : CTextEffectObj(parent) {
    SetNumFrames(kDefaultFrames);
    SetName(GetDefaultName());
}

CEffectRevertText::~CEffectRevertText() = default;

void CEffectRevertText::Serialize(Archive& ar) {
    CTextEffectObj::Serialize(ar);
    ar.SerializeVersion(classInfo);
}

void CEffectRevertText::OnEffectStart(CSwfWriter&) {
    // Unlike the other letter effects it does not put the letters back to rest first: it starts
    // from where the effects before it left them (the letter placement keeps each letter's last
    // placement as its current one) and brings them home from there. "Reset At Start" still
    // resets them before this runs, and then nothing moves.
    if (const CTextObj* text = GetTextOwner())
        frame_.Capture(*text);
}

void CEffectRevertText::OnEffectEnd(CSwfWriter&) {
    frame_.Clear();
}

bool CEffectRevertText::ExportFrame(CSwfWriter& writer, int frame, const CMatrix3& matrix,
                                    const CColorTransform& cxform) {
    CTextObj* text = GetTextOwner();
    if (text == nullptr)
        return true;
    const double t = LetterProgress(frame, GetNumFrames());
    frame_.Place(*text, writer, matrix, cxform, [&](const VisibleLetter& v) {
        const LetterPose& now = v.pose;
        LetterPose pose = now;
        pose.translation = Interpolate(now.translation, v.home, t);
        pose.scale = Interpolate(now.scale, CDoublePoint(1.0, 1.0), t);
        pose.angles = Interpolate(
            now.angles,
            CDoublePoint(NearestTurn(now.angles.x, 0.0), NearestTurn(now.angles.y, 90.0)), t);
        const double a = Interpolate(now.cxform.alphaMult, 256.0, t);
        return std::optional<LetterPlacement>({pose.Matrix(), AlphaTransform(a)});
    });
    return true;
}

std::string CEffectRevertText::GetDefaultName() const {
    return std::string(LoadEffectName(effect_string::kRevert));
}

bool CEffectRevertText::EditSettings(bool) {
    return true;
}

bool CEffectRevertText::HasSettingsDialog() const {
    return false;
}

bool CEffectRevertText::IsVisibleAtEnd() const {
    return true;
}

} // namespace tavro
