#include "effects/CEffectWave.h"

#include "effects/EffectNames.h"
#include "model/Archive.h"
#include "model/CTextObj.h"
#include "model/JsonForm.h"

#include <cmath>
#include <numbers>

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CEffectWave, CTextEffectObj, 1)

namespace {

const ArchiveLevelRegistrar kJsonLevel{{"CEffectWave",
                                        "CTextEffectObj",
                                        1,
                                        ArchiveLevelForm::Versioned,
                                        {{"period", ArchiveFieldType::Int},
                                         {"length", ArchiveFieldType::Double},
                                         {"direction", ArchiveFieldType::Int},
                                         {"movement", ArchiveFieldType::Int},
                                         {"rotateToFollow", ArchiveFieldType::Int},
                                         {"moveBy", ArchiveFieldType::Double},
                                         {"horizontalScale", ArchiveFieldType::Double},
                                         {"verticalScale", ArchiveFieldType::Double},
                                         {"alphaFade", ArchiveFieldType::Double}}}};

constexpr double kDegree = std::numbers::pi / 180.0;

} // namespace

CEffectWave::CEffectWave(CTavroObj* parent) : CTextEffectObj(parent) {
    SetNumFrames(30);
    SetName(GetDefaultName());
}

CEffectWave::~CEffectWave() = default;

void CEffectWave::Serialize(Archive& ar) {
    CTextEffectObj::Serialize(ar);
    if (ar.SerializeVersion(classInfo) < 1)
        return;
    if (ar.IsStoring()) {
        ar.WriteInt(period_);
        ar.WriteDouble(length_);
        ar.WriteInt(direction_);
        ar.WriteInt(movement_);
        ar.WriteInt(rotateToFollow_);
        ar.WriteDouble(moveBy_);
        ar.WriteDouble(horizontalScale_);
        ar.WriteDouble(verticalScale_);
        ar.WriteDouble(alphaFade_);
    } else {
        period_ = ar.ReadInt();
        length_ = ar.ReadDouble();
        direction_ = ar.ReadInt();
        movement_ = ar.ReadInt();
        rotateToFollow_ = ar.ReadInt();
        moveBy_ = ar.ReadDouble();
        horizontalScale_ = ar.ReadDouble();
        verticalScale_ = ar.ReadDouble();
        alphaFade_ = ar.ReadDouble();
    }
}

void CEffectWave::OnEffectStart(CSwfWriter& writer) {
    CTextEffectObj::OnEffectStart(writer);
    if (const CTextObj* text = GetTextOwner())
        frame_.Capture(*text);
}

void CEffectWave::OnEffectEnd(CSwfWriter& writer) {
    CTextEffectObj::OnEffectEnd(writer);
    frame_.Clear();
}

bool CEffectWave::ExportFrame(CSwfWriter& writer, int r, const CMatrix3& matrix,
                              const CColorTransform& cxform) {
    CTextObj* text = GetTextOwner();
    if (text == nullptr)
        return true;
    const std::vector<VisibleLetter> letters = frame_.Letters(*text);
    if (letters.empty())
        return true;

    // Values a damaged file may hold are kept where the arithmetic stays finite: the dialog
    // takes periods from 1 and lengths from 0.0001 pixels.
    const double period = period_ >= 1 ? period_ : 1.0;
    const double length = std::isfinite(length_) && length_ >= 0.0001 ? length_ : 0.0001;
    const double degreesPerTwip = 360.0 / (length * 20.0);
    const int n = GetNumFrames();

    const double xFirst = letters.front().pose.translation.x;
    const double xLast = letters.back().pose.translation.x;
    const double q = ((xFirst - xLast) * degreesPerTwip + (n - 1.0) * 360.0 / period) / 360.0;
    double span = 360.0 * std::floor(q);
    if (!(span > 0.0))
        span = 360.0;

    const double a = r * 360.0 / period;
    const bool backward = direction_ == kBackward;
    frame_.Place(*text, writer, matrix, cxform,
                 [&](const VisibleLetter& v) -> std::optional<LetterPlacement> {
                     const LetterPose& p = v.pose;
                     const double theta = backward
                                              ? (p.translation.x - xLast) * degreesPerTwip + a
                                              : (p.translation.x - xFirst) * degreesPerTwip - a;
                     const bool inWave = backward ? (theta >= 0.0 && theta <= span)
                                                  : (theta >= -span && theta <= 0.0);
                     if (!inWave)
                         return LetterPlacement{v.matrix, p.cxform};

                     const double w = (1.0 - std::cos(theta * kDegree)) / 2.0;
                     const double d = w * moveBy_ * 20.0;
                     LetterPose out = p;
                     if (movement_ == kSideToSide)
                         out.translation.x += d;
                     else
                         out.translation.y += d;
                     if (rotateToFollow_ != 0) {
                         const double slope = std::atan(std::numbers::pi * (moveBy_ / length) *
                                                        std::sin(theta * kDegree)) /
                                              kDegree;
                         out.angles.x += slope;
                         out.angles.y += slope;
                     }
                     out.scale.x *= 1.0 + w * horizontalScale_ / 100.0;
                     out.scale.y *= 1.0 + w * verticalScale_ / 100.0;
                     const double alpha = p.cxform.alphaMult;
                     return LetterPlacement{
                         out.Matrix(), WithAlpha(p.cxform, alpha - alphaFade_ / 100.0 * alpha * w)};
                 });
    return true;
}

std::string CEffectWave::GetDefaultName() const {
    return std::string(LoadEffectName(effect_string::kWave));
}

bool CEffectWave::EditSettings(bool recordUndo) {
    DialogHost* host = GetDialogHost();
    return host != nullptr && host->RunSettingsDialog(*this, recordUndo);
}

} // namespace tavro
