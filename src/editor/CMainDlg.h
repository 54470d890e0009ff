// The main window: owns the one movie document, its tree, the property sheet, the stage window,
// the undo history and the dirty flag; carries the menus, toolbar and shortcuts and runs the
// file, edit, modify, export and play commands.
#pragma once

#include "editor/CTextPropSheet.h"
#include "editor/UndoHistory.h"
#include "editor/ViewWndOwner.h"
#include "model/CDocObj.h"

#include <QMainWindow>

#include <array>
#include <memory>
#include <string>

class QAction;
class QLabel;
class QMenu;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace tavro {
class ExportCommands;
struct ExportResult;
class CSceneObj;
class CTavroObj;
class CTextObj;
class ShellOpener;
} // namespace tavro

namespace tavro::editor {

class CViewWnd;
class DialogService;
class EditorShortcutFilter;
class EffectDialogHost;
class QtAppSettings;

// What the main window uses from outside; nothing here is owned by it.
struct EditorServices {
    DialogService* dialogs = nullptr;
    QtAppSettings* settings = nullptr;
    ShellOpener* shell = nullptr;
    std::string tempRoot; // folder for the test files; empty means the system's
};

class CMainDlg : public QMainWindow, public ViewWndOwner {
    Q_OBJECT
public:
    enum class Command {
        New,
        Open,
        Close,
        Save,
        SaveAs,
        ExportSwf,
        ExportVideo,
        TestInPlayer,
        TestInBrowser,
        Publish,
        PublishHtml5,
        Quit,
        Undo,
        Redo,
        Cut,
        Copy,
        Paste,
        Delete,
        Preview,
        InsertScene,
        InsertText,
        BringToFront,
        BringForward,
        SendBackwards,
        SendToBack,
        Play,
        Stop,
        About,
        Count
    };
    enum class Menu { File, Edit, View, Modify, Control, Help, Count };

    static constexpr const char* kCaption = "Tavro v0.06";

    explicit CMainDlg(const EditorServices& services, QWidget* parent = nullptr);
    ~CMainDlg() override;

    // The stage window and others.
    CDocObj& Document() override { return doc_; }
    void RecordUndo() override { RecordUndo(false); }
    void SelectionChangedOnStage() override;
    void ShowTextPage() override;
    void ShowScenePage() override;
    void OpenDroppedFile(const QString& path) override;
    AppSettings& Settings() override;
    bool IsPlaying() const override { return playing_; }
    void StopMovie() override { OnStop(); }
    void CommitPageEdits() override { CommitActivePage(); }
    void MovieSizeChanged() override;

    // Before every change: a snapshot of the document; marks it dirty.
    void RecordUndo(bool force);
    void SetDirty() { dirty_ = true; }
    bool IsDirty() const { return dirty_; }

    // The selected text object, else the selected scene, else none (the movie).
    CTavroObj* CurrentObject() const;
    CTextObj* CurrentText() const;
    // The name of the document's file, or "Untitled".
    QString DisplayName() const;
    // After a structural change: tree, pages, stage and commands follow the document.
    void Refresh();
    // Pages call this after changing an object's name.
    void UpdateTreeLabel(const CTavroObj* obj);
    // The active page writes its edits back.
    void CommitActivePage();
    // A page changed the selection (a row or an effect of the timeline): the tree, the stage and
    // the commands follow; the active page stays.
    void SelectionChangedOnPage();
    // Opens `path` (no prompt); false with the message shown on failure.
    bool OpenFile(const QString& path);
    // Writes the document to `path`; false with the message shown on failure.
    bool SaveFile(const QString& path);
    // Asks to save a changed movie: false when the user cancels.
    bool PromptSaveChanges();

    // Message boxes, file and colour choosers.
    DialogService& Dialogs() const { return *services_.dialogs; }

    QAction* Action(Command command) const { return actions_[static_cast<size_t>(command)]; }
    QMenu* MenuOf(Menu menu) const { return menus_[static_cast<size_t>(menu)]; }
    QTreeWidget* Tree() const { return tree_; }
    CTextPropSheet* PropertySheet() const { return sheet_; }
    CViewWnd* ViewWnd() const { return viewWnd_; }
    UndoHistory& History() { return history_; }
    QLabel* SizeCaptionLabel() const { return sizeCaption_; }
    QLabel* SizeValueLabel() const { return sizeValue_; }
    QToolBar* ToolBar() const { return toolBar_; }
    bool IsSizeReadoutShown() const;

    // Enables, disables and checks the commands for the current state.
    void UpdateCommands();

    // Plays the movie in the stage window from the first frame of `scene` (from its start when
    // the movie does not hold the scene); a movie already playing starts again.
    void PlayFromScene(const CSceneObj* scene);
    // The effects' dialogs, installed while the window lives.
    EffectDialogHost& EffectDialogs() { return *effectDialogs_; }

Q_SIGNALS:
    // The movie in the stage window stopped (the Stop command, the stage's Esc, a preview).
    void playbackStopped();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateCentralArea();
    void RestorePlacement();
    void UpdateTitle();
    void ShowSizeReadout(bool show);
    void RebuildTree();
    // The page of the current object's kind; with `keepPage` a Timeline or Actions page the user
    // chose stays active, and so does any page while the same kind of object stays current.
    void ShowPageForCurrent(bool keepPage = false);
    void OnTreeSelectionChanged();
    void MoveCurrent(int how);

    void OnFileNew();
    void OnFileOpen();
    bool OnFileSave();
    bool OnFileSaveAs();
    void OnExportSwf();
    void OnExportVideo();
    void OnTestInPlayer();
    void OnTestInBrowser();
    void OnPublish();
    void OnPublishHtml5();
    void WriteChosenFile(const char* title, const char* filter, const char* suffix,
                         const std::string& folder, const std::string& fileName,
                         const char* failure,
                         ExportResult (ExportCommands::*write)(CDocObj&, const std::string&));
    void OnUndo();
    void OnRedo();
    void OnCut();
    void OnCopy();
    void OnPaste();
    void OnDelete();
    void OnTogglePreview();
    void OnInsertScene();
    void OnInsertText();
    void OnPlay();
    void OnStop();
    void OnAbout();

    EditorServices services_;
    CDocObj doc_;
    UndoHistory history_;
    std::array<QAction*, static_cast<size_t>(Command::Count)> actions_{};
    std::array<QMenu*, static_cast<size_t>(Menu::Count)> menus_{};
    QToolBar* toolBar_ = nullptr;
    QLabel* sizeCaption_ = nullptr;
    QLabel* sizeValue_ = nullptr;
    QAction* sizeCaptionAction_ = nullptr;
    QAction* sizeValueAction_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    CTextPropSheet* sheet_ = nullptr;
    CViewWnd* viewWnd_ = nullptr;
    EditorShortcutFilter* shortcutFilter_ = nullptr;
    std::unique_ptr<EffectDialogHost> effectDialogs_;
    bool playing_ = false;
    bool dirty_ = false;
    // The page of the kind of object that was current when the pages last followed it.
    CTextPropSheet::Page shownKind_ = CTextPropSheet::PageCount;
};

} // namespace tavro::editor
