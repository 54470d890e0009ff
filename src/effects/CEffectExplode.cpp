#include "effects/CEffectExplode.h"

#include "effects/EffectNames.h"
#include "model/Archive.h"
#include "model/CTextObj.h"
#include "model/JsonForm.h"

#include <cmath>
#include <numbers>

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CEffectExplode, CTextEffectObj, 1)

namespace {

const ArchiveLevelRegistrar kJsonLevel{{"CEffectExplode",
                                        "CTextEffectObj",
                                        1,
                                        ArchiveLevelForm::Versioned,
                                        {{"bombX", ArchiveFieldType::Int},
                                         {"bombY", ArchiveFieldType::Int},
                                         {"gravityDirection", ArchiveFieldType::Double},
                                         {"gravityStrength", ArchiveFieldType::Double},
                                         {"velocity", ArchiveFieldType::Double},
                                         {"randomSeed", ArchiveFieldType::Int},
                                         {"scale", ArchiveFieldType::Double},
                                         {"rotate", ArchiveFieldType::Double},
                                         {"fade", ArchiveFieldType::Int},
                                         {"implode", ArchiveFieldType::Int},
                                         {"uniformRotation", ArchiveFieldType::Int}}}};

constexpr double kDegree = std::numbers::pi / 180.0;

} // namespace

CEffectExplode::CEffectExplode(CTavroObj* parent) : CTextEffectObj(parent) {
    SetNumFrames(30);
    SetName(GetDefaultName());
}

CEffectExplode::~CEffectExplode() = default;

void CEffectExplode::Serialize(Archive& ar) {
    CTextEffectObj::Serialize(ar);
    if (ar.SerializeVersion(classInfo) < 1)
        return;
    if (ar.IsStoring()) {
        ar.WriteInt(bombX_);
        ar.WriteInt(bombY_);
        ar.WriteDouble(gravityDirection_);
        ar.WriteDouble(gravityStrength_);
        ar.WriteDouble(velocity_);
        ar.WriteInt(randomSeed_);
        ar.WriteDouble(scale_);
        ar.WriteDouble(rotate_);
        ar.WriteInt(fade_);
        ar.WriteInt(implode_);
        ar.WriteInt(uniformRotation_);
    } else {
        bombX_ = ar.ReadInt();
        bombY_ = ar.ReadInt();
        gravityDirection_ = ar.ReadDouble();
        gravityStrength_ = ar.ReadDouble();
        velocity_ = ar.ReadDouble();
        randomSeed_ = ar.ReadInt();
        scale_ = ar.ReadDouble();
        rotate_ = ar.ReadDouble();
        fade_ = ar.ReadInt();
        implode_ = ar.ReadInt();
        uniformRotation_ = ar.ReadInt();
    }
}

void CEffectExplode::OnEffectStart(CSwfWriter& writer) {
    CTextEffectObj::OnEffectStart(writer);
    if (const CTextObj* text = GetTextOwner())
        frame_.Capture(*text);
}

void CEffectExplode::OnEffectEnd(CSwfWriter& writer) {
    CTextEffectObj::OnEffectEnd(writer);
    frame_.Clear();
}

bool CEffectExplode::ExportFrame(CSwfWriter& writer, int r, const CMatrix3& matrix,
                                 const CColorTransform& cxform) {
    CTextObj* text = GetTextOwner();
    if (text == nullptr)
        return true;
    const int n = GetNumFrames();
    const bool implode = implode_ != 0;
    // An implosion is the explosion played backwards: it ends with k = 0, at rest.
    const double k = implode ? static_cast<double>(n) - r - 1.0 : r + 1.0;
    const double t = LetterProgress(r, n);
    const double velocity = k * velocity_;
    const double strength = k * gravityStrength_;
    const CDoublePoint gravity(strength * strength * std::cos(gravityDirection_ * kDegree),
                               strength * strength * std::sin(gravityDirection_ * kDegree));
    const CDoublePoint bomb(bombX_ * 20.0, bombY_ * 20.0);

    Random random(static_cast<uint32_t>(randomSeed_));
    frame_.Place(*text, writer, matrix, cxform,
                 [&](const VisibleLetter& v) -> std::optional<LetterPlacement> {
                     const LetterPose& p = v.pose;
                     const CDoublePoint d = p.translation - bomb;
                     const double distance = std::hypot(d.x, d.y) / 20.0;
                     const double speed = velocity * (1.0 + random.Draw() / double{kRandomMax});
                     const double f = distance > 0.0 ? speed / distance : 0.0;

                     LetterPose out = p;
                     if (distance > 0.0 && std::isfinite(f)) {
                         out.translation = p.translation + (gravity + d) * f;
                         out.scale = p.scale * (1.0 + scale_ / 100.0 * f);
                     } else {
                         // On the bomb there is no direction to fly in: gravity alone moves
                         // the letter, and it keeps its size.
                         out.translation = p.translation + gravity;
                     }

                     CDoublePoint turn;
                     if (uniformRotation_ != 0) {
                         const double rho = random.Draw() * rotate_ * 2.0 / kRandomMax;
                         turn = CDoublePoint(rho, rho);
                     } else {
                         turn.y = random.Draw() * rotate_ * 2.0 / kRandomMax;
                         turn.x = random.Draw() * rotate_ * 2.0 / kRandomMax;
                     }
                     const CDoublePoint end = p.angles - CDoublePoint(rotate_, rotate_) + turn;
                     out.angles =
                         implode ? Interpolate(end, p.angles, t) : Interpolate(p.angles, end, t);

                     const double alpha = p.cxform.alphaMult;
                     const double faded = alpha - fade_ / 100.0 * alpha;
                     const double shown =
                         implode ? Interpolate(faded, alpha, t) : Interpolate(alpha, faded, t);
                     return LetterPlacement{out.Matrix(), AlphaTransform(shown)};
                 });
    return true;
}

std::string CEffectExplode::GetDefaultName() const {
    return std::string(LoadEffectName(effect_string::kExplode));
}

bool CEffectExplode::EditSettings(bool recordUndo) {
    DialogHost* host = GetDialogHost();
    return host != nullptr && host->RunSettingsDialog(*this, recordUndo);
}

bool CEffectExplode::IsVisibleAtEnd() const {
    return CTextEffectObj::IsVisibleAtEnd() && (implode_ != 0 || fade_ < 100);
}

} // namespace tavro
