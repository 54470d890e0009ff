#include "editor/CEffectPropertiesDlg.h"

#include "editor/CTransformPage.h"
#include "editor/EffectDialogHost.h"
#include "editor/EffectEditSession.h"
#include "editor/EffectFieldText.h"
#include "editor/QtText.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QVBoxLayout>

#include <memory>

namespace tavro::editor {

namespace {

// The range of the effect's frames box: its own dialog's, when that has one, else the one every
// effect shares.
ParamRange FramesRangeOf(const CEffectObj& effect) {
    const char* className = effect.GetRuntimeClass()->className;
    for (const char* label : {"Number of Frames:", "Duration:", "Duration::"}) {
        if (const std::optional<EffectParam> param = FindEffectParam(className, label))
            return param->range;
    }
    const std::optional<EffectParam> shared = FindEffectParam("CEffectObj", "Number of Frames:");
    return shared ? shared->range : ParamRange::Integer(1, 99999);
}

// The rows the effect hides: its own set, and the rows its class hides in every new effect (the
// rows its run presets, which a file may still have stored as shown).
uint32_t HiddenRowsOf(const CEffectObj& effect) {
    uint32_t rows = effect.GetHiddenRows();
    const std::unique_ptr<CRootObj> fresh(effect.GetRuntimeClass()->CreateObject());
    if (const auto* model = DynamicCast<CEffectObj>(fresh.get()))
        rows |= model->GetHiddenRows();
    return rows;
}

} // namespace

CEffectPropertiesDlg::CEffectPropertiesDlg(EffectDialogHost& host, EffectEditSession& session,
                                           bool insideSettings, QWidget* parent)
    : CEffectDlgBase(host, session, parent), insideSettings_(insideSettings) {
    setWindowTitle(QString::fromLatin1(kTitle));
    setObjectName(QStringLiteral("EffectPropertiesDlg"));
    const CEffectObj& effect = session.Effect();
    framesRange_ = FramesRangeOf(effect);

    auto* fields = new QGridLayout;
    auto* descriptionLabel = new QLabel(QStringLiteral("Description:"), this);
    description_ = new QLineEdit(this);
    description_->setObjectName(QStringLiteral("Description:"));
    descriptionLabel->setBuddy(description_);
    fields->addWidget(descriptionLabel, 0, 0);
    fields->addWidget(description_, 0, 1, 1, 3);
    auto* framesLabel = new QLabel(QStringLiteral("Number of Frames:"), this);
    frames_ = MakeBox(QStringLiteral("Number of Frames:"));
    framesLabel->setBuddy(frames_);
    frames_->setEnabled(effect.CanSetNumFrames());
    resetAtStart_ = new QCheckBox(QStringLiteral("Reset At Start"), this);
    resetAtStart_->setObjectName(QStringLiteral("ResetAtStart"));
    fields->addWidget(framesLabel, 1, 0);
    fields->addWidget(frames_, 1, 1);
    fields->addWidget(resetAtStart_, 1, 2);
    fields->setColumnStretch(3, 1);
    ContentLayout()->addLayout(fields);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("TransformTabs"));
    if (effect.HasTwoTransformTabs()) {
        startPage_ = new CTransformPage(TransformTab::StartAt, tabs_);
        transformPage_ = new CTransformPage(TransformTab::Transform, tabs_);
        tabs_->addTab(startPage_, QStringLiteral("Start At"));
        tabs_->addTab(transformPage_, QStringLiteral("Transform"));
        tabs_->setCurrentWidget(transformPage_);
    } else {
        // One frame: the Start At menus and captions put the object where it ends up.
        transformPage_ = new CTransformPage(TransformTab::StartAt, tabs_);
        tabs_->addTab(transformPage_, QStringLiteral("Start At"));
    }
    ContentLayout()->addWidget(tabs_, 1);

    LoadProperties(session.Properties());
}

CEffectPropertiesDlg::~CEffectPropertiesDlg() = default;

void CEffectPropertiesDlg::LoadProperties(const CEffectObj::Properties& properties) {
    loaded_ = properties;
    const uint32_t hidden = HiddenRowsOf(session_.Effect());
    description_->setText(FromDocText(properties.description));
    frames_->setText(IntegerFieldText(properties.numFrames));
    resetAtStart_->setChecked(properties.resetAtStart);
    if (startPage_ != nullptr)
        startPage_->Load(properties.start, hidden);
    transformPage_->Load(properties.transform, hidden);
}

std::optional<CEffectObj::Properties> CEffectPropertiesDlg::ReadProperties(bool quiet) {
    CEffectObj::Properties out = loaded_;
    out.description = ToDocText(description_->text());
    if (session_.Effect().CanSetNumFrames()) {
        const std::optional<double> frames = ReadBox(frames_, framesRange_, quiet);
        if (!frames)
            return std::nullopt;
        out.numFrames = static_cast<int32_t>(*frames);
    }
    out.resetAtStart = resetAtStart_->isChecked();
    const auto readPage = [&](CTransformPage* page, CEffectObj::TransformSet& set) {
        QString message;
        QLineEdit* bad = nullptr;
        const std::optional<CEffectObj::TransformSet> read = page->Read(&message, &bad);
        if (!read) {
            if (!quiet) {
                tabs_->setCurrentWidget(page);
                Refuse(bad != nullptr ? static_cast<QWidget*>(bad) : page, message);
            }
            return false;
        }
        set = *read;
        return true;
    };
    if (startPage_ != nullptr && !readPage(startPage_, out.start))
        return std::nullopt;
    if (!readPage(transformPage_, out.transform))
        return std::nullopt;
    return out;
}

bool CEffectPropertiesDlg::CommitValues() {
    const std::optional<CEffectObj::Properties> properties = ReadProperties(false);
    if (!properties)
        return false;
    if (insideSettings_)
        session_.SetProperties(*properties);
    else
        session_.Commit(&*properties, {});
    return true;
}

bool CEffectPropertiesDlg::PreviewValues() {
    const std::optional<CEffectObj::Properties> properties = ReadProperties(false);
    if (!properties)
        return false;
    session_.Apply(&*properties, {});
    previewed_ = true;
    return true;
}

void CEffectPropertiesDlg::CancelValues() {
    // Inside a settings dialog the edit goes on; only what this dialog's preview wrote goes.
    if (!insideSettings_ || previewed_)
        session_.Restore();
}

} // namespace tavro::editor
