#include "editor/CMainDlg.h"

#include "editor/CAboutDlg.h"
#include "editor/CTextPropPage.h"
#include "editor/CViewWnd.h"
#include "editor/DialogService.h"
#include "editor/EditorShortcutFilter.h"
#include "editor/EffectDialogHost.h"
#include "editor/PageIcons.h"
#include "editor/QtAppSettings.h"
#include "editor/QtText.h"
#include "editor/ScenePlayback.h"
#include "editor/TextObjMimeData.h"
#include "editor/TreeLabel.h"
#include "editor/VideoExportCommand.h"
#include "export/CFilePath.h"
#include "export/ExportCommands.h"
#include "model/Archive.h"
#include "model/ArchiveError.h"
#include "model/CSceneObj.h"
#include "model/CTextObj.h"
#include "player/host/QtPlayerHost.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSplitter>
#include <QToolBar>
#include <QTreeWidget>

#include <algorithm>
#include <cmath>
#include <functional>

// The icons are compiled into the library; a static library must register them itself.
static void InitEditorResources() {
    Q_INIT_RESOURCE(editor);
}

namespace tavro::editor {

namespace {

constexpr const char* kMovieFilter = "Tavro Files (*.swi)|*.swi|All Files (*.*)|*.*||";
constexpr const char* kOpenTitle = "Open Tavro Movie";
constexpr const char* kSaveTitle = "Save Tavro Movie";
constexpr const char* kErrorReading = "Error reading file";
constexpr const char* kErrorSaving = "Error saving Movie";

// The wait cursor for the length of a synchronous write.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

QIcon ThemeIcon(const char* themeName, const char* bundled) {
    return QIcon::fromTheme(
        QString::fromLatin1(themeName),
        QIcon(QStringLiteral(":/tavro/icons/") + QLatin1String(bundled) + QStringLiteral(".svg")));
}

QString FolderSetting(const AppSettings& settings, const char* section) {
    const std::string fallback =
        CFilePath::FromLocation(CFilePath::Location::ProgramFolder).GetFolder();
    return FromFilePath(settings.GetString(section, "Folder", fallback));
}

// The folder of a chosen file, as stored under "<section>"/"Folder".
void StoreFolder(AppSettings& settings, const char* section, const QString& path) {
    const CFilePath split(ToFilePath(path));
    if (!split.GetDirectory().empty())
        settings.SetString(section, "Folder", split.GetDirectory());
}

QString ArchiveReason(const ArchiveError& e) {
    return QString::fromLatin1(ArchiveCauseName(e.GetCause())) + QStringLiteral(": ") +
           QString::fromStdString(e.what());
}

CTavroObj* ObjectOf(const QTreeWidgetItem* item) {
    return item == nullptr
               ? nullptr
               : reinterpret_cast<CTavroObj*>(item->data(0, Qt::UserRole).value<quintptr>());
}

// Half away from zero, as every conversion of a document double to an integer.
int RoundPixels(double v) {
    return static_cast<int>(std::lround(v));
}

} // namespace

CMainDlg::CMainDlg(const EditorServices& services, QWidget* parent)
    : QMainWindow(parent), services_(services) {
    InitEditorResources();
    setObjectName(QStringLiteral("MainWindow"));
    doc_.InsertScene();
    setAcceptDrops(true);
    setWindowIcon(QIcon(QStringLiteral(":/tavro/icons/tavro.svg")));

    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateCentralArea();

    shortcutFilter_ = new EditorShortcutFilter(this);
    QList<QKeySequence> keys;
    for (QAction* action : actions_) {
        if (!action->shortcut().isEmpty())
            keys << action->shortcut();
    }
    shortcutFilter_->SetAccelerators(keys);
    qApp->installEventFilter(shortcutFilter_);

    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &CMainDlg::UpdateCommands);

    viewWnd_ = new CViewWnd(this, this);
    viewWnd_->installEventFilter(this);

    effectDialogs_ = std::make_unique<EffectDialogHost>(*this, *services_.dialogs);
    CEffectObj::SetDialogHost(effectDialogs_.get());

    RestorePlacement();
    Refresh();
    UpdateTitle();
}

// The stage window goes first, while the window it asks for its settings is still whole.
CMainDlg::~CMainDlg() {
    if (CEffectObj::GetDialogHost() == effectDialogs_.get())
        CEffectObj::SetDialogHost(nullptr);
    qApp->removeEventFilter(shortcutFilter_);
    if (viewWnd_ != nullptr) {
        viewWnd_->removeEventFilter(this);
        delete viewWnd_;
        viewWnd_ = nullptr;
    }
}

AppSettings& CMainDlg::Settings() {
    return *services_.settings;
}

void CMainDlg::CreateActions() {
    struct CommandEntry {
        Command command;
        const char* text;
        QKeySequence key;
        void (CMainDlg::*handler)();
    };
    auto save = [this] { OnFileSave(); };
    auto saveAs = [this] { OnFileSaveAs(); };
    const CommandEntry entries[] = {
        {Command::New, "&New...", QKeySequence(Qt::CTRL | Qt::Key_N), &CMainDlg::OnFileNew},
        {Command::Open, "&Open...", QKeySequence(Qt::CTRL | Qt::Key_O), &CMainDlg::OnFileOpen},
        {Command::Close, "&Close", {}, nullptr},
        {Command::Save, "&Save", QKeySequence(Qt::CTRL | Qt::Key_S), nullptr},
        {Command::SaveAs, "Save &As...", {}, nullptr},
        {Command::ExportSwf, "&Export To SWF...", QKeySequence(Qt::CTRL | Qt::Key_E),
         &CMainDlg::OnExportSwf},
        {Command::ExportVideo, "Export &Video...", {}, &CMainDlg::OnExportVideo},
        {Command::TestInPlayer, "Test In &Player", QKeySequence(Qt::CTRL | Qt::Key_T),
         &CMainDlg::OnTestInPlayer},
        {Command::TestInBrowser, "Test In &Browser", {}, &CMainDlg::OnTestInBrowser},
        {Command::Publish, "P&ublish...", QKeySequence(Qt::CTRL | Qt::Key_P), &CMainDlg::OnPublish},
        {Command::PublishHtml5, "Publish for &Web Browsers...", {}, &CMainDlg::OnPublishHtml5},
        {Command::Quit, "&Quit", QKeySequence(Qt::CTRL | Qt::Key_Q), nullptr},
        {Command::Undo, "&Undo", QKeySequence(Qt::CTRL | Qt::Key_Z), &CMainDlg::OnUndo},
        {Command::Redo, "&Redo", QKeySequence(Qt::CTRL | Qt::Key_Y), &CMainDlg::OnRedo},
        {Command::Cut, "Cu&t", QKeySequence(Qt::CTRL | Qt::Key_X), &CMainDlg::OnCut},
        {Command::Copy, "&Copy", QKeySequence(Qt::CTRL | Qt::Key_C), &CMainDlg::OnCopy},
        {Command::Paste, "&Paste", QKeySequence(Qt::CTRL | Qt::Key_V), &CMainDlg::OnPaste},
        {Command::Delete, "&Delete", {}, &CMainDlg::OnDelete},
        {Command::Preview, "&Preview", {}, &CMainDlg::OnTogglePreview},
        {Command::InsertScene, "Insert &Scene", {}, &CMainDlg::OnInsertScene},
        {Command::InsertText, "Insert &Text", {}, &CMainDlg::OnInsertText},
        {Command::BringToFront, "Bring To &Front", QKeySequence(Qt::CTRL | Qt::Key_F), nullptr},
        {Command::BringForward, "Bring F&orward", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F),
         nullptr},
        {Command::SendBackwards, "Send Back&wards", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_B),
         nullptr},
        {Command::SendToBack, "Send To &Back", QKeySequence(Qt::CTRL | Qt::Key_B), nullptr},
        {Command::Play, "&Play", {}, &CMainDlg::OnPlay},
        {Command::Stop, "&Stop", {}, &CMainDlg::OnStop},
        {Command::About, "&About Tavro...", {}, &CMainDlg::OnAbout},
    };
    for (const CommandEntry& entry : entries) {
        auto* action = new QAction(QString::fromLatin1(entry.text), this);
        action->setShortcut(entry.key);
        // The accelerators work in the stage window too; a modal dialog still blocks them.
        action->setShortcutContext(Qt::ApplicationShortcut);
        if (entry.handler != nullptr)
            connect(action, &QAction::triggered, this, entry.handler);
        actions_[static_cast<size_t>(entry.command)] = action;
    }
    connect(Action(Command::Save), &QAction::triggered, this, save);
    connect(Action(Command::SaveAs), &QAction::triggered, this, saveAs);
    // Closing asks to save a changed movie, as the window's close button does.
    connect(Action(Command::Quit), &QAction::triggered, this, [this] { close(); });
    connect(Action(Command::BringToFront), &QAction::triggered, this, [this] { MoveCurrent(0); });
    connect(Action(Command::BringForward), &QAction::triggered, this, [this] { MoveCurrent(1); });
    connect(Action(Command::SendBackwards), &QAction::triggered, this, [this] { MoveCurrent(2); });
    connect(Action(Command::SendToBack), &QAction::triggered, this, [this] { MoveCurrent(3); });
    Action(Command::Close)->setEnabled(false);
    Action(Command::Preview)->setCheckable(true);

    Action(Command::New)->setIcon(ThemeIcon("document-new", "new"));
    Action(Command::Open)->setIcon(ThemeIcon("document-open", "open"));
    Action(Command::Save)->setIcon(ThemeIcon("document-save", "save"));
    Action(Command::InsertScene)->setIcon(QIcon(QStringLiteral(":/tavro/icons/insert-scene.svg")));
    Action(Command::InsertText)->setIcon(ThemeIcon("insert-text", "insert-text"));
    Action(Command::Delete)->setIcon(ThemeIcon("edit-delete", "delete"));
    Action(Command::Play)->setIcon(ThemeIcon("media-playback-start", "play"));
    Action(Command::Stop)->setIcon(ThemeIcon("media-playback-stop", "stop"));
    Action(Command::ExportSwf)->setIcon(ThemeIcon("document-export", "export"));
    Action(Command::TestInBrowser)->setIcon(ThemeIcon("internet-web-browser", "browser"));
}

void CMainDlg::CreateMenus() {
    auto add = [this](Menu menu, const char* title, std::initializer_list<Command> commands) {
        QMenu* m = menuBar()->addMenu(QString::fromLatin1(title));
        for (const Command c : commands) {
            if (c == Command::Count)
                m->addSeparator();
            else
                m->addAction(Action(c));
        }
        connect(m, &QMenu::aboutToShow, this, &CMainDlg::UpdateCommands);
        menus_[static_cast<size_t>(menu)] = m;
    };
    constexpr Command sep = Command::Count;
    add(Menu::File, "&File",
        {Command::New, Command::Open, Command::Close, Command::Save, Command::SaveAs, sep,
         Command::ExportSwf, Command::ExportVideo, Command::TestInPlayer, Command::TestInBrowser,
         Command::Publish, Command::PublishHtml5, sep, Command::Quit});
    add(Menu::Edit, "&Edit",
        {Command::Undo, Command::Redo, sep, Command::Cut, Command::Copy, Command::Paste,
         Command::Delete});
    add(Menu::View, "&View", {Command::Preview});
    add(Menu::Modify, "&Modify",
        {Command::InsertScene, Command::InsertText, sep, Command::BringToFront,
         Command::BringForward, Command::SendBackwards, Command::SendToBack});
    add(Menu::Control, "&Control", {Command::Play, Command::Stop});
    add(Menu::Help, "&Help", {Command::About});
}

void CMainDlg::CreateToolBar() {
    toolBar_ = addToolBar(QStringLiteral("Main"));
    toolBar_->setObjectName(QStringLiteral("MainToolBar"));
    toolBar_->setMovable(false);
    toolBar_->setIconSize(QSize(16, 16));
    const Command sep = Command::Count;
    for (const Command c : {Command::New, Command::Open, Command::Save, sep, Command::InsertScene,
                            Command::InsertText, Command::Delete, sep, Command::Play, Command::Stop,
                            sep, Command::ExportSwf, Command::TestInBrowser}) {
        if (c == sep)
            toolBar_->addSeparator();
        else
            toolBar_->addAction(Action(c));
    }
    auto* spacer = new QWidget(toolBar_);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolBar_->addWidget(spacer);
    sizeCaption_ = new QLabel(QStringLiteral("SWF Size:"), toolBar_);
    sizeCaption_->setObjectName(QStringLiteral("SizeCaption"));
    sizeValue_ = new QLabel(QStringLiteral("unknown"), toolBar_);
    sizeValue_->setObjectName(QStringLiteral("SizeValue"));
    sizeValue_->setMinimumWidth(70);
    sizeValue_->setContentsMargins(6, 0, 6, 0);
    // A widget inside a toolbar is shown and hidden through its action.
    sizeCaptionAction_ = toolBar_->addWidget(sizeCaption_);
    sizeValueAction_ = toolBar_->addWidget(sizeValue_);
    ShowSizeReadout(false);
}

void CMainDlg::ShowSizeReadout(bool show) {
    sizeCaptionAction_->setVisible(show);
    sizeValueAction_->setVisible(show);
    sizeCaption_->setEnabled(show);
    sizeValue_->setEnabled(show);
}

bool CMainDlg::IsSizeReadoutShown() const {
    return sizeValueAction_->isVisible();
}

void CMainDlg::CreateCentralArea() {
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    tree_ = new QTreeWidget(splitter);
    tree_->setObjectName(QStringLiteral("MovieTree"));
    tree_->setHeaderHidden(true);
    tree_->setColumnCount(1);
    tree_->setIconSize(QSize(16, 15));
    tree_->setMinimumWidth(140);
    sheet_ = new CTextPropSheet(*this, splitter);
    splitter->addWidget(tree_);
    splitter->addWidget(sheet_);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({170, 430});
    setCentralWidget(splitter);
    connect(tree_, &QTreeWidget::itemSelectionChanged, this, &CMainDlg::OnTreeSelectionChanged);
    setMinimumSize(520, 340);
    resize(640, 420);
}

// Without a stored rectangle the window opens to the right of the stage window's first place,
// so that the two do not cover each other.
void CMainDlg::RestorePlacement() {
    if (const auto rect = services_.settings->GetSizedRect("Dialog")) {
        resize(rect->size().expandedTo(minimumSize()));
        move(rect->topLeft());
        return;
    }
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        const int left = std::max(area.left(), std::min(area.left() + CViewWnd::kDefaultRight + 16,
                                                        area.right() + 1 - width()));
        move(left, area.top());
    }
}

// ---- state shown ----

QString CMainDlg::DisplayName() const {
    const CFilePath path(doc_.GetName());
    if (path.GetFileName().empty())
        return QString::fromLatin1(kUntitled);
    return FromFilePath(path.GetFileName());
}

void CMainDlg::UpdateTitle() {
    const QString name = DisplayName();
    setWindowTitle(QString::fromLatin1(kCaption) + QStringLiteral(" - [") + name +
                   QStringLiteral("]"));
    if (viewWnd_ != nullptr)
        viewWnd_->SetTitle(name);
}

CTavroObj* CMainDlg::CurrentObject() const {
    CSceneObj* scene = doc_.GetSelectedScene();
    if (scene == nullptr)
        return nullptr;
    if (CTavroObj* child = scene->GetSelectedChild())
        return child;
    return scene;
}

CTextObj* CMainDlg::CurrentText() const {
    return dynamic_cast<CTextObj*>(CurrentObject());
}

void CMainDlg::RebuildTree() {
    const QSignalBlocker block(tree_);
    tree_->clear();
    const CTavroObj* current = CurrentObject();
    QTreeWidgetItem* currentItem = nullptr;
    const QIcon sceneIcon(QStringLiteral(":/tavro/icons/scene.svg"));
    // Drawn in the tree's text colour, so that it reads on dark palettes too.
    const QIcon textIcon = MakePageIcon(PageIcon::TextObject, tree_->palette(), QPalette::Text);
    for (const auto& scene : doc_.GetChildList()) {
        auto* sceneItem = new QTreeWidgetItem(tree_);
        sceneItem->setText(0, FromDocText(TreeLabel(scene->GetName())));
        sceneItem->setIcon(0, sceneIcon);
        sceneItem->setData(0, Qt::UserRole,
                           QVariant::fromValue(reinterpret_cast<quintptr>(scene.get())));
        if (scene.get() == current)
            currentItem = sceneItem;
        for (const auto& obj : scene->GetChildList()) {
            auto* item = new QTreeWidgetItem(sceneItem);
            item->setText(0, FromDocText(TreeLabel(obj->GetName())));
            item->setIcon(0, textIcon);
            item->setData(0, Qt::UserRole,
                          QVariant::fromValue(reinterpret_cast<quintptr>(obj.get())));
            if (obj.get() == current)
                currentItem = item;
        }
    }
    tree_->expandAll();
    if (currentItem != nullptr)
        tree_->setCurrentItem(currentItem);
}

void CMainDlg::UpdateTreeLabel(const CTavroObj* obj) {
    for (QTreeWidgetItemIterator it(tree_); *it != nullptr; ++it) {
        if (ObjectOf(*it) == obj) {
            (*it)->setText(0, FromDocText(TreeLabel(obj->GetName())));
            return;
        }
    }
}

// The page of the kind of object that is current: General for the movie, Scene, Text. A refresh
// (an undo, a redo, a command) keeps a Timeline or Actions page the user chose, and keeps the page
// the user is on while the same kind of object stays current; either way the page reloads.
void CMainDlg::ShowPageForCurrent(bool keepPage) {
    const CTextPropSheet::Page active = sheet_->ActivePageIndex();
    if (keepPage && (active == CTextPropSheet::Timeline || active == CTextPropSheet::Actions)) {
        sheet_->ShowPage(active);
        return;
    }
    const CTavroObj* current = CurrentObject();
    CTextPropSheet::Page page = CTextPropSheet::General;
    if (dynamic_cast<const CSceneObj*>(current) != nullptr)
        page = CTextPropSheet::Scene;
    else if (dynamic_cast<const CTextObj*>(current) != nullptr)
        page = CTextPropSheet::Text;
    if (keepPage && page == shownKind_)
        page = sheet_->ActivePageIndex();
    shownKind_ = page;
    sheet_->ShowPage(page);
}

void CMainDlg::Refresh() {
    RebuildTree();
    ShowPageForCurrent(true);
    if (viewWnd_ != nullptr) {
        const CDoublePoint size = doc_.GetMovieSize();
        viewWnd_->SetClientSize(RoundPixels(size.x), RoundPixels(size.y));
        viewWnd_->Redraw();
    }
    UpdateCommands();
}

void CMainDlg::UpdateCommands() {
    const bool editing = !playing_;
    const CTavroObj* current = CurrentObject();
    const CSceneObj* scene = doc_.GetSelectedScene();
    const bool objectSelected = current != nullptr && current != scene;
    const bool atHead = objectSelected && scene->GetChildList().front().get() == current;
    const bool atTail = objectSelected && scene->GetChildList().back().get() == current;
    const QMimeData* clip = QApplication::clipboard()->mimeData();
    const bool canPaste = clip != nullptr && clip->hasFormat(QString::fromLatin1(kTextObjMimeType));
    const bool viewVisible = viewWnd_ != nullptr && viewWnd_->isVisible();

    for (const Menu m : {Menu::File, Menu::Edit, Menu::View, Menu::Modify})
        MenuOf(m)->setEnabled(editing);
    auto set = [this, editing](Command c, bool enabled) {
        Action(c)->setEnabled(editing && enabled);
    };
    for (const Command c :
         {Command::New, Command::Open, Command::Save, Command::SaveAs, Command::ExportSwf,
          Command::ExportVideo, Command::TestInPlayer, Command::TestInBrowser, Command::Publish,
          Command::PublishHtml5, Command::Preview, Command::InsertScene})
        set(c, true);
    set(Command::Close, false);
    set(Command::Undo, history_.CanUndo());
    set(Command::Redo, history_.CanRedo());
    set(Command::Cut, dynamic_cast<const CTextObj*>(current) != nullptr);
    set(Command::Copy, dynamic_cast<const CTextObj*>(current) != nullptr);
    set(Command::Paste, canPaste);
    set(Command::Delete, current != nullptr);
    set(Command::InsertText, scene != nullptr);
    set(Command::BringToFront, objectSelected && !atHead);
    set(Command::BringForward, objectSelected && !atHead);
    set(Command::SendBackwards, objectSelected && !atTail);
    set(Command::SendToBack, objectSelected && !atTail);
    Action(Command::Preview)->setChecked(viewVisible);
    Action(Command::Play)->setEnabled(!playing_);
    Action(Command::Stop)->setEnabled(playing_ && viewVisible);
}

// ---- selection ----

void CMainDlg::OnTreeSelectionChanged() {
    const QList<QTreeWidgetItem*> selected = tree_->selectedItems();
    CTavroObj* obj = selected.isEmpty() ? nullptr : ObjectOf(selected.front());
    if (obj == CurrentObject())
        return;
    CommitActivePage();
    if (obj == nullptr) {
        doc_.SelectPosition({});
    } else if (auto* scene = dynamic_cast<CSceneObj*>(obj); scene != nullptr) {
        doc_.SelectChild(scene);
        scene->SelectPosition({});
    } else if (CTavroObj* parent = obj->GetParent(); parent != nullptr) {
        doc_.SelectChild(parent);
        parent->SelectChild(obj);
    }
    ShowPageForCurrent();
    if (viewWnd_ != nullptr)
        viewWnd_->Redraw();
    UpdateCommands();
}

void CMainDlg::SelectionChangedOnStage() {
    RebuildTree();
    ShowPageForCurrent();
    UpdateCommands();
}

void CMainDlg::SelectionChangedOnPage() {
    RebuildTree();
    if (viewWnd_ != nullptr)
        viewWnd_->Redraw();
    UpdateCommands();
}

void CMainDlg::ShowTextPage() {
    sheet_->SetActivePage(CTextPropSheet::Text);
}

void CMainDlg::ShowScenePage() {
    sheet_->SetActivePage(CTextPropSheet::Scene);
}

void CMainDlg::CommitActivePage() {
    sheet_->ActivePage().Commit(CTextPropPage::kRecordUndoBefore);
}

// The General page shows the movie's size, which the stage window changes when it is resized.
void CMainDlg::MovieSizeChanged() {
    if (sheet_ != nullptr && sheet_->ActivePageIndex() == CTextPropSheet::General)
        sheet_->ActivePage().Load();
}

// ---- undo ----

void CMainDlg::RecordUndo(bool force) {
    history_.Record(doc_, force);
    dirty_ = true;
    UpdateCommands();
}

// The page commits whatever the position: an edit made after an earlier Undo records its step
// (discarding the redo branch) and is then the state this Undo steps back from.
void CMainDlg::OnUndo() {
    CommitActivePage();
    if (!history_.CanUndo())
        return;
    try {
        history_.Undo(doc_);
    } catch (const ArchiveError& e) {
        services_.dialogs->Error(this, QStringLiteral("Undo failed: ") + ArchiveReason(e));
    }
    dirty_ = true;
    Refresh();
}

void CMainDlg::OnRedo() {
    if (!history_.CanRedo())
        return;
    try {
        history_.Redo(doc_);
    } catch (const ArchiveError& e) {
        services_.dialogs->Error(this, QStringLiteral("Redo failed: ") + ArchiveReason(e));
    }
    dirty_ = true;
    Refresh();
}

// ---- files ----

// Edits waiting in the active page count as changes: they are committed before the question.
bool CMainDlg::PromptSaveChanges() {
    CommitActivePage();
    if (!dirty_)
        return true;
    const QString text = QStringLiteral("Save Changes to %1 ?").arg(DisplayName());
    switch (services_.dialogs->Question(this, text)) {
    case DialogService::Answer::Cancel:
        return false;
    case DialogService::Answer::Yes:
        OnFileSave(); // a cancelled or failed save still goes on
        return true;
    case DialogService::Answer::No:
        return true;
    }
    return true;
}

void CMainDlg::OnFileNew() {
    if (!PromptSaveChanges())
        return;
    history_.Clear();
    doc_.NewMovie();
    dirty_ = false;
    ShowSizeReadout(false);
    Refresh();
    UpdateTitle();
}

void CMainDlg::OnFileOpen() {
    if (!PromptSaveChanges())
        return;
    FileDialogRequest request;
    request.title = QString::fromLatin1(kOpenTitle);
    request.filter = QString::fromLatin1(kMovieFilter);
    request.defaultSuffix = QStringLiteral("swi");
    request.folder = FolderSetting(Settings(), "Movie");
    const QString path = services_.dialogs->GetOpenFileName(this, request);
    if (!path.isEmpty())
        OpenFile(path);
}

void CMainDlg::OpenDroppedFile(const QString& path) {
    activateWindow();
    if (!PromptSaveChanges())
        return;
    OpenFile(path);
}

// A damaged or unreadable file leaves the movie being edited as it was.
bool CMainDlg::OpenFile(const QString& path) {
    const QString full = QFileInfo(path).absoluteFilePath();
    try {
        doc_.LoadFile(ToFilePath(full));
    } catch (const ArchiveError& e) {
        services_.dialogs->Error(this, QString::fromLatin1(kErrorReading) + QStringLiteral("\n\n") +
                                           full + QStringLiteral(": ") + ArchiveReason(e));
        return false;
    }
    history_.Clear();
    StoreFolder(Settings(), "Movie", full);
    dirty_ = false;
    ShowSizeReadout(false);
    UpdateTitle();
    Refresh();
    return true;
}

bool CMainDlg::OnFileSave() {
    if (!doc_.GetName().empty())
        return SaveFile(FromFilePath(doc_.GetName()));
    return OnFileSaveAs();
}

bool CMainDlg::OnFileSaveAs() {
    FileDialogRequest request;
    request.title = QString::fromLatin1(kSaveTitle);
    request.filter = QString::fromLatin1(kMovieFilter);
    request.defaultSuffix = QStringLiteral("swi");
    request.folder = FolderSetting(Settings(), "Movie");
    const CFilePath current(doc_.GetName());
    request.fileName = current.GetFileName().empty()
                           ? QString::fromLatin1(kUntitled) + QStringLiteral(".swi")
                           : FromFilePath(current.GetFileName());
    const QString path = services_.dialogs->GetSaveFileName(this, request);
    if (path.isEmpty())
        return false;
    const bool saved = SaveFile(path);
    UpdateTitle();
    return saved;
}

// The document takes the new file name only once the file is complete; a failed save leaves
// both the previous file and the name as they were.
bool CMainDlg::SaveFile(const QString& path) {
    CommitActivePage();
    const QString full = QFileInfo(path).absoluteFilePath();
    try {
        doc_.SaveFile(ToFilePath(full));
    } catch (const ArchiveError& e) {
        services_.dialogs->Error(this, QString::fromLatin1(kErrorSaving) + QStringLiteral("\n\n") +
                                           full + QStringLiteral(": ") + ArchiveReason(e));
        return false;
    }
    StoreFolder(Settings(), "Movie", full);
    dirty_ = false;
    UpdateTitle();
    return true;
}

void CMainDlg::closeEvent(QCloseEvent* event) {
    if (playing_)
        OnStop();
    if (!PromptSaveChanges()) {
        event->ignore();
        return;
    }
    services_.settings->SetSizedRect("Dialog", QRect(pos(), size()));
    services_.settings->Sync();
    if (viewWnd_ != nullptr) {
        viewWnd_->removeEventFilter(this);
        viewWnd_->hide();
    }
    event->accept();
}

void CMainDlg::dragEnterEvent(QDragEnterEvent* event) {
    const QMimeData* mime = event->mimeData();
    if (mime->hasUrls() && !mime->urls().isEmpty() && mime->urls().front().isLocalFile())
        event->acceptProposedAction();
}

void CMainDlg::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.front().isLocalFile())
        return;
    event->acceptProposedAction();
    // Only the first file counts.
    OpenDroppedFile(urls.front().toLocalFile());
}

bool CMainDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == viewWnd_ && (event->type() == QEvent::Show || event->type() == QEvent::Hide))
        UpdateCommands();
    return QMainWindow::eventFilter(watched, event);
}

// ---- edit ----

void CMainDlg::OnCopy() {
    CommitActivePage();
    const CTextObj* text = CurrentText();
    if (text == nullptr)
        return;
    QApplication::clipboard()->setMimeData(new TextObjMimeData(*text));
    UpdateCommands();
}

void CMainDlg::OnCut() {
    if (CurrentText() == nullptr)
        return;
    OnCopy();
    OnDelete();
}

void CMainDlg::OnPaste() {
    const QMimeData* clip = QApplication::clipboard()->mimeData();
    const QString type = QString::fromLatin1(kTextObjMimeType);
    if (clip == nullptr || !clip->hasFormat(type))
        return;
    CommitActivePage();
    CSceneObj* scene = doc_.GetSelectedScene();
    if (scene == nullptr)
        return;
    const QByteArray bytes = clip->data(type);
    auto text = std::make_unique<CTextObj>("", scene);
    try {
        LoadObjectFromMemory(std::span(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                       static_cast<size_t>(bytes.size())),
                             *text);
    } catch (const ArchiveError& e) {
        services_.dialogs->Error(this, QStringLiteral("The clipboard does not hold a readable "
                                                      "text object (") +
                                           ArchiveReason(e) + QStringLiteral(")"));
        return;
    }
    RecordUndo(false);
    text->SetParent(scene);
    const CDoublePoint size = doc_.GetMovieSize();
    text->SetStagePosition(RoundPixels(size.x / 2), RoundPixels(size.y / 2));
    const auto pos = scene->InsertChildBefore(scene->GetHeadPosition(), std::move(text));
    scene->SelectPosition(pos);
    Refresh();
}

void CMainDlg::OnDelete() {
    CTavroObj* current = CurrentObject();
    if (current == nullptr)
        return;
    CommitActivePage();
    RecordUndo(false);
    CTavroObj* parent = current->GetParent() != nullptr ? current->GetParent() : &doc_;
    if (dynamic_cast<CSceneObj*>(current) != nullptr)
        parent = &doc_;
    parent->DeleteChildAt(parent->FindChild(current), true);
    Refresh();
}

// ---- modify ----

void CMainDlg::OnInsertScene() {
    CommitActivePage();
    RecordUndo(false);
    doc_.InsertScene();
    Refresh();
}

void CMainDlg::OnInsertText() {
    CSceneObj* scene = doc_.GetSelectedScene();
    if (scene == nullptr)
        return;
    CommitActivePage();
    RecordUndo(false);
    auto text = std::make_unique<CTextObj>(CTextObj::kDefaultText, scene);
    const CDoublePoint size = doc_.GetMovieSize();
    text->SetStagePosition(RoundPixels(size.x / 2), RoundPixels(size.y / 2));
    scene->SelectPosition(scene->InsertChildBefore(scene->GetHeadPosition(), std::move(text)));
    Refresh();
}

// 0 Bring To Front, 1 Bring Forward, 2 Send Backwards, 3 Send To Back.
void CMainDlg::MoveCurrent(int how) {
    CSceneObj* scene = doc_.GetSelectedScene();
    CTavroObj* current = CurrentObject();
    if (scene == nullptr || current == nullptr || current == scene)
        return;
    const auto pos = scene->FindChild(current);
    const bool atHead = pos == scene->GetHeadPosition();
    const bool atTail = pos == scene->GetTailPosition();
    if ((how <= 1 && atHead) || (how >= 2 && atTail))
        return;
    CommitActivePage();
    RecordUndo(false);
    switch (how) {
    case 0:
        scene->SelectPosition(
            scene->InsertChildBefore(scene->GetHeadPosition(), scene->RemoveChildAt(pos)));
        break;
    case 1:
        scene->MoveChildEarlier(pos);
        break;
    case 2:
        scene->MoveChildLater(pos);
        break;
    default:
        scene->SelectPosition(scene->AddChild(scene->RemoveChildAt(pos)));
        break;
    }
    Refresh();
}

// ---- export, test, play ----

// The commands that write a file the user names: the save dialog opens in the command's
// remembered folder with a proposed name; the file is written with the wait cursor, and a failure
// is shown under `failure` with the file and its reason.
void CMainDlg::WriteChosenFile(const char* title, const char* filter, const char* suffix,
                               const std::string& folder, const std::string& fileName,
                               const char* failure,
                               ExportResult (ExportCommands::*write)(CDocObj&,
                                                                     const std::string&)) {
    CommitActivePage();
    ExportCommands commands(Settings(), *services_.shell, services_.tempRoot);
    FileDialogRequest request;
    request.title = QString::fromLatin1(title);
    request.filter = QString::fromLatin1(filter);
    request.defaultSuffix = QString::fromLatin1(suffix);
    request.folder = FromFilePath(folder);
    request.fileName = FromFilePath(fileName);
    const QString path = services_.dialogs->GetSaveFileName(this, request);
    if (path.isEmpty())
        return;
    ExportResult result;
    {
        const WaitCursor wait;
        result = (commands.*write)(doc_, ToFilePath(path));
    }
    if (!result.ok)
        services_.dialogs->Error(this, QString::fromLatin1(failure) + QStringLiteral("\n\n") +
                                           FromFilePath(result.message));
}

void CMainDlg::OnExportSwf() {
    ExportCommands commands(Settings(), *services_.shell, services_.tempRoot);
    WriteChosenFile(kExportTitle, kExportFilter, "swf", commands.ExportFolder(),
                    ExportCommands::ExportFileName(doc_), "Export to SWF failed.",
                    &ExportCommands::ExportToSwf);
}

void CMainDlg::OnExportVideo() {
    CommitActivePage();
    VideoExportCommand(this, *services_.dialogs, Settings()).Run(doc_);
}

void CMainDlg::OnPublish() {
    ExportCommands commands(Settings(), *services_.shell, services_.tempRoot);
    WriteChosenFile(kPublishTitle, kPublishFilter, "html", commands.PublishFolder(),
                    ExportCommands::PublishFileName(doc_), "Publish failed.",
                    &ExportCommands::Publish);
}

// The movie as one web page that plays without a plug-in; its folder is remembered apart from
// the Publish command's.
void CMainDlg::OnPublishHtml5() {
    ExportCommands commands(Settings(), *services_.shell, services_.tempRoot);
    WriteChosenFile(kPublishHtml5Title, kPublishFilter, "html", commands.PublishHtml5Folder(),
                    ExportCommands::PublishFileName(doc_), "Publish for Web Browsers failed.",
                    &ExportCommands::PublishHtml5);
}

void CMainDlg::OnTestInPlayer() {
    CommitActivePage();
    ExportCommands commands(Settings(), *services_.shell, services_.tempRoot);
    ExportResult result;
    {
        const WaitCursor wait;
        result = commands.TestInPlayer(doc_);
    }
    if (!result.ok)
        services_.dialogs->Error(this, QStringLiteral("Test In Player failed.\n\n") +
                                           FromFilePath(result.message));
}

void CMainDlg::OnTestInBrowser() {
    CommitActivePage();
    ExportCommands commands(Settings(), *services_.shell, services_.tempRoot);
    ExportResult result;
    {
        const WaitCursor wait;
        result = commands.TestInBrowser(doc_);
    }
    if (!result.ok)
        services_.dialogs->Error(this, QStringLiteral("Test In Browser failed.\n\n") +
                                           FromFilePath(result.message));
}

void CMainDlg::OnPlay() {
    if (playing_)
        return;
    CViewWnd::NotePlayRequested(); // the play timing counts the export too
    const WaitCursor wait;
    playing_ = true;
    UpdateCommands();
    CommitActivePage();
    PlayImage play = ExportCommands::Play(doc_);
    sizeValue_->setText(QString::fromStdString(play.sizeText));
    ShowSizeReadout(true);
    if (viewWnd_ != nullptr) {
        if (!viewWnd_->isVisible())
            viewWnd_->show();
        viewWnd_->SetMovie("", std::move(play.image));
    }
    UpdateTitle();
    UpdateCommands();
}

void CMainDlg::OnStop() {
    if (!playing_)
        return;
    if (viewWnd_ != nullptr)
        viewWnd_->SetMovie("", {});
    playing_ = false;
    UpdateTitle();
    UpdateCommands();
    Q_EMIT playbackStopped();
}

void CMainDlg::PlayFromScene(const CSceneObj* scene) {
    OnStop();
    OnPlay();
    if (playing_ && viewWnd_ != nullptr)
        StartPlayerAtFrame(viewWnd_->Player(), SceneFirstFrame(doc_, scene));
}

void CMainDlg::OnTogglePreview() {
    if (viewWnd_ == nullptr)
        return;
    viewWnd_->setVisible(!viewWnd_->isVisible());
    UpdateCommands();
}

void CMainDlg::OnAbout() {
    CAboutDlg dialog(this);
    dialog.exec();
}

} // namespace tavro::editor
