// The main window driven through its commands, with scripted dialogs, a settings file in a
// temporary folder and a shell that only records what it was asked to open.
#include "editor/CMainDlg.h"
#include "editor/CTextPropSheet.h"
#include "editor/CViewWnd.h"
#include "editor/DialogService.h"
#include "editor/QtAppSettings.h"
#include "editor/TextObjMimeData.h"
#include "export/ShellOpener.h"
#include "model/Archive.h"
#include "model/CSceneObj.h"
#include "model/CTextObj.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <csignal>
#include <memory>

#include <sys/resource.h>

using namespace tavro;
using namespace tavro::editor;
using Command = CMainDlg::Command;
using Kind = ScriptedDialogService::Shown::Kind;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

CSceneObj& FirstScene(CDocObj& doc) {
    return static_cast<CSceneObj&>(*doc.GetChildList().front());
}

QStringList TopLabels(const QTreeWidget& tree) {
    QStringList labels;
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        labels << tree.topLevelItem(i)->text(0);
    return labels;
}

} // namespace

class MainDlgTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        settings_ = std::make_unique<QtAppSettings>(dir_->filePath(QStringLiteral("Tavro.ini")));
        dialogs_ = ScriptedDialogService();
        shell_ = RecordingShellOpener();
        Create();
    }

    void cleanup() {
        dlg_.reset();
        QApplication::clipboard()->clear();
        settings_.reset();
        dir_.reset();
    }

    void newMovieHasSceneOneAndUntitledTitle() {
        QCOMPARE(dlg_->Document().GetChildCount(), size_t{1});
        QCOMPARE(FirstScene(dlg_->Document()).GetName(), std::string("Scene 1"));
        QVERIFY(dlg_->windowTitle().endsWith(QStringLiteral("[Untitled]")));
        QCOMPARE(dlg_->windowTitle(), QStringLiteral("Tavro v0.06 - [Untitled]"));
        QCOMPARE(TopLabels(*dlg_->Tree()), QStringList{QStringLiteral("Scene 1")});
        QVERIFY(!dlg_->Action(Command::Undo)->isEnabled());
        QVERIFY(!dlg_->Action(Command::Close)->isEnabled());
        QVERIFY(!dlg_->IsSizeReadoutShown());

        // New after a change asks first; Cancel keeps the movie.
        dlg_->Action(Command::InsertText)->trigger();
        dialogs_.questionAnswers = {DialogService::Answer::Cancel};
        dlg_->Action(Command::New)->trigger();
        QCOMPARE(dialogs_.Texts(Kind::Question),
                 QStringList{QStringLiteral("Save Changes to Untitled ?")});
        QCOMPARE(FirstScene(dlg_->Document()).GetChildCount(), size_t{1});
        dialogs_.questionAnswers = {DialogService::Answer::No};
        dlg_->Action(Command::New)->trigger();
        QCOMPARE(FirstScene(dlg_->Document()).GetChildCount(), size_t{0});
        QVERIFY(!dlg_->IsDirty());
        QVERIFY(!dlg_->Action(Command::Undo)->isEnabled());
    }

    // Quit (Ctrl+Q) closes the window like its close button: a changed movie is offered for
    // saving first, and Cancel keeps the window open.
    void quitAsksToSaveAChangedMovie() {
        QCOMPARE(dlg_->Action(Command::Quit)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
        QVERIFY(
            dlg_->MenuOf(CMainDlg::Menu::File)->actions().contains(dlg_->Action(Command::Quit)));
        dlg_->show();
        QVERIFY(QTest::qWaitForWindowExposed(dlg_.get()));
        dlg_->Action(Command::InsertText)->trigger();
        dialogs_.questionAnswers = {DialogService::Answer::Cancel};
        dlg_->Action(Command::Quit)->trigger();
        QVERIFY(dlg_->isVisible());
        QCOMPARE(dialogs_.Texts(Kind::Question).size(), 1);
        dialogs_.questionAnswers = {DialogService::Answer::No};
        dlg_->Action(Command::Quit)->trigger();
        QVERIFY(!dlg_->isVisible());
    }

    // A new movie has no frame size of its own: it takes the stage window's, so that the stage
    // can be shown and a new text lands in its middle; the movie is not changed by that.
    void aNewMovieTakesTheStagesSize() {
        CViewWnd* stage = dlg_->ViewWnd();
        const QSize size(CViewWnd::kDefaultRight - CViewWnd::kDefaultLeft,
                         CViewWnd::kDefaultBottom - CViewWnd::kDefaultTop);
        QCOMPARE(stage->size(), size);
        QCOMPARE(dlg_->Document().GetMovieSize().x, double(size.width()));
        QCOMPARE(dlg_->Document().GetMovieSize().y, double(size.height()));
        QVERIFY(!dlg_->IsDirty());
        QVERIFY(!dlg_->Action(Command::Undo)->isEnabled());
        dlg_->show();
        stage->show();
        QVERIFY(QTest::qWaitForWindowExposed(stage));
        dlg_->PropertySheet()->SetActivePage(CTextPropSheet::General);
        QCOMPARE(dlg_->findChild<QLineEdit*>(QStringLiteral("MovieWidth"))->text(),
                 QString::number(size.width()));
        dlg_->Action(Command::InsertText)->trigger();
        const CDoublePoint at = dlg_->CurrentText()->GetStagePosition();
        QCOMPARE(at.x, size.width() / 2.0);
        QCOMPARE(at.y, size.height() / 2.0);
    }

    // The tree's text icon is drawn in the tree's text colour: on a dark palette it is light.
    void treeTextIconFollowsThePalette() {
        QPalette dark = dlg_->Tree()->palette();
        dark.setColor(QPalette::Base, QColor(30, 30, 30));
        dark.setColor(QPalette::Text, QColor(230, 230, 230));
        dark.setColor(QPalette::HighlightedText, QColor(255, 255, 0));
        dlg_->Tree()->setPalette(dark);
        dlg_->Action(Command::InsertText)->trigger();
        const QIcon icon = dlg_->Tree()->topLevelItem(0)->child(0)->icon(0);
        for (const auto& [mode, ink] : {std::pair{QIcon::Normal, QColor(230, 230, 230)},
                                        std::pair{QIcon::Selected, QColor(255, 255, 0)}}) {
            const QImage image = icon.pixmap(QSize(16, 16), mode).toImage();
            int inked = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    const QColor c = image.pixelColor(x, y);
                    if (c.alpha() == 255) {
                        QCOMPARE(c.rgb(), ink.rgb());
                        ++inked;
                    }
                }
            }
            QVERIFY(inked >= 20);
        }
    }

    void saveAsThenSaveWritesWithoutDialog() {
        const QString path = dir_->filePath(QStringLiteral("movie.swi"));
        dialogs_.fileAnswers = {path};
        dlg_->Action(Command::Save)->trigger(); // no name yet: Save As
        QCOMPARE(dialogs_.shown.size(), size_t{1});
        const FileDialogRequest& asked = dialogs_.shown[0].request;
        QCOMPARE(asked.title, QStringLiteral("Save Tavro Movie"));
        QCOMPARE(asked.fileName, QStringLiteral("Untitled.swi"));
        QCOMPARE(asked.defaultSuffix, QStringLiteral("swi"));
        QCOMPARE(QtNameFilters(asked.filter), (QStringList{QStringLiteral("Tavro Files (*.swi)"),
                                                           QStringLiteral("All Files (*)")}));
        QVERIFY(dlg_->windowTitle().endsWith(QStringLiteral("[movie.swi]")));
        QVERIFY(QFile::exists(path));
        QCOMPARE(settings_->GetString("Movie", "Folder"), dir_->path().toStdString() + "/");

        dlg_->Action(Command::InsertText)->trigger();
        QVERIFY(dlg_->IsDirty());
        dlg_->Action(Command::Save)->trigger();
        QCOMPARE(dialogs_.shown.size(), size_t{1}); // no second dialog
        QVERIFY(!dlg_->IsDirty());
        CDocObj reread;
        reread.LoadFile(path.toStdString());
        QCOMPARE(FirstScene(reread).GetChildCount(), size_t{1});

        // Undoing past the save keeps the file the movie belongs to.
        dlg_->Action(Command::Undo)->trigger();
        QVERIFY(dlg_->windowTitle().endsWith(QStringLiteral("[movie.swi]")));
        QCOMPARE(QString::fromStdString(dlg_->Document().GetName()), path);
    }

    void undoRedoAndANewChangeDiscardsTheRedoBranch() {
        CSceneObj& scene = FirstScene(dlg_->Document());
        for (int i = 0; i < 3; ++i)
            dlg_->Action(Command::InsertText)->trigger();
        QCOMPARE(scene.GetChildCount(), size_t{3});
        QVERIFY(dlg_->Action(Command::Undo)->isEnabled());
        QVERIFY(!dlg_->Action(Command::Redo)->isEnabled());

        dlg_->Action(Command::Undo)->trigger();
        QCOMPARE(FirstScene(dlg_->Document()).GetChildCount(), size_t{2});
        QVERIFY(dlg_->Action(Command::Redo)->isEnabled());
        dlg_->Action(Command::Redo)->trigger();
        QCOMPARE(FirstScene(dlg_->Document()).GetChildCount(), size_t{3});
        QVERIFY(!dlg_->Action(Command::Redo)->isEnabled());

        dlg_->Action(Command::Undo)->trigger();
        dlg_->Action(Command::Undo)->trigger();
        QCOMPARE(FirstScene(dlg_->Document()).GetChildCount(), size_t{1});
        dlg_->Action(Command::InsertScene)->trigger();
        QVERIFY(!dlg_->Action(Command::Redo)->isEnabled());
        QCOMPARE(dlg_->Document().GetChildCount(), size_t{2});
        QCOMPARE(FirstScene(dlg_->Document()).GetChildCount(), size_t{1});
        dlg_->Action(Command::Redo)->trigger(); // nothing left to redo
        QCOMPARE(FirstScene(dlg_->Document()).GetChildCount(), size_t{1});
        dlg_->Action(Command::Undo)->trigger();
        QCOMPARE(dlg_->Document().GetChildCount(), size_t{1});
        QCOMPARE(FirstScene(dlg_->Document()).GetChildCount(), size_t{1});
    }

    void treeLabelsAreShortened() {
        CSceneObj& scene = FirstScene(dlg_->Document());
        const char* names[] = {"Short", "ABCDEFGHIJ", "ABCDEFGHIJKLMNOPQR", "ab\r\ncdefgh"};
        for (const char* name : names) {
            dlg_->Action(Command::InsertText)->trigger();
            static_cast<CTextObj*>(scene.GetSelectedChild())->SetText(name);
        }
        dlg_->Refresh();
        const QTreeWidgetItem* sceneItem = dlg_->Tree()->topLevelItem(0);
        QCOMPARE(sceneItem->childCount(), 4);
        // The head of the scene's list is the front, shown first.
        QCOMPARE(sceneItem->child(0)->text(0), QStringLiteral("ab..."));
        QCOMPARE(sceneItem->child(1)->text(0), QStringLiteral("ABCDEFGHIJ..."));
        QCOMPARE(sceneItem->child(2)->text(0), QStringLiteral("ABCDEFGHIJ..."));
        QCOMPARE(sceneItem->child(3)->text(0), QStringLiteral("Short"));
    }

    void treeSelectionChoosesThePage() {
        dlg_->Action(Command::InsertText)->trigger();
        QCOMPARE(dlg_->PropertySheet()->ActivePageIndex(), CTextPropSheet::Text);
        QTreeWidgetItem* sceneItem = dlg_->Tree()->topLevelItem(0);
        dlg_->Tree()->setCurrentItem(sceneItem);
        QCOMPARE(dlg_->PropertySheet()->ActivePageIndex(), CTextPropSheet::Scene);
        QCOMPARE(dlg_->CurrentObject(), static_cast<CTavroObj*>(&FirstScene(dlg_->Document())));
        QVERIFY(!dlg_->Action(Command::Copy)->isEnabled());
        dlg_->Tree()->clearSelection();
        QCOMPARE(dlg_->PropertySheet()->ActivePageIndex(), CTextPropSheet::General);
        QCOMPARE(dlg_->PropertySheet()->count(), 5);
        QCOMPARE(dlg_->PropertySheet()->tabText(3), QStringLiteral("Text"));
        QCOMPARE(dlg_->PropertySheet()->tabText(4), QStringLiteral("Actions"));
    }

    void textFieldKeepsCtrlCButCtrlYRedoes() {
        dlg_->show();
        QVERIFY(QTest::qWaitForWindowExposed(dlg_.get()));
        dlg_->Action(Command::InsertText)->trigger();
        dlg_->Action(Command::InsertText)->trigger();
        dlg_->Action(Command::Undo)->trigger();
        QCOMPARE(FirstScene(dlg_->Document()).GetChildCount(), size_t{1});

        auto* field =
            new QLineEdit(QStringLiteral("typed words"), dlg_->PropertySheet()->currentWidget());
        field->show();
        dlg_->activateWindow();
        field->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(dlg_.get()));
        QTRY_VERIFY(field->hasFocus());
        field->selectAll();
        QTest::keyClick(field, Qt::Key_C, Qt::ControlModifier);
        const QMimeData* clip = QApplication::clipboard()->mimeData();
        QVERIFY(clip != nullptr);
        QVERIFY(!clip->hasFormat(QString::fromLatin1(kTextObjMimeType)));
        QCOMPARE(clip->text(), QStringLiteral("typed words"));

        QTest::keyClick(field, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(FirstScene(dlg_->Document()).GetChildCount(), size_t{2});

        // Outside a text field Ctrl+C copies the selected object.
        dlg_->Tree()->setFocus();
        QTest::keyClick(dlg_->Tree(), Qt::Key_C, Qt::ControlModifier);
        QVERIFY(QApplication::clipboard()->mimeData()->hasFormat(
            QString::fromLatin1(kTextObjMimeType)));
    }

    void pasteLandsAtTheCentreInFront() {
        CDocObj& doc = dlg_->Document();
        doc.SetMovieSize(551, 400);
        dlg_->Action(Command::InsertText)->trigger();
        auto* copied = static_cast<CTextObj*>(FirstScene(doc).GetSelectedChild());
        copied->SetText("Copied");
        copied->SetStagePosition(12, 34);
        dlg_->Action(Command::Copy)->trigger();
        auto* mime = qobject_cast<const TextObjMimeData*>(QApplication::clipboard()->mimeData());
        QVERIFY(mime != nullptr);
        QCOMPARE(mime->RenderCount(), 0); // nothing rendered until asked
        QVERIFY(dlg_->Action(Command::Paste)->isEnabled());
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Copied"));

        dlg_->Action(Command::InsertText)->trigger(); // another object in front
        dlg_->Action(Command::Paste)->trigger();
        CSceneObj& scene = FirstScene(doc);
        QCOMPARE(scene.GetChildCount(), size_t{3});
        auto* pasted = static_cast<CTextObj*>(scene.GetChildList().front().get());
        QCOMPARE(scene.GetSelectedChild(), static_cast<CTavroObj*>(pasted));
        QCOMPARE(pasted->GetText(), std::string("Copied"));
        QCOMPARE(pasted->GetParent(), static_cast<CTavroObj*>(&scene));
        QCOMPARE(pasted->GetStagePosition().x, 276.0); // 275.5 rounded half away from zero
        QCOMPARE(pasted->GetStagePosition().y, 200.0);
    }

    void cutThenPastePastesWhatWasCut() {
        dlg_->Action(Command::InsertText)->trigger();
        static_cast<CTextObj*>(dlg_->CurrentObject())->SetText("first");
        dlg_->Action(Command::InsertText)->trigger();
        static_cast<CTextObj*>(dlg_->CurrentObject())->SetText("second");
        dlg_->Action(Command::Cut)->trigger();
        CSceneObj& scene = FirstScene(dlg_->Document());
        QCOMPARE(scene.GetChildCount(), size_t{1});
        dlg_->Action(Command::Paste)->trigger();
        QCOMPARE(static_cast<CTextObj*>(dlg_->CurrentObject())->GetText(), std::string("second"));

        // A damaged clipboard block changes nothing and records no step.
        auto* junk = new QMimeData;
        junk->setData(QString::fromLatin1(kTextObjMimeType), QByteArray("\x01\x02", 2));
        QApplication::clipboard()->setMimeData(junk);
        const size_t steps = dlg_->History().Size();
        dlg_->Action(Command::Paste)->trigger();
        QCOMPARE(FirstScene(dlg_->Document()).GetChildCount(), size_t{2});
        QCOMPARE(dlg_->History().Size(), steps);
        QCOMPARE(dialogs_.Texts(Kind::Error).size(), 1);
    }

    void stackingCommandsFollowThePosition() {
        for (int i = 0; i < 3; ++i)
            dlg_->Action(Command::InsertText)->trigger();
        CSceneObj& scene = FirstScene(dlg_->Document());
        CTavroObj* front = scene.GetSelectedChild();
        QVERIFY(!dlg_->Action(Command::BringToFront)->isEnabled());
        QVERIFY(!dlg_->Action(Command::BringForward)->isEnabled());
        QVERIFY(dlg_->Action(Command::SendToBack)->isEnabled());
        dlg_->Action(Command::SendToBack)->trigger();
        QCOMPARE(scene.GetChildList().back().get(), front);
        QCOMPARE(scene.GetSelectedChild(), front);
        QVERIFY(!dlg_->Action(Command::SendBackwards)->isEnabled());
        dlg_->Action(Command::BringForward)->trigger();
        QCOMPARE(scene.GetIndexOfPosition(scene.FindChild(front)), 1);
        dlg_->Action(Command::BringToFront)->trigger();
        QCOMPARE(scene.GetChildList().front().get(), front);
    }

    void damagedFileShowsErrorReading() {
        dlg_->Action(Command::InsertText)->trigger();
        const QString path = dir_->filePath(QStringLiteral("damaged.swi"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("\x05\x00garbage that is not a movie", 29);
        f.close();
        dialogs_.questionAnswers = {DialogService::Answer::No};
        dialogs_.fileAnswers = {path};
        dlg_->Action(Command::Open)->trigger();
        const QStringList errors = dialogs_.Texts(Kind::Error);
        QCOMPARE(errors.size(), 1);
        QVERIFY(errors[0].startsWith(QStringLiteral("Error reading file")));
        QVERIFY(errors[0].contains(path));
        QCOMPARE(FirstScene(dlg_->Document()).GetChildCount(), size_t{1});
        QVERIFY(dlg_->windowTitle().endsWith(QStringLiteral("[Untitled]")));
    }

    void failedSaveShowsErrorAndLeavesThePreviousFile() {
        const QString path = dir_->filePath(QStringLiteral("movie.swi"));
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("previous");
        }
        // A write the system refuses, whoever runs the test: a file size limit below the movie.
        struct rlimit limit {};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &limit), 0);
        const rlimit small{16, limit.rlim_max};
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
        dialogs_.fileAnswers = {path};
        dlg_->Action(Command::SaveAs)->trigger();
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, oldHandler);
        const QStringList errors = dialogs_.Texts(Kind::Error);
        QCOMPARE(errors.size(), 1);
        QVERIFY(errors[0].startsWith(QStringLiteral("Error saving Movie")));
        QCOMPARE(ReadAll(path), QByteArray("previous"));
        QVERIFY(dlg_->windowTitle().endsWith(QStringLiteral("[Untitled]")));
    }

    void playDisablesEveryMenuButControl() {
        dlg_->Document().SetMovieSize(200, 100);
        dlg_->Action(Command::InsertText)->trigger();
        dlg_->Action(Command::Play)->trigger();
        QVERIFY(dlg_->IsPlaying());
        for (const auto m : {CMainDlg::Menu::File, CMainDlg::Menu::Edit, CMainDlg::Menu::View,
                             CMainDlg::Menu::Modify})
            QVERIFY(!dlg_->MenuOf(m)->isEnabled());
        QVERIFY(dlg_->MenuOf(CMainDlg::Menu::Control)->isEnabled());
        QVERIFY(!dlg_->Action(Command::Save)->isEnabled());
        QVERIFY(!dlg_->Action(Command::Undo)->isEnabled());
        QVERIFY(!dlg_->Action(Command::Play)->isEnabled());
        QVERIFY(dlg_->Action(Command::Stop)->isEnabled());
        QVERIFY(dlg_->IsSizeReadoutShown());
        QVERIFY(dlg_->SizeValueLabel()->text().endsWith(QStringLiteral(" bytes")));
        QCOMPARE(dlg_->SizeCaptionLabel()->text(), QStringLiteral("SWF Size:"));

        dlg_->Action(Command::Stop)->trigger();
        QVERIFY(!dlg_->IsPlaying());
        for (const auto m : {CMainDlg::Menu::File, CMainDlg::Menu::Edit, CMainDlg::Menu::View,
                             CMainDlg::Menu::Modify})
            QVERIFY(dlg_->MenuOf(m)->isEnabled());
        QVERIFY(dlg_->Action(Command::Play)->isEnabled());
        QVERIFY(!dlg_->Action(Command::Stop)->isEnabled());
        QVERIFY(dlg_->IsSizeReadoutShown()); // the last size stays until New or Open
    }

    void exportAndTestCommands() {
        dialogs_.fileAnswers = {dir_->filePath(QStringLiteral("no-such-folder/out.swf"))};
        dlg_->Action(Command::ExportSwf)->trigger();
        QCOMPARE(dialogs_.shown[0].request.title, QStringLiteral("Export to SWF"));
        QCOMPARE(dialogs_.shown[0].request.fileName, QStringLiteral("Untitled.swf"));
        QStringList errors = dialogs_.Texts(Kind::Error);
        QCOMPARE(errors.size(), 1);
        QVERIFY(errors[0].contains(QStringLiteral("no-such-folder/out.swf")));

        const QString page = dir_->filePath(QStringLiteral("page.htm"));
        dialogs_.fileAnswers = {page};
        dlg_->Action(Command::Publish)->trigger();
        QCOMPARE(dialogs_.shown.back().request.title, QStringLiteral("Publish Tavro Movie"));
        QCOMPARE(dialogs_.shown.back().request.fileName, QStringLiteral("Untitled.html"));
        QVERIFY(QFile::exists(dir_->filePath(QStringLiteral("page.html"))));
        QVERIFY(QFile::exists(dir_->filePath(QStringLiteral("page.swf"))));
        QCOMPARE(settings_->GetString("Publish", "Folder"), dir_->path().toStdString() + "/");

        dlg_->Action(Command::TestInPlayer)->trigger();
        QCOMPARE(shell_.requests.size(), size_t{1});
        QCOMPARE(shell_.requests[0].fileName, std::string("Untitled.swf"));
        QVERIFY(QFile::exists(QString::fromStdString(shell_.requests[0].folder) +
                              QStringLiteral("Untitled.swf")));
        shell_.succeed = false;
        dlg_->Action(Command::TestInBrowser)->trigger();
        QCOMPARE(shell_.requests.back().fileName, std::string("Untitled.html"));
        errors = dialogs_.Texts(Kind::Error);
        QCOMPARE(errors.size(), 2);
        QVERIFY(errors[1].contains(QStringLiteral("no program is associated")));
    }

    void publishForWebBrowsers() {
        dlg_->Document().SetMovieSize(200, 100);
        dlg_->Action(Command::InsertText)->trigger();
        QVERIFY(dlg_->MenuOf(CMainDlg::Menu::File)
                    ->actions()
                    .contains(dlg_->Action(Command::PublishHtml5)));
        QVERIFY(dlg_->Action(Command::PublishHtml5)->isEnabled());
        settings_->SetString("PublishHtml5", "Folder", dir_->path().toStdString() + "/web/");
        const QString site = dir_->filePath(QStringLiteral("site"));
        QVERIFY(QDir().mkpath(site));
        dialogs_.fileAnswers = {site + QStringLiteral("/movie.htm")};
        dlg_->Action(Command::PublishHtml5)->trigger();
        QCOMPARE(dialogs_.shown.back().request.title, QStringLiteral("Publish for Web Browsers"));
        QCOMPARE(dialogs_.shown.back().request.fileName, QStringLiteral("Untitled.html"));
        QCOMPARE(dialogs_.shown.back().request.folder, dir_->path() + QStringLiteral("/web/"));
        QVERIFY(QFile::exists(site + QStringLiteral("/movie.html")));
        QVERIFY(!QFile::exists(site + QStringLiteral("/movie.swf")));
        QVERIFY(ReadAll(site + QStringLiteral("/movie.html")).startsWith("<!DOCTYPE html>"));
        QCOMPARE(settings_->GetString("PublishHtml5", "Folder"), site.toStdString() + "/");
        QVERIFY(settings_->GetString("Publish", "Folder").empty());
        QVERIFY(dialogs_.Texts(Kind::Error).isEmpty());
        // A cancelled dialog writes nothing and remembers nothing new.
        dialogs_.fileAnswers = {QString()};
        dlg_->Action(Command::PublishHtml5)->trigger();
        QCOMPARE(settings_->GetString("PublishHtml5", "Folder"), site.toStdString() + "/");
    }

    void savedPlacementIsUsedOnlyOnAScreen() {
        dlg_.reset();
        settings_->SetSizedRect("Dialog", QRect(40, 30, 700, 500));
        Create();
        QCOMPARE(dlg_->pos(), QPoint(40, 30));
        QCOMPARE(dlg_->size(), QSize(700, 500));
        dlg_.reset();
        settings_->SetSizedRect("Dialog", QRect(-9000, -9000, 700, 500));
        Create();
        QVERIFY(dlg_->pos() != QPoint(-9000, -9000));
        QVERIFY(!QtAppSettings::IsOnSomeScreen(QRect(-9000, -9000, 700, 500)));
        QVERIFY(!settings_->GetSizedRect("Dialog"));
    }

private:
    void Create() {
        EditorServices services;
        services.dialogs = &dialogs_;
        services.settings = settings_.get();
        services.shell = &shell_;
        services.tempRoot = dir_->path().toStdString();
        dlg_ = std::make_unique<CMainDlg>(services);
    }

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<QtAppSettings> settings_;
    ScriptedDialogService dialogs_;
    RecordingShellOpener shell_;
    std::unique_ptr<CMainDlg> dlg_;
};

QTEST_MAIN(MainDlgTest)
#include "MainDlgTest.moc"
