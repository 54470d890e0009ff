#include "editor/CScenePage.h"

#include "editor/CMainDlg.h"
#include "editor/QtText.h"
#include "model/CSceneObj.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace tavro::editor {

CScenePage::CScenePage(CMainDlg& mainWnd, QWidget* parent)
    : CTextPropPage(mainWnd, QStringLiteral("Scene"), parent) {
    setObjectName(QStringLiteral("ScenePage"));

    name_ = new QLineEdit(this);
    name_->setObjectName(QStringLiteral("SceneName"));
    link_ = new QLineEdit(this);
    link_->setObjectName(QStringLiteral("SceneLink"));
    link_->setPlaceholderText(QStringLiteral("http://"));
    target_ = new QComboBox(this);
    target_->setObjectName(QStringLiteral("TargetFrame"));
    target_->setEditable(true);
    target_->setInsertPolicy(QComboBox::NoInsert);
    target_->addItems({QStringLiteral("_self"), QStringLiteral("_blank"), QStringLiteral("_parent"),
                       QStringLiteral("_top")});
    target_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    WatchTextField(name_);
    WatchTextField(link_);
    WatchTextField(target_);

    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->addRow(QStringLiteral("Scene &Name:"), name_);
    form->addRow(QStringLiteral("Scene &Link:"), link_);
    form->addRow(QStringLiteral("&Target Frame:"), target_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addStretch(1);
}

// The scene of the current object: the selected scene, also while one of its texts is selected.
CSceneObj* CScenePage::Scene() const {
    return MainWnd().Document().GetSelectedScene();
}

void CScenePage::Load() {
    const LoadScope loading(*this);
    const CSceneObj* scene = Scene();
    for (QWidget* field : {static_cast<QWidget*>(name_), static_cast<QWidget*>(link_),
                           static_cast<QWidget*>(target_)})
        field->setEnabled(scene != nullptr);
    shownName_ = scene != nullptr ? FromDocText(scene->GetName()) : QString();
    shownLink_ = scene != nullptr ? FromDocText(scene->GetLink()) : QString();
    shownTarget_ = scene != nullptr ? FromDocText(scene->GetTargetFrame()) : QString();
    name_->setText(shownName_);
    link_->setText(shownLink_);
    target_->setCurrentIndex(-1);
    target_->setEditText(shownTarget_);
}

void CScenePage::Commit(int flags) {
    CSceneObj* scene = Scene();
    if (scene == nullptr)
        return;
    CSceneObj copy(*scene);
    if (name_->text() != shownName_)
        copy.SetName(ToDocText(name_->text()));
    if (link_->text() != shownLink_)
        copy.SetLink(ToDocText(link_->text()));
    if (target_->currentText() != shownTarget_)
        copy.SetTargetFrame(ToDocText(target_->currentText()));
    shownName_ = name_->text();
    shownLink_ = link_->text();
    shownTarget_ = target_->currentText();
    if (copy.IsEqualScene(*scene))
        return;
    if (flags & kRecordUndoBefore)
        MainWnd().RecordUndo(false);
    scene->CopyScene(copy);
    MainWnd().SetDirty();
    MainWnd().UpdateTreeLabel(scene);
    if (flags & kRecordUndoAfter)
        MainWnd().RecordUndo(true);
}

} // namespace tavro::editor
