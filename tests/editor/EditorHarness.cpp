#include "EditorHarness.h"

#include "editor/CActionPage.h"
#include "editor/CTextPropSheet.h"
#include "editor/CTimelinePage.h"
#include "model/CSceneObj.h"
#include "model/CTextObj.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QStandardPaths>
#include <QTest>

namespace tavro::editor {

EditorHarness::EditorHarness() {
    // Nothing the window looks up or remembers may reach the user's own folders.
    QStandardPaths::setTestModeEnabled(true);
    if (!dir_.isValid())
        qFatal("no temporary folder: %s", qPrintable(dir_.errorString()));
    settings_ = std::make_unique<QtAppSettings>(dir_.filePath(QStringLiteral("Tavro.ini")));
    CreateMain();
}

EditorHarness::~EditorHarness() {
    DestroyMain();
}

void EditorHarness::DestroyMain() {
    dlg_.reset();
}

void EditorHarness::CreateMain() {
    EditorServices services;
    services.dialogs = &dialogs_;
    services.settings = settings_.get();
    services.shell = &shell_;
    services.tempRoot = dir_.path().toStdString();
    dlg_ = std::make_unique<CMainDlg>(services);
}

bool EditorHarness::ShowActive(QSize size) {
    if (size.isValid())
        dlg_->resize(size);
    dlg_->show();
    dlg_->activateWindow();
    return QTest::qWaitForWindowActive(dlg_.get());
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

void ChooseFromList(QComboBox* combo, int index) {
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    QTRY_VERIFY(view->isVisible());
    const QModelIndex item = view->model()->index(index, 0);
    view->scrollTo(item);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(item).center());
    QTRY_VERIFY(!view->isVisible());
}

} // namespace tavro::editor
