#include "editor/CEffectSettingsDlg.h"

#include "editor/CEffectPropertiesDlg.h"
#include "editor/EffectDialogHost.h"
#include "editor/EffectEditSession.h"
#include "editor/EffectFieldText.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tavro::editor {

CEffectSettingsDlg::CEffectSettingsDlg(EffectDialogHost& host, EffectEditSession& session,
                                       const QString& title, QWidget* parent)
    : CEffectDlgBase(host, session, parent) {
    setWindowTitle(title);
    transform_ = AddColumnButton(QString::fromLatin1(kTransformText), "TransformButton");
    connect(transform_, &QPushButton::clicked, this, &CEffectSettingsDlg::OpenTransform);
    // A preview from "Effect Properties" shows this dialog's values too.
    session_.SetOuterSettings([this](CEffectObj& effect) {
        if (ReadFields(true))
            WriteFields(effect);
    });
}

CEffectSettingsDlg::~CEffectSettingsDlg() {
    session_.SetOuterSettings({});
}

void CEffectSettingsDlg::SetFramesBox(QLineEdit* box, const ParamRange& range) {
    framesBox_ = box;
    framesRange_ = range;
}

QLineEdit* CEffectSettingsDlg::AddBoxRow(QGridLayout* grid, int row, const QString& label,
                                         const char* key, const QString& unit) {
    auto* text = new QLabel(label, this);
    QLineEdit* box = MakeBox(QString::fromLatin1(key));
    text->setBuddy(box);
    grid->addWidget(text, row, 0);
    grid->addWidget(box, row, 1);
    if (!unit.isEmpty())
        grid->addWidget(new QLabel(unit, this), row, 2);
    return box;
}

QButtonGroup* CEffectSettingsDlg::AddChoices(QGroupBox* box, const QStringList& labels, int checked,
                                             bool horizontal) {
    auto* group = new QButtonGroup(box);
    QBoxLayout* layout = horizontal ? static_cast<QBoxLayout*>(new QHBoxLayout(box))
                                    : static_cast<QBoxLayout*>(new QVBoxLayout(box));
    for (int i = 0; i < labels.size(); ++i) {
        auto* radio = new QRadioButton(labels[i], box);
        radio->setObjectName(box->objectName() + QString::number(i));
        group->addButton(radio, i);
        layout->addWidget(radio);
        if (i == checked)
            radio->setChecked(true);
    }
    if (horizontal)
        layout->addStretch(1);
    return group;
}

bool CEffectSettingsDlg::ReadInto(QLineEdit* box, const char* className, const char* label,
                                  bool quiet, int32_t& out) {
    const std::optional<double> value = ReadBox(box, RangeOf(className, label), quiet);
    if (!value)
        return false;
    out = static_cast<int32_t>(*value); // integer boxes take int32 values only
    return true;
}

bool CEffectSettingsDlg::ReadInto(QLineEdit* box, const char* className, const char* label,
                                  bool quiet, double& out) {
    const std::optional<double> value = ReadBox(box, RangeOf(className, label), quiet);
    if (!value)
        return false;
    out = *value;
    return true;
}

int32_t CEffectSettingsDlg::ChoiceOf(const QButtonGroup* group, int32_t stored) {
    const int id = group->checkedId();
    return id < 0 ? stored : id;
}

bool CEffectSettingsDlg::CommitValues() {
    if (!ReadFields(false))
        return false;
    session_.Commit(nullptr, [this](CEffectObj& effect) { WriteFields(effect); });
    return true;
}

bool CEffectSettingsDlg::PreviewValues() {
    if (!ReadFields(false))
        return false;
    session_.Apply(nullptr, [this](CEffectObj& effect) { WriteFields(effect); });
    return true;
}

void CEffectSettingsDlg::CancelValues() {
    session_.Restore();
}

void CEffectSettingsDlg::OpenTransform() {
    CEffectObj::Properties shown = session_.Properties();
    if (framesBox_ != nullptr && session_.Effect().CanSetNumFrames()) {
        if (const std::optional<double> frames = ReadBox(framesBox_, framesRange_, true))
            shown.numFrames = static_cast<int32_t>(*frames);
    }
    std::unique_ptr<CEffectPropertiesDlg> dialog =
        host_.CreatePropertiesDialog(session_, true, this);
    dialog->LoadProperties(shown);
    if (dialog->exec() != QDialog::Accepted)
        return;
    if (framesBox_ != nullptr && session_.Effect().CanSetNumFrames())
        framesBox_->setText(IntegerFieldText(session_.Properties().numFrames));
}

} // namespace tavro::editor
