#include "effects/CEffectSqueeze.h"

#include "effects/EffectNames.h"
#include "model/Archive.h"
#include "model/CTextObj.h"
#include "model/JsonForm.h"

#include <algorithm>
#include <vector>

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CEffectSqueeze, CTextEffectObj, 2)

namespace {

const ArchiveLevelRegistrar kJsonLevel{{"CEffectSqueeze",
                                        "CTextEffectObj",
                                        2,
                                        ArchiveLevelForm::Versioned,
                                        {{"startFactor", ArchiveFieldType::Int},
                                         {"endFactor", ArchiveFieldType::Int},
                                         {"alignment", ArchiveFieldType::Int},
                                         {"fade", ArchiveFieldType::Int, nullptr, 0, 2}}}};

// The x the letters are squeezed towards: the object's origin, or the home x of the leftmost or
// rightmost visible letter.
double ReferenceX(int32_t alignment, const std::vector<VisibleLetter>& letters) {
    if (letters.empty() || (alignment != CEffectSqueeze::kSqueezeToLeft &&
                            alignment != CEffectSqueeze::kSqueezeToRight))
        return 0.0;
    double ref = letters.front().home.x;
    for (const VisibleLetter& v : letters)
        ref = alignment == CEffectSqueeze::kSqueezeToLeft ? std::min(ref, v.home.x)
                                                          : std::max(ref, v.home.x);
    return ref;
}

} // namespace

CEffectSqueeze::CEffectSqueeze(CTavroObj* parent) : CTextEffectObj(parent) {
    SetNumFrames(kDefaultFrames);
    SetName(GetDefaultName());
}

CEffectSqueeze::~CEffectSqueeze() = default;

void CEffectSqueeze::Serialize(Archive& ar) {
    CTextEffectObj::Serialize(ar);
    const uint8_t version = ar.SerializeVersion(classInfo);
    if (ar.IsStoring()) {
        ar.WriteInt(startFactor_);
        ar.WriteInt(endFactor_);
        ar.WriteInt(alignment_);
        ar.WriteInt(fade_);
        return;
    }
    if (version >= 1) {
        startFactor_ = ar.ReadInt();
        endFactor_ = ar.ReadInt();
        alignment_ = ar.ReadInt();
    }
    if (version >= 2)
        fade_ = ar.ReadInt();
}

void CEffectSqueeze::OnEffectStart(CSwfWriter& writer) {
    CTextEffectObj::OnEffectStart(writer);
    if (const CTextObj* text = GetTextOwner())
        frame_.Capture(*text);
}

void CEffectSqueeze::OnEffectEnd(CSwfWriter&) {
    frame_.Clear();
}

bool CEffectSqueeze::ExportFrame(CSwfWriter& writer, int frame, const CMatrix3& matrix,
                                 const CColorTransform& cxform) {
    CTextObj* text = GetTextOwner();
    if (text == nullptr)
        return true;
    const double t = LetterProgress(frame, GetNumFrames());
    const double ref = ReferenceX(alignment_, frame_.Letters(*text));
    const double from = startFactor_ / 100.0;
    const double to = endFactor_ / 100.0;
    const bool spreading = endFactor_ > startFactor_;
    frame_.Place(*text, writer, matrix, cxform, [&](const VisibleLetter& v) {
        LetterPose pose = v.pose;
        const double dx = pose.translation.x - ref;
        pose.translation.x = Interpolate(ref + dx * from, ref + dx * to, t);
        const double alpha = v.pose.cxform.alphaMult;
        const double faded = alpha - alpha * fade_ / 100.0;
        const double a = spreading ? Interpolate(alpha, faded, t) : Interpolate(faded, alpha, t);
        return std::optional<LetterPlacement>({pose.Matrix(), AlphaTransform(a)});
    });
    return true;
}

std::string CEffectSqueeze::GetDefaultName() const {
    return std::string(LoadEffectName(effect_string::kSqueeze));
}

bool CEffectSqueeze::EditSettings(bool recordUndo) {
    DialogHost* host = GetDialogHost();
    return host != nullptr && host->RunSettingsDialog(*this, recordUndo);
}

bool CEffectSqueeze::IsVisibleAtEnd() const {
    // Letters that do not spread apart fade in, so equal factors end visible too.
    return CTextEffectObj::IsVisibleAtEnd() && (endFactor_ <= startFactor_ || fade_ < 100);
}

} // namespace tavro
