#include "TimelineTestSupport.h"

#include "editor/CActionPage.h"
#include "editor/CTextPropSheet.h"
#include "editor/CTimelinePage.h"
#include "effects/CEffectObj.h"
#include "effects/EffectNames.h"
#include "model/CSceneObj.h"
#include "model/CTextObj.h"

#include <QAction>

namespace tavro::editor {

EditorHarness::EditorHarness() {
    settings_ = std::make_unique<QtAppSettings>(dir_.filePath(QStringLiteral("Tavro.ini")));
    EditorServices services;
    services.dialogs = &dialogs_;
    services.settings = settings_.get();
    services.shell = &shell_;
    services.tempRoot = dir_.path().toStdString();
    dlg_ = std::make_unique<CMainDlg>(services);
}

EditorHarness::~EditorHarness() {
    dlg_.reset();
}

CSceneObj& EditorHarness::Scene() {
    return *dlg_->Document().GetSelectedScene();
}

CTextObj& EditorHarness::AddText(const char* text) {
    dlg_->Action(CMainDlg::Command::InsertText)->trigger();
    auto* obj = static_cast<CTextObj*>(Scene().GetSelectedChild());
    obj->SetName(text);
    dlg_->Refresh();
    return *obj;
}

void EditorHarness::Select(CSymbolObj* object) {
    if (object == nullptr)
        Scene().SelectPosition({});
    else
        Scene().SelectChild(object);
    dlg_->SelectionChangedOnPage();
    dlg_->PropertySheet()->ActivePage().Load();
}

CTimelinePage& EditorHarness::Timeline() {
    dlg_->PropertySheet()->SetActivePage(CTextPropSheet::Timeline);
    return static_cast<CTimelinePage&>(dlg_->PropertySheet()->PageAt(CTextPropSheet::Timeline));
}

CActionPage& EditorHarness::Actions() {
    dlg_->PropertySheet()->SetActivePage(CTextPropSheet::Actions);
    return static_cast<CActionPage&>(dlg_->PropertySheet()->PageAt(CTextPropSheet::Actions));
}

CEffectObj& AddEffectAt(CSymbolObj& object, int command, int start) {
    std::unique_ptr<CEffectObj> effect = CreateWholeObjectEffect(command);
    if (!effect)
        effect = CreateLetterEffect(command);
    CEffectObj& added = *effect;
    added.SetStartFrame(start);
    object.GetEffectList().SelectPosition(object.InsertEffect(std::move(effect)));
    return added;
}

} // namespace tavro::editor
