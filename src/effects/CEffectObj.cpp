#include "effects/CEffectObj.h"

#include "base/CColorTransform.h"
#include "effects/EffectNames.h"
#include "model/Archive.h"
#include "model/CMatrix3.h"
#include "model/CSymbolObj.h"
#include "model/JsonForm.h"

#include <algorithm>

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CEffectObj, CTavroObj, 4)

namespace {

CEffectObj::DialogHost* g_dialogHost = nullptr;

// The archive steps of the effect fields: hidden rows came with version 2, the start set's
// uniform flags with 3, "Reset At Start" with 4.
constexpr uint8_t kHiddenRowsSince = 2;
constexpr uint8_t kStartUniformSince = 3;
constexpr uint8_t kResetAtStartSince = 4;

void SerializeInt(Archive& ar, int32_t& v) {
    if (ar.IsStoring())
        ar.WriteInt(v);
    else
        v = ar.ReadInt();
}

void SerializeDouble(Archive& ar, double& v) {
    if (ar.IsStoring())
        ar.WriteDouble(v);
    else
        v = ar.ReadDouble();
}

void SerializePair(Archive& ar, CDoublePoint& p) {
    SerializeDouble(ar, p.x);
    SerializeDouble(ar, p.y);
}

// The owner's matrix and colour transform during an export; the identity without an owner.
const CMatrix3& OwnerMatrix(const CSymbolObj* owner) {
    static const CMatrix3 identity;
    return owner != nullptr ? owner->GetExportState().matrix : identity;
}

int32_t OwnerAlpha(const CSymbolObj* owner) {
    return owner != nullptr ? owner->GetExportState().colorTransform.alphaMult : 256;
}

using Field = ArchiveField;
using T = ArchiveFieldType;
const ArchiveLevelRegistrar kJsonLevel{{
    "CEffectObj",
    "CTavroObj",
    4,
    ArchiveLevelForm::Versioned,
    {{"startFrame", T::Int},
     {"numFrames", T::Int},
     {"startMoveMode", T::Int},
     {"startPosition", T::Doubles, nullptr, 2},
     {"moveMode", T::Int},
     {"move", T::Doubles, nullptr, 2},
     {"scaleUniform", T::Int},
     {"startScaleMode", T::Int},
     {"startScale", T::Doubles, nullptr, 2},
     {"scaleMode", T::Int},
     {"scale", T::Doubles, nullptr, 2},
     {"rotateUniform", T::Int},
     {"startRotateMode", T::Int},
     {"startAngles", T::Doubles, nullptr, 2},
     {"rotateMode", T::Int},
     {"angles", T::Doubles, nullptr, 2},
     {"startAlphaMode", T::Int},
     {"startAlpha", T::Double},
     {"alphaMode", T::Int},
     {"alpha", T::Double},
     Field{"hiddenRows", T::Int, nullptr, 0, kHiddenRowsSince},
     Field{"startScaleUniform", T::Int, nullptr, 0, kStartUniformSince},
     Field{"startRotateUniform", T::Int, nullptr, 0, kStartUniformSince},
     Field{"resetAtStart", T::Int, nullptr, 0, kResetAtStartSince}},
}};

} // namespace

void CEffectObj::SetDialogHost(DialogHost* host) {
    g_dialogHost = host;
}

CEffectObj::DialogHost* CEffectObj::GetDialogHost() {
    return g_dialogHost;
}

CEffectObj::CEffectObj(CTavroObj* parent) : CTavroObj(parent) {}

CEffectObj::~CEffectObj() = default;

void CEffectObj::Serialize(Archive& ar) {
    CTavroObj::Serialize(ar);
    const uint8_t version = ar.SerializeVersion(classInfo);
    if (version == 0)
        return;
    // The transform set's uniform flag comes before the start set's mode in each of the scale
    // and rotate groups.
    SerializeInt(ar, startFrame_);
    SerializeInt(ar, numFrames_);
    SerializeInt(ar, start_.moveMode);
    SerializePair(ar, start_.move);
    SerializeInt(ar, transform_.moveMode);
    SerializePair(ar, transform_.move);
    SerializeInt(ar, transform_.scaleUniform);
    SerializeInt(ar, start_.scaleMode);
    SerializePair(ar, start_.scale);
    SerializeInt(ar, transform_.scaleMode);
    SerializePair(ar, transform_.scale);
    SerializeInt(ar, transform_.rotateUniform);
    SerializeInt(ar, start_.rotateMode);
    SerializePair(ar, start_.angles);
    SerializeInt(ar, transform_.rotateMode);
    SerializePair(ar, transform_.angles);
    SerializeInt(ar, start_.alphaMode);
    SerializeDouble(ar, start_.alpha);
    SerializeInt(ar, transform_.alphaMode);
    SerializeDouble(ar, transform_.alpha);
    if (version >= kHiddenRowsSince) {
        if (ar.IsStoring())
            ar.WriteDword(hiddenRows_);
        else
            hiddenRows_ = ar.ReadDword();
    }
    if (version >= kStartUniformSince) {
        SerializeInt(ar, start_.scaleUniform);
        SerializeInt(ar, start_.rotateUniform);
    }
    if (version >= kResetAtStartSince)
        SerializeInt(ar, resetAtStart_);
}

std::string CEffectObj::GetName() const {
    std::string name = CTavroObj::GetName();
    return name.empty() ? GetDefaultName() : name;
}

bool CEffectObj::ExportFrame(CSwfWriter& writer, int, const CMatrix3& matrix,
                             const CColorTransform& cxform) {
    if (CSymbolObj* owner = GetOwner())
        owner->PlaceOrMove(writer, matrix, cxform);
    return true;
}

int CEffectObj::GetNumFrames() const {
    return numFrames_;
}

void CEffectObj::SetNumFrames(int frames) {
    numFrames_ = frames;
}

void CEffectObj::OnEffectStart(CSwfWriter&) {}

void CEffectObj::OnEffectEnd(CSwfWriter&) {}

std::string CEffectObj::GetDefaultName() const {
    return std::string(LoadEffectName(effect_string::kUnknown));
}

bool CEffectObj::ShowsNameInTimeline() const {
    return true;
}

bool CEffectObj::CanSetNumFrames() const {
    return true;
}

std::optional<CColor> CEffectObj::GetTimelineColor() const {
    return std::nullopt;
}

bool CEffectObj::EditSettings(bool) {
    return false;
}

bool CEffectObj::HasSettingsDialog() const {
    return true;
}

bool CEffectObj::IsVisibleAtEnd() const {
    return GetEndAlpha(256.0) > 0.0;
}

int CEffectObj::GetExtraCount() const {
    return 0;
}

int CEffectObj::GetDepthCount() const {
    const CSymbolObj* owner = GetOwner();
    return owner != nullptr ? owner->GetOwnDepthCount() : 1;
}

bool CEffectObj::EditTransform(bool recordUndo) {
    DialogHost* host = GetDialogHost();
    return host != nullptr && host->RunTransformDialog(*this, recordUndo);
}

bool CEffectObj::IsRowHidden(TransformRow row) const {
    return (hiddenRows_ & RowBit(row)) != 0;
}

CSymbolObj* CEffectObj::GetOwner() const {
    return DynamicCast<CSymbolObj>(GetParent());
}

CDoublePoint CEffectObj::GetStartPosition() const {
    return ApplyMode(start_.moveMode, OwnerMatrix(GetOwner()).GetTranslation(), start_.move * 20.0);
}

CDoublePoint CEffectObj::GetEndPosition(const CDoublePoint& start) const {
    return ApplyMode(transform_.moveMode, start, transform_.move * 20.0);
}

CDoublePoint CEffectObj::GetStartScale() const {
    return FloorScale(
        ApplyMode(start_.scaleMode, OwnerMatrix(GetOwner()).GetScale(), start_.scale / 100.0));
}

CDoublePoint CEffectObj::GetEndScale(const CDoublePoint& start) const {
    return FloorScale(ApplyMode(transform_.scaleMode, start, transform_.scale / 100.0));
}

CDoublePoint CEffectObj::GetStartAngles() const {
    return ApplyMode(start_.rotateMode, OwnerMatrix(GetOwner()).GetAxisAngles(), start_.angles);
}

CDoublePoint CEffectObj::GetEndAngles(const CDoublePoint& start) const {
    return ApplyMode(transform_.rotateMode, start, transform_.angles);
}

double CEffectObj::GetStartAlpha() const {
    return ClampAlpha(
        ApplyFirstAxis(start_.alphaMode, OwnerAlpha(GetOwner()), start_.alpha * 2.56));
}

double CEffectObj::GetEndAlpha(double start) const {
    return ClampAlpha(ApplyFirstAxis(transform_.alphaMode, start, transform_.alpha * 2.56));
}

CDoublePoint CEffectObj::FloorScale(const CDoublePoint& scale) {
    // "Not greater than 0" also catches NaN, so a damaged parameter never reaches a matrix.
    const auto floor = [](double v) { return v > 0.0 ? v : kMinScale; };
    return {floor(scale.x), floor(scale.y)};
}

double CEffectObj::ClampAlpha(double alpha) {
    if (!(alpha >= 0.0))
        return 0.0; // below 0, or NaN
    return std::min(alpha, 256.0);
}

CEffectObj::Properties CEffectObj::GetProperties() const {
    Properties p;
    p.description = GetName();
    p.numFrames = GetNumFrames();
    p.resetAtStart = GetResetAtStart();
    p.start = start_;
    p.transform = transform_;
    return p;
}

void CEffectObj::ApplyProperties(const Properties& properties) {
    SetName(properties.description);
    SetResetAtStart(properties.resetAtStart);
    if (CanSetNumFrames())
        SetNumFrames(properties.numFrames);
    start_ = properties.start;
    transform_ = properties.transform;
}

bool CEffectObj::HasTwoTransformTabs() const {
    return GetNumFrames() >= 2 || CanSetNumFrames();
}

std::vector<uint8_t> CEffectObj::SaveEditState() {
    Archive ar;
    Serialize(ar);
    ar.Close();
    return ar.TakeBuffer();
}

void CEffectObj::RestoreEditState(std::span<const uint8_t> bytes) {
    // Reading appends children, so the effect is emptied first; its parent stays.
    DeleteAllChildren();
    Archive ar(bytes);
    Serialize(ar);
}

} // namespace tavro
