#include "editor/CSlideEffectDlg.h"

#include "editor/EffectFieldText.h"
#include "effects/CEffectSlide.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tavro::editor {

namespace {

constexpr const char* kClass = "CEffectSlide";

struct Side {
    int32_t direction;
    const char* label;
    int row, column; // in the compass grid
};
constexpr Side kSides[] = {
    {CEffectSlide::kTopLeft, "Top Left", 0, 0},
    {CEffectSlide::kTop, "Top", 0, 1},
    {CEffectSlide::kTopRight, "Top Right", 0, 2},
    {CEffectSlide::kLeft, "Left", 1, 0},
    {CEffectSlide::kRight, "Right", 1, 2},
    {CEffectSlide::kBottomLeft, "Bottom Left", 2, 0},
    {CEffectSlide::kBottom, "Bottom", 2, 1},
    {CEffectSlide::kBottomRight, "Bottom Right", 2, 2},
};

} // namespace

CSlideEffectDlg::CSlideEffectDlg(EffectDialogHost& host, EffectEditSession& session,
                                 CEffectSlide& effect, QWidget* parent)
    : CEffectSettingsDlg(host, session, QString::fromLatin1(kTitle), parent) {
    setObjectName(QStringLiteral("SlideEffectDlg"));
    auto* grid = new QGridLayout;
    frames_ = AddBoxRow(grid, 0, QStringLiteral("Number of Frames:"), "Number of Frames:");
    grid->setColumnStretch(3, 1);
    ContentLayout()->addLayout(grid);

    auto* travelBox = new QGroupBox(QStringLiteral("Direction"), this);
    travelBox->setObjectName(QStringLiteral("Direction"));
    travel_ = AddChoices(travelBox, {QStringLiteral("Slide In"), QStringLiteral("Slide Out")},
                         effect.IsSlideOut() ? 1 : 0, true);
    ContentLayout()->addWidget(travelBox);

    sideGroup_ = new QGroupBox(this);
    sideGroup_->setObjectName(QStringLiteral("Sides"));
    auto* compass = new QGridLayout(sideGroup_);
    sides_ = new QButtonGroup(sideGroup_);
    for (const Side& side : kSides) {
        auto* radio = new QRadioButton(QString::fromLatin1(side.label), sideGroup_);
        radio->setObjectName(QStringLiteral("Side") + QString::number(side.direction));
        sides_->addButton(radio, side.direction);
        compass->addWidget(radio, side.row, side.column);
        if (side.direction == effect.GetDirection())
            radio->setChecked(true);
    }
    ContentLayout()->addWidget(sideGroup_);
    ContentLayout()->addStretch(1);

    frames_->setText(IntegerFieldText(effect.GetNumFrames()));
    SetFramesBox(frames_, RangeOf(kClass, "Number of Frames:"));
    UpdateSideCaption();
    connect(travel_, &QButtonGroup::idToggled, this, [this] { UpdateSideCaption(); });
}

void CSlideEffectDlg::UpdateSideCaption() {
    sideGroup_->setTitle(travel_->checkedId() == 1 ? QStringLiteral("Slide Out To")
                                                   : QStringLiteral("Slide In From"));
}

bool CSlideEffectDlg::ReadFields(bool quiet) {
    return ReadInto(frames_, kClass, "Number of Frames:", quiet, framesValue_);
}

void CSlideEffectDlg::WriteFields(CEffectObj& target) const {
    auto& effect = static_cast<CEffectSlide&>(target);
    // A description that is the slide's default name follows the slide's new name.
    const bool defaultName = effect.CTavroObj::GetName() == effect.GetDefaultName();
    effect.SetNumFrames(framesValue_);
    const int32_t travel = ChoiceOf(travel_, -1);
    if (travel >= 0 && (travel == 1) != effect.IsSlideOut())
        effect.SetSlideOut(travel == 1);
    effect.SetDirection(ChoiceOf(sides_, effect.GetDirection()));
    if (defaultName)
        effect.SetName(effect.GetDefaultName());
}

} // namespace tavro::editor
