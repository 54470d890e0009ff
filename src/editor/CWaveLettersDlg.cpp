#include "editor/CWaveLettersDlg.h"

#include "editor/EffectFieldText.h"
#include "effects/CEffectWave.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace tavro::editor {

namespace {
constexpr const char* kClass = "CEffectWave";
}

CWaveLettersDlg::CWaveLettersDlg(EffectDialogHost& host, EffectEditSession& session,
                                 CEffectWave& effect, QWidget* parent)
    : CEffectSettingsDlg(host, session, QString::fromLatin1(kTitle), parent) {
    setObjectName(QStringLiteral("WaveLettersDlg"));
    const QString frames = QStringLiteral("frames");
    const QString pixels = QStringLiteral("pixels");
    const QString percent = QStringLiteral("%");

    auto* timing = new QGridLayout;
    frames_ = AddBoxRow(timing, 0, QStringLiteral("Duration:"), "Duration:", frames);
    period_ = AddBoxRow(timing, 1, QStringLiteral("Period:"), "Period:", frames);
    length_ = AddBoxRow(timing, 2, QStringLiteral("Length:"), "Length:", pixels);
    timing->setColumnStretch(3, 1);
    ContentLayout()->addLayout(timing);

    auto* choices = new QHBoxLayout;
    auto* directionBox = new QGroupBox(QStringLiteral("Direction"), this);
    directionBox->setObjectName(QStringLiteral("Direction"));
    direction_ = AddChoices(directionBox, {QStringLiteral("Forward"), QStringLiteral("Backward")},
                            effect.GetDirection());
    auto* movementBox = new QGroupBox(QStringLiteral("Movement"), this);
    movementBox->setObjectName(QStringLiteral("Movement"));
    movement_ =
        AddChoices(movementBox, {QStringLiteral("Up / Down"), QStringLiteral("Side to Side")},
                   effect.GetMovement());
    choices->addWidget(directionBox);
    choices->addWidget(movementBox);
    ContentLayout()->addLayout(choices);

    rotate_ = new QCheckBox(QStringLiteral("Rotate letters to follow wave"), this);
    rotate_->setObjectName(QStringLiteral("RotateToFollow"));
    loadedRotate_ = effect.GetRotateToFollow();
    rotate_->setChecked(loadedRotate_);
    ContentLayout()->addWidget(rotate_);

    auto* shape = new QGridLayout;
    moveBy_ = AddBoxRow(shape, 0, QStringLiteral("Move by:"), "Move by:", pixels);
    horizontalScale_ =
        AddBoxRow(shape, 1, QStringLiteral("Horizontal Scale:"), "Horizontal Scale:", percent);
    verticalScale_ =
        AddBoxRow(shape, 2, QStringLiteral("Vertical Scale:"), "Vertical Scale:", percent);
    alphaFade_ = AddBoxRow(shape, 3, QStringLiteral("Alpha Fade:"), "Alpha Fade:", percent);
    shape->setColumnStretch(3, 1);
    ContentLayout()->addLayout(shape);
    ContentLayout()->addStretch(1);

    frames_->setText(IntegerFieldText(effect.GetNumFrames()));
    period_->setText(IntegerFieldText(effect.GetPeriod()));
    length_->setText(NumberFieldText(effect.GetLength()));
    moveBy_->setText(NumberFieldText(effect.GetMoveBy()));
    horizontalScale_->setText(NumberFieldText(effect.GetHorizontalScale()));
    verticalScale_->setText(NumberFieldText(effect.GetVerticalScale()));
    alphaFade_->setText(NumberFieldText(effect.GetAlphaFade()));
    SetFramesBox(frames_, RangeOf(kClass, "Duration:"));
}

bool CWaveLettersDlg::ReadFields(bool quiet) {
    Values v;
    const auto read = [&](QLineEdit* box, const char* label, auto& out) {
        return ReadInto(box, kClass, label, quiet, out);
    };
    if (!read(frames_, "Duration:", v.frames) || !read(period_, "Period:", v.period) ||
        !read(length_, "Length:", v.length) || !read(moveBy_, "Move by:", v.moveBy) ||
        !read(horizontalScale_, "Horizontal Scale:", v.horizontalScale) ||
        !read(verticalScale_, "Vertical Scale:", v.verticalScale) ||
        !read(alphaFade_, "Alpha Fade:", v.alphaFade))
        return false;
    values_ = v;
    return true;
}

void CWaveLettersDlg::WriteFields(CEffectObj& target) const {
    auto& effect = static_cast<CEffectWave&>(target);
    effect.SetNumFrames(values_.frames);
    effect.SetPeriod(values_.period);
    effect.SetLength(values_.length);
    effect.SetDirection(ChoiceOf(direction_, effect.GetDirection()));
    effect.SetMovement(ChoiceOf(movement_, effect.GetMovement()));
    if (rotate_->isChecked() != loadedRotate_)
        effect.SetRotateToFollow(rotate_->isChecked());
    effect.SetMoveBy(values_.moveBy);
    effect.SetHorizontalScale(values_.horizontalScale);
    effect.SetVerticalScale(values_.verticalScale);
    effect.SetAlphaFade(values_.alphaFade);
}

} // namespace tavro::editor
