// The timeline grid drawn and driven with the mouse and keys: its geometry is read back from a
// grabbed image painted with a palette of distinct colours.
#include "EditorHarness.h"
#include "TimelineTestSupport.h"

#include "editor/CTextPropSheet.h"
#include "editor/CTimelineGrid.h"
#include "editor/CTimelinePage.h"
#include "editor/SceneTimeline.h"
#include "effects/CEffectObj.h"
#include "effects/CEventAtFrame.h"
#include "effects/EffectNames.h"
#include "model/CSceneObj.h"
#include "model/CTextObj.h"

#include <QAction>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>

using namespace tavro;
using namespace tavro::editor;
namespace cmd = effect_command;

namespace {

const QColor kFace(200, 200, 200);
const QColor kShadow(100, 100, 100);
const QColor kLight(255, 255, 255);
const QColor kMidlight(230, 230, 230);
const QColor kBase(240, 240, 220);
const QColor kText(0, 0, 128);
const QColor kHighlight(0, 0, 200);
const QColor kHighlightText(255, 255, 0);
const QColor kBlack(0, 0, 0);

QPalette DistinctPalette() {
    QPalette pal;
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(group, QPalette::Button, kFace);
        pal.setColor(group, QPalette::Dark, kShadow);
        pal.setColor(group, QPalette::Light, kLight);
        pal.setColor(group, QPalette::Midlight, kMidlight);
        pal.setColor(group, QPalette::Base, kBase);
        pal.setColor(group, QPalette::Text, kText);
        pal.setColor(group, QPalette::Highlight, kHighlight);
        pal.setColor(group, QPalette::HighlightedText, kHighlightText);
    }
    return pal;
}

QColor At(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

} // namespace

class TimelineGridTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        editor_ = std::make_unique<EditorHarness>();
        QVERIFY(editor_->ShowActive(QSize(900, 520)));
        page_ = &editor_->Timeline();
        grid_ = page_->Grid();
        grid_->setPalette(DistinctPalette());
        // A font that fits the scroll bar's height, whatever the system's is.
        QFont small = grid_->font();
        small.setPixelSize(11);
        grid_->setFont(small);
        ext_ = grid_->ScrollBarExtent();
    }

    void cleanup() {
        editor_.reset();
        CEffectObj::SetDialogHost(nullptr);
    }

    void layoutNumbersOnTheDrawnGrid() {
        const int header = ext_ + 6;
        const int row = ext_ + 2;
        QCOMPARE(grid_->HeaderHeight(), header);
        QCOMPARE(grid_->RowHeight(), row);
        CTextObj& first = editor_->AddText("First");
        editor_->AddText("Second");
        // First is the back object, so the second row of objects.
        CEffectObj& fade = AddEffectAt(first, cmd::kFadeIn, 2); // frames 2..11, no colour
        AddEffectAt(first, cmd::kShow, 12);                     // frame 12, green, no name
        first.GetEffectList().SelectChild(&fade);
        editor_->Select(&first);
        const QImage image = grid_->grab().toImage();
        const int sceneTop = header;
        const int secondTop = header + row;
        const int firstTop = header + 2 * row; // "First" is the back object: the last row
        QCOMPARE(grid_->RowTop(0), sceneTop);
        QCOMPARE(grid_->RowTop(2), firstTop);

        // Ruler lines and the raised separator.
        QCOMPARE(At(image, 90, 0), kLight);
        QCOMPARE(At(image, 10, 0), kMidlight);
        QCOMPARE(At(image, 10, header - 1), kBlack);
        QCOMPARE(At(image, 300, header - 1), kBlack);
        QCOMPARE(At(image, 300, header - 2), kShadow);
        QCOMPARE(At(image, 10, header - 2), kMidlight);
        for (const int y : {5, sceneTop + row / 2, firstTop + 3}) {
            QCOMPARE(At(image, 74, y), kBlack);
            QCOMPARE(At(image, 75, y), kLight);
            QCOMPARE(At(image, 76, y), kFace);
            QCOMPARE(At(image, 77, y), kFace);
            QCOMPARE(At(image, 78, y), kShadow);
            QCOMPARE(At(image, 79, y), kBlack);
        }

        // Ticks: three pixels at the top and at the bottom of every column's left edge.
        for (int k = 0; k < 12; ++k) {
            const int x = 80 + 7 * k;
            QCOMPARE(At(image, x, 0), kLight);
            for (const int y : {1, 2, 3, header - 5, header - 4, header - 3})
                QCOMPARE(At(image, x, y), kShadow);
            QCOMPARE(At(image, x, 4), kFace);
            QCOMPARE(At(image, x, header - 6), kFace);
            QCOMPARE(At(image, x + 1, 2), kFace);
        }

        // Labels every five frames: ink begins 2 pixels into the column and stays within five
        // columns; between the tick rows nothing else is drawn on the ruler.
        QList<int> inkStarts;
        bool inLabel = false;
        for (int x = 80; x < 80 + 7 * 30; ++x) {
            bool ink = false;
            for (int y = 4; y < header - 5; ++y)
                ink = ink || At(image, x, y) != kFace;
            if (ink && !inLabel)
                inkStarts << x;
            inLabel = ink;
            if (ink) {
                const int column = (x - 80) / 7;
                QVERIFY2((column / 5) * 5 * 7 + 80 + 35 > x, qPrintable(QString::number(x)));
            }
        }
        QVERIFY(inkStarts.size() >= 6);
        for (int i = 0; i < 6; ++i) {
            const int labelX = 80 + 7 * 5 * i;
            QVERIFY2(inkStarts[i] >= labelX + 2 && inkStarts[i] <= labelX + 4,
                     qPrintable(QStringLiteral("label %1 at %2").arg(i).arg(inkStarts[i])));
        }

        // Row heights: each name cell has a light top line and a shadow bottom line.
        for (const int top : {sceneTop, secondTop, firstTop}) {
            QCOMPARE(At(image, 72, top), kLight);
            QCOMPARE(At(image, 72, top + row - 1), kShadow);
        }
        QCOMPARE(At(image, 72, sceneTop + 2), kFace);
        QCOMPARE(At(image, 72, firstTop + 2), kHighlight); // the selected row

        // Frame cells 8 pixels wide sharing their borders; every fifth one in the 3D light.
        const int mid = secondTop + row / 2;
        QCOMPARE(At(image, 80 + 7 * 1, mid), kFace);
        QCOMPARE(At(image, 80 + 7 * 1 + 3, mid), kBase);
        QCOMPARE(At(image, 80 + 7 * 5 + 3, mid), kMidlight);
        QCOMPARE(At(image, 80 + 7 * 5 + 7, mid), kFace);

        // The selected bar: x = 80 + 7 * 2, 70 pixels wide, black outline, highlight fill.
        const int barMid = firstTop + row / 2;
        QCOMPARE(At(image, 93, barMid), kBase);
        QCOMPARE(At(image, 94, barMid), kBlack);
        QCOMPARE(At(image, 95, firstTop + 1), kHighlight);
        QCOMPARE(At(image, 163, barMid), kBlack);
        QCOMPARE(At(image, 162, firstTop + 1), kHighlight);
        QCOMPARE(At(image, 94 + 5, firstTop), kBlack);
        QCOMPARE(At(image, 94 + 5, firstTop + row - 1), kBlack);
        // Its name in the highlight text colour, inset 2 pixels.
        // (Antialiased: any pixel leaning toward its yellow.)
        bool nameInk = false;
        for (int x = 96; x < 162; ++x) {
            for (int y = firstTop + 1; y < firstTop + row - 1; ++y)
                nameInk = nameInk || At(image, x, y).red() > 100;
        }
        QVERIFY(nameInk);
        for (int y = firstTop + 1; y < firstTop + row - 1; ++y) {
            QCOMPARE(At(image, 95, y), kHighlight); // nothing in the 2-pixel inset
            QCOMPARE(At(image, 162, y), kHighlight);
        }
        // The Show bar: one frame, its own green.
        QCOMPARE(At(image, 164, barMid), kBlack);
        QCOMPARE(At(image, 166, firstTop + 2), QColor(0, 255, 0));
        QCOMPARE(At(image, 170, barMid), kBlack);
        QCOMPARE(At(image, 171, barMid), kFace);
        QCOMPARE(grid_->BarRect(fade), QRect(94, firstTop, 70, row));
    }

    void rowsGrowForALargeFont() {
        QFont large = grid_->font();
        large.setPixelSize(40);
        grid_->setFont(large);
        QCOMPARE(grid_->RowHeight(), QFontMetrics(large).height());
        QCOMPARE(grid_->HeaderHeight(), ext_ + 6);
        QCOMPARE(grid_->RowTop(1), ext_ + 6 + QFontMetrics(large).height());
    }

    void sceneRowMarksCurrentFrameAndFrameEvents() {
        CSceneObj& scene = editor_->Scene();
        const int row = grid_->RowHeight();
        const int top = grid_->HeaderHeight();
        scene.InsertEvent(std::make_unique<CEventAtFrame>(nullptr, 3));
        const auto selectedPos = scene.InsertEvent(std::make_unique<CEventAtFrame>(nullptr, 6));
        SetCurrentFrame(scene, 20);
        editor_->Select(nullptr);
        QImage image = grid_->grab().toImage();
        // Nothing selected inside the row: the current frame's cell is highlighted.
        const int cx = 80 + 7 * 20;
        QCOMPARE(At(image, cx + 3, top + row / 2), kHighlight);
        QCOMPARE(At(image, cx, top + 1), kHighlight);
        QCOMPARE(At(image, cx + 7, top + 1), kFace); // the next cell draws its border over it
        // Events: window fill, shadow outline, the "a" mark in the text colour.
        QCOMPARE(At(image, 80 + 7 * 3, top + 1), kShadow);
        QCOMPARE(At(image, 80 + 7 * 3 + 1, top + 1), kBase);
        bool mark = false;
        for (int x = 80 + 7 * 3 + 1; x < 80 + 7 * 4; ++x) {
            for (int y = top + 1; y < top + row - 1; ++y)
                mark = mark || At(image, x, y) != kBase;
        }
        QVERIFY(mark);

        // A selected event: highlight fill, black outline; the current frame is not marked.
        scene.GetEventList().SelectPosition(selectedPos);
        image = grid_->grab().toImage();
        QCOMPARE(At(image, 80 + 7 * 6, top + 1), kBlack);
        QCOMPARE(At(image, 80 + 7 * 6 + 1, top + 1), kHighlight);
        QCOMPARE(At(image, cx + 3, top + row / 2), kMidlight); // frame 20: every fifth
    }

    void scrollBarCoversTheScenesFrames() {
        CSceneObj& scene = editor_->Scene();
        SetTimelineFrames(scene, 300);
        page_->Load();
        const int visible = (grid_->DrawArea().width() - 80) / 7;
        QCOMPARE(grid_->VisibleFrames(), visible);
        QCOMPARE(grid_->HorizontalScrollBar()->pageStep(), visible);
        QCOMPARE(grid_->HorizontalScrollBar()->maximum(), 300 - visible);
        grid_->HorizontalScrollBar()->setValue(7);
        QCOMPARE(grid_->FirstFrame(), 7);
        QCOMPARE(grid_->FrameX(10), 80 + 21);
        // An effect beyond the number of frames widens the range.
        CTextObj& text = editor_->AddText();
        AddEffectAt(text, cmd::kFadeIn, 400);
        page_->Load();
        QCOMPARE(grid_->HorizontalScrollBar()->maximum(), 410 - visible);
    }

    void pressNearAnEndResizesElsewhereMoves() {
        CTextObj& text = editor_->AddText();
        CEffectObj& fade = AddEffectAt(text, cmd::kFadeIn, 4); // x 108 .. 178
        CEffectObj& show = AddEffectAt(text, cmd::kShow, 20);  // cannot be resized
        editor_->Select(&text);
        const int y = grid_->RowTop(1) + grid_->RowHeight() / 2;
        struct Case {
            int x;
            CTimelineGrid::Drag drag;
        };
        const Case cases[] = {
            {108 + 3, CTimelineGrid::Drag::Resize}, {108 + 4, CTimelineGrid::Drag::Move},
            {178 - 4, CTimelineGrid::Drag::Resize}, {178 - 5, CTimelineGrid::Drag::Move},
            {108, CTimelineGrid::Drag::Resize},     {80 + 7 * 20 + 1, CTimelineGrid::Drag::Move},
        };
        for (const Case& c : cases) {
            QTest::mousePress(grid_, Qt::LeftButton, {}, QPoint(c.x, y));
            QVERIFY2(grid_->CurrentDrag() == c.drag, qPrintable(QString::number(c.x)));
            QTest::mouseRelease(grid_, Qt::LeftButton, {}, QPoint(c.x, y));
            QCOMPARE(grid_->CurrentDrag(), CTimelineGrid::Drag::None);
        }
        QCOMPARE(text.GetEffectList().GetSelectedChild(), &show);
        // A press without a move changes nothing and records nothing.
        QCOMPARE(fade.GetStartFrame(), 4);
        QCOMPARE(fade.GetNumFrames(), 10);
        QCOMPARE(editor_->UndoSteps(), size_t{1}); // the text's insertion
        // Cursors follow the same distinction.
        QCOMPARE(grid_->CursorAt(QPoint(111, y)).shape(), Qt::SizeHorCursor);
        const QCursor move = grid_->CursorAt(QPoint(112, y));
        QCOMPARE(move.shape(), Qt::BitmapCursor);
        QCOMPARE(move.hotSpot(), QPoint(3, 0));
        QVERIFY(!move.pixmap().isNull());
        QCOMPARE(grid_->CursorAt(QPoint(300, y)).shape(), Qt::ArrowCursor);
    }

    void dragReleaseResortsAndSetsTheCurrentFrame() {
        CTextObj& text = editor_->AddText();
        CEffectObj& a = AddEffectAt(text, cmd::kFadeIn, 0);
        CEffectObj& b = AddEffectAt(text, cmd::kFadeOut, 10);
        editor_->Select(&text);
        const size_t before = editor_->UndoSteps();
        const int y = grid_->RowTop(1) + grid_->RowHeight() / 2;
        const int x = 80 + 7 * 3 + 3;
        QTest::mousePress(grid_, Qt::LeftButton, {}, QPoint(x, y));
        QCOMPARE(text.GetEffectList().GetSelectedChild(), &a);
        for (int step = 1; step <= 15; ++step)
            QTest::mouseMove(grid_, QPoint(x + 7 * step, y));
        QCOMPARE(a.GetStartFrame(), 15); // live while dragging
        QTest::mouseRelease(grid_, Qt::LeftButton, {}, QPoint(x + 7 * 15, y));
        // A moved to 15..24; B, which it now overlaps, was pushed back before it.
        QCOMPARE(text.GetEffectList().GetChildList().front().get(), &b);
        QCOMPARE(b.GetStartFrame(), 5);
        QCOMPARE(text.GetEffectList().GetSelectedChild(), &a);
        QCOMPARE(CurrentFrame(editor_->Scene()), 24);
        QCOMPARE(editor_->UndoSteps(), before + 1); // one step for the whole drag

        // The right end resizes, keeping at least one frame.
        QTest::mousePress(grid_, Qt::LeftButton, {}, QPoint(80 + 7 * 25 - 2, y));
        QCOMPARE(grid_->CurrentDrag(), CTimelineGrid::Drag::Resize);
        QTest::mouseMove(grid_, QPoint(80 + 7 * 25 - 2 - 7 * 40, y));
        QTest::mouseRelease(grid_, Qt::LeftButton, {}, QPoint(80 + 7 * 25 - 2 - 7 * 40, y));
        QCOMPARE(a.GetStartFrame(), 15);
        QCOMPARE(a.GetNumFrames(), 1);
        QCOMPARE(CurrentFrame(editor_->Scene()), 15);

        // The left end moves the start and keeps the last frame.
        QTest::mousePress(grid_, Qt::LeftButton, {}, QPoint(80 + 7 * 5 + 1, y));
        QCOMPARE(grid_->CurrentDrag(), CTimelineGrid::Drag::Resize);
        QTest::mouseMove(grid_, QPoint(80 + 7 * 7 + 1, y));
        QTest::mouseRelease(grid_, Qt::LeftButton, {}, QPoint(80 + 7 * 7 + 1, y));
        QCOMPARE(b.GetStartFrame(), 7);
        QCOMPARE(b.GetNumFrames(), 8);

        // An undo in the middle of a drag ends it; the pointer moving on changes nothing.
        QTest::mousePress(grid_, Qt::LeftButton, {}, QPoint(80 + 7 * 9, y));
        QCOMPARE(grid_->CurrentDrag(), CTimelineGrid::Drag::Move);
        QTest::mouseMove(grid_, QPoint(80 + 7 * 12, y));
        editor_->Main().Action(CMainDlg::Command::Undo)->trigger();
        QCOMPARE(grid_->CurrentDrag(), CTimelineGrid::Drag::None);
        QTest::mouseMove(grid_, QPoint(80 + 7 * 20, y));
        QTest::mouseRelease(grid_, Qt::LeftButton, {}, QPoint(80 + 7 * 20, y));

        // Undo takes the first drag back whole.
        editor_->Main().Action(CMainDlg::Command::Undo)->trigger();
        editor_->Main().Action(CMainDlg::Command::Undo)->trigger();
        editor_->Main().Action(CMainDlg::Command::Undo)->trigger();
        auto* restored = static_cast<CTextObj*>(editor_->Scene().GetChildList().front().get());
        auto* first =
            static_cast<CEffectObj*>(restored->GetEffectList().GetChildList().front().get());
        QCOMPARE(first->GetStartFrame(), 0);
        QCOMPARE(first->GetNumFrames(), 10);
        QCOMPARE(editor_->Main().PropertySheet()->ActivePageIndex(), CTextPropSheet::Timeline);
    }

    void clicksSelectRowsEventsAndTheCurrentFrame() {
        CTextObj& text = editor_->AddText();
        CEffectObj& fade = AddEffectAt(text, cmd::kFadeIn, 0);
        CSceneObj& scene = editor_->Scene();
        const auto eventPos = scene.InsertEvent(std::make_unique<CEventAtFrame>(nullptr, 8));
        page_->Load();
        const int sceneY = grid_->RowTop(0) + 3;
        const int textY = grid_->RowTop(1) + 3;
        // An empty cell of the object row: the object, no effect, the current frame.
        QTest::mouseClick(grid_, Qt::LeftButton, {}, QPoint(80 + 7 * 30 + 2, textY));
        QCOMPARE(scene.GetSelectedChild(), &text);
        QVERIFY(text.GetEffectList().GetSelectedChild() == nullptr);
        QCOMPARE(CurrentFrame(scene), 30);
        QCOMPARE(page_->AddButton()->text(), QStringLiteral("Add Effect"));
        QVERIFY(!page_->DeleteButton()->isEnabled());
        QCOMPARE(editor_->Main().Tree()->currentItem()->text(0), QStringLiteral("Text"));
        // The frame event: the scene row, the event.
        QTest::mouseClick(grid_, Qt::LeftButton, {}, QPoint(80 + 7 * 8 + 2, sceneY));
        QVERIFY(scene.GetSelectedChild() == nullptr);
        QCOMPARE(scene.GetEventList().GetSelectedPosition(), eventPos);
        QCOMPARE(page_->AddButton()->text(), QStringLiteral("Add Action"));
        QCOMPARE(page_->DeleteButton()->text(), QStringLiteral("Delete Action"));
        QVERIFY(page_->DeleteButton()->isEnabled());
        // The bar.
        QTest::mouseClick(grid_, Qt::LeftButton, {}, QPoint(80 + 7 * 4, textY));
        QCOMPARE(text.GetEffectList().GetSelectedChild(), &fade);
        QVERIFY(page_->DeleteButton()->isEnabled());
        QCOMPARE(page_->DeleteButton()->text(), QStringLiteral("Delete Effect"));
    }

    void deleteKeySelectsThePreviousElseTheNext() {
        CTextObj& text = editor_->AddText();
        CEffectObj& a = AddEffectAt(text, cmd::kFadeIn, 0);
        CEffectObj& b = AddEffectAt(text, cmd::kShow, 10);
        CEffectObj& c = AddEffectAt(text, cmd::kFadeOut, 11);
        text.GetEffectList().SelectChild(&b);
        editor_->Select(&text);
        grid_->setFocus();
        const size_t before = editor_->UndoSteps();
        QTest::keyClick(grid_, Qt::Key_Delete);
        QCOMPARE(text.GetEffectList().GetChildCount(), size_t{2});
        QCOMPARE(text.GetEffectList().GetSelectedChild(), &a);
        QCOMPARE(editor_->UndoSteps(), before + 1);
        QTest::keyClick(grid_, Qt::Key_Delete);
        QCOMPARE(text.GetEffectList().GetSelectedChild(), &c);
        QTest::keyClick(grid_, Qt::Key_Delete);
        QCOMPARE(text.GetEffectList().GetChildCount(), size_t{0});
        QVERIFY(!page_->DeleteButton()->isEnabled());
        QTest::keyClick(grid_, Qt::Key_Delete); // nothing left: nothing happens
        QCOMPARE(editor_->UndoSteps(), before + 3);
    }

    void doubleClicksOpenTheScenePageAndTheDialogs() {
        struct Host : CEffectObj::DialogHost {
            QStringList calls;
            bool RunSettingsDialog(CEffectObj& e, bool) override {
                calls << QStringLiteral("settings ") + QString::fromStdString(e.GetName());
                return false;
            }
            bool RunTransformDialog(CEffectObj& e, bool) override {
                calls << QStringLiteral("transform ") + QString::fromStdString(e.GetName());
                return false;
            }
        } host;
        CEffectObj::SetDialogHost(&host);
        CTextObj& text = editor_->AddText();
        AddEffectAt(text, cmd::kFadeIn, 0);
        AddEffectAt(text, cmd::kSlideInFirst, 10);
        editor_->Select(&text);
        const int y = grid_->RowTop(1) + 4;
        QTest::mouseDClick(grid_, Qt::LeftButton, {}, QPoint(80 + 7 * 5, y));
        QTest::mouseDClick(grid_, Qt::LeftButton, {}, QPoint(80 + 7 * 15, y));
        QCOMPARE(host.calls, (QStringList{QStringLiteral("transform Fade In"),
                                          QStringLiteral("settings Slide In From Left")}));
        QTest::mouseDClick(grid_, Qt::LeftButton, {}, QPoint(20, y));
        QCOMPARE(editor_->Main().PropertySheet()->ActivePageIndex(), CTextPropSheet::Scene);
    }

private:
    std::unique_ptr<EditorHarness> editor_;
    CTimelinePage* page_ = nullptr;
    CTimelineGrid* grid_ = nullptr;
    int ext_ = 0;
};

QTEST_MAIN(TimelineGridTest)
#include "TimelineGridTest.moc"
