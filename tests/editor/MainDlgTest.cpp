// The main window driven through its commands, with scripted dialogs, a settings file in a
// temporary folder and a shell that only records what it was asked to open.
#include "EditorHarness.h"

#include "editor/CMainDlg.h"
#include "editor/CTextPropSheet.h"
#include "editor/CViewWnd.h"
#include "editor/DialogService.h"
#include "editor/QtAppSettings.h"
#include "editor/TextObjMimeData.h"
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
    void init() { editor_ = std::make_unique<EditorHarness>(); }

    void cleanup() {
        editor_.reset();
        QApplication::clipboard()->clear();
    }

    void newMovieHasSceneOneAndUntitledTitle() {
        QCOMPARE(Main().Document().GetChildCount(), size_t{1});
        QCOMPARE(FirstScene(Main().Document()).GetName(), std::string("Scene 1"));
        QVERIFY(Main().windowTitle().endsWith(QStringLiteral("[Untitled]")));
        QCOMPARE(Main().windowTitle(), QStringLiteral("Tavro v0.06 - [Untitled]"));
        QCOMPARE(TopLabels(*Main().Tree()), QStringList{QStringLiteral("Scene 1")});
        QVERIFY(!Main().Action(Command::Undo)->isEnabled());
        QVERIFY(!Main().Action(Command::Close)->isEnabled());
        QVERIFY(!Main().IsSizeReadoutShown());

        // New after a change asks first; Cancel keeps the movie.
        Main().Action(Command::InsertText)->trigger();
        Dialogs().questionAnswers = {DialogService::Answer::Cancel};
        Main().Action(Command::New)->trigger();
        QCOMPARE(Dialogs().Texts(Kind::Question),
                 QStringList{QStringLiteral("Save Changes to Untitled ?")});
        QCOMPARE(FirstScene(Main().Document()).GetChildCount(), size_t{1});
        Dialogs().questionAnswers = {DialogService::Answer::No};
        Main().Action(Command::New)->trigger();
        QCOMPARE(FirstScene(Main().Document()).GetChildCount(), size_t{0});
        QVERIFY(!Main().IsDirty());
        QVERIFY(!Main().Action(Command::Undo)->isEnabled());
    }

    // Quit (Ctrl+Q) closes the window like its close button: a changed movie is offered for
    // saving first, and Cancel keeps the window open.
    void quitAsksToSaveAChangedMovie() {
        QCOMPARE(Main().Action(Command::Quit)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
        QVERIFY(
            Main().MenuOf(CMainDlg::Menu::File)->actions().contains(Main().Action(Command::Quit)));
        Main().show();
        QVERIFY(QTest::qWaitForWindowExposed(&Main()));
        Main().Action(Command::InsertText)->trigger();
        Dialogs().questionAnswers = {DialogService::Answer::Cancel};
        Main().Action(Command::Quit)->trigger();
        QVERIFY(Main().isVisible());
        QCOMPARE(Dialogs().Texts(Kind::Question).size(), 1);
        Dialogs().questionAnswers = {DialogService::Answer::No};
        Main().Action(Command::Quit)->trigger();
        QVERIFY(!Main().isVisible());
    }

    // A new movie has no frame size of its own: it takes the stage window's, so that the stage
    // can be shown and a new text lands in its middle; the movie is not changed by that.
    void aNewMovieTakesTheStagesSize() {
        CViewWnd* stage = Main().ViewWnd();
        const QSize size(CViewWnd::kDefaultRight - CViewWnd::kDefaultLeft,
                         CViewWnd::kDefaultBottom - CViewWnd::kDefaultTop);
        QCOMPARE(stage->size(), size);
        QCOMPARE(Main().Document().GetMovieSize().x, double(size.width()));
        QCOMPARE(Main().Document().GetMovieSize().y, double(size.height()));
        QVERIFY(!Main().IsDirty());
        QVERIFY(!Main().Action(Command::Undo)->isEnabled());
        Main().show();
        stage->show();
        QVERIFY(QTest::qWaitForWindowExposed(stage));
        Main().PropertySheet()->SetActivePage(CTextPropSheet::General);
        QCOMPARE(Main().findChild<QLineEdit*>(QStringLiteral("MovieWidth"))->text(),
                 QString::number(size.width()));
        Main().Action(Command::InsertText)->trigger();
        const CDoublePoint at = Main().CurrentText()->GetStagePosition();
        QCOMPARE(at.x, size.width() / 2.0);
        QCOMPARE(at.y, size.height() / 2.0);
    }

    // The tree's text icon is drawn in the tree's text colour: on a dark palette it is light.
    void treeTextIconFollowsThePalette() {
        QPalette dark = Main().Tree()->palette();
        dark.setColor(QPalette::Base, QColor(30, 30, 30));
        dark.setColor(QPalette::Text, QColor(230, 230, 230));
        dark.setColor(QPalette::HighlightedText, QColor(255, 255, 0));
        Main().Tree()->setPalette(dark);
        Main().Action(Command::InsertText)->trigger();
        const QIcon icon = Main().Tree()->topLevelItem(0)->child(0)->icon(0);
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
        const QString path = editor_->Folder().filePath(QStringLiteral("movie.swi"));
        Dialogs().fileAnswers = {path};
        Main().Action(Command::Save)->trigger(); // no name yet: Save As
        QCOMPARE(Dialogs().shown.size(), size_t{1});
        const FileDialogRequest& asked = Dialogs().shown[0].request;
        QCOMPARE(asked.title, QStringLiteral("Save Tavro Movie"));
        QCOMPARE(asked.fileName, QStringLiteral("Untitled.swi"));
        QCOMPARE(asked.defaultSuffix, QStringLiteral("swi"));
        QCOMPARE(QtNameFilters(asked.filter), (QStringList{QStringLiteral("Tavro Files (*.swi)"),
                                                           QStringLiteral("All Files (*)")}));
        QVERIFY(Main().windowTitle().endsWith(QStringLiteral("[movie.swi]")));
        QVERIFY(QFile::exists(path));
        QCOMPARE(editor_->Settings().GetString("Movie", "Folder"),
                 editor_->Folder().path().toStdString() + "/");

        Main().Action(Command::InsertText)->trigger();
        QVERIFY(Main().IsDirty());
        Main().Action(Command::Save)->trigger();
        QCOMPARE(Dialogs().shown.size(), size_t{1}); // no second dialog
        QVERIFY(!Main().IsDirty());
        CDocObj reread;
        reread.LoadFile(path.toStdString());
        QCOMPARE(FirstScene(reread).GetChildCount(), size_t{1});

        // Undoing past the save keeps the file the movie belongs to.
        Main().Action(Command::Undo)->trigger();
        QVERIFY(Main().windowTitle().endsWith(QStringLiteral("[movie.swi]")));
        QCOMPARE(QString::fromStdString(Main().Document().GetName()), path);
    }

    void undoRedoAndANewChangeDiscardsTheRedoBranch() {
        CSceneObj& scene = FirstScene(Main().Document());
        for (int i = 0; i < 3; ++i)
            Main().Action(Command::InsertText)->trigger();
        QCOMPARE(scene.GetChildCount(), size_t{3});
        QVERIFY(Main().Action(Command::Undo)->isEnabled());
        QVERIFY(!Main().Action(Command::Redo)->isEnabled());

        Main().Action(Command::Undo)->trigger();
        QCOMPARE(FirstScene(Main().Document()).GetChildCount(), size_t{2});
        QVERIFY(Main().Action(Command::Redo)->isEnabled());
        Main().Action(Command::Redo)->trigger();
        QCOMPARE(FirstScene(Main().Document()).GetChildCount(), size_t{3});
        QVERIFY(!Main().Action(Command::Redo)->isEnabled());

        Main().Action(Command::Undo)->trigger();
        Main().Action(Command::Undo)->trigger();
        QCOMPARE(FirstScene(Main().Document()).GetChildCount(), size_t{1});
        Main().Action(Command::InsertScene)->trigger();
        QVERIFY(!Main().Action(Command::Redo)->isEnabled());
        QCOMPARE(Main().Document().GetChildCount(), size_t{2});
        QCOMPARE(FirstScene(Main().Document()).GetChildCount(), size_t{1});
        Main().Action(Command::Redo)->trigger(); // nothing left to redo
        QCOMPARE(FirstScene(Main().Document()).GetChildCount(), size_t{1});
        Main().Action(Command::Undo)->trigger();
        QCOMPARE(Main().Document().GetChildCount(), size_t{1});
        QCOMPARE(FirstScene(Main().Document()).GetChildCount(), size_t{1});
    }

    void treeLabelsAreShortened() {
        CSceneObj& scene = FirstScene(Main().Document());
        const char* names[] = {"Short", "ABCDEFGHIJ", "ABCDEFGHIJKLMNOPQR", "ab\r\ncdefgh"};
        for (const char* name : names) {
            Main().Action(Command::InsertText)->trigger();
            static_cast<CTextObj*>(scene.GetSelectedChild())->SetText(name);
        }
        Main().Refresh();
        const QTreeWidgetItem* sceneItem = Main().Tree()->topLevelItem(0);
        QCOMPARE(sceneItem->childCount(), 4);
        // The head of the scene's list is the front, shown first.
        QCOMPARE(sceneItem->child(0)->text(0), QStringLiteral("ab..."));
        QCOMPARE(sceneItem->child(1)->text(0), QStringLiteral("ABCDEFGHIJ..."));
        QCOMPARE(sceneItem->child(2)->text(0), QStringLiteral("ABCDEFGHIJ..."));
        QCOMPARE(sceneItem->child(3)->text(0), QStringLiteral("Short"));
    }

    void treeSelectionChoosesThePage() {
        Main().Action(Command::InsertText)->trigger();
        QCOMPARE(Main().PropertySheet()->ActivePageIndex(), CTextPropSheet::Text);
        QTreeWidgetItem* sceneItem = Main().Tree()->topLevelItem(0);
        Main().Tree()->setCurrentItem(sceneItem);
        QCOMPARE(Main().PropertySheet()->ActivePageIndex(), CTextPropSheet::Scene);
        QCOMPARE(Main().CurrentObject(), static_cast<CTavroObj*>(&FirstScene(Main().Document())));
        QVERIFY(!Main().Action(Command::Copy)->isEnabled());
        Main().Tree()->clearSelection();
        QCOMPARE(Main().PropertySheet()->ActivePageIndex(), CTextPropSheet::General);
        QCOMPARE(Main().PropertySheet()->count(), 5);
        QCOMPARE(Main().PropertySheet()->tabText(3), QStringLiteral("Text"));
        QCOMPARE(Main().PropertySheet()->tabText(4), QStringLiteral("Actions"));
    }

    void textFieldKeepsCtrlCButCtrlYRedoes() {
        Main().show();
        QVERIFY(QTest::qWaitForWindowExposed(&Main()));
        Main().Action(Command::InsertText)->trigger();
        Main().Action(Command::InsertText)->trigger();
        Main().Action(Command::Undo)->trigger();
        QCOMPARE(FirstScene(Main().Document()).GetChildCount(), size_t{1});

        auto* field =
            new QLineEdit(QStringLiteral("typed words"), Main().PropertySheet()->currentWidget());
        field->show();
        Main().activateWindow();
        field->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(&Main()));
        QTRY_VERIFY(field->hasFocus());
        field->selectAll();
        QTest::keyClick(field, Qt::Key_C, Qt::ControlModifier);
        const QMimeData* clip = QApplication::clipboard()->mimeData();
        QVERIFY(clip != nullptr);
        QVERIFY(!clip->hasFormat(QString::fromLatin1(kTextObjMimeType)));
        QCOMPARE(clip->text(), QStringLiteral("typed words"));

        QTest::keyClick(field, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(FirstScene(Main().Document()).GetChildCount(), size_t{2});

        // Outside a text field Ctrl+C copies the selected object.
        Main().Tree()->setFocus();
        QTest::keyClick(Main().Tree(), Qt::Key_C, Qt::ControlModifier);
        QVERIFY(QApplication::clipboard()->mimeData()->hasFormat(
            QString::fromLatin1(kTextObjMimeType)));
    }

    void pasteLandsAtTheCentreInFront() {
        CDocObj& doc = Main().Document();
        doc.SetMovieSize(551, 400);
        Main().Action(Command::InsertText)->trigger();
        auto* copied = static_cast<CTextObj*>(FirstScene(doc).GetSelectedChild());
        copied->SetText("Copied");
        copied->SetStagePosition(12, 34);
        Main().Action(Command::Copy)->trigger();
        auto* mime = qobject_cast<const TextObjMimeData*>(QApplication::clipboard()->mimeData());
        QVERIFY(mime != nullptr);
        QCOMPARE(mime->RenderCount(), 0); // nothing rendered until asked
        QVERIFY(Main().Action(Command::Paste)->isEnabled());
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Copied"));

        Main().Action(Command::InsertText)->trigger(); // another object in front
        Main().Action(Command::Paste)->trigger();
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
        Main().Action(Command::InsertText)->trigger();
        static_cast<CTextObj*>(Main().CurrentObject())->SetText("first");
        Main().Action(Command::InsertText)->trigger();
        static_cast<CTextObj*>(Main().CurrentObject())->SetText("second");
        Main().Action(Command::Cut)->trigger();
        CSceneObj& scene = FirstScene(Main().Document());
        QCOMPARE(scene.GetChildCount(), size_t{1});
        Main().Action(Command::Paste)->trigger();
        QCOMPARE(static_cast<CTextObj*>(Main().CurrentObject())->GetText(), std::string("second"));

        // A damaged clipboard block changes nothing and records no step.
        auto* junk = new QMimeData;
        junk->setData(QString::fromLatin1(kTextObjMimeType), QByteArray("\x01\x02", 2));
        QApplication::clipboard()->setMimeData(junk);
        const size_t steps = Main().History().Size();
        Main().Action(Command::Paste)->trigger();
        QCOMPARE(FirstScene(Main().Document()).GetChildCount(), size_t{2});
        QCOMPARE(Main().History().Size(), steps);
        QCOMPARE(Dialogs().Texts(Kind::Error).size(), 1);
    }

    void stackingCommandsFollowThePosition() {
        for (int i = 0; i < 3; ++i)
            Main().Action(Command::InsertText)->trigger();
        CSceneObj& scene = FirstScene(Main().Document());
        CTavroObj* front = scene.GetSelectedChild();
        QVERIFY(!Main().Action(Command::BringToFront)->isEnabled());
        QVERIFY(!Main().Action(Command::BringForward)->isEnabled());
        QVERIFY(Main().Action(Command::SendToBack)->isEnabled());
        Main().Action(Command::SendToBack)->trigger();
        QCOMPARE(scene.GetChildList().back().get(), front);
        QCOMPARE(scene.GetSelectedChild(), front);
        QVERIFY(!Main().Action(Command::SendBackwards)->isEnabled());
        Main().Action(Command::BringForward)->trigger();
        QCOMPARE(scene.GetIndexOfPosition(scene.FindChild(front)), 1);
        Main().Action(Command::BringToFront)->trigger();
        QCOMPARE(scene.GetChildList().front().get(), front);
    }

    void damagedFileShowsErrorReading() {
        Main().Action(Command::InsertText)->trigger();
        const QString path = editor_->Folder().filePath(QStringLiteral("damaged.swi"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("\x05\x00garbage that is not a movie", 29);
        f.close();
        Dialogs().questionAnswers = {DialogService::Answer::No};
        Dialogs().fileAnswers = {path};
        Main().Action(Command::Open)->trigger();
        const QStringList errors = Dialogs().Texts(Kind::Error);
        QCOMPARE(errors.size(), 1);
        QVERIFY(errors[0].startsWith(QStringLiteral("Error reading file")));
        QVERIFY(errors[0].contains(path));
        QCOMPARE(FirstScene(Main().Document()).GetChildCount(), size_t{1});
        QVERIFY(Main().windowTitle().endsWith(QStringLiteral("[Untitled]")));
    }

    void failedSaveShowsErrorAndLeavesThePreviousFile() {
        const QString path = editor_->Folder().filePath(QStringLiteral("movie.swi"));
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
        Dialogs().fileAnswers = {path};
        Main().Action(Command::SaveAs)->trigger();
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, oldHandler);
        const QStringList errors = Dialogs().Texts(Kind::Error);
        QCOMPARE(errors.size(), 1);
        QVERIFY(errors[0].startsWith(QStringLiteral("Error saving Movie")));
        QCOMPARE(ReadAll(path), QByteArray("previous"));
        QVERIFY(Main().windowTitle().endsWith(QStringLiteral("[Untitled]")));
    }

    void playDisablesEveryMenuButControl() {
        Main().Document().SetMovieSize(200, 100);
        Main().Action(Command::InsertText)->trigger();
        Main().Action(Command::Play)->trigger();
        QVERIFY(Main().IsPlaying());
        for (const auto m : {CMainDlg::Menu::File, CMainDlg::Menu::Edit, CMainDlg::Menu::View,
                             CMainDlg::Menu::Modify})
            QVERIFY(!Main().MenuOf(m)->isEnabled());
        QVERIFY(Main().MenuOf(CMainDlg::Menu::Control)->isEnabled());
        QVERIFY(!Main().Action(Command::Save)->isEnabled());
        QVERIFY(!Main().Action(Command::Undo)->isEnabled());
        QVERIFY(!Main().Action(Command::Play)->isEnabled());
        QVERIFY(Main().Action(Command::Stop)->isEnabled());
        QVERIFY(Main().IsSizeReadoutShown());
        QVERIFY(Main().SizeValueLabel()->text().endsWith(QStringLiteral(" bytes")));
        QCOMPARE(Main().SizeCaptionLabel()->text(), QStringLiteral("SWF Size:"));

        Main().Action(Command::Stop)->trigger();
        QVERIFY(!Main().IsPlaying());
        for (const auto m : {CMainDlg::Menu::File, CMainDlg::Menu::Edit, CMainDlg::Menu::View,
                             CMainDlg::Menu::Modify})
            QVERIFY(Main().MenuOf(m)->isEnabled());
        QVERIFY(Main().Action(Command::Play)->isEnabled());
        QVERIFY(!Main().Action(Command::Stop)->isEnabled());
        QVERIFY(Main().IsSizeReadoutShown()); // the last size stays until New or Open
    }

    void exportAndTestCommands() {
        Dialogs().fileAnswers = {
            editor_->Folder().filePath(QStringLiteral("no-such-folder/out.swf"))};
        Main().Action(Command::ExportSwf)->trigger();
        QCOMPARE(Dialogs().shown[0].request.title, QStringLiteral("Export to SWF"));
        QCOMPARE(Dialogs().shown[0].request.fileName, QStringLiteral("Untitled.swf"));
        QStringList errors = Dialogs().Texts(Kind::Error);
        QCOMPARE(errors.size(), 1);
        QVERIFY(errors[0].contains(QStringLiteral("no-such-folder/out.swf")));

        const QString page = editor_->Folder().filePath(QStringLiteral("page.htm"));
        Dialogs().fileAnswers = {page};
        Main().Action(Command::Publish)->trigger();
        QCOMPARE(Dialogs().shown.back().request.title, QStringLiteral("Publish Tavro Movie"));
        QCOMPARE(Dialogs().shown.back().request.fileName, QStringLiteral("Untitled.html"));
        QVERIFY(QFile::exists(editor_->Folder().filePath(QStringLiteral("page.html"))));
        QVERIFY(QFile::exists(editor_->Folder().filePath(QStringLiteral("page.swf"))));
        QCOMPARE(editor_->Settings().GetString("Publish", "Folder"),
                 editor_->Folder().path().toStdString() + "/");

        Main().Action(Command::TestInPlayer)->trigger();
        QCOMPARE(editor_->Shell().requests.size(), size_t{1});
        QCOMPARE(editor_->Shell().requests[0].fileName, std::string("Untitled.swf"));
        QVERIFY(QFile::exists(QString::fromStdString(editor_->Shell().requests[0].folder) +
                              QStringLiteral("Untitled.swf")));
        editor_->Shell().succeed = false;
        Main().Action(Command::TestInBrowser)->trigger();
        QCOMPARE(editor_->Shell().requests.back().fileName, std::string("Untitled.html"));
        errors = Dialogs().Texts(Kind::Error);
        QCOMPARE(errors.size(), 2);
        QVERIFY(errors[1].contains(QStringLiteral("no program is associated")));
    }

    void publishForWebBrowsers() {
        Main().Document().SetMovieSize(200, 100);
        Main().Action(Command::InsertText)->trigger();
        QVERIFY(Main()
                    .MenuOf(CMainDlg::Menu::File)
                    ->actions()
                    .contains(Main().Action(Command::PublishHtml5)));
        QVERIFY(Main().Action(Command::PublishHtml5)->isEnabled());
        editor_->Settings().SetString("PublishHtml5", "Folder",
                                      editor_->Folder().path().toStdString() + "/web/");
        const QString site = editor_->Folder().filePath(QStringLiteral("site"));
        QVERIFY(QDir().mkpath(site));
        Dialogs().fileAnswers = {site + QStringLiteral("/movie.htm")};
        Main().Action(Command::PublishHtml5)->trigger();
        QCOMPARE(Dialogs().shown.back().request.title, QStringLiteral("Publish for Web Browsers"));
        QCOMPARE(Dialogs().shown.back().request.fileName, QStringLiteral("Untitled.html"));
        QCOMPARE(Dialogs().shown.back().request.folder,
                 editor_->Folder().path() + QStringLiteral("/web/"));
        QVERIFY(QFile::exists(site + QStringLiteral("/movie.html")));
        QVERIFY(!QFile::exists(site + QStringLiteral("/movie.swf")));
        QVERIFY(ReadAll(site + QStringLiteral("/movie.html")).startsWith("<!DOCTYPE html>"));
        QCOMPARE(editor_->Settings().GetString("PublishHtml5", "Folder"), site.toStdString() + "/");
        QVERIFY(editor_->Settings().GetString("Publish", "Folder").empty());
        QVERIFY(Dialogs().Texts(Kind::Error).isEmpty());
        // A cancelled dialog writes nothing and remembers nothing new.
        Dialogs().fileAnswers = {QString()};
        Main().Action(Command::PublishHtml5)->trigger();
        QCOMPARE(editor_->Settings().GetString("PublishHtml5", "Folder"), site.toStdString() + "/");
    }

    void savedPlacementIsUsedOnlyOnAScreen() {
        editor_->DestroyMain();
        editor_->Settings().SetSizedRect("Dialog", QRect(40, 30, 700, 500));
        editor_->CreateMain();
        QCOMPARE(Main().pos(), QPoint(40, 30));
        QCOMPARE(Main().size(), QSize(700, 500));
        editor_->DestroyMain();
        editor_->Settings().SetSizedRect("Dialog", QRect(-9000, -9000, 700, 500));
        editor_->CreateMain();
        QVERIFY(Main().pos() != QPoint(-9000, -9000));
        QVERIFY(!QtAppSettings::IsOnSomeScreen(QRect(-9000, -9000, 700, 500)));
        QVERIFY(!editor_->Settings().GetSizedRect("Dialog"));
    }

private:
    CMainDlg& Main() { return editor_->Main(); }
    ScriptedDialogService& Dialogs() { return editor_->Dialogs(); }

    std::unique_ptr<EditorHarness> editor_;
};

QTEST_MAIN(MainDlgTest)
#include "MainDlgTest.moc"
