// The Scene page of the property sheet: the selected scene's name, link and target frame. The
// three fields follow the editing flag: the first keystroke after a field gains the focus records
// one undo step, the following ones change the scene live. Only fields the user changed are
// written. Without a scene the fields are empty and disabled.
#pragma once

#include "editor/CTextPropPage.h"

class QComboBox;
class QLineEdit;

namespace tavro {
class CSceneObj;
}

namespace tavro::editor {

class CScenePage : public CTextPropPage {
    Q_OBJECT
public:
    explicit CScenePage(CMainDlg& mainWnd, QWidget* parent = nullptr);

    void Load() override;
    void Commit(int flags) override;

    QLineEdit* NameField() const { return name_; }
    QLineEdit* LinkField() const { return link_; }
    QComboBox* TargetField() const { return target_; }

private:
    CSceneObj* Scene() const;

    QLineEdit* name_ = nullptr;
    QLineEdit* link_ = nullptr;
    QComboBox* target_ = nullptr;
    // What the fields showed when they last matched the scene (after Load or Commit): a field
    // still showing it leaves the scene's value as it is.
    QString shownName_, shownLink_, shownTarget_;
};

} // namespace tavro::editor
