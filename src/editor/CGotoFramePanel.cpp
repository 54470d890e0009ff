#include "editor/CGotoFramePanel.h"

#include "editor/CMainDlg.h"
#include "editor/IntegerField.h"
#include "editor/QtText.h"
#include "effects/CActionGotoFrame.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace tavro::editor {

namespace {
constexpr int kMin = CActionGotoFrame::kMinFrame;
constexpr int kMax = CActionGotoFrame::kMaxFrame;

QString CurrentSceneEntry() {
    const std::string_view text = CActionGotoFrame::kCurrentScene;
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}
} // namespace

CGotoFramePanel::CGotoFramePanel(CMainDlg& mainWnd, CActionGotoFrame& action, Mode mode,
                                 QWidget* parent)
    : CActionPanel(mainWnd, action, mode, parent), action_(action) {
    setObjectName(QStringLiteral("GotoFramePanel"));
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    scene_ = new QComboBox(this);
    scene_->setObjectName(QStringLiteral("Scene"));
    scene_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    scene_->setMinimumContentsLength(12);
    layout->addWidget(new QLabel(QStringLiteral("Scene:"), this), 0, 0);
    layout->addWidget(scene_, 0, 1, 1, 2);

    auto* group = new QButtonGroup(this);
    for (size_t i = 0; i < modes_.size(); ++i) {
        const std::string_view name = CActionGotoFrame::kModeNames[i];
        modes_[i] = new QRadioButton(
            QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())), this);
        group->addButton(modes_[i], static_cast<int>(i));
    }
    frame_ = new QLineEdit(this);
    frame_->setObjectName(QStringLiteral("Frame"));
    SetUpIntegerEdit(*frame_, kMin, kMax);
    frame_->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("000000000")));
    label_ = new QLineEdit(this);
    label_->setObjectName(QStringLiteral("Label"));
    // Number with its frame box, Label with its text, then the two steps.
    layout->addWidget(modes_[0], 1, 0);
    layout->addWidget(frame_, 1, 1);
    layout->addWidget(modes_[1], 2, 0);
    layout->addWidget(label_, 2, 1, 1, 2);
    layout->addWidget(modes_[2], 3, 0);
    layout->addWidget(modes_[3], 4, 0);
    play_ = new QCheckBox(QStringLiteral("Go to and Play"), this);
    layout->addWidget(play_, 5, 0, 1, 2);
    layout->setColumnStretch(2, 1);
    layout->setRowStretch(6, 1);

    connect(scene_, &QComboBox::currentIndexChanged, this, [this] { StoreOnClick(); });
    connect(group, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        EnableFields();
        if (checked)
            StoreOnClick();
    });
    connect(play_, &QCheckBox::toggled, this, [this] { StoreOnClick(); });
    WatchTyping(*frame_);
    WatchTyping(*label_);
    Load();
}

QString CGotoFramePanel::Title() const {
    return QStringLiteral("Goto Frame");
}

void CGotoFramePanel::Load() {
    loading_ = true;
    scene_->clear();
    scene_->addItem(CurrentSceneEntry());
    for (const auto& scene : MainWnd().Document().GetChildList())
        scene_->addItem(FromDocText(scene->GetName()));
    // A stored scene no scene is called any more stays visible, and stays stored.
    const QString stored = FromDocText(action_.GetScene());
    int index = 0;
    if (!stored.isEmpty()) {
        index = scene_->findText(stored, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (index <= 0) {
            scene_->addItem(stored);
            index = scene_->count() - 1;
        }
    }
    scene_->setCurrentIndex(index);
    const int mode = action_.GetMode();
    for (size_t i = 0; i < modes_.size(); ++i)
        modes_[i]->setChecked(static_cast<int>(i) == mode);
    frame_->setText(QString::number(action_.GetFrame()));
    label_->setText(FromDocText(action_.GetLabel()));
    play_->setChecked(action_.GetPlay() != 0);
    EnableFields();
    loading_ = false;
}

bool CGotoFramePanel::Validate() {
    if (ChosenMode() != CActionGotoFrame::kNumber)
        return true;
    return ReadIntegerOrComplain(*frame_, kMin, kMax, MainWnd().Dialogs(), this).has_value();
}

std::string CGotoFramePanel::ChosenScene() const {
    return scene_->currentIndex() <= 0 ? std::string() : ToDocText(scene_->currentText());
}

// A mode outside the four (from a damaged file) checks no button and stays as it is.
int CGotoFramePanel::ChosenMode() const {
    for (size_t i = 0; i < modes_.size(); ++i) {
        if (modes_[i]->isChecked())
            return static_cast<int>(i);
    }
    return action_.GetMode();
}

void CGotoFramePanel::EnableFields() {
    frame_->setEnabled(modes_[CActionGotoFrame::kNumber]->isChecked());
    label_->setEnabled(modes_[CActionGotoFrame::kLabel]->isChecked());
}

bool CGotoFramePanel::Differs() const {
    const auto frame = ParseInteger(frame_->text(), kMin, kMax);
    return ChosenScene() != action_.GetScene() || ChosenMode() != action_.GetMode() ||
           (frame && *frame != action_.GetFrame()) ||
           ToDocText(label_->text()) != action_.GetLabel() ||
           play_->isChecked() != (action_.GetPlay() != 0);
}

void CGotoFramePanel::Apply() {
    action_.SetScene(ChosenScene());
    action_.SetMode(ChosenMode());
    if (const auto frame = ParseInteger(frame_->text(), kMin, kMax))
        action_.SetFrame(*frame);
    action_.SetLabel(ToDocText(label_->text()));
    // A stored play value other than 0 and 1 is kept while the box stays checked.
    if (play_->isChecked() != (action_.GetPlay() != 0))
        action_.SetPlay(play_->isChecked() ? 1 : 0);
}

} // namespace tavro::editor
