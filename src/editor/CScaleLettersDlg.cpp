#include "editor/CScaleLettersDlg.h"

#include "editor/EffectFieldText.h"
#include "effects/CEffectScaleLetter.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace tavro::editor {

namespace {
constexpr const char* kClass = "CEffectScaleLetter";
}

CScaleLettersDlg::CScaleLettersDlg(EffectDialogHost& host, EffectEditSession& session,
                                   CEffectScaleLetter& effect, QWidget* parent)
    : CEffectSettingsDlg(host, session, QString::fromLatin1(kTitle), parent) {
    setObjectName(QStringLiteral("ScaleLettersDlg"));
    const QString percent = QStringLiteral("%");
    const QString degrees = QString::fromUtf8("\u00B0");
    auto* grid = new QGridLayout;
    framesPerLetter_ =
        AddBoxRow(grid, 0, QStringLiteral("Frames per Letter:"), "Frames per Letter:");
    wait_ = AddBoxRow(grid, 1, QStringLiteral("Wait frames between Letters:"),
                      "Wait frames between Letters:");
    scale_ = AddBoxRow(grid, 2, QStringLiteral("Letter Scale:"), "Letter Scale:", percent);
    rotate_ = AddBoxRow(grid, 3, QStringLiteral("Letter Rotate:"), "Letter Rotate:", degrees);
    fade_ = AddBoxRow(grid, 4, QStringLiteral("Letter Fade:"), "Letter Fade:", percent);
    grid->addWidget(new QLabel(QStringLiteral("Letter Offset:"), this), 5, 0);
    auto* offset = new QHBoxLayout;
    auto* acrossLabel = new QLabel(QStringLiteral("across"), this);
    across_ = MakeBox(QStringLiteral("across"), 60);
    acrossLabel->setBuddy(across_);
    auto* downLabel = new QLabel(QStringLiteral("down"), this);
    down_ = MakeBox(QStringLiteral("down"), 60);
    downLabel->setBuddy(down_);
    offset->addWidget(acrossLabel);
    offset->addWidget(across_);
    offset->addWidget(downLabel);
    offset->addWidget(down_);
    offset->addWidget(new QLabel(QStringLiteral("pixels"), this));
    offset->addStretch(1);
    grid->addLayout(offset, 5, 1, 1, 3);
    grid->setColumnStretch(3, 1);
    ContentLayout()->addLayout(grid);

    auto* choices = new QHBoxLayout;
    auto* orderBox = new QGroupBox(QStringLiteral("Letter Order"), this);
    orderBox->setObjectName(QStringLiteral("LetterOrder"));
    order_ = AddChoices(orderBox, {QStringLiteral("Forward"), QStringLiteral("Backward")},
                        effect.GetOrder());
    auto* styleBox = new QGroupBox(QStringLiteral("Animation Style"), this);
    styleBox->setObjectName(QStringLiteral("AnimationStyle"));
    style_ = AddChoices(styleBox, {QStringLiteral("Add Letters"), QStringLiteral("Remove Letters")},
                        effect.GetStyle());
    choices->addWidget(orderBox);
    choices->addWidget(styleBox);
    ContentLayout()->addLayout(choices);
    ContentLayout()->addStretch(1);

    framesPerLetter_->setText(IntegerFieldText(effect.GetFramesPerLetter()));
    wait_->setText(IntegerFieldText(effect.GetWait()));
    scale_->setText(NumberFieldText(effect.GetScale()));
    rotate_->setText(NumberFieldText(effect.GetRotate()));
    fade_->setText(NumberFieldText(effect.GetFade()));
    across_->setText(NumberFieldText(effect.GetOffsetAcross()));
    down_->setText(NumberFieldText(effect.GetOffsetDown()));
}

bool CScaleLettersDlg::ReadFields(bool quiet) {
    Values v;
    const auto read = [&](QLineEdit* box, const char* label, auto& out) {
        return ReadInto(box, kClass, label, quiet, out);
    };
    if (!read(framesPerLetter_, "Frames per Letter:", v.framesPerLetter) ||
        !read(wait_, "Wait frames between Letters:", v.wait) ||
        !read(scale_, "Letter Scale:", v.scale) || !read(rotate_, "Letter Rotate:", v.rotate) ||
        !read(fade_, "Letter Fade:", v.fade) || !read(across_, "across", v.across) ||
        !read(down_, "down", v.down))
        return false;
    values_ = v;
    return true;
}

void CScaleLettersDlg::WriteFields(CEffectObj& target) const {
    auto& effect = static_cast<CEffectScaleLetter&>(target);
    effect.SetFramesPerLetter(values_.framesPerLetter);
    effect.SetWait(values_.wait);
    effect.SetScale(values_.scale);
    effect.SetRotate(values_.rotate);
    effect.SetFade(values_.fade);
    effect.SetOffsetAcross(values_.across);
    effect.SetOffsetDown(values_.down);
    effect.SetOrder(ChoiceOf(order_, effect.GetOrder()));
    effect.SetStyle(ChoiceOf(style_, effect.GetStyle()));
}

} // namespace tavro::editor
