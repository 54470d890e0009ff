// The General, Scene and Text pages driven through the main window: keys typed into the real
// fields, clicks on the real buttons and on the colour popup, with scripted message boxes and
// colour chooser.
#include "EditorHarness.h"

#include "editor/CColorButton.h"
#include "editor/CColorPopup.h"
#include "editor/CGeneralPage.h"
#include "editor/CMainDlg.h"
#include "editor/CScenePage.h"
#include "editor/CTextPage.h"
#include "editor/CTextPropSheet.h"
#include "editor/CViewWnd.h"
#include "editor/DialogService.h"
#include "model/CDocObj.h"
#include "model/CSceneObj.h"
#include "model/CTextObj.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
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
    void init() {
        editor_ = std::make_unique<EditorHarness>();
        QVERIFY(editor_->ShowActive());
    }

    void cleanup() { editor_.reset(); }

    // The editing flag: one undo step for the first keystroke, live changes after it; a reload
    // (Undo) arms it again, so the next edit records its step and drops the redo branch.
    void typingASceneNameRecordsOneStep() {
        Main().Tree()->setCurrentItem(Main().Tree()->topLevelItem(0));
        QCOMPARE(Main().PropertySheet()->ActivePageIndex(), CTextPropSheet::Scene);
        CSceneObj& scene = FirstScene(Main().Document());
        QLineEdit* name = ScenePage().NameField();
        const size_t steps = Main().History().Size();

        TypeInto(name, QStringLiteral("Intro"));
        QCOMPARE(scene.GetName(), std::string("Intro"));
        QCOMPARE(Main().History().Size(), steps + 1);
        QCOMPARE(Main().Tree()->topLevelItem(0)->text(0), QStringLiteral("Intro"));
        QVERIFY(Main().IsDirty());

        Main().Action(Command::Undo)->trigger();
        QCOMPARE(FirstScene(Main().Document()).GetName(), std::string("Scene 1"));
        QCOMPARE(ScenePage().NameField()->text(), QStringLiteral("Scene 1"));
        QCOMPARE(Main().Tree()->topLevelItem(0)->text(0), QStringLiteral("Scene 1"));
        QVERIFY(Main().Action(Command::Redo)->isEnabled());

        // Still focused: the next keystroke records again.
        QTest::keyClick(ScenePage().NameField(), Qt::Key_X);
        QCOMPARE(FirstScene(Main().Document()).GetName(), std::string("Scene 1x"));
        QVERIFY(!Main().Action(Command::Redo)->isEnabled());
        Main().Action(Command::Undo)->trigger();
        QCOMPARE(FirstScene(Main().Document()).GetName(), std::string("Scene 1"));

        // Link and target: a focus change starts a new step; a choice from the list is one.
        const size_t before = Main().History().Size();
        TypeInto(ScenePage().LinkField(), QStringLiteral("http://a.b/"));
        QComboBox* target = ScenePage().TargetField();
        target->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(target, QStringLiteral("main"));
        QCOMPARE(FirstScene(Main().Document()).GetLink(), std::string("http://a.b/"));
        QCOMPARE(FirstScene(Main().Document()).GetTargetFrame(), std::string("main"));
        QVERIFY(Main().History().Size() <= before + 2);
        QVERIFY(!Main().Action(Command::Redo)->isEnabled());
    }

    // Tab and Enter commit before they act; leaving a page and the document commands commit.
    void tabEnterPageSwitchAndCommandsCommit() {
        CGeneralPage& general = GeneralPage();
        QCOMPARE(Main().PropertySheet()->ActivePageIndex(), CTextPropSheet::Scene);
        Main().PropertySheet()->SetActivePage(CTextPropSheet::General);
        const size_t steps = Main().History().Size();

        TypeInto(general.WidthField(), QStringLiteral("640"));
        QVERIFY(Main().Document().GetMovieSize().x != 640.0); // not yet
        QTest::keyClick(general.WidthField(), Qt::Key_Tab);
        QCOMPARE(Main().Document().GetMovieSize().x, 640.0);
        QVERIFY(general.HeightField()->hasFocus());
        QCOMPARE(Main().History().Size(), steps + 1);

        TypeInto(general.HeightField(), QStringLiteral("480"));
        QTest::keyClick(general.HeightField(), Qt::Key_Return);
        QCOMPARE(Main().Document().GetMovieSize().y, 480.0);
        QCOMPARE(Main().History().Size(), steps + 2);
        QTRY_COMPARE(Main().ViewWnd()->size(), QSize(640, 480));
        QCOMPARE(general.WidthField()->text(), QStringLiteral("640"));

        TypeInto(general.RateField(), QStringLiteral("12.5"));
        Main().PropertySheet()->SetActivePage(CTextPropSheet::Scene);
        QCOMPARE(Main().Document().GetFrameRate(), 12.5);

        // Save writes what the field shows.
        Main().PropertySheet()->SetActivePage(CTextPropSheet::General);
        TypeInto(general.RateField(), QStringLiteral("30"));
        const QString path = editor_->Folder().filePath(QStringLiteral("movie.swi"));
        Dialogs().fileAnswers = {path};
        Main().Action(Command::Save)->trigger();
        CDocObj reread;
        reread.LoadFile(path.toStdString());
        QCOMPARE(reread.GetFrameRate(), 30.0);

        // Undo takes a pending edit as the newest state: Redo brings it back.
        TypeInto(general.RateField(), QStringLiteral("25"));
        Main().Action(Command::Undo)->trigger();
        QCOMPARE(Main().Document().GetFrameRate(), 30.0);
        QCOMPARE(general.RateField()->text(), QStringLiteral("30"));
        Main().Action(Command::Redo)->trigger();
        QCOMPARE(Main().Document().GetFrameRate(), 25.0);
    }

    // A number the movie cannot hold leaves field and movie as they were, with a message; a
    // field left as loaded is never questioned, whatever the movie holds.
    void badNumbersKeepTheFieldValue() {
        Main().Document().SetMovieSize(0, 0); // no stage size yet
        Main().PropertySheet()->SetActivePage(CTextPropSheet::General);
        Main().PropertySheet()->SetActivePage(CTextPropSheet::Scene);
        QVERIFY(Dialogs().shown.empty());

        Main().PropertySheet()->SetActivePage(CTextPropSheet::General);
        CGeneralPage& general = GeneralPage();
        TypeInto(general.WidthField(), QStringLiteral("320"));
        QTest::keyClick(general.WidthField(), Qt::Key_Tab);
        const size_t steps = Main().History().Size();
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
            Dialogs().shown.clear();
            TypeInto(b.field, QString::fromLatin1(b.text));
            QTest::keyClick(b.field, Qt::Key_Return);
            QCOMPARE(b.field->text(), before);
            QVERIFY2(Dialogs().Texts(Kind::Warning).size() == 1, b.text);
        }
        QCOMPARE(Dialogs().Texts(Kind::Warning).front(),
                 QStringLiteral("Movie Width: Please enter a number between 1 and 16384."));
        QCOMPARE(Main().Document().GetMovieSize().x, 320.0);
        QCOMPARE(Main().Document().GetFrameRate(), 20.0);
        QCOMPARE(Main().History().Size(), steps);

        // The text size: 0 and nothing keep the size silently, the rest is refused.
        Main().Action(Command::InsertText)->trigger();
        CTextObj* text = Main().CurrentText();
        QComboBox* size = TextPage().SizeField();
        Dialogs().shown.clear();
        for (const char* keep : {"0", "", "abc", "5000", "-3"}) {
            TypeInto(size, QString::fromLatin1(keep));
            QTest::keyClick(size, Qt::Key_Return);
            QCOMPARE(text->GetFontSize(), CTextObj::kDefaultSize);
            QCOMPARE(size->currentText(), QStringLiteral("72"));
        }
        QCOMPARE(
            Dialogs().Texts(Kind::Warning),
            QStringList(3, QStringLiteral("Size: Please enter an integer between 1 and 3276.")));
        TypeInto(size, QStringLiteral("48"));
        QTest::keyClick(size, Qt::Key_Tab);
        QCOMPARE(text->GetFontSize(), 48);
    }

    void colourPopupAndChooserCommit() {
        Main().Action(Command::InsertText)->trigger();
        CTextObj* text = Main().CurrentText();
        text->SetColor(CColor(0, 0, 0, 128));
        Main().Refresh();
        CColorButton* button = TextPage().ColorButton();
        const size_t steps = Main().History().Size();

        QTest::mouseClick(button, Qt::LeftButton);
        QPointer<CColorPopup> popup = button->Popup();
        QVERIFY(popup != nullptr);
        QVERIFY(popup->isVisible());
        QTest::mouseClick(popup->SwatchButton(5), Qt::LeftButton); // red
        QCOMPARE(text->GetColor(), CColor(255, 0, 0, 128));        // alpha kept
        QCOMPARE(Main().History().Size(), steps + 1);
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
        QTRY_VERIFY(!Dialogs().shown.empty());
        QCOMPARE(Dialogs().shown.back().kind, Kind::Color);
        QCOMPARE(Dialogs().shown.back().color, QColor(0, 0, 255));
        QCOMPARE(text->GetColor(), CColor(0, 0, 255, 128));
        const size_t afterBlue = Main().History().Size();
        Dialogs().colorAnswers = {QColor(10, 20, 30)};
        QTest::mouseClick(button, Qt::LeftButton);
        QTest::mouseClick(button->Popup()->OtherButton(), Qt::LeftButton);
        QTRY_COMPARE(text->GetColor(), CColor(10, 20, 30, 128));
        QCOMPARE(Main().History().Size(), afterBlue + 1);

        // The background colour of the movie.
        Main().PropertySheet()->SetActivePage(CTextPropSheet::General);
        CColorButton* background = GeneralPage().BackgroundButton();
        QTest::mouseClick(background, Qt::LeftButton);
        QTest::mouseClick(background->Popup()->SwatchButton(0), Qt::LeftButton);
        QCOMPARE(Main().Document().GetBackgroundColor(), CColor(0, 0, 0, 255));
    }

    void styleAndAlignmentButtonsCommitAtOnce() {
        Main().Action(Command::InsertText)->trigger();
        CTextObj* text = Main().CurrentText();
        CTextPage& page = TextPage();
        QVERIFY(page.AlignButton(CTextPage::kAlignCentre)->isChecked());
        const size_t steps = Main().History().Size();
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
        QCOMPARE(Main().History().Size(), steps + 5);
        // The centre button again changes nothing.
        QTest::mouseClick(page.AlignButton(CTextPage::kAlignCentre), Qt::LeftButton);
        QCOMPARE(Main().History().Size(), steps + 5);

        // A stored alignment the stage shows as centred stays as it is until another is chosen.
        text->SetAlignment(7);
        Main().Refresh();
        QVERIFY(page.AlignButton(CTextPage::kAlignCentre)->isChecked());
        Main().CommitActivePage();
        QCOMPARE(text->GetAlignment(), 7);
    }

    void reselectingTheFaceRecordsNothing() {
        Main().Action(Command::InsertText)->trigger();
        CTextObj* text = Main().CurrentText();
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
        const size_t steps = Main().History().Size();
        ChooseFromList(face, other);
        QCOMPARE(Main().History().Size(), steps);
        QVERIFY(!Main().Action(Command::Redo)->isEnabled());

        // A size from the list commits at once.
        ChooseFromList(TextPage().SizeField(), 0);
        QCOMPARE(text->GetFontSize(), 8);
    }

    // The text field keeps CR LF line breaks in the document; Enter commits, then breaks the
    // line; the stage and the tree follow.
    void textFieldEditsLive() {
        Main().Action(Command::InsertText)->trigger();
        CTextObj* text = Main().CurrentText();
        QPlainTextEdit* field = TextPage().TextField();
        const size_t steps = Main().History().Size();
        TypeInto(field, QStringLiteral("Hi"));
        QTest::keyClick(field, Qt::Key_Return);
        QTest::keyClicks(field, QStringLiteral("there"));
        QCOMPARE(text->GetText(), std::string("Hi\r\nthere"));
        QCOMPARE(Main().History().Size(), steps + 1);
        QCOMPARE(Main().Tree()->topLevelItem(0)->child(0)->text(0), QStringLiteral("Hi..."));

        // Text stored with bare line breaks is left alone by a commit that changed nothing.
        text->SetText("a\nb\rc");
        Main().Refresh();
        QCOMPARE(field->toPlainText(), QStringLiteral("a\nb\nc"));
        Main().PropertySheet()->SetActivePage(CTextPropSheet::General);
        QCOMPARE(text->GetText(), std::string("a\nb\rc"));
    }

    // A click on the stage commits a pending edit to the object it belongs to before the
    // selection moves.
    void stageClickCommitsToTheObjectEdited() {
        Main().Document().SetMovieSize(400, 300);
        Main().Refresh();
        Main().ViewWnd()->show();
        Main().Action(Command::InsertText)->trigger();
        CTextObj* text = Main().CurrentText();
        TypeInto(TextPage().SizeField(), QStringLiteral("30"));
        CViewWnd* stage = Main().ViewWnd();
        QVERIFY(QTest::qWaitForWindowExposed(stage));
        QTest::mouseClick(stage, Qt::LeftButton, {}, QPoint(1, 1)); // empty stage
        QCOMPARE(text->GetFontSize(), 30);
        QCOMPARE(Main().CurrentText(), static_cast<CTextObj*>(nullptr));

        // A resized stage shows its size on the General page, and a commit keeps it.
        Main().PropertySheet()->SetActivePage(CTextPropSheet::General);
        stage->resize(333, 222);
        QTRY_COMPARE(GeneralPage().WidthField()->text(), QStringLiteral("333"));
        GeneralPage().RateField()->setFocus();
        QTest::keyClick(GeneralPage().RateField(), Qt::Key_Tab);
        QCOMPARE(Main().Document().GetMovieSize().x, 333.0);
    }

    void noCurrentObjectDisablesAndCommitsNothing() {
        // A scene without a text: the Text page is empty and disabled.
        Main().PropertySheet()->SetActivePage(CTextPropSheet::Text);
        CTextPage& text = TextPage();
        QVERIFY(!text.TextField()->isEnabled());
        QVERIFY(!text.FaceField()->isEnabled());
        QVERIFY(!text.ColorButton()->isEnabled());
        QVERIFY(text.TextField()->toPlainText().isEmpty());
        QVERIFY(!text.ColorButton()->Color().isValid());
        QVERIFY(!text.AlignButton(CTextPage::kAlignCentre)->isChecked());

        // No scene at all: the Scene page too.
        Main().Tree()->setCurrentItem(Main().Tree()->topLevelItem(0));
        Main().Action(Command::Delete)->trigger();
        QCOMPARE(Main().Document().GetChildCount(), size_t{0});
        Main().PropertySheet()->SetActivePage(CTextPropSheet::Scene);
        QVERIFY(!ScenePage().NameField()->isEnabled());
        QVERIFY(ScenePage().NameField()->text().isEmpty());
        const size_t steps = Main().History().Size();
        for (const auto page : {CTextPropSheet::Scene, CTextPropSheet::Text}) {
            Main().PropertySheet()->PageAt(page).Commit(CTextPropPage::kRecordUndoBefore);
            Main().PropertySheet()->SetActivePage(page);
        }
        QCOMPARE(Main().History().Size(), steps);
        QVERIFY(Dialogs().shown.empty());
    }

    void integerFieldsTakeWholeNumbersInRange() {
        IntegerFieldPage page(Main());
        for (const char* good : {"1", "99999", " 42 "}) {
            page.field->setText(QString::fromLatin1(good));
            QCOMPARE(page.Read(7), QString::fromLatin1(good).trimmed().toInt());
        }
        QVERIFY(Dialogs().shown.empty());
        for (const char* bad : {"0", "100000", "1.5", "abc", "", "-3", "0x10"}) {
            page.field->setText(QString::fromLatin1(bad));
            QCOMPARE(page.Read(7), std::nullopt);
            QCOMPARE(page.field->text(), QStringLiteral("7"));
        }
        QCOMPARE(Dialogs().Texts(Kind::Warning),
                 QStringList(7, QStringLiteral("Please enter an integer between 1 and 99999.")));
    }

private:
    CGeneralPage& GeneralPage() const {
        return static_cast<CGeneralPage&>(Main().PropertySheet()->PageAt(CTextPropSheet::General));
    }
    CScenePage& ScenePage() const {
        return static_cast<CScenePage&>(Main().PropertySheet()->PageAt(CTextPropSheet::Scene));
    }
    CTextPage& TextPage() const {
        return static_cast<CTextPage&>(Main().PropertySheet()->PageAt(CTextPropSheet::Text));
    }

    CMainDlg& Main() const { return editor_->Main(); }
    ScriptedDialogService& Dialogs() { return editor_->Dialogs(); }

    std::unique_ptr<EditorHarness> editor_;
};

QTEST_MAIN(PagesTest)
#include "PagesTest.moc"
