// The effect dialogs driven on the real widgets: settings dialogs and "Effect Properties" opened
// without a modal loop on the effects of the example movies (or on effects of their own), the
// modal ones driven from a timer; answers to messages come from a scripted dialog service.
#include "EditorHarness.h"

#include "editor/CAlternateLettersDlg.h"
#include "editor/CCharacterPickerDlg.h"
#include "editor/CEffectPropertiesDlg.h"
#include "editor/CExplodeEffectDlg.h"
#include "editor/CMainDlg.h"
#include "editor/CScaleLettersDlg.h"
#include "editor/CSlideEffectDlg.h"
#include "editor/CSqueezeEffectDlg.h"
#include "editor/CTransformPage.h"
#include "editor/CTypewriterEffectDlg.h"
#include "editor/CViewWnd.h"
#include "editor/CWaveLettersDlg.h"
#include "editor/DialogService.h"
#include "editor/EffectDialogHost.h"
#include "editor/EffectEditSession.h"
#include "editor/ScenePlayback.h"
#include "effects/CEffectAlternate.h"
#include "effects/CEffectExplode.h"
#include "effects/CEffectFadeIn.h"
#include "effects/CEffectFadeOut.h"
#include "effects/CEffectScaleLetter.h"
#include "effects/CEffectShow.h"
#include "effects/CEffectSlide.h"
#include "effects/CEffectSqueeze.h"
#include "effects/CEffectTransform.h"
#include "effects/CEffectTypewriter.h"
#include "effects/CEffectWave.h"
#include "effects/EffectParams.h"
#include "model/CSceneObj.h"
#include "model/CTextObj.h"
#include "player/host/QtPlayerHost.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <memory>

using namespace tavro;
using namespace tavro::editor;
using namespace tavro::effect_mode;
using Kind = ScriptedDialogService::Shown::Kind;
using Row = TransformRow;

namespace {

const QString kLetters = QStringLiteral(TAVRO_SOURCE_DIR "/examples/letters.swi");
const QString kEffects = QStringLiteral(TAVRO_SOURCE_DIR "/examples/effects.swi");

template <class T> std::vector<T*> EffectsOf(CDocObj& doc) {
    std::vector<T*> out;
    for (const auto& scene : doc.GetChildList()) {
        for (const auto& obj : scene->GetChildList()) {
            auto* symbol = DynamicCast<CSymbolObj>(obj.get());
            if (symbol == nullptr)
                continue;
            for (const auto& effect : symbol->GetEffectList().GetChildList()) {
                if (auto* e = DynamicCast<T>(effect.get()))
                    out.push_back(e);
            }
        }
    }
    return out;
}

// A standalone effect of a class named in the engine's table.
std::unique_ptr<CEffectObj> MakeEffect(std::string_view className) {
    if (className == "CEffectWave")
        return std::make_unique<CEffectWave>();
    if (className == "CEffectExplode")
        return std::make_unique<CEffectExplode>();
    if (className == "CEffectTypewriter")
        return std::make_unique<CEffectTypewriter>();
    if (className == "CEffectSqueeze")
        return std::make_unique<CEffectSqueeze>();
    if (className == "CEffectScaleLetter")
        return std::make_unique<CEffectScaleLetter>();
    if (className == "CEffectAlternate")
        return std::make_unique<CEffectAlternate>();
    if (className == "CEffectSlide")
        return std::make_unique<CEffectSlide>();
    return std::make_unique<CEffectTransform>(); // the boxes every effect shares
}

// Replaces a box's text as typing does.
void Type(QLineEdit* box, const QString& text) {
    QVERIFY(box != nullptr);
    box->selectAll();
    box->del();
    QTest::keyClicks(box, text);
    QCOMPARE(box->text(), text);
}

QLineEdit* Box(QWidget* dialog, const char* key) {
    return dialog->findChild<QLineEdit*>(QString::fromLatin1(key));
}

void Choose(CTransformPage* page, Row row, int command) {
    for (QAction* action : page->MenuButton(row)->menu()->actions()) {
        if (action->data().toInt() == command) {
            action->trigger();
            return;
        }
    }
    QFAIL("the row's menu has no such command");
}

// Runs `drive` on the modal dialog once the next modal loop is running.
void WhenModal(std::function<void(QWidget*)> drive) {
    QTimer::singleShot(0, [drive = std::move(drive)] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal != nullptr);
        drive(modal);
    });
}

} // namespace

class EffectDialogsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        editor_ = std::make_unique<EditorHarness>();
        QCOMPARE(CEffectObj::GetDialogHost(), &Host());
    }

    void cleanup() {
        editor_.reset();
        QVERIFY(CEffectObj::GetDialogHost() == nullptr);
    }

    // OK without a change leaves every effect of the examples as it was, byte for byte, and
    // records nothing.
    void okWithoutChangeKeepsEveryEffect() {
        for (const QString& file : {kLetters, kEffects}) {
            QVERIFY(Main().OpenFile(file));
            const size_t steps = Main().History().Size();
            for (CEffectObj* effect : EffectsOf<CEffectObj>(Main().Document())) {
                const std::vector<uint8_t> before = effect->SaveEditState();
                {
                    auto session = Host().BeginEdit(*effect, true);
                    if (auto dialog = Host().CreateSettingsDialog(*session, &Main())) {
                        dialog->show();
                        dialog->OkButton()->click();
                        QCOMPARE(dialog->result(), int(QDialog::Accepted));
                        QVERIFY(effect->SaveEditState() == before);
                    }
                }
                auto session = Host().BeginEdit(*effect, true);
                auto properties = Host().CreatePropertiesDialog(*session, false, &Main());
                properties->show();
                properties->OkButton()->click();
                QCOMPARE(properties->result(), int(QDialog::Accepted));
                QVERIFY2(effect->SaveEditState() == before, effect->GetName().c_str());
            }
            QCOMPARE(Main().History().Size(), steps);
            QVERIFY(!Main().IsDirty());
            QVERIFY(Dialogs().shown.empty());
        }
    }

    // Every box of the engine's table refuses its bounds +- 1 with the message and keeps the
    // dialog open, and takes its bounds; unreadable text gets the plain message.
    void boxesRefuseValuesOutsideTheirRange() {
        for (const EffectParam& param : EffectParamTable()) {
            const QString label = QString::fromUtf8(param.label.data(), param.label.size());
            const bool integer = param.range.kind == ParamKind::Integer;
            double lo = param.range.min, hi = param.range.max;
            if (!param.range.bounded && integer) {
                lo = std::numeric_limits<int32_t>::min();
                hi = std::numeric_limits<int32_t>::max();
            }
            const QString between =
                QString::fromLatin1(integer ? "Please enter an integer between %1 and %2."
                                            : "Please enter a number between %1 and %2.")
                    .arg(QString::fromStdString(FormatParamBound(lo, param.range.kind)),
                         QString::fromStdString(FormatParamBound(hi, param.range.kind)));
            struct Case {
                QString text;
                QString message; // empty: accepted
            };
            std::vector<Case> cases{
                {QStringLiteral("12x"), QString::fromLatin1(integer ? "Please enter an integer."
                                                                    : "Please enter a number.")}};
            if (param.range.bounded || integer) {
                const auto text = [&](double v) {
                    return QString::fromStdString(FormatParamBound(v, param.range.kind));
                };
                cases.push_back({text(lo - 1), between});
                cases.push_back({text(lo), {}});
                cases.push_back({text(hi), {}});
                cases.push_back({text(hi + 1), between});
            }
            for (const Case& c : cases) {
                Dialogs().shown.clear();
                std::unique_ptr<CEffectObj> effect = MakeEffect(param.className);
                auto session = Host().BeginEdit(*effect, false);
                std::unique_ptr<CEffectDlgBase> dialog;
                if (param.className == "CEffectObj")
                    dialog = Host().CreatePropertiesDialog(*session, false, &Main());
                else
                    dialog = Host().CreateSettingsDialog(*session, &Main());
                QVERIFY(dialog);
                dialog->show();
                if (auto* gravity =
                        dialog->findChild<QComboBox*>(QStringLiteral("GravityDirection")))
                    gravity->setCurrentIndex(CExplodeEffectDlg::kOther);
                QLineEdit* box = dialog->findChild<QLineEdit*>(label);
                QVERIFY2(box != nullptr, qPrintable(label));
                Type(box, c.text);
                dialog->OkButton()->click();
                const QString what = label + QStringLiteral(" = ") + c.text;
                if (c.message.isEmpty()) {
                    QVERIFY2(dialog->result() == QDialog::Accepted, qPrintable(what));
                    QVERIFY2(Dialogs().shown.empty(), qPrintable(what));
                } else {
                    QVERIFY2(dialog->isVisible(), qPrintable(what));
                    QCOMPARE(Dialogs().Texts(Kind::Error), QStringList{c.message});
                    QCOMPARE(box->selectedText(), c.text);
                }
            }
        }
    }

    // Values typed into each settings dialog land in the fields they name.
    void changedValuesLandInTheirFields() {
        {
            CEffectWave wave;
            Edit(wave, [](QWidget* d) {
                Type(Box(d, "Duration:"), QStringLiteral("40"));
                Type(Box(d, "Period:"), QStringLiteral("7"));
                Type(Box(d, "Length:"), QStringLiteral("150.5"));
                Type(Box(d, "Move by:"), QStringLiteral("-12"));
                Type(Box(d, "Horizontal Scale:"), QStringLiteral("10"));
                Type(Box(d, "Vertical Scale:"), QStringLiteral("20"));
                Type(Box(d, "Alpha Fade:"), QStringLiteral("30"));
                auto* w = static_cast<CWaveLettersDlg*>(d);
                w->DirectionChoices()->button(1)->click();
                w->MovementChoices()->button(1)->click();
                w->RotateBox()->click();
            });
            QCOMPARE(wave.GetNumFrames(), 40);
            QCOMPARE(wave.GetPeriod(), 7);
            QCOMPARE(wave.GetLength(), 150.5);
            QCOMPARE(wave.GetMoveBy(), -12.0);
            QCOMPARE(wave.GetHorizontalScale(), 10.0);
            QCOMPARE(wave.GetVerticalScale(), 20.0);
            QCOMPARE(wave.GetAlphaFade(), 30.0);
            QCOMPARE(wave.GetDirection(), int32_t(CEffectWave::kBackward));
            QCOMPARE(wave.GetMovement(), int32_t(CEffectWave::kSideToSide));
            QVERIFY(!wave.GetRotateToFollow());
        }
        {
            CEffectExplode explode;
            Edit(explode, [](QWidget* d) {
                Type(Box(d, "Number of Frames:"), QStringLiteral("12"));
                Type(Box(d, "x:"), QStringLiteral("-5"));
                Type(Box(d, "y:"), QStringLiteral("6"));
                d->findChild<QComboBox*>(QStringLiteral("GravityDirection"))->setCurrentIndex(3);
                Type(Box(d, "Strength of Gravity:"), QStringLiteral("2.5"));
                Type(Box(d, "Velocity of Explosion:"), QStringLiteral("3"));
                Type(Box(d, "Random Seed #:"), QStringLiteral("77"));
                Type(Box(d, "Scale Letters by:"), QStringLiteral("40"));
                Type(Box(d, "Rotate Letters by:"), QStringLiteral("45"));
                Type(Box(d, "Fade Letters by:"), QStringLiteral("50"));
                auto* e = static_cast<CExplodeEffectDlg*>(d);
                e->UniformRotationBox()->click();
                e->StyleChoices()->button(1)->click();
            });
            QCOMPARE(explode.GetNumFrames(), 12);
            QCOMPARE(explode.GetBombX(), -5);
            QCOMPARE(explode.GetBombY(), 6);
            QCOMPARE(explode.GetGravityDirection(), 0.0); // "Right"
            QCOMPARE(explode.GetGravityStrength(), 2.5);
            QCOMPARE(explode.GetVelocity(), 3.0);
            QCOMPARE(explode.GetRandomSeed(), 77);
            QCOMPARE(explode.GetScale(), 40.0);
            QCOMPARE(explode.GetRotate(), 45.0);
            QCOMPARE(explode.GetFade(), 50);
            QVERIFY(explode.GetUniformRotation());
            QVERIFY(explode.GetImplode());
        }
        {
            CEffectTypewriter typewriter;
            Edit(typewriter, [](QWidget* d) {
                Type(Box(d, "Show Letter every"), QStringLiteral("2"));
                Type(Box(d, "Flash Cursor every"), QStringLiteral("3"));
                Type(Box(d, "times at start of line."), QStringLiteral("0"));
                Type(Box(d, "times at end of line."), QStringLiteral("5"));
                static_cast<CTypewriterEffectDlg*>(d)->SetCursorCode('|');
            });
            QCOMPARE(typewriter.GetLetterInterval(), 2);
            QCOMPARE(typewriter.GetFlashInterval(), 3);
            QCOMPARE(typewriter.GetFlashesAtLineStart(), 0);
            QCOMPARE(typewriter.GetFlashesAtLineEnd(), 5);
            QCOMPARE(typewriter.GetCursorCharacter(), int32_t('|'));
        }
        {
            CEffectSqueeze squeeze;
            Edit(squeeze, [](QWidget* d) {
                Type(Box(d, "Number of Frames:"), QStringLiteral("9"));
                Type(Box(d, "Start Squeeze Factor:"), QStringLiteral("50"));
                Type(Box(d, "End Squeeze Factor:"), QStringLiteral("150"));
                Type(Box(d, "Fade Letters"), QStringLiteral("25"));
                static_cast<CSqueezeEffectDlg*>(d)->AlignmentChoices()->button(2)->click();
            });
            QCOMPARE(squeeze.GetNumFrames(), 9);
            QCOMPARE(squeeze.GetStartFactor(), 50);
            QCOMPARE(squeeze.GetEndFactor(), 150);
            QCOMPARE(squeeze.GetFade(), 25);
            QCOMPARE(squeeze.GetAlignment(), int32_t(CEffectSqueeze::kSqueezeToRight));
        }
        {
            CEffectScaleLetter scale;
            Edit(scale, [](QWidget* d) {
                Type(Box(d, "Frames per Letter:"), QStringLiteral("3"));
                Type(Box(d, "Wait frames between Letters:"), QStringLiteral("2"));
                Type(Box(d, "Letter Scale:"), QStringLiteral("250"));
                Type(Box(d, "Letter Rotate:"), QStringLiteral("15"));
                Type(Box(d, "Letter Fade:"), QStringLiteral("60"));
                Type(Box(d, "across"), QStringLiteral("4"));
                Type(Box(d, "down"), QStringLiteral("-8"));
                auto* s = static_cast<CScaleLettersDlg*>(d);
                s->OrderChoices()->button(1)->click();
                s->StyleChoices()->button(1)->click();
            });
            QCOMPARE(scale.GetFramesPerLetter(), 3);
            QCOMPARE(scale.GetWait(), 2);
            QCOMPARE(scale.GetScale(), 250.0);
            QCOMPARE(scale.GetRotate(), 15.0);
            QCOMPARE(scale.GetFade(), 60.0);
            QCOMPARE(scale.GetOffsetAcross(), 4.0);
            QCOMPARE(scale.GetOffsetDown(), -8.0);
            QCOMPARE(scale.GetOrder(), int32_t(CEffectScaleLetter::kBackward));
            QCOMPARE(scale.GetStyle(), int32_t(CEffectScaleLetter::kRemoveLetters));
        }
        {
            CEffectAlternate alternate;
            Edit(alternate, [](QWidget* d) {
                Type(Box(d, "Duration::"), QStringLiteral("11"));
                Type(Box(d, "pixels right"), QStringLiteral("5"));
                Type(Box(d, "pixels down"), QStringLiteral("-6"));
                Type(Box(d, "Letter Rotate:"), QStringLiteral("7"));
                Type(Box(d, "Letter Scale:"), QStringLiteral("80"));
                Type(Box(d, "Letter Fade:"), QStringLiteral("90"));
                static_cast<CAlternateLettersDlg*>(d)->StyleChoices()->button(1)->click();
            });
            QCOMPARE(alternate.GetNumFrames(), 11);
            QCOMPARE(alternate.GetOffsetRight(), 5.0);
            QCOMPARE(alternate.GetOffsetDown(), -6.0);
            QCOMPARE(alternate.GetRotate(), 7.0);
            QCOMPARE(alternate.GetScale(), 80.0);
            QCOMPARE(alternate.GetFade(), 90.0);
            QVERIFY(alternate.IsMovingOut());
        }
    }

    // The side group's caption follows the direction of travel, and a slide still named after
    // its default name takes its new name.
    void slideCaptionFollowsTravel() {
        CEffectSlide slide(false, CEffectSlide::kLeft);
        Edit(slide, [](QWidget* d) {
            auto* s = static_cast<CSlideEffectDlg*>(d);
            QCOMPARE(s->SideGroup()->title(), QStringLiteral("Slide In From"));
            QVERIFY(s->SideChoices()->button(CEffectSlide::kLeft)->isChecked());
            s->TravelChoices()->button(1)->click();
            QCOMPARE(s->SideGroup()->title(), QStringLiteral("Slide Out To"));
            s->SideChoices()->button(CEffectSlide::kBottomRight)->click();
            Type(Box(d, "Number of Frames:"), QStringLiteral("15"));
        });
        QVERIFY(slide.IsSlideOut());
        QCOMPARE(slide.GetDirection(), int32_t(CEffectSlide::kBottomRight));
        QCOMPARE(slide.GetNumFrames(), 15);
        QCOMPARE(slide.GetName(), std::string("Slide Out To Bottom Right"));

        // A description of the user's own stays.
        slide.SetName("Enter");
        Edit(slide, [](QWidget* d) {
            static_cast<CSlideEffectDlg*>(d)->TravelChoices()->button(0)->click();
        });
        QVERIFY(!slide.IsSlideOut());
        QCOMPARE(slide.GetName(), std::string("Enter"));
    }

    // A one-frame Show has one "Start At" tab that edits the transform set, and a disabled
    // frames box; a Fade In has both tabs, "Transform" first.
    void oneFrameEffectHasOneStartAtTab() {
        CEffectShow show;
        auto session = Host().BeginEdit(show, false);
        auto dialog = Host().CreatePropertiesDialog(*session, false, &Main());
        dialog->show();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Effect Properties"));
        QCOMPARE(dialog->Tabs()->count(), 1);
        QCOMPARE(dialog->Tabs()->tabText(0), QStringLiteral("Start At"));
        QVERIFY(dialog->StartPage() == nullptr);
        CTransformPage* page = dialog->TransformPage();
        QCOMPARE(page->Menus(), TransformTab::StartAt);
        QCOMPARE(page->MoveGroup()->title(), QStringLiteral("Start Position"));
        QVERIFY(!dialog->FramesBox()->isEnabled());
        QCOMPARE(dialog->FramesBox()->text(), QStringLiteral("1"));
        Choose(page, Row::XPosition, kCmdSet);
        QCOMPARE(page->MenuButton(Row::XPosition)->text(), QStringLiteral("X Co-ordinate of"));
        QVERIFY(page->ValueBox(Row::XPosition)->isVisible());
        Type(page->ValueBox(Row::XPosition), QStringLiteral("40"));
        dialog->OkButton()->click();
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(show.GetTransformSet().moveMode, kFirstSet);
        QCOMPARE(show.GetTransformSet().move.x, 40.0);
        QCOMPARE(show.GetStartSet().moveMode, 0);
        QCOMPARE(show.GetNumFrames(), 1);

        CEffectFadeIn fade;
        auto fadeSession = Host().BeginEdit(fade, false);
        auto fadeDialog = Host().CreatePropertiesDialog(*fadeSession, false, &Main());
        QCOMPARE(fadeDialog->Tabs()->count(), 2);
        QCOMPARE(fadeDialog->Tabs()->tabText(0), QStringLiteral("Start At"));
        QCOMPARE(fadeDialog->Tabs()->tabText(1), QStringLiteral("Transform"));
        QCOMPARE(fadeDialog->Tabs()->currentIndex(), 1);
        QCOMPARE(fadeDialog->StartPage()->ScaleGroup()->title(), QStringLiteral("Start Scale"));
        QCOMPARE(fadeDialog->TransformPage()->ScaleGroup()->title(), QStringLiteral("Scale"));
        QCOMPARE(fadeDialog->StartPage()->RowLabel(Row::Alpha)->text(),
                 QStringLiteral("Start Alpha:"));
        QCOMPARE(fadeDialog->TransformPage()->RowLabel(Row::Alpha)->text(),
                 QStringLiteral("Alpha Fade:"));
        QVERIFY(fadeDialog->FramesBox()->isEnabled());
    }

    // Fade In and Fade Out hide their alpha rows on both tabs whatever happens on the page,
    // also when a file stored them as shown; a slide hides its position rows and their group.
    void hiddenRowsStayHidden() {
        QVERIFY(Main().OpenFile(kEffects));
        CEffectFadeIn fadeIn;
        CEffectFadeOut fadeOut;
        CEffectFadeIn* storedFadeIn = EffectsOf<CEffectFadeIn>(Main().Document()).front();
        storedFadeIn->SetHiddenRows(0);
        for (CEffectObj* effect :
             std::initializer_list<CEffectObj*>{&fadeIn, &fadeOut, storedFadeIn}) {
            auto session = Host().BeginEdit(*effect, false);
            auto dialog = Host().CreatePropertiesDialog(*session, false, &Main());
            dialog->show();
            for (CTransformPage* page : {dialog->StartPage(), dialog->TransformPage()}) {
                dialog->Tabs()->setCurrentWidget(page);
                QVERIFY(!page->IsRowShown(Row::Alpha));
                QVERIFY(!page->MenuButton(Row::Alpha)->isVisible());
                QVERIFY(!page->ValueBox(Row::Alpha)->isVisible());
                QVERIFY(!page->RowLabel(Row::Alpha)->isVisible());
                page->RotateUniform()->click();
                page->ScaleUniform()->click();
                Choose(page, Row::HorizontalScale, kCmdSet);
                QVERIFY(!page->MenuButton(Row::Alpha)->isVisible());
                QVERIFY(page->MenuButton(Row::XPosition)->isVisible());
            }
        }
        CEffectSlide slide;
        auto session = Host().BeginEdit(slide, false);
        auto dialog = Host().CreatePropertiesDialog(*session, false, &Main());
        dialog->show();
        QVERIFY(!dialog->TransformPage()->MoveGroup()->isVisible());
        QVERIFY(dialog->TransformPage()->ScaleGroup()->isVisible());
    }

    // "Uniform" rotation: the vertical axis takes the horizontal command, with the value + 90
    // for the commands that set an angle; "Uniform" scale copies command and value.
    void uniformRowsFollowTheFirstRow() {
        CEffectTransform transform;
        auto session = Host().BeginEdit(transform, false);
        auto dialog = Host().CreatePropertiesDialog(*session, false, &Main());
        dialog->show();
        CTransformPage* page = dialog->TransformPage();
        QVERIFY(page->RotateUniform()->isChecked());
        QVERIFY(!page->MenuButton(Row::VerticalAxis)->isVisible());
        Choose(page, Row::HorizontalAxis, kCmdSet);
        QCOMPARE(page->UnitLabel(Row::HorizontalAxis)->text(), QString::fromUtf8("\u00B0"));
        Type(page->ValueBox(Row::HorizontalAxis), QStringLiteral("30"));
        Choose(page, Row::HorizontalScale, kCmdSubtract);
        QCOMPARE(page->UnitLabel(Row::HorizontalScale)->text(), QStringLiteral("%"));
        Type(page->ValueBox(Row::HorizontalScale), QStringLiteral("25"));
        std::optional<CEffectObj::Properties> read = dialog->ReadProperties(true);
        QVERIFY(read);
        QCOMPARE(read->transform.rotateMode, kSetBoth);
        QCOMPARE(read->transform.angles, CDoublePoint(30, 120));
        QCOMPARE(read->transform.scaleMode, kFirstSubtract | kSecondSubtract);
        QCOMPARE(read->transform.scale, CDoublePoint(25, 25));

        Choose(page, Row::HorizontalAxis, kCmdSetToZero);
        QVERIFY(!page->ValueBox(Row::HorizontalAxis)->isVisible());
        read = dialog->ReadProperties(true);
        QCOMPARE(read->transform.angles, CDoublePoint(0, 90));
        QCOMPARE(FirstAxisOp(read->transform.rotateMode), AxisOp::Set);
        QCOMPARE(SecondAxisOp(read->transform.rotateMode), AxisOp::Set);

        Choose(page, Row::HorizontalAxis, kCmdAdd);
        read = dialog->ReadProperties(true);
        QCOMPARE(read->transform.rotateMode, kAddBoth);
        QCOMPARE(read->transform.angles, CDoublePoint(30, 30));

        // Without "Uniform" the vertical row is its own.
        page->RotateUniform()->click();
        QVERIFY(page->MenuButton(Row::VerticalAxis)->isVisible());
        Choose(page, Row::VerticalAxis, kCmdSubtract);
        Type(page->ValueBox(Row::VerticalAxis), QStringLiteral("5"));
        read = dialog->ReadProperties(true);
        QCOMPARE(read->transform.rotateUniform, 0);
        QCOMPARE(read->transform.rotateMode, kFirstAdd | kSecondSubtract);
        QCOMPARE(read->transform.angles, CDoublePoint(30, 5));

        // The alpha row sets both axes alike.
        const std::pair<int, int32_t> alphaWords[] = {{kCmdAdd, kAddBoth},
                                                      {kCmdSubtract, 72},
                                                      {kCmdSet, kSetBoth},
                                                      {kCmdSetToZero, 144},
                                                      {kCmdSetTo100, 144}};
        for (const auto& [command, word] : alphaWords) {
            Choose(page, Row::Alpha, command);
            read = dialog->ReadProperties(true);
            QCOMPARE(read->transform.alphaMode, word);
        }
        QCOMPARE(read->transform.alpha, 100.0);
    }

    // A stored mode word shows as entries of the row's own menu; a group left alone is written
    // back as it was, even a word no menu can build.
    void storedModeWordsShowAsTheirRowsEntries() {
        CEffectTransform transform;
        CEffectObj::TransformSet& t = transform.GetTransformSet();
        t.moveMode = kFirstAdd | kSecondSubtract;
        t.move = {3, 4};
        t.rotateUniform = 0;
        t.rotateMode = kSetBoth;
        t.angles = {100, 0};
        t.alphaMode = 144;
        t.alpha = 0;
        t.scaleMode = kFirstAdd | kFirstSubtract; // both first-axis bits: shown as add
        CEffectObj::TransformSet& s = transform.GetStartSet();
        s.scaleUniform = 0;
        s.scaleMode = kAddBoth; // the Start At scale menu has no add entry
        s.rotateMode = kFirstSet;
        s.angles = {0, 0};
        const std::vector<uint8_t> before = transform.SaveEditState();

        auto session = Host().BeginEdit(transform, false);
        auto dialog = Host().CreatePropertiesDialog(*session, false, &Main());
        dialog->show();
        CTransformPage* page = dialog->TransformPage();
        QCOMPARE(page->MenuButton(Row::XPosition)->text(), QStringLiteral("Move Right by"));
        QCOMPARE(page->MenuButton(Row::YPosition)->text(), QStringLiteral("Move Up by"));
        QCOMPARE(page->ValueBox(Row::YPosition)->text(), QStringLiteral("4"));
        QCOMPARE(page->MenuButton(Row::HorizontalAxis)->text(),
                 QStringLiteral("Rotate to Angle of"));
        QCOMPARE(page->MenuButton(Row::VerticalAxis)->text(),
                 QStringLiteral("Rotate back to Zero"));
        QCOMPARE(page->MenuButton(Row::Alpha)->text(), QStringLiteral("Fade Out to Zero"));
        QVERIFY(!page->ValueBox(Row::Alpha)->isVisible());
        QCOMPARE(page->MenuButton(Row::HorizontalScale)->text(),
                 QStringLiteral("Increase Scale by"));
        CTransformPage* start = dialog->StartPage();
        QCOMPARE(start->MenuButton(Row::HorizontalScale)->text(), QStringLiteral("Unchanged"));
        QCOMPARE(start->MenuButton(Row::VerticalScale)->text(), QStringLiteral("Unchanged"));
        QCOMPARE(start->MenuButton(Row::HorizontalAxis)->text(), QStringLiteral("Not Rotated"));
        for (CTransformPage* p : {page, start}) {
            for (int i = 0; i < kTransformRowCount; ++i) {
                const Row row = static_cast<Row>(i);
                QVERIFY(MenuOffers(p->Menus(), row, p->Command(row)));
            }
        }
        dialog->OkButton()->click();
        QVERIFY(transform.SaveEditState() == before);
    }

    // The stored gravity direction picks its preset, or "Other" with its degrees.
    void explodeDirectionSelectsItsPreset() {
        CEffectExplode explode;
        explode.SetGravityDirection(45.0);
        {
            auto session = Host().BeginEdit(explode, false);
            auto dialog = Host().CreateSettingsDialog(*session, &Main());
            auto* e = static_cast<CExplodeEffectDlg*>(dialog.get());
            QCOMPARE(e->GravityChoice()->currentText(), QStringLiteral("Other"));
            QVERIFY(e->GravityDegrees()->isEnabled());
            QCOMPARE(e->GravityDegrees()->text(), QStringLiteral("45"));
            e->GravityChoice()->setCurrentIndex(1); // Up
            QVERIFY(!e->GravityDegrees()->isEnabled());
            QCOMPARE(e->GravityDegrees()->text(), QStringLiteral("270"));
            dialog->OkButton()->click();
        }
        QCOMPARE(explode.GetGravityDirection(), 270.0);
        const std::pair<double, QString> presets[] = {{90, QStringLiteral("Down")},
                                                      {180, QStringLiteral("Left")},
                                                      {0, QStringLiteral("Right")},
                                                      {90.5, QStringLiteral("Other")}};
        for (const auto& [degrees, label] : presets) {
            explode.SetGravityDirection(degrees);
            auto session = Host().BeginEdit(explode, false);
            auto dialog = Host().CreateSettingsDialog(*session, &Main());
            QCOMPARE(static_cast<CExplodeEffectDlg*>(dialog.get())->GravityChoice()->currentText(),
                     label);
        }
    }

    // The picker offers the printable codes of the font, and the chosen one becomes the cursor.
    void typewriterCursorFromThePicker() {
        const QFont font(QStringLiteral("DejaVu Sans"));
        const std::vector<int> codes = CCharacterPickerDlg::PrintableCodes(font);
        QVERIFY(std::find(codes.begin(), codes.end(), '_') != codes.end());
        QVERIFY(std::find(codes.begin(), codes.end(), 'A') != codes.end());
        for (const int excluded : {32, 0x7F, 0x81, 0xA0})
            QVERIFY(std::find(codes.begin(), codes.end(), excluded) == codes.end());
        QVERIFY(std::is_sorted(codes.begin(), codes.end()));

        CEffectTypewriter typewriter;
        auto session = Host().BeginEdit(typewriter, false);
        auto dialog = Host().CreateSettingsDialog(*session, &Main());
        auto* t = static_cast<CTypewriterEffectDlg*>(dialog.get());
        QCOMPARE(t->CursorButton()->text(), QStringLiteral("_"));
        WhenModal([](QWidget* modal) {
            auto* picker = qobject_cast<CCharacterPickerDlg*>(modal);
            QVERIFY(picker != nullptr);
            QVERIFY(picker->ButtonOf('_')->isChecked());
            QVERIFY(picker->ButtonOf(' ') == nullptr);
            picker->ButtonOf('*')->click();
        });
        t->CursorButton()->click();
        QCOMPARE(t->CursorButton()->text(), QStringLiteral("*"));
        dialog->OkButton()->click();
        QCOMPARE(typewriter.GetCursorCharacter(), int32_t('*'));
    }

    // Preview writes the values, disables the other controls and plays from the effect's scene;
    // Stop, or the movie stopping elsewhere, gives them back; Cancel puts the effect back byte
    // for byte.
    void previewThenCancelRestoresTheEffect() {
        QVERIFY(Main().OpenFile(kLetters));
        CEffectAlternate* alternate = EffectsOf<CEffectAlternate>(Main().Document()).front();
        const auto* scene = static_cast<const CSceneObj*>(alternate->GetOwner()->GetParent());
        const std::vector<uint8_t> before = alternate->SaveEditState();
        auto session = Host().BeginEdit(*alternate, true);
        auto dialog = Host().CreateSettingsDialog(*session, &Main());
        dialog->show();
        Type(Box(dialog.get(), "pixels down"), QStringLiteral("-80"));
        Type(Box(dialog.get(), "Duration::"), QStringLiteral("33"));
        dialog->PreviewButton()->click();
        QVERIFY(dialog->IsPreviewing());
        QVERIFY(Main().IsPlaying());
        QCOMPARE(dialog->PreviewButton()->text(), QStringLiteral("Stop"));
        QCOMPARE(alternate->GetOffsetDown(), -80.0);
        QCOMPARE(alternate->GetNumFrames(), 33);
        const int first = SceneFirstFrame(Main().Document(), scene);
        QVERIFY(first > 0);
        QCOMPARE(Main().ViewWnd()->Player().Level0().currentFrame, first);
        for (QWidget* w : {static_cast<QWidget*>(dialog->OkButton()),
                           static_cast<QWidget*>(dialog->CancelButton()),
                           static_cast<QWidget*>(Box(dialog.get(), "pixels down")),
                           static_cast<QWidget*>(
                               static_cast<CEffectSettingsDlg*>(dialog.get())->TransformButton())})
            QVERIFY(!w->isEnabled());
        QVERIFY(dialog->PreviewButton()->isEnabled());

        // Stopped from the main window: the dialog takes its controls back.
        Main().StopMovie();
        QVERIFY(!dialog->IsPreviewing());
        QCOMPARE(dialog->PreviewButton()->text(), QStringLiteral("Preview"));
        QVERIFY(dialog->OkButton()->isEnabled());
        QVERIFY(Box(dialog.get(), "pixels down")->isEnabled());

        // Stop on the button, then a preview left running when the dialog is cancelled.
        dialog->PreviewButton()->click();
        dialog->PreviewButton()->click();
        QVERIFY(!Main().IsPlaying());
        QCOMPARE(dialog->PreviewButton()->text(), QStringLiteral("Preview"));
        dialog->PreviewButton()->click();
        QVERIFY(Main().IsPlaying());
        dialog->reject();
        QVERIFY(!Main().IsPlaying());
        QVERIFY(alternate->SaveEditState() == before);
        QVERIFY(!Main().IsDirty());
    }

    // Effect Properties: Cancel after a preview puts the effect back; a disabled frames box
    // stays disabled after the preview ends.
    void propertiesPreviewThenCancel() {
        QVERIFY(Main().OpenFile(kEffects));
        CEffectShow* show = EffectsOf<CEffectShow>(Main().Document()).front();
        const std::vector<uint8_t> before = show->SaveEditState();
        auto session = Host().BeginEdit(*show, true);
        auto dialog = Host().CreatePropertiesDialog(*session, false, &Main());
        dialog->show();
        Type(dialog->DescriptionBox(), QStringLiteral("Appear"));
        dialog->ResetAtStartBox()->click();
        Choose(dialog->TransformPage(), Row::Alpha, kCmdSetToZero);
        dialog->PreviewButton()->click();
        QVERIFY(dialog->IsPreviewing());
        QCOMPARE(show->GetName(), std::string("Appear"));
        QVERIFY(!dialog->Tabs()->tabBar()->isEnabled());
        QVERIFY(!dialog->TransformPage()->MenuButton(Row::XPosition)->isEnabled());
        dialog->PreviewButton()->click();
        QVERIFY(!dialog->FramesBox()->isEnabled());
        QVERIFY(dialog->DescriptionBox()->isEnabled());
        dialog->CancelButton()->click();
        QVERIFY(show->SaveEditState() == before);
    }

    // Through the effect's own Edit operations: OK records one undo step holding the effect as
    // it was, even after a preview changed it; Cancel records none.
    void okRecordsOneUndoStep() {
        QVERIFY(Main().OpenFile(kLetters));
        CEffectWave* wave = EffectsOf<CEffectWave>(Main().Document()).front();
        const int32_t period = wave->GetPeriod();
        WhenModal([](QWidget* modal) {
            auto* d = qobject_cast<CWaveLettersDlg*>(modal);
            QVERIFY(d != nullptr);
            Type(Box(d, "Period:"), QStringLiteral("3"));
            d->PreviewButton()->click();
            QVERIFY(!Box(d, "Period:")->isEnabled());
            d->PreviewButton()->click();
            Type(Box(d, "Period:"), QStringLiteral("5"));
            d->OkButton()->click();
        });
        QVERIFY(wave->EditSettings(true));
        QCOMPARE(wave->GetPeriod(), 5);
        QCOMPARE(Main().History().Size(), size_t{1});
        QVERIFY(Main().IsDirty());

        WhenModal([](QWidget* modal) {
            auto* d = qobject_cast<CEffectPropertiesDlg*>(modal);
            QVERIFY(d != nullptr);
            Type(d->DescriptionBox(), QStringLiteral("Never"));
            d->CancelButton()->click();
        });
        QVERIFY(!wave->EditTransform(true));
        QCOMPARE(Main().History().Size(), size_t{1});

        Main().Action(CMainDlg::Command::Undo)->trigger();
        wave = EffectsOf<CEffectWave>(Main().Document()).front();
        QCOMPARE(wave->GetPeriod(), period);

        // A caller that wants no undo step still leaves the movie marked as changed.
        QVERIFY(Main().OpenFile(kLetters));
        wave = EffectsOf<CEffectWave>(Main().Document()).front();
        WhenModal([](QWidget* modal) {
            auto* d = qobject_cast<CWaveLettersDlg*>(modal);
            QVERIFY(d != nullptr);
            Type(Box(d, "Length:"), QStringLiteral("120"));
            d->OkButton()->click();
        });
        QVERIFY(wave->EditSettings(false));
        QCOMPARE(wave->GetLength(), 120.0);
        QCOMPARE(Main().History().Size(), size_t{0});
        QVERIFY(Main().IsDirty());
    }

    // "Transform..." edits inside the settings dialog's edit: the settings dialog's Cancel drops
    // what it confirmed, its OK writes both.
    void transformInsideTheSettingsEdit() {
        CEffectSqueeze squeeze;
        const std::vector<uint8_t> before = squeeze.SaveEditState();
        for (const bool confirm : {false, true}) {
            auto session = Host().BeginEdit(squeeze, false);
            auto dialog = Host().CreateSettingsDialog(*session, &Main());
            dialog->show();
            Type(Box(dialog.get(), "Number of Frames:"), QStringLiteral("30"));
            WhenModal([](QWidget* modal) {
                auto* d = qobject_cast<CEffectPropertiesDlg*>(modal);
                QVERIFY(d != nullptr);
                QCOMPARE(d->FramesBox()->text(), QStringLiteral("30"));
                Type(d->DescriptionBox(), QStringLiteral("Close up"));
                Type(d->FramesBox(), QStringLiteral("44"));
                Choose(d->TransformPage(), Row::XPosition, kCmdAdd);
                Type(d->TransformPage()->ValueBox(Row::XPosition), QStringLiteral("12"));
                d->OkButton()->click();
            });
            static_cast<CEffectSettingsDlg*>(dialog.get())->TransformButton()->click();
            QCOMPARE(Box(dialog.get(), "Number of Frames:")->text(), QStringLiteral("44"));
            QVERIFY(squeeze.SaveEditState() == before);
            if (confirm)
                dialog->OkButton()->click();
            else
                dialog->CancelButton()->click();
        }
        QCOMPARE(squeeze.GetName(), std::string("Close up"));
        QCOMPARE(squeeze.GetNumFrames(), 44);
        QCOMPARE(squeeze.GetTransformSet().moveMode, kFirstAdd);
        QCOMPARE(squeeze.GetTransformSet().move.x, 12.0);
    }

private:
    CMainDlg& Main() { return editor_->Main(); }
    ScriptedDialogService& Dialogs() { return editor_->Dialogs(); }
    EffectDialogHost& Host() { return Main().EffectDialogs(); }

    // Opens the effect's settings dialog, lets `fill` change it, presses OK and expects it to
    // close.
    void Edit(CEffectObj& effect, const std::function<void(QWidget*)>& fill) {
        auto session = Host().BeginEdit(effect, false);
        auto dialog = Host().CreateSettingsDialog(*session, &Main());
        QVERIFY(dialog);
        dialog->show();
        fill(dialog.get());
        dialog->OkButton()->click();
        QCOMPARE(Dialogs().Texts(Kind::Error), QStringList());
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
    }

    std::unique_ptr<EditorHarness> editor_;
};

QTEST_MAIN(EffectDialogsTest)
#include "EffectDialogsTest.moc"
