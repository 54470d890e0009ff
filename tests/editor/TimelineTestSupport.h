// A main window with scripted dialogs for the Timeline and Actions page tests, and helpers that
// build a scene with objects and effects.
#pragma once

#include "editor/CMainDlg.h"
#include "editor/DialogService.h"
#include "editor/QtAppSettings.h"
#include "export/ShellOpener.h"

#include <QTemporaryDir>

#include <memory>

namespace tavro {
class CEffectObj;
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

// Adds an effect of a command to the object at `start` through the timeline rule, selected.
CEffectObj& AddEffectAt(CSymbolObj& object, int command, int start);

} // namespace tavro::editor
