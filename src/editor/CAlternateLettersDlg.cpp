#include "editor/CAlternateLettersDlg.h"

#include "editor/EffectFieldText.h"
#include "effects/CEffectAlternate.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace tavro::editor {

namespace {
constexpr const char* kClass = "CEffectAlternate";
}

CAlternateLettersDlg::CAlternateLettersDlg(EffectDialogHost& host, EffectEditSession& session,
                                           CEffectAlternate& effect, QWidget* parent)
    : CEffectSettingsDlg(host, session, QString::fromLatin1(kTitle), parent) {
    setObjectName(QStringLiteral("AlternateLettersDlg"));
    const QString percent = QStringLiteral("%");
    const QString degrees = QString::fromUtf8("\u00B0");
    auto* grid = new QGridLayout;
    frames_ =
        AddBoxRow(grid, 0, QStringLiteral("Duration:"), "Duration::", QStringLiteral("frames"));
    grid->addWidget(new QLabel(QStringLiteral("Letter Offset:"), this), 1, 0);
    auto* offset = new QHBoxLayout;
    right_ = MakeBox(QStringLiteral("pixels right"), 60);
    down_ = MakeBox(QStringLiteral("pixels down"), 60);
    offset->addWidget(right_);
    offset->addWidget(new QLabel(QStringLiteral("pixels right"), this));
    offset->addWidget(down_);
    offset->addWidget(new QLabel(QStringLiteral("pixels down"), this));
    offset->addStretch(1);
    grid->addLayout(offset, 1, 1, 1, 3);
    rotate_ = AddBoxRow(grid, 2, QStringLiteral("Letter Rotate:"), "Letter Rotate:", degrees);
    scale_ = AddBoxRow(grid, 3, QStringLiteral("Letter Scale:"), "Letter Scale:", percent);
    fade_ = AddBoxRow(grid, 4, QStringLiteral("Letter Fade:"), "Letter Fade:", percent);
    grid->setColumnStretch(3, 1);
    ContentLayout()->addLayout(grid);

    auto* styleBox = new QGroupBox(QStringLiteral("Animation Style"), this);
    styleBox->setObjectName(QStringLiteral("AnimationStyle"));
    style_ = AddChoices(styleBox,
                        {QStringLiteral("Letters Move In (towards current position)"),
                         QStringLiteral("Letters Move Out (away from current position)")},
                        effect.GetDirection());
    ContentLayout()->addWidget(styleBox);
    ContentLayout()->addStretch(1);

    frames_->setText(IntegerFieldText(effect.GetNumFrames()));
    right_->setText(NumberFieldText(effect.GetOffsetRight()));
    down_->setText(NumberFieldText(effect.GetOffsetDown()));
    rotate_->setText(NumberFieldText(effect.GetRotate()));
    scale_->setText(NumberFieldText(effect.GetScale()));
    fade_->setText(NumberFieldText(effect.GetFade()));
    SetFramesBox(frames_, RangeOf(kClass, "Duration::"));
}

bool CAlternateLettersDlg::ReadFields(bool quiet) {
    Values v;
    const auto read = [&](QLineEdit* box, const char* label, auto& out) {
        return ReadInto(box, kClass, label, quiet, out);
    };
    if (!read(frames_, "Duration::", v.frames) || !read(right_, "pixels right", v.right) ||
        !read(down_, "pixels down", v.down) || !read(rotate_, "Letter Rotate:", v.rotate) ||
        !read(scale_, "Letter Scale:", v.scale) || !read(fade_, "Letter Fade:", v.fade))
        return false;
    values_ = v;
    return true;
}

void CAlternateLettersDlg::WriteFields(CEffectObj& target) const {
    auto& effect = static_cast<CEffectAlternate&>(target);
    effect.SetNumFrames(values_.frames);
    effect.SetOffsetRight(values_.right);
    effect.SetOffsetDown(values_.down);
    effect.SetRotate(values_.rotate);
    effect.SetScale(values_.scale);
    effect.SetFade(values_.fade);
    effect.SetDirection(ChoiceOf(style_, effect.GetDirection()));
}

} // namespace tavro::editor
