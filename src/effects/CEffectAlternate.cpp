#include "effects/CEffectAlternate.h"

#include "effects/EffectNames.h"
#include "model/Archive.h"
#include "model/CTextObj.h"
#include "model/JsonForm.h"

#include <optional>

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CEffectAlternate, CTextEffectObj, 1)

namespace {

const ArchiveLevelRegistrar kJsonLevel{{"CEffectAlternate",
                                        "CTextEffectObj",
                                        1,
                                        ArchiveLevelForm::Versioned,
                                        {{"offsetRight", ArchiveFieldType::Double},
                                         {"offsetDown", ArchiveFieldType::Double},
                                         {"rotate", ArchiveFieldType::Double},
                                         {"scale", ArchiveFieldType::Double},
                                         {"fade", ArchiveFieldType::Double},
                                         {"direction", ArchiveFieldType::Int}}}};

} // namespace

CEffectAlternate::CEffectAlternate(CTavroObj* parent) : CTextEffectObj(parent) {
    SetNumFrames(kDefaultFrames);
    SetName(GetDefaultName());
}

CEffectAlternate::~CEffectAlternate() = default;

void CEffectAlternate::Serialize(Archive& ar) {
    CTextEffectObj::Serialize(ar);
    const uint8_t version = ar.SerializeVersion(classInfo);
    if (ar.IsStoring()) {
        ar.WriteDouble(offsetRight_);
        ar.WriteDouble(offsetDown_);
        ar.WriteDouble(rotate_);
        ar.WriteDouble(scale_);
        ar.WriteDouble(fade_);
        ar.WriteInt(direction_);
        return;
    }
    if (version < 1)
        return;
    offsetRight_ = ar.ReadDouble();
    offsetDown_ = ar.ReadDouble();
    rotate_ = ar.ReadDouble();
    scale_ = ar.ReadDouble();
    fade_ = ar.ReadDouble();
    direction_ = ar.ReadInt();
}

int CEffectAlternate::Weight(int64_t visibleIndex) {
    switch (visibleIndex % 4) {
    case 0:
        return 1;
    case 2:
        return -1;
    default:
        return 0;
    }
}

void CEffectAlternate::OnEffectStart(CSwfWriter& writer) {
    CTextEffectObj::OnEffectStart(writer);
    if (const CTextObj* text = GetTextOwner())
        frame_.Capture(*text);
}

void CEffectAlternate::OnEffectEnd(CSwfWriter&) {
    frame_.Clear();
}

bool CEffectAlternate::ExportFrame(CSwfWriter& writer, int frame, const CMatrix3& matrix,
                                   const CColorTransform& cxform) {
    CTextObj* text = GetTextOwner();
    if (text == nullptr)
        return true;
    const double t = LetterProgress(frame, GetNumFrames());
    // Progress from the rest placement towards the far one.
    const double k = IsMovingOut() ? t : 1.0 - t;
    frame_.Place(*text, writer, matrix, cxform, [&](const VisibleLetter& v) {
        const LetterPose& rest = v.pose;
        const int w = Weight(v.visibleIndex);
        const double alpha = rest.cxform.alphaMult;
        if (w == 0)
            return std::optional<LetterPlacement>({rest.Matrix(), AlphaTransform(alpha)});
        LetterPose pose = rest;
        const CDoublePoint far =
            rest.translation + CDoublePoint(offsetRight_ * 20.0 * w, offsetDown_ * 20.0 * w);
        pose.translation = Interpolate(rest.translation, far, k);
        pose.scale = Interpolate(rest.scale, rest.scale * (scale_ / 100.0), k);
        pose.angles = Interpolate(rest.angles, rest.angles + CDoublePoint(rotate_, rotate_), k);
        const double a = Interpolate(alpha, alpha - alpha * fade_ / 100.0, k);
        return std::optional<LetterPlacement>({pose.Matrix(), AlphaTransform(a)});
    });
    return true;
}

std::string CEffectAlternate::GetDefaultName() const {
    return std::string(kAlternateLettersName);
}

bool CEffectAlternate::EditSettings(bool recordUndo) {
    DialogHost* host = GetDialogHost();
    return host != nullptr && host->RunSettingsDialog(*this, recordUndo);
}

} // namespace tavro
