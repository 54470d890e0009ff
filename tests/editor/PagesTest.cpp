// The General, Scene and Text pages driven through the main window: keys typed into the real
// fields, clicks on the real buttons and on the colour popup, with scripted message boxes and
// colour chooser.
#include "editor/CColorButton.h"
#include "editor/CColorPopup.h"
#include "editor/CGeneralPage.h"
#include "editor/CMainDlg.h"
#include "editor/CScenePage.h"
#include "editor/CTextPage.h"
#include "editor/CTextPropSheet.h"
#include "editor/CViewWnd.h"
#include "editor/DialogService.h"
#include "editor/QtAppSettings.h"
#include "export/ShellOpener.h"
#include "model/CDocObj.h"
#include "model/CSceneObj.h"
#include "model/CTextObj.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <memory>

using namespace tavro;
using namespace tavro::editor;
using Command = CMainDlg::Command;
using Kind = ScriptedDialogService::Shown::Kind;

namespace {

CSceneObj& FirstScene(CDocObj& doc) {
    return static_cast<CSceneObj&>(*doc.GetChildList().front());
}

// Replaces a field's text by typing, as a user does after selecting everything in it.
void TypeInto(QWidget* field, const QString& text) {
    field->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
}

// A page with one integer field, as the pages with frame numbers use it.
class IntegerFieldPage : public CTextPropPage {
public:
    explicit IntegerFieldPage(CMainDlg& mainWnd)
        : CTextPropPage(mainWnd, QStringLiteral("Numbers")), field(new QLineEdit(this)) {}
    std::optional<int> Read(int previous) { return ReadIntegerField(field, 1, 99999, previous); }
    QLineEdit* field;
};

} // namespace

class PagesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        settings_ = std::make_unique<QtAppSettings>(dir_->filePath(QStringLiteral("Tavro.ini")));
        dialogs_ = ScriptedDialogService();
        EditorServices services;
        services.dialogs = &dialogs_;
        services.settings = settings_.get();
        services.shell = &shell_;
        services.tempRoot = dir_->path().toStdString();
        dlg_ = std::make_unique<CMainDlg>(services);
        dlg_->show();
        dlg_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dlg_.get()));
    }

    void cleanup() {
        dlg_.reset();
        settings_.reset();
        dir_.reset();
    }

    // The editing flag: one undo step for the first keystroke, live changes after it; a reload
    // (Undo) arms it again, so the next edit records its step and drops the redo branch.
    void typingASceneNameRecordsOneStep() {
        dlg_->Tree()->setCurrentItem(dlg_->Tree()->topLevelItem(0));
        QCOMPARE(dlg_->PropertySheet()->ActivePageIndex(), CTextPropSheet::Scene);
        CSceneObj& scene = FirstScene(dlg_->Document());
        QLineEdit* name = ScenePage().NameField();
        const size_t steps = dlg_->History().Size();

        TypeInto(name, QStringLiteral("Intro"));
        QCOMPARE(scene.GetName(), std::string("Intro"));
        QCOMPARE(dlg_->History().Size(), steps + 1);
        QCOMPARE(dlg_->Tree()->topLevelItem(0)->text(0), QStringLiteral("Intro"));
        QVERIFY(dlg_->IsDirty());

        dlg_->Action(Command::Undo)->trigger();
        QCOMPARE(FirstScene(dlg_->Document()).GetName(), std::string("Scene 1"));
        QCOMPARE(ScenePage().NameField()->text(), QStringLiteral("Scene 1"));
        QCOMPARE(dlg_->Tree()->topLevelItem(0)->text(0), QStringLiteral("Scene 1"));
        QVERIFY(dlg_->Action(Command::Redo)->isEnabled());

        // Still focused: the next keystroke records again.
        QTest::keyClick(ScenePage().NameField(), Qt::Key_X);
        QCOMPARE(FirstScene(dlg_->Document()).GetName(), std::string("Scene 1x"));
        QVERIFY(!dlg_->Action(Command::Redo)->isEnabled());
        dlg_->Action(Command::Undo)->trigger();
        QCOMPARE(FirstScene(dlg_->Document()).GetName(), std::string("Scene 1"));

        // Link and target: a focus change starts a new step; a choice from the list is one.
        const size_t before = dlg_->History().Size();
        TypeInto(ScenePage().LinkField(), QStringLiteral("http://a.b/"));
        QComboBox* target = ScenePage().TargetField();
        target->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(target, QStringLiteral("main"));
        QCOMPARE(FirstScene(dlg_->Document()).GetLink(), std::string("http://a.b/"));
        QCOMPARE(FirstScene(dlg_->Document()).GetTargetFrame(), std::string("main"));
        QVERIFY(dlg_->History().Size() <= before + 2);
        QVERIFY(!dlg_->Action(Command::Redo)->isEnabled());
    }

    // Tab and Enter commit before they act; leaving a page and the document commands commit.
    void tabEnterPageSwitchAndCommandsCommit() {
        CGeneralPage& general = GeneralPage();
        QCOMPARE(dlg_->PropertySheet()->ActivePageIndex(), CTextPropSheet::Scene);
        dlg_->PropertySheet()->SetActivePage(CTextPropSheet::General);
        const size_t steps = dlg_->History().Size();

        TypeInto(general.WidthField(), QStringLiteral("640"));
        QVERIFY(dlg_->Document().GetMovieSize().x != 640.0); // not yet
        QTest::keyClick(general.WidthField(), Qt::Key_Tab);
        QCOMPARE(dlg_->Document().GetMovieSize().x, 640.0);
        QVERIFY(general.HeightField()->hasFocus());
        QCOMPARE(dlg_->History().Size(), steps + 1);

        TypeInto(general.HeightField(), QStringLiteral("480"));
        QTest::keyClick(general.HeightField(), Qt::Key_Return);
        QCOMPARE(dlg_->Document().GetMovieSize().y, 480.0);
        QCOMPARE(dlg_->History().Size(), steps + 2);
        QTRY_COMPARE(dlg_->ViewWnd()->size(), QSize(640, 480));
        QCOMPARE(general.WidthField()->text(), QStringLiteral("640"));

        TypeInto(general.RateField(), QStringLiteral("12.5"));
        dlg_->PropertySheet()->SetActivePage(CTextPropSheet::Scene);
        QCOMPARE(dlg_->Document().GetFrameRate(), 12.5);

        // Save writes what the field shows.
        dlg_->PropertySheet()->SetActivePage(CTextPropSheet::General);
        TypeInto(general.RateField(), QStringLiteral("30"));
        const QString path = dir_->filePath(QStringLiteral("movie.swi"));
        dialogs_.fileAnswers = {path};
        dlg_->Action(Command::Save)->trigger();
        CDocObj reread;
        reread.LoadFile(path.toStdString());
        QCOMPARE(reread.GetFrameRate(), 30.0);

        // Undo takes a pending edit as the newest state: Redo brings it back.
        TypeInto(general.RateField(), QStringLiteral("25"));
        dlg_->Action(Command::Undo)->trigger();
        QCOMPARE(dlg_->Document().GetFrameRate(), 30.0);
        QCOMPARE(general.RateField()->text(), QStringLiteral("30"));
        dlg_->Action(Command::Redo)->trigger();
        QCOMPARE(dlg_->Document().GetFrameRate(), 25.0);
    }

    // A number the movie cannot hold leaves field and movie as they were, with a message; a
    // field left as loaded is never questioned, whatever the movie holds.
    void badNumbersKeepTheFieldValue() {
        dlg_->Document().SetMovieSize(0, 0); // no stage size yet
        dlg_->PropertySheet()->SetActivePage(CTextPropSheet::General);
        dlg_->PropertySheet()->SetActivePage(CTextPropSheet::Scene);
        QVERIFY(dialogs_.shown.empty());

        dlg_->PropertySheet()->SetActivePage(CTextPropSheet::General);
        CGeneralPage& general = GeneralPage();
        TypeInto(general.WidthField(), QStringLiteral("320"));
        QTest::keyClick(general.WidthField(), Qt::Key_Tab);
        const size_t steps = dlg_->History().Size();
        const struct {
            QLineEdit* field;
            const char* text;
        } bad[] = {{general.WidthField(), "abc"},   {general.WidthField(), "-5"},
                   {general.WidthField(), "1e9"},   {general.WidthField(), "0"},
                   {general.RateField(), "0"},      {general.RateField(), "300"},
                   {general.RateField(), "nan"},    {general.RateField(), "inf"},
                   {general.HeightField(), "12,x"}, {general.WidthField(), ""}};
        for (const auto& b : bad) {
            const QString before = b.field->text();
            dialogs_.shown.clear();
            TypeInto(b.field, QString::fromLatin1(b.text));
            QTest::keyClick(b.field, Qt::Key_Return);
            QCOMPARE(b.field->text(), before);
            QVERIFY2(dialogs_.Texts(Kind::Warning).size() == 1, b.text);
        }
        QCOMPARE(dialogs_.Texts(Kind::Warning).front(),
                 QStringLiteral("Movie Width: Please enter a number between 1 and 16384."));
        QCOMPARE(dlg_->Document().GetMovieSize().x, 320.0);
        QCOMPARE(dlg_->Document().GetFrameRate(), 20.0);
        QCOMPARE(dlg_->History().Size(), steps);

        // The text size: 0 and nothing keep the size silently, the rest is refused.
        dlg_->Action(Command::InsertText)->trigger();
        CTextObj* text = dlg_->CurrentText();
        QComboBox* size = TextPage().SizeField();
        dialogs_.shown.clear();
        for (const char* keep : {"0", "", "abc", "5000", "-3"}) {
            TypeInto(size, QString::fromLatin1(keep));
            QTest::keyClick(size, Qt::Key_Return);
            QCOMPARE(text->GetFontSize(), CTextObj::kDefaultSize);
            QCOMPARE(size->currentText(), QStringLiteral("72"));
        }
        QCOMPARE(
            dialogs_.Texts(Kind::Warning),
            QStringList(3, QStringLiteral("Size: Please enter an integer between 1 and 3276.")));
        TypeInto(size, QStringLiteral("48"));
        QTest::keyClick(size, Qt::Key_Tab);
        QCOMPARE(text->GetFontSize(), 48);
    }

    void colourPopupAndChooserCommit() {
        dlg_->Action(Command::InsertText)->trigger();
        CTextObj* text = dlg_->CurrentText();
        text->SetColor(CColor(0, 0, 0, 128));
        dlg_->Refresh();
        CColorButton* button = TextPage().ColorButton();
        const size_t steps = dlg_->History().Size();

        QTest::mouseClick(button, Qt::LeftButton);
        QPointer<CColorPopup> popup = button->Popup();
        QVERIFY(popup != nullptr);
        QVERIFY(popup->isVisible());
        QTest::mouseClick(popup->SwatchButton(5), Qt::LeftButton); // red
        QCOMPARE(text->GetColor(), CColor(255, 0, 0, 128));        // alpha kept
        QCOMPARE(dlg_->History().Size(), steps + 1);
        QTRY_VERIFY(popup == nullptr);

        // The keyboard: Down from red is blue; Return picks it.
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(button->Popup()->SwatchButton(5)->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QVERIFY(button->Popup()->SwatchButton(10)->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(text->GetColor(), CColor(0, 0, 255, 128));

        // "Other...": cancelled changes nothing; a chosen colour commits.
        QTest::mouseClick(button, Qt::LeftButton);
        QTest::mouseClick(button->Popup()->OtherButton(), Qt::LeftButton);
        QTRY_VERIFY(!dialogs_.shown.empty());
        QCOMPARE(dialogs_.shown.back().kind, Kind::Color);
        QCOMPARE(dialogs_.shown.back().color, QColor(0, 0, 255));
        QCOMPARE(text->GetColor(), CColor(0, 0, 255, 128));
        const size_t afterBlue = dlg_->History().Size();
        dialogs_.colorAnswers = {QColor(10, 20, 30)};
        QTest::mouseClick(button, Qt::LeftButton);
        QTest::mouseClick(button->Popup()->OtherButton(), Qt::LeftButton);
        QTRY_COMPARE(text->GetColor(), CColor(10, 20, 30, 128));
        QCOMPARE(dlg_->History().Size(), afterBlue + 1);

        // The background colour of the movie.
        dlg_->PropertySheet()->SetActivePage(CTextPropSheet::General);
        CColorButton* background = GeneralPage().BackgroundButton();
        QTest::mouseClick(background, Qt::LeftButton);
        QTest::mouseClick(background->Popup()->SwatchButton(0), Qt::LeftButton);
        QCOMPARE(dlg_->Document().GetBackgroundColor(), CColor(0, 0, 0, 255));
    }

    void styleAndAlignmentButtonsCommitAtOnce() {
        dlg_->Action(Command::InsertText)->trigger();
        CTextObj* text = dlg_->CurrentText();
        CTextPage& page = TextPage();
        QVERIFY(page.AlignButton(CTextPage::kAlignCentre)->isChecked());
        const size_t steps = dlg_->History().Size();
        QTest::mouseClick(page.AlignButton(CTextPage::kAlignRight), Qt::LeftButton);
        QCOMPARE(text->GetAlignment(), 2);
        QTest::mouseClick(page.AlignButton(CTextPage::kAlignLeft), Qt::LeftButton);
        QCOMPARE(text->GetAlignment(), 1);
        QTest::mouseClick(page.AlignButton(CTextPage::kAlignCentre), Qt::LeftButton);
        QCOMPARE(text->GetAlignment(), 0);
        QTest::mouseClick(page.BoldButton(), Qt::LeftButton);
        QTest::mouseClick(page.ItalicButton(), Qt::LeftButton);
        QCOMPARE(text->GetBold(), 1);
        QCOMPARE(text->GetItalic(), 1);
        QCOMPARE(dlg_->History().Size(), steps + 5);
        // The centre button again changes nothing.
        QTest::mouseClick(page.AlignButton(CTextPage::kAlignCentre), Qt::LeftButton);
        QCOMPARE(dlg_->History().Size(), steps + 5);

        // A stored alignment the stage shows as centred stays as it is until another is chosen.
        text->SetAlignment(7);
        dlg_->Refresh();
        QVERIFY(page.AlignButton(CTextPage::kAlignCentre)->isChecked());
        dlg_->CommitActivePage();
        QCOMPARE(text->GetAlignment(), 7);
    }

    void reselectingTheFaceRecordsNothing() {
        dlg_->Action(Command::InsertText)->trigger();
        CTextObj* text = dlg_->CurrentText();
        QComboBox* face = TextPage().FaceField();
        QVERIFY(face->count() > 0);
        QStringList names;
        for (int i = 0; i < face->count(); ++i)
            names << face->itemText(i);
        QStringList sorted = names;
        sorted.sort(Qt::CaseInsensitive);
        QCOMPARE(names, sorted);
        QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());

        const int other = face->findText(QStringLiteral("Arial")) == 0 ? 1 : 0;
        ChooseFromList(face, other);
        QCOMPARE(text->GetFontFace(), names[other].toStdString());
        const size_t steps = dlg_->History().Size();
        ChooseFromList(face, other);
        QCOMPARE(dlg_->History().Size(), steps);
        QVERIFY(!dlg_->Action(Command::Redo)->isEnabled());

        // A size from the list commits at once.
        ChooseFromList(TextPage().SizeField(), 0);
        QCOMPARE(text->GetFontSize(), 8);
    }

    // The text field keeps CR LF line breaks in the document; Enter commits, then breaks the
    // line; the stage and the tree follow.
    void textFieldEditsLive() {
        dlg_->Action(Command::InsertText)->trigger();
        CTextObj* text = dlg_->CurrentText();
        QPlainTextEdit* field = TextPage().TextField();
        const size_t steps = dlg_->History().Size();
        TypeInto(field, QStringLiteral("Hi"));
        QTest::keyClick(field, Qt::Key_Return);
        QTest::keyClicks(field, QStringLiteral("there"));
        QCOMPARE(text->GetText(), std::string("Hi\r\nthere"));
        QCOMPARE(dlg_->History().Size(), steps + 1);
        QCOMPARE(dlg_->Tree()->topLevelItem(0)->child(0)->text(0), QStringLiteral("Hi..."));

        // Text stored with bare line breaks is left alone by a commit that changed nothing.
        text->SetText("a\nb\rc");
        dlg_->Refresh();
        QCOMPARE(field->toPlainText(), QStringLiteral("a\nb\nc"));
        dlg_->PropertySheet()->SetActivePage(CTextPropSheet::General);
        QCOMPARE(text->GetText(), std::string("a\nb\rc"));
    }

    // A click on the stage commits a pending edit to the object it belongs to before the
    // selection moves.
    void stageClickCommitsToTheObjectEdited() {
        dlg_->Document().SetMovieSize(400, 300);
        dlg_->Refresh();
        dlg_->ViewWnd()->show();
        dlg_->Action(Command::InsertText)->trigger();
        CTextObj* text = dlg_->CurrentText();
        TypeInto(TextPage().SizeField(), QStringLiteral("30"));
        CViewWnd* stage = dlg_->ViewWnd();
        QVERIFY(QTest::qWaitForWindowExposed(stage));
        QTest::mouseClick(stage, Qt::LeftButton, {}, QPoint(1, 1)); // empty stage
        QCOMPARE(text->GetFontSize(), 30);
        QCOMPARE(dlg_->CurrentText(), static_cast<CTextObj*>(nullptr));

        // A resized stage shows its size on the General page, and a commit keeps it.
        dlg_->PropertySheet()->SetActivePage(CTextPropSheet::General);
        stage->resize(333, 222);
        QTRY_COMPARE(GeneralPage().WidthField()->text(), QStringLiteral("333"));
        GeneralPage().RateField()->setFocus();
        QTest::keyClick(GeneralPage().RateField(), Qt::Key_Tab);
        QCOMPARE(dlg_->Document().GetMovieSize().x, 333.0);
    }

    void noCurrentObjectDisablesAndCommitsNothing() {
        // A scene without a text: the Text page is empty and disabled.
        dlg_->PropertySheet()->SetActivePage(CTextPropSheet::Text);
        CTextPage& text = TextPage();
        QVERIFY(!text.TextField()->isEnabled());
        QVERIFY(!text.FaceField()->isEnabled());
        QVERIFY(!text.ColorButton()->isEnabled());
        QVERIFY(text.TextField()->toPlainText().isEmpty());
        QVERIFY(!text.ColorButton()->Color().isValid());
        QVERIFY(!text.AlignButton(CTextPage::kAlignCentre)->isChecked());

        // No scene at all: the Scene page too.
        dlg_->Tree()->setCurrentItem(dlg_->Tree()->topLevelItem(0));
        dlg_->Action(Command::Delete)->trigger();
        QCOMPARE(dlg_->Document().GetChildCount(), size_t{0});
        dlg_->PropertySheet()->SetActivePage(CTextPropSheet::Scene);
        QVERIFY(!ScenePage().NameField()->isEnabled());
        QVERIFY(ScenePage().NameField()->text().isEmpty());
        const size_t steps = dlg_->History().Size();
        for (const auto page : {CTextPropSheet::Scene, CTextPropSheet::Text}) {
            dlg_->PropertySheet()->PageAt(page).Commit(CTextPropPage::kRecordUndoBefore);
            dlg_->PropertySheet()->SetActivePage(page);
        }
        QCOMPARE(dlg_->History().Size(), steps);
        QVERIFY(dialogs_.shown.empty());
    }

    void integerFieldsTakeWholeNumbersInRange() {
        IntegerFieldPage page(*dlg_);
        for (const char* good : {"1", "99999", " 42 "}) {
            page.field->setText(QString::fromLatin1(good));
            QCOMPARE(page.Read(7), QString::fromLatin1(good).trimmed().toInt());
        }
        QVERIFY(dialogs_.shown.empty());
        for (const char* bad : {"0", "100000", "1.5", "abc", "", "-3", "0x10"}) {
            page.field->setText(QString::fromLatin1(bad));
            QCOMPARE(page.Read(7), std::nullopt);
            QCOMPARE(page.field->text(), QStringLiteral("7"));
        }
        QCOMPARE(dialogs_.Texts(Kind::Warning),
                 QStringList(7, QStringLiteral("Please enter an integer between 1 and 99999.")));
    }

private:
    CGeneralPage& GeneralPage() const {
        return static_cast<CGeneralPage&>(dlg_->PropertySheet()->PageAt(CTextPropSheet::General));
    }
    CScenePage& ScenePage() const {
        return static_cast<CScenePage&>(dlg_->PropertySheet()->PageAt(CTextPropSheet::Scene));
    }
    CTextPage& TextPage() const {
        return static_cast<CTextPage&>(dlg_->PropertySheet()->PageAt(CTextPropSheet::Text));
    }

    // Opens the combo box's list and clicks entry `index`.
    static void ChooseFromList(QComboBox* combo, int index) {
        combo->showPopup();
        QAbstractItemView* view = combo->view();
        QTRY_VERIFY(view->isVisible());
        const QModelIndex item = view->model()->index(index, 0);
        view->scrollTo(item);
        const QPoint at = view->visualRect(item).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QTRY_VERIFY(!view->isVisible());
    }

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<QtAppSettings> settings_;
    ScriptedDialogService dialogs_;
    RecordingShellOpener shell_;
    std::unique_ptr<CMainDlg> dlg_;
};

QTEST_MAIN(PagesTest)
#include "PagesTest.moc"
