#include "editor/CEffectDlgBase.h"

#include "editor/DialogService.h"
#include "editor/EffectDialogHost.h"
#include "editor/EffectEditSession.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

namespace tavro::editor {

CEffectDlgBase::CEffectDlgBase(EffectDialogHost& host, EffectEditSession& session, QWidget* parent)
    : QDialog(parent), host_(host), session_(session) {
    auto* outer = new QHBoxLayout(this);
    content_ = new QVBoxLayout;
    outer->addLayout(content_, 1);
    buttonColumn_ = new QVBoxLayout;
    outer->addLayout(buttonColumn_);

    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName(QStringLiteral("OkButton"));
    ok_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("CancelButton"));
    preview_ = new QPushButton(QString::fromLatin1(kPreviewText), this);
    preview_->setObjectName(QStringLiteral("PreviewButton"));
    preview_->setAutoDefault(false);
    buttonColumn_->addWidget(ok_);
    buttonColumn_->addWidget(cancel_);
    buttonColumn_->addSpacing(8);
    buttonColumn_->addWidget(preview_);
    buttonColumn_->addStretch(1);

    connect(ok_, &QPushButton::clicked, this, &CEffectDlgBase::accept);
    connect(cancel_, &QPushButton::clicked, this, &CEffectDlgBase::reject);
    connect(preview_, &QPushButton::clicked, this, &CEffectDlgBase::TogglePreview);
    connect(&host_, &EffectDialogHost::previewStopped, this, &CEffectDlgBase::EndPreviewState);
}

CEffectDlgBase::~CEffectDlgBase() {
    disconnect(&host_, nullptr, this, nullptr);
    if (previewing_) {
        previewing_ = false;
        host_.StopPreview();
    }
}

QPushButton* CEffectDlgBase::AddColumnButton(const QString& text, const char* objectName) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setAutoDefault(false);
    // Above the spacing and "Preview".
    buttonColumn_->insertWidget(buttonColumn_->indexOf(preview_) - 1, button);
    return button;
}

QLineEdit* CEffectDlgBase::MakeBox(const QString& key, int width) {
    auto* box = new QLineEdit(this);
    box->setObjectName(key);
    box->setFixedWidth(width);
    return box;
}

ParamRange CEffectDlgBase::RangeOf(const char* className, const char* label) {
    const std::optional<EffectParam> param = FindEffectParam(className, label);
    return param ? param->range : ParamRange::AnyInteger();
}

void CEffectDlgBase::Refuse(QWidget* box, const QString& message) {
    host_.Dialogs().Error(this, message);
    box->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(box))
        edit->selectAll();
}

std::optional<double> CEffectDlgBase::ReadBox(QLineEdit* box, const ParamRange& range, bool quiet) {
    const ParamCheck check = ValidateParam(box->text().toStdString(), range);
    if (check.ok)
        return check.value;
    if (!quiet)
        Refuse(box, QString::fromStdString(check.message));
    return std::nullopt;
}

void CEffectDlgBase::accept() {
    if (previewing_)
        StopPreview();
    if (!CommitValues())
        return;
    QDialog::accept();
}

void CEffectDlgBase::reject() {
    if (previewing_)
        StopPreview();
    CancelValues();
    QDialog::reject();
}

void CEffectDlgBase::TogglePreview() {
    if (previewing_) {
        StopPreview();
        return;
    }
    if (!PreviewValues())
        return;
    if (!host_.StartPreview(session_.Effect()))
        return;
    previewing_ = true;
    disabled_.clear();
    const QList<QWidget*> children = findChildren<QWidget*>();
    for (QWidget* w : children) {
        if (w == preview_)
            continue;
        const bool control =
            qobject_cast<QAbstractButton*>(w) != nullptr ||
            qobject_cast<QLineEdit*>(w) != nullptr || qobject_cast<QComboBox*>(w) != nullptr ||
            qobject_cast<QAbstractSpinBox*>(w) != nullptr || qobject_cast<QTabBar*>(w) != nullptr;
        if (!control)
            continue;
        disabled_.emplace_back(w, w->testAttribute(Qt::WA_Disabled));
        w->setEnabled(false);
    }
    preview_->setText(QString::fromLatin1(kStopText));
}

void CEffectDlgBase::StopPreview() {
    host_.StopPreview();
    // The host reports the stop, which ends the preview state; end it here too in case the movie
    // had already stopped.
    EndPreviewState();
}

void CEffectDlgBase::EndPreviewState() {
    if (!previewing_)
        return;
    previewing_ = false;
    for (const auto& [widget, wasDisabled] : disabled_) {
        if (widget)
            widget->setEnabled(!wasDisabled);
    }
    disabled_.clear();
    preview_->setText(QString::fromLatin1(kPreviewText));
}

} // namespace tavro::editor
