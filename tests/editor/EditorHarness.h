// A main window for the editor tests: a settings file in a temporary folder, dialogs answered from
// a script and a shell that only records what it was asked to open. Helpers select objects and
// show pages as a user would.
#pragma once

#include "editor/CMainDlg.h"
#include "editor/DialogService.h"
#include "editor/QtAppSettings.h"
#include "export/ShellOpener.h"

#include <QSize>
#include <QTemporaryDir>

#include <memory>

class QComboBox;

namespace tavro {
class CSceneObj;
class CSymbolObj;
class CTextObj;
} // namespace tavro

namespace tavro::editor {

class CActionPage;
class CTimelinePage;

class EditorHarness {
public:
    EditorHarness();
    ~EditorHarness();

    CMainDlg& Main() { return *dlg_; }
    ScriptedDialogService& Dialogs() { return dialogs_; }
    RecordingShellOpener& Shell() { return shell_; }
    QtAppSettings& Settings() { return *settings_; }
    // The folder of the settings file and the editor's temporary files; tests keep theirs there.
    const QTemporaryDir& Folder() const { return dir_; }

    // Destroys the window (it stores its placement) and builds a new one over the same settings,
    // dialogs and shell; between the two the settings may be changed.
    void DestroyMain();
    void CreateMain();
    // Shows the window (at `size` when given) and waits until it is the active one.
    bool ShowActive(QSize size = {});

    CSceneObj& Scene();
    // A new text object at the front of the current scene, selected.
    CTextObj& AddText(const char* text = "Text");
    // Selects an object of the current scene (null: the scene row) as the tree would.
    void Select(CSymbolObj* object);
    // Shows the page (it loads).
    CTimelinePage& Timeline();
    CActionPage& Actions();
    // Undo steps recorded so far.
    size_t UndoSteps() { return dlg_->History().Size(); }

private:
    QTemporaryDir dir_;
    std::unique_ptr<QtAppSettings> settings_;
    ScriptedDialogService dialogs_;
    RecordingShellOpener shell_;
    std::unique_ptr<CMainDlg> dlg_;
};

// Opens the combo box's list and clicks entry `index`.
void ChooseFromList(QComboBox* combo, int index);

} // namespace tavro::editor
