#include "editor/CExplodeEffectDlg.h"

#include "editor/EffectFieldText.h"
#include "effects/CEffectExplode.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace tavro::editor {

namespace {
constexpr const char* kClass = "CEffectExplode";
}

CExplodeEffectDlg::CExplodeEffectDlg(EffectDialogHost& host, EffectEditSession& session,
                                     CEffectExplode& effect, QWidget* parent)
    : CEffectSettingsDlg(host, session, QString::fromLatin1(kTitle), parent) {
    setObjectName(QStringLiteral("ExplodeEffectDlg"));
    const QString percent = QStringLiteral("%");
    const QString degrees = QString::fromUtf8("\u00B0");

    auto* grid = new QGridLayout;
    frames_ = AddBoxRow(grid, 0, QStringLiteral("Number of Frames:"), "Number of Frames:");

    grid->addWidget(new QLabel(QStringLiteral("Position of Bomb:"), this), 1, 0);
    auto* bomb = new QHBoxLayout;
    auto* xLabel = new QLabel(QStringLiteral("x:"), this);
    bombX_ = MakeBox(QStringLiteral("x:"), 60);
    xLabel->setBuddy(bombX_);
    auto* yLabel = new QLabel(QStringLiteral("y:"), this);
    bombY_ = MakeBox(QStringLiteral("y:"), 60);
    yLabel->setBuddy(bombY_);
    bomb->addWidget(xLabel);
    bomb->addWidget(bombX_);
    bomb->addWidget(yLabel);
    bomb->addWidget(bombY_);
    bomb->addWidget(new QLabel(QStringLiteral("pixels"), this));
    bomb->addStretch(1);
    grid->addLayout(bomb, 1, 1, 1, 3);

    auto* gravityLabel = new QLabel(QStringLiteral("Direction of Gravity:"), this);
    gravity_ = new QComboBox(this);
    gravity_->setObjectName(QStringLiteral("GravityDirection"));
    for (const GravityPreset& preset : kGravityPresets)
        gravity_->addItem(QString::fromLatin1(preset.label));
    gravity_->addItem(QStringLiteral("Other"));
    gravityLabel->setBuddy(gravity_);
    gravityDegrees_ = MakeBox(QStringLiteral("Direction of Gravity:"), 60);
    auto* gravityRow = new QHBoxLayout;
    gravityRow->addWidget(gravity_);
    gravityRow->addWidget(gravityDegrees_);
    gravityRow->addWidget(new QLabel(degrees, this));
    gravityRow->addStretch(1);
    grid->addWidget(gravityLabel, 2, 0);
    grid->addLayout(gravityRow, 2, 1, 1, 3);

    gravityStrength_ =
        AddBoxRow(grid, 3, QStringLiteral("Strength of Gravity:"), "Strength of Gravity:");
    velocity_ =
        AddBoxRow(grid, 4, QStringLiteral("Velocity of Explosion:"), "Velocity of Explosion:");
    seed_ = AddBoxRow(grid, 5, QStringLiteral("Random Seed #:"), "Random Seed #:");
    scale_ = AddBoxRow(grid, 6, QStringLiteral("Scale Letters by:"), "Scale Letters by:", percent);
    rotate_ =
        AddBoxRow(grid, 7, QStringLiteral("Rotate Letters by:"), "Rotate Letters by:", degrees);
    uniformRotation_ = new QCheckBox(QStringLiteral("Uniform Rotation"), this);
    uniformRotation_->setObjectName(QStringLiteral("UniformRotation"));
    grid->addWidget(uniformRotation_, 7, 3);
    fade_ = AddBoxRow(grid, 8, QStringLiteral("Fade Letters by:"), "Fade Letters by:", percent);
    grid->setColumnStretch(4, 1);
    ContentLayout()->addLayout(grid);

    auto* styleBox = new QGroupBox(QStringLiteral("Explosion Style"), this);
    styleBox->setObjectName(QStringLiteral("ExplosionStyle"));
    style_ = AddChoices(styleBox, {QStringLiteral("Explode"), QStringLiteral("Implode")},
                        effect.GetImplode() ? 1 : 0, true);
    ContentLayout()->addWidget(styleBox);
    ContentLayout()->addStretch(1);

    frames_->setText(IntegerFieldText(effect.GetNumFrames()));
    bombX_->setText(IntegerFieldText(effect.GetBombX()));
    bombY_->setText(IntegerFieldText(effect.GetBombY()));
    const double direction = effect.GetGravityDirection();
    int choice = kOther;
    for (size_t i = 0; i < kGravityPresets.size(); ++i) {
        if (kGravityPresets[i].degrees == direction)
            choice = static_cast<int>(i);
    }
    gravityDegrees_->setText(NumberFieldText(direction));
    gravity_->setCurrentIndex(choice);
    OnGravityChosen(choice);
    connect(gravity_, &QComboBox::currentIndexChanged, this, &CExplodeEffectDlg::OnGravityChosen);
    gravityStrength_->setText(NumberFieldText(effect.GetGravityStrength()));
    velocity_->setText(NumberFieldText(effect.GetVelocity()));
    seed_->setText(IntegerFieldText(effect.GetRandomSeed()));
    scale_->setText(NumberFieldText(effect.GetScale()));
    rotate_->setText(NumberFieldText(effect.GetRotate()));
    loadedUniform_ = effect.GetUniformRotation();
    uniformRotation_->setChecked(loadedUniform_);
    fade_->setText(IntegerFieldText(effect.GetFade()));
    SetFramesBox(frames_, RangeOf(kClass, "Number of Frames:"));
}

// A preset shows its degrees in the box, which only "Other" lets the user edit.
void CExplodeEffectDlg::OnGravityChosen(int index) {
    const bool other = index < 0 || index >= static_cast<int>(kGravityPresets.size());
    gravityDegrees_->setEnabled(other);
    if (!other)
        gravityDegrees_->setText(NumberFieldText(kGravityPresets[index].degrees));
}

bool CExplodeEffectDlg::ReadFields(bool quiet) {
    Values v;
    const auto read = [&](QLineEdit* box, const char* label, auto& out) {
        return ReadInto(box, kClass, label, quiet, out);
    };
    if (!read(frames_, "Number of Frames:", v.frames) || !read(bombX_, "x:", v.bombX) ||
        !read(bombY_, "y:", v.bombY))
        return false;
    const int choice = gravity_->currentIndex();
    if (choice >= 0 && choice < static_cast<int>(kGravityPresets.size()))
        v.gravityDirection = kGravityPresets[choice].degrees;
    else if (!read(gravityDegrees_, "Direction of Gravity:", v.gravityDirection))
        return false;
    if (!read(gravityStrength_, "Strength of Gravity:", v.gravityStrength) ||
        !read(velocity_, "Velocity of Explosion:", v.velocity) ||
        !read(seed_, "Random Seed #:", v.seed) || !read(scale_, "Scale Letters by:", v.scale) ||
        !read(rotate_, "Rotate Letters by:", v.rotate) || !read(fade_, "Fade Letters by:", v.fade))
        return false;
    values_ = v;
    return true;
}

void CExplodeEffectDlg::WriteFields(CEffectObj& target) const {
    auto& effect = static_cast<CEffectExplode&>(target);
    effect.SetNumFrames(values_.frames);
    effect.SetBomb(values_.bombX, values_.bombY);
    effect.SetGravityDirection(values_.gravityDirection);
    effect.SetGravityStrength(values_.gravityStrength);
    effect.SetVelocity(values_.velocity);
    effect.SetRandomSeed(values_.seed);
    effect.SetScale(values_.scale);
    effect.SetRotate(values_.rotate);
    if (uniformRotation_->isChecked() != loadedUniform_)
        effect.SetUniformRotation(uniformRotation_->isChecked());
    effect.SetFade(values_.fade);
    const int32_t style = ChoiceOf(style_, -1);
    if (style >= 0 && (style == 1) != effect.GetImplode())
        effect.SetImplode(style == 1);
}

} // namespace tavro::editor
