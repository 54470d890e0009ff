#include "editor/CSqueezeEffectDlg.h"

#include "editor/EffectFieldText.h"
#include "effects/CEffectSqueeze.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

namespace tavro::editor {

namespace {
constexpr const char* kClass = "CEffectSqueeze";
}

CSqueezeEffectDlg::CSqueezeEffectDlg(EffectDialogHost& host, EffectEditSession& session,
                                     CEffectSqueeze& effect, QWidget* parent)
    : CEffectSettingsDlg(host, session, QString::fromLatin1(kTitle), parent) {
    setObjectName(QStringLiteral("SqueezeEffectDlg"));
    const QString percent = QStringLiteral("%");
    auto* grid = new QGridLayout;
    frames_ = AddBoxRow(grid, 0, QStringLiteral("Number of Frames:"), "Number of Frames:");
    startFactor_ = AddBoxRow(grid, 1, QStringLiteral("Start Squeeze Factor:"),
                             "Start Squeeze Factor:", percent);
    endFactor_ =
        AddBoxRow(grid, 2, QStringLiteral("End Squeeze Factor:"), "End Squeeze Factor:", percent);
    grid->setColumnStretch(3, 1);
    ContentLayout()->addLayout(grid);

    auto* alignmentBox = new QGroupBox(QStringLiteral("Alignment"), this);
    alignmentBox->setObjectName(QStringLiteral("Alignment"));
    alignment_ = AddChoices(alignmentBox,
                            {QStringLiteral("Squeeze to Center"), QStringLiteral("Squeeze to Left"),
                             QStringLiteral("Squeeze to Right")},
                            effect.GetAlignment());
    ContentLayout()->addWidget(alignmentBox);

    auto* fadeGrid = new QGridLayout;
    fade_ = AddBoxRow(fadeGrid, 0, QStringLiteral("Fade Letters"), "Fade Letters", percent);
    fadeGrid->setColumnStretch(3, 1);
    ContentLayout()->addLayout(fadeGrid);
    ContentLayout()->addStretch(1);

    frames_->setText(IntegerFieldText(effect.GetNumFrames()));
    startFactor_->setText(IntegerFieldText(effect.GetStartFactor()));
    endFactor_->setText(IntegerFieldText(effect.GetEndFactor()));
    fade_->setText(IntegerFieldText(effect.GetFade()));
    SetFramesBox(frames_, RangeOf(kClass, "Number of Frames:"));
}

bool CSqueezeEffectDlg::ReadFields(bool quiet) {
    Values v;
    const auto read = [&](QLineEdit* box, const char* label, int32_t& out) {
        return ReadInto(box, kClass, label, quiet, out);
    };
    if (!read(frames_, "Number of Frames:", v.frames) ||
        !read(startFactor_, "Start Squeeze Factor:", v.startFactor) ||
        !read(endFactor_, "End Squeeze Factor:", v.endFactor) ||
        !read(fade_, "Fade Letters", v.fade))
        return false;
    values_ = v;
    return true;
}

void CSqueezeEffectDlg::WriteFields(CEffectObj& target) const {
    auto& effect = static_cast<CEffectSqueeze&>(target);
    effect.SetNumFrames(values_.frames);
    effect.SetStartFactor(values_.startFactor);
    effect.SetEndFactor(values_.endFactor);
    effect.SetAlignment(ChoiceOf(alignment_, effect.GetAlignment()));
    effect.SetFade(values_.fade);
}

} // namespace tavro::editor
