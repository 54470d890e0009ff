// The stage window and the Qt player host, driven through real widgets on the offscreen
// platform: selecting and dragging objects, resizing in both modes, closing while playing, the
// saved placement, and the played picture against the headless player's.
#include "editor/CViewWnd.h"
#include "editor/ViewWndOwner.h"
#include "export/AppSettings.h"
#include "export/MovieExport.h"
#include "model/CDocObj.h"
#include "model/CSceneObj.h"
#include "model/CSymbolObj.h"
#include "player/host/HeadlessHost.h"
#include "player/host/QtPlayerHost.h"
#include "player/render/NativeBitmap.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace tavro::editor {
namespace {

class FakeOwner : public ViewWndOwner {
public:
    CDocObj doc;
    MemorySettings settings;
    int undoSteps = 0;
    int selectionChanges = 0;
    int textPages = 0;
    int scenePages = 0;
    int stops = 0;
    QStringList dropped;

    CDocObj& Document() override { return doc; }
    void RecordUndo() override { ++undoSteps; }
    void SelectionChangedOnStage() override { ++selectionChanges; }
    void ShowTextPage() override { ++textPages; }
    void ShowScenePage() override { ++scenePages; }
    void OpenDroppedFile(const QString& path) override { dropped << path; }
    AppSettings& Settings() override { return settings; }
    bool IsPlaying() const override { return false; }
    void StopMovie() override { ++stops; }
};

// An owner that is also the stage's parent widget, as the main window is.
class OwnerWindow : public QWidget, public FakeOwner {
public:
    explicit OwnerWindow(MemorySettings* savedTo) : savedTo_(savedTo) {}
    ~OwnerWindow() override { *savedTo_ = settings; }

private:
    MemorySettings* savedTo_;
};

void Send(QWidget& w, QEvent::Type type, QPoint p, Qt::MouseButtons buttons,
          Qt::MouseButton button = Qt::LeftButton) {
    QPointF local(p);
    QMouseEvent e(type, local, w.mapToGlobal(local),
                  type == QEvent::MouseMove ? Qt::NoButton : button, buttons, Qt::NoModifier);
    QApplication::sendEvent(&w, &e);
}

// A Qt host on an explicit clock, so frames advance exactly as the headless host's do.
class ClockedQtHost : public player::QtPlayerHost {
public:
    uint32_t clock = 0;
    uint32_t CurrentTimeMs() override { return clock; }
    void StepFrame() {
        clock += uint32_t(std::max(Level0().frameMs, 1));
        Tick(true);
    }
};

class StageWidget : public QWidget {
public:
    explicit StageWidget(player::QtPlayerHost& host) : host_(host) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent* e) override {
        QPainter p(this);
        host_.PaintTo(p, e->rect());
    }

private:
    player::QtPlayerHost& host_;
};

void SavePlacement(FakeOwner& o, int l, int t, int r, int b) {
    o.settings.SetString("View", "Left", std::to_string(l));
    o.settings.SetString("View", "Top", std::to_string(t));
    o.settings.SetString("View", "Right", std::to_string(r));
    o.settings.SetString("View", "Bottom", std::to_string(b));
}

} // namespace

class ViewWndTest : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeOwner> owner;
    CSceneObj* scene = nullptr;
    CSymbolObj* text = nullptr;
    std::unique_ptr<CViewWnd> view;

    // A point of the text that is ink, so the pixel hit test finds it.
    QPoint InkPoint() const {
        const IntRect r = text->GetScreenRect();
        for (int y = r.y0; y < r.y1; ++y)
            for (int x = r.x0; x < r.x1; ++x)
                if (text->HitTestMask(x, y))
                    return QPoint(x, y);
        return QPoint((r.x0 + r.x1) / 2, (r.y0 + r.y1) / 2);
    }

private Q_SLOTS:
    void initTestCase() { qputenv("TAVRO_NO_AUDIO", "1"); }

    void init() {
        owner = std::make_unique<FakeOwner>();
        owner->doc.LoadFile(TAVRO_SOURCE_DIR "/examples/hello.swi");
        scene = owner->doc.GetSelectedScene();
        QVERIFY(scene);
        text = dynamic_cast<CSymbolObj*>(scene->GetChildAt(scene->GetHeadPosition()));
        QVERIFY(text);
        scene->SelectChild(nullptr);
        view = std::make_unique<CViewWnd>(owner.get());
        const CDoublePoint size = owner->doc.GetMovieSize();
        view->SetClientSize(int(size.x), int(size.y));
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
        view->repaint(); // draws the objects, which builds their hit-test masks
        QVERIFY(InkPoint() != QPoint());
        owner->undoSteps = 0;
    }

    void cleanup() {
        view.reset();
        owner.reset();
    }

    void pressAndReleaseWithinFourPixelsSelectsWithoutMovingOrRecording() {
        const CDoublePoint before = text->GetStagePosition();
        const QPoint p = InkPoint();
        QVERIFY(text->HitTestMask(p.x(), p.y()));
        Send(*view, QEvent::MouseButtonPress, p, Qt::LeftButton);
        Send(*view, QEvent::MouseMove, p + QPoint(3, 2), Qt::LeftButton);
        Send(*view, QEvent::MouseMove, p + QPoint(0, 4), Qt::LeftButton);
        Send(*view, QEvent::MouseButtonRelease, p + QPoint(0, 4), Qt::NoButton);

        QCOMPARE(scene->GetSelectedChild(), static_cast<CTavroObj*>(text));
        QCOMPARE(owner->selectionChanges, 1);
        QCOMPARE(text->GetStagePosition().x, before.x);
        QCOMPARE(text->GetStagePosition().y, before.y);
        QCOMPARE(owner->undoSteps, 0);

        // A click on the empty stage clears the selection and says so.
        Send(*view, QEvent::MouseButtonPress, QPoint(1, 1), Qt::LeftButton);
        Send(*view, QEvent::MouseButtonRelease, QPoint(1, 1), Qt::NoButton);
        QCOMPARE(scene->GetSelectedChild(), static_cast<CTavroObj*>(nullptr));
        QCOMPARE(owner->selectionChanges, 2);
    }

    void dragOfFivePixelsMovesKeepingTheOffsetAndRecordsOneUndoStep() {
        const CDoublePoint before = text->GetStagePosition();
        const QPoint p = InkPoint();
        Send(*view, QEvent::MouseButtonPress, p, Qt::LeftButton);
        Send(*view, QEvent::MouseMove, p + QPoint(3, 3), Qt::LeftButton); // 4.2 pixels
        QCOMPARE(owner->undoSteps, 0);
        QCOMPARE(text->GetStagePosition().x, before.x);
        Send(*view, QEvent::MouseMove, p + QPoint(3, 4), Qt::LeftButton); // 5 pixels: a drag
        Send(*view, QEvent::MouseMove, p + QPoint(20, 10), Qt::LeftButton);
        Send(*view, QEvent::MouseMove, p + QPoint(-7, 30), Qt::LeftButton);
        Send(*view, QEvent::MouseButtonRelease, p + QPoint(-7, 30), Qt::NoButton);

        QCOMPARE(owner->undoSteps, 1);
        QCOMPARE(text->GetStagePosition().x, before.x - 7);
        QCOMPARE(text->GetStagePosition().y, before.y + 30);

        // Moving without the button after the release drags nothing.
        Send(*view, QEvent::MouseMove, p + QPoint(50, 50), Qt::NoButton);
        QCOMPARE(text->GetStagePosition().x, before.x - 7);
        QCOMPARE(owner->undoSteps, 1);
    }

    void doubleClickOpensTheTextPageOnAnObjectAndTheScenePageElsewhere() {
        const QPoint p = InkPoint();
        Send(*view, QEvent::MouseButtonPress, p, Qt::LeftButton);
        Send(*view, QEvent::MouseButtonRelease, p, Qt::NoButton);
        Send(*view, QEvent::MouseButtonDblClick, p, Qt::LeftButton);
        Send(*view, QEvent::MouseButtonRelease, p, Qt::NoButton);
        QCOMPARE(owner->textPages, 1);
        Send(*view, QEvent::MouseButtonPress, QPoint(1, 1), Qt::LeftButton);
        Send(*view, QEvent::MouseButtonRelease, QPoint(1, 1), Qt::NoButton);
        Send(*view, QEvent::MouseButtonDblClick, QPoint(1, 1), Qt::LeftButton);
        QCOMPARE(owner->scenePages, 1);
        QCOMPARE(owner->textPages, 1);
        QCOMPARE(owner->undoSteps, 0);
    }

    void resizingIsImpossibleWhilePlayingAndSetsTheMovieSizeAfterStop() {
        const CDoublePoint movie = owner->doc.GetMovieSize();
        const QSize stage = view->size();
        QCOMPARE(stage, QSize(int(movie.x), int(movie.y)));

        view->SetMovie("", ExportMovieToMemory(owner->doc));
        QVERIFY(view->IsPlaying());
        QCOMPARE(view->windowTitle(), QStringLiteral("Playing - Untitled"));
        view->resize(stage + QSize(40, 30));
        QApplication::processEvents();
        QCOMPARE(view->size(), stage);
        QCOMPARE(owner->doc.GetMovieSize().x, movie.x);
        QCOMPARE(owner->undoSteps, 0);

        view->SetMovie("", {});
        QVERIFY(!view->IsPlaying());
        QCOMPARE(view->windowTitle(), QStringLiteral("Editing - Untitled"));
        view->resize(stage + QSize(40, 30));
        QApplication::processEvents();
        QCOMPARE(view->size(), stage + QSize(40, 30));
        QCOMPARE(owner->doc.GetMovieSize().x, movie.x + 40);
        QCOMPARE(owner->doc.GetMovieSize().y, movie.y + 30);
        QCOMPARE(owner->undoSteps, 1);
        // Further size changes of the same resize gesture share its undo step.
        view->resize(stage + QSize(50, 35));
        QCOMPARE(owner->undoSteps, 1);
        QCOMPARE(owner->doc.GetMovieSize().x, movie.x + 50);

        // The document's own size change records nothing.
        view->SetClientSize(int(movie.x), int(movie.y));
        QCOMPARE(view->size(), stage);
        QCOMPARE(owner->doc.GetMovieSize().x, movie.x);
        QCOMPARE(owner->undoSteps, 1);
    }

    void closingWhilePlayingDoesNothingAndClosingAfterStopKeepsThePlacement() {
        view->SetMovie("", ExportMovieToMemory(owner->doc));
        QVERIFY(!view->close());
        QVERIFY(view->isVisible());
        QVERIFY(!owner->settings.Has("View", "Left"));

        view->SetMovie("", {});
        QVERIFY(view->close());
        QVERIFY(!view->isVisible());
        const QRect r = view->frameGeometry();
        QCOMPARE(owner->settings.GetString("View", "Left"), std::to_string(r.left()));
        QCOMPARE(owner->settings.GetString("View", "Bottom"), std::to_string(r.top() + r.height()));
    }

    void aSavedRectangleIsUsedOnlyWhenCompleteAndOnAScreen() {
        QScreen* screen = QGuiApplication::primaryScreen();
        QVERIFY(screen);
        const QRect g = screen->geometry();
        {
            FakeOwner o;
            SavePlacement(o, g.left() + 30, g.top() + 40, g.left() + 330, g.top() + 240);
            CViewWnd v(&o);
            QCOMPARE(v.pos(), QPoint(g.left() + 30, g.top() + 40));
            QCOMPARE(v.size(), QSize(300, 200));
        }
        {
            FakeOwner o;
            SavePlacement(o, g.right() + 5000, g.top(), g.right() + 5300, g.top() + 200);
            CViewWnd v(&o);
            QCOMPARE(v.pos(), QPoint(0, 0));
            QCOMPARE(v.size(), QSize(600, 300));
        }
        {
            FakeOwner o;
            SavePlacement(o, 10, 10, 300, -1);
            CViewWnd v(&o);
            QCOMPARE(v.size(), QSize(600, 300));
        }
    }

    void theStageDestroyedWithItsOwnerAsChildCallsNothingOfIt() {
        MemorySettings saved;
        auto* window = new OwnerWindow(&saved);
        auto* stage = new CViewWnd(window, window);
        stage->show();
        // Quitting keeps the placement while the owner is whole; its destruction then deletes
        // the stage as a child, after the owner's own part is gone.
        QMetaObject::invokeMethod(
            stage, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
        QCoreApplication::exec();
        QVERIFY(window->settings.Has("View", "Left"));
        delete window;
        QVERIFY(saved.Has("View", "Right"));
    }

    void qtHostPlaysAMovieToAFrameWithTheHeadlessHostsPicture() {
        CDocObj doc;
        doc.LoadFile(TAVRO_SOURCE_DIR "/examples/letters.swi");
        const std::vector<uint8_t> bytes = ExportMovieToMemory(doc);
        const int width = int(doc.GetMovieSize().x), height = int(doc.GetMovieSize().y);
        constexpr int kFrames = 7;

        player::HeadlessHost headless(width, height);
        headless.Load(bytes.data(), bytes.size());
        for (int i = 0; i < kFrames; ++i)
            headless.StepFrame();
        std::vector<uint8_t> expected;
        int ew = 0, eh = 0;
        QVERIFY(headless.Snapshot(expected, ew, eh));

        ClockedQtHost host;
        StageWidget widget(host);
        widget.resize(width, height);
        host.SetWidget(&widget);
        widget.show();
        host.Play(bytes);
        QCOMPARE(host.FrameTimerPeriod(), std::max(host.Level0().frameMs / 10, 1));
        for (int i = 0; i < kFrames; ++i)
            host.StepFrame();

        // What the window shows, painted through the host.
        const QImage shown = widget.grab().toImage().convertToFormat(QImage::Format_RGBA8888);
        QCOMPARE(shown.width(), ew);
        QCOMPARE(shown.height(), eh);
        QVERIFY(host.Surface().IsValid());
        QVERIFY(host.Surface().ToRgba() == expected);
        int differing = 0;
        for (int y = 0; y < eh; ++y) {
            const uchar* row = shown.constScanLine(y);
            for (int x = 0; x < ew * 4; ++x)
                differing += row[x] != expected[size_t(y) * size_t(ew) * 4 + size_t(x)];
        }
        QCOMPARE(differing, 0);

        host.Stop();
        QVERIFY(!host.IsPlaying());
        QCOMPARE(host.FrameTimerPeriod(), 0);
    }

    void urlsWithASchemeGoToTheDesktopAndLocalFilesAreRead() {
        std::vector<std::pair<QString, QString>> opened;
        player::QtPlayerHost::SetUrlOpener(
            [&](const QString& url, const QString& target) { opened.emplace_back(url, target); });
        player::QtPlayerHost host;
        QWidget widget;
        widget.resize(100, 100);
        host.SetWidget(&widget);

        player::StreamTarget level1;
        level1.level = 1;
        host.OpenUrlStream("http://example.invalid/movie.swf", {}, level1);
        QCOMPARE(opened.size(), size_t(1));
        QCOMPARE(opened[0].first, QStringLiteral("http://example.invalid/movie.swf"));

        // A local movie lands in the level, relative to the movie's folder; a missing file
        // loads nothing and opens nothing.
        host.SetMoviePath(TAVRO_SOURCE_DIR "/examples/movie.swi");
        host.OpenUrlStream("hello.swf", {}, level1);
        QVERIFY(host.FindLevel(1));
        QVERIFY(host.FindLevel(1)->headerParsed);
        host.OpenUrlStream("file://" TAVRO_SOURCE_DIR "/examples/none.swf", {}, level1);
        QCOMPARE(opened.size(), size_t(1));
        player::QtPlayerHost::SetUrlOpener({});
    }
};

} // namespace tavro::editor

QTEST_MAIN(tavro::editor::ViewWndTest)
#include "ViewWndTest.moc"
