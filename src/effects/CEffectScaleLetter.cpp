#include "effects/CEffectScaleLetter.h"

#include "effects/EffectNames.h"
#include "model/Archive.h"
#include "model/CTextObj.h"
#include "model/JsonForm.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <vector>

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CEffectScaleLetter, CTextEffectObj, 1)

namespace {

const ArchiveLevelRegistrar kJsonLevel{{"CEffectScaleLetter",
                                        "CTextEffectObj",
                                        1,
                                        ArchiveLevelForm::Versioned,
                                        {{"framesPerLetter", ArchiveFieldType::Int},
                                         {"wait", ArchiveFieldType::Int},
                                         {"scale", ArchiveFieldType::Double},
                                         {"rotate", ArchiveFieldType::Double},
                                         {"fade", ArchiveFieldType::Double},
                                         {"offsetAcross", ArchiveFieldType::Double},
                                         {"offsetDown", ArchiveFieldType::Double},
                                         {"order", ArchiveFieldType::Int},
                                         {"style", ArchiveFieldType::Int}}}};

int ClampToInt(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, 0, std::numeric_limits<int32_t>::max()));
}

} // namespace

CEffectScaleLetter::CEffectScaleLetter(CTavroObj* parent) : CTextEffectObj(parent) {
    SetName(GetDefaultName());
}

CEffectScaleLetter::~CEffectScaleLetter() = default;

void CEffectScaleLetter::Serialize(Archive& ar) {
    CTextEffectObj::Serialize(ar);
    const uint8_t version = ar.SerializeVersion(classInfo);
    if (ar.IsStoring()) {
        ar.WriteInt(framesPerLetter_);
        ar.WriteInt(wait_);
        ar.WriteDouble(scale_);
        ar.WriteDouble(rotate_);
        ar.WriteDouble(fade_);
        ar.WriteDouble(offsetAcross_);
        ar.WriteDouble(offsetDown_);
        ar.WriteInt(order_);
        ar.WriteInt(style_);
        return;
    }
    if (version < 1)
        return;
    framesPerLetter_ = ar.ReadInt();
    wait_ = ar.ReadInt();
    scale_ = ar.ReadDouble();
    rotate_ = ar.ReadDouble();
    fade_ = ar.ReadDouble();
    offsetAcross_ = ar.ReadDouble();
    offsetDown_ = ar.ReadDouble();
    order_ = ar.ReadInt();
    style_ = ar.ReadInt();
}

int CEffectScaleLetter::ComputeNumFrames(int64_t characters) const {
    if (characters <= 0)
        return 0;
    // 64-bit: each factor fits in 32 bits, so neither product nor sum overflows.
    return ClampToInt(int64_t{wait_} * (characters - 1) + int64_t{framesPerLetter_} * characters);
}

int CEffectScaleLetter::GetNumFrames() const {
    const CTextObj* text = GetTextOwner();
    if (text == nullptr)
        return CTextEffectObj::GetNumFrames();
    const int n = ComputeNumFrames(static_cast<int64_t>(text->GetText().size()));
    // The stored number follows the text, so that the archive and the timeline agree.
    const_cast<CEffectScaleLetter*>(this)->SetNumFrames(n);
    return n;
}

void CEffectScaleLetter::OnEffectStart(CSwfWriter& writer) {
    CTextEffectObj::OnEffectStart(writer);
    CTextObj* text = GetTextOwner();
    if (text == nullptr)
        return;
    frame_.Capture(*text);
    if (IsAdding())
        text->RemoveFromStage(writer);
}

void CEffectScaleLetter::OnEffectEnd(CSwfWriter&) {
    frame_.Clear();
}

bool CEffectScaleLetter::ExportFrame(CSwfWriter& writer, int frame, const CMatrix3& matrix,
                                     const CColorTransform& cxform) {
    CTextObj* text = GetTextOwner();
    if (text == nullptr)
        return true;
    std::vector<VisibleLetter> letters = frame_.Letters(*text);
    const bool backward = order_ == kBackward;
    if (backward)
        std::reverse(letters.begin(), letters.end());

    const int64_t count = static_cast<int64_t>(text->GetLetters().size());
    const int64_t turn = int64_t{framesPerLetter_} + wait_;
    const int64_t r = frame;
    for (const VisibleLetter& v : letters) {
        TextLetter& record = text->GetLetters()[v.index];
        const int64_t j =
            backward ? count - 1 - static_cast<int64_t>(v.index) : static_cast<int64_t>(v.index);
        const int64_t t0 = turn * j;
        const int64_t t1 = t0 + framesPerLetter_;
        const bool absent = IsAdding() ? r < t0 : r >= t1;
        if (absent) {
            // A letter left out of a frame is not on the display list, even if it was placed
            // before.
            text->RemoveLetter(record, writer);
            continue;
        }
        LetterPose pose = v.pose;
        const double alpha = v.pose.cxform.alphaMult;
        double a = alpha;
        if (r >= t0 && r < t1) {
            const double u =
                framesPerLetter_ < 2 ? 1.0 : static_cast<double>(r - t0 + 1) / framesPerLetter_;
            // Progress from the rest placement towards the far one.
            const double k = IsAdding() ? 1.0 - u : u;
            const LetterPose& rest = v.pose;
            pose.scale = Interpolate(rest.scale, rest.scale * (scale_ / 100.0), k);
            pose.translation = Interpolate(
                rest.translation,
                rest.translation + CDoublePoint(offsetAcross_ * 20.0, offsetDown_ * 20.0), k);
            pose.angles = Interpolate(rest.angles, rest.angles + CDoublePoint(rotate_, rotate_), k);
            a = Interpolate(alpha, alpha - alpha * fade_ / 100.0, k);
        }
        text->PlaceLetter(record, writer, pose.Matrix(), AlphaTransform(a), matrix, cxform);
    }
    return true;
}

std::string CEffectScaleLetter::GetDefaultName() const {
    return std::string(LoadEffectName(effect_string::kScaleLetters));
}

bool CEffectScaleLetter::CanSetNumFrames() const {
    return false;
}

bool CEffectScaleLetter::EditSettings(bool recordUndo) {
    DialogHost* host = GetDialogHost();
    return host != nullptr && host->RunSettingsDialog(*this, recordUndo);
}

bool CEffectScaleLetter::IsVisibleAtEnd() const {
    return CTextEffectObj::IsVisibleAtEnd() && IsAdding();
}

} // namespace tavro
