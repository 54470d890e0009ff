// The window of tavro-player driven through its real widgets on the offscreen platform: the
// commands of the control state and how they are enabled and checked, the keys, the movie's
// FSCommand calls, opening files (dialog seam, recent files, drops, errors), the window's size,
// typing into a field of the movie, and GetURL requests reaching the browser seam.
#include "edittext/EditTextTestSupport.h"

#include "player/actions/TargetPath.h"
#include "player/host/QtPlayerDialogs.h"
#include "player/host/QtPlayerHost.h"
#include "player/host/QtPlayerStage.h"
#include "player/host/QtPlayerWindow.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <zlib.h>

#include <memory>
#include <utility>
#include <vector>

namespace tavro::player::test {
namespace {

// GetURL with a URL and a target from the record.
Bytes GetUrl(const std::string& url, const std::string& target) {
    Bytes body(url.begin(), url.end());
    body.push_back(0);
    body.insert(body.end(), target.begin(), target.end());
    body.push_back(0);
    Bytes b{0x83};
    U16(b, uint32_t(body.size()));
    Append(b, body);
    return b;
}

// A 200 x 100 movie of three frames that stops on its first one; frame N shows its square N * 20
// pixels to the right. The first frame may run more actions and hold more tags.
Bytes StoppedMovie(const Bytes& firstFrameActions = {}, const Bytes& firstFrameTags = {}) {
    Bytes tags = Cat({DefineShape(1, 400, 400), Place2(1, 1), firstFrameTags,
                      DoAction(Cat({firstFrameActions, ActStop()})), ShowFrame(), Move2(1, 400, 0),
                      ShowFrame(), Move2(1, 800, 0), ShowFrame(), End()});
    return Movie(tags, 3, 12 << 8, 200, 100);
}

QStringList Texts(const QMenu& menu) {
    QStringList out;
    for (QAction* a : menu.actions())
        if (!a->isSeparator())
            out << a->text();
    return out;
}

class PlayerWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void commandsFollowTheControlState();
    void keysRunTheCommands();
    void zoomCommandsAndTheContextMenu();
    void allowscaleFollowsTheArgumentRule();
    void showmenuHidesTheMenusAndPlaybackEntries();
    void fullScreenFromTheMovieF11AndEscape();
    void quitFromTheMovieClosesTheWindow();
    void execRunsOnlyProgramsBesideTheMovie();
    void openingFilesThroughDialogRecentFilesAndDrops();
    void windowTakesTheMovieSizeAndKeepsItsAspect();
    void typingGoesToTheFocusedFieldBeforeShortcuts();
    void getUrlToTheWebGoesToTheBrowserSeam();

private:
    QString Write(const QString& name, const Bytes& bytes);
    QtPlayerWindow& Open(const Bytes& movie);
    void Activate();

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<QSettings> settings_;
    std::unique_ptr<ScriptedPlayerDialogs> dialogs_;
    std::unique_ptr<QtPlayerWindow> window_;
    int movies_ = 0;
};

void PlayerWindowTest::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    settings_ = std::make_unique<QSettings>(dir_->filePath(QStringLiteral("player.ini")),
                                            QSettings::IniFormat);
    dialogs_ = std::make_unique<ScriptedPlayerDialogs>();
    window_ = std::make_unique<QtPlayerWindow>(*settings_, *dialogs_);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
}

void PlayerWindowTest::cleanup() {
    QtPlayerHost::SetUrlOpener(nullptr);
    window_.reset();
    dialogs_.reset();
    settings_.reset();
    dir_.reset();
}

QString PlayerWindowTest::Write(const QString& name, const Bytes& bytes) {
    const QString path = dir_->filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    return path;
}

QtPlayerWindow& PlayerWindowTest::Open(const Bytes& movie) {
    const QString path = Write(QStringLiteral("movie%1.swf").arg(++movies_), movie);
    if (!window_->OpenFile(path))
        qWarning("could not open %s: %s", qPrintable(path), qPrintable(dialogs_->errors.join("|")));
    return *window_;
}

void PlayerWindowTest::Activate() {
    window_->activateWindow();
    QApplication::setActiveWindow(window_.get());
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    window_->Stage().setFocus();
}

void PlayerWindowTest::commandsFollowTheControlState() {
    QtPlayerWindow& w = *window_;
    // No movie: only High Quality (checked) is on.
    for (ControlCommand c :
         {ControlCommand::ActualSize, ControlCommand::ShowAll, ControlCommand::ZoomIn,
          ControlCommand::ZoomOut, ControlCommand::Play, ControlCommand::Rewind,
          ControlCommand::StepForward, ControlCommand::StepBack, ControlCommand::Loop})
        QVERIFY2(!w.Action(c)->isEnabled(), qPrintable(w.Action(c)->text()));
    QVERIFY(w.Action(ControlCommand::HighQuality)->isEnabled());
    QVERIFY(w.Action(ControlCommand::HighQuality)->isChecked());

    Open(StoppedMovie());
    MovieLevel& level = w.Host().Level0();
    QCOMPARE(level.currentFrame, 0);
    auto state = [&](ControlCommand c) {
        return std::make_pair(w.Action(c)->isEnabled(), w.Action(c)->isChecked());
    };
    using P = std::pair<bool, bool>;
    QCOMPARE(state(ControlCommand::ShowAll), P(true, true));
    QCOMPARE(state(ControlCommand::ActualSize), P(true, false));
    QCOMPARE(state(ControlCommand::ZoomIn), P(true, false));
    QCOMPARE(state(ControlCommand::ZoomOut), P(false, false));
    QCOMPARE(state(ControlCommand::Play), P(true, false)); // stopped by its frame action
    QCOMPARE(state(ControlCommand::Rewind), P(false, false));
    QCOMPARE(state(ControlCommand::StepForward), P(true, false));
    QCOMPARE(state(ControlCommand::StepBack), P(false, false));
    QCOMPARE(state(ControlCommand::Loop), P(true, true));

    w.Action(ControlCommand::StepForward)->trigger();
    QCOMPARE(level.currentFrame, 1);
    QCOMPARE(state(ControlCommand::Rewind), P(true, false));
    QCOMPARE(state(ControlCommand::StepBack), P(true, false));
    QCOMPARE(state(ControlCommand::Play), P(true, false));
    w.Action(ControlCommand::StepBack)->trigger();
    QCOMPARE(level.currentFrame, 0);
    QVERIFY(!w.Action(ControlCommand::StepBack)->isEnabled());

    w.Action(ControlCommand::Loop)->trigger();
    QVERIFY(!level.Looping());
    QCOMPARE(state(ControlCommand::Loop), P(true, false));

    w.Action(ControlCommand::ActualSize)->trigger();
    QCOMPARE(w.Host().ScaleMode(), 3);
    QCOMPARE(state(ControlCommand::ActualSize), P(true, true));
    QCOMPARE(state(ControlCommand::ShowAll), P(true, false));
    w.Action(ControlCommand::ShowAll)->trigger();
    QCOMPARE(w.Host().ScaleMode(), 0);
    QCOMPARE(state(ControlCommand::ShowAll), P(true, true));

    w.Action(ControlCommand::HighQuality)->trigger();
    QVERIFY(!w.Host().HighQuality());
    QVERIFY(!w.Action(ControlCommand::HighQuality)->isChecked());

    w.Action(ControlCommand::Play)->trigger();
    QVERIFY(level.Playing());
    QVERIFY(w.Action(ControlCommand::Play)->isChecked());
    // Without looping the movie plays to its last frame and stops there.
    QTRY_COMPARE(level.currentFrame, 2);
    QTRY_VERIFY(!w.Action(ControlCommand::Play)->isChecked());
    QVERIFY(!w.Action(ControlCommand::StepForward)->isEnabled());
    w.Action(ControlCommand::Rewind)->trigger();
    QCOMPARE(level.currentFrame, 0);
    QVERIFY(!w.Action(ControlCommand::Rewind)->isEnabled());
}

void PlayerWindowTest::keysRunTheCommands() {
    QtPlayerWindow& w = Open(StoppedMovie());
    Activate();
    MovieLevel& level = w.Host().Level0();
    QtPlayerStage& stage = w.Stage();
    QTest::keyClick(&stage, Qt::Key_Right);
    QTest::keyClick(&stage, Qt::Key_Right);
    QCOMPARE(level.currentFrame, 2);
    QTest::keyClick(&stage, Qt::Key_Left);
    QCOMPARE(level.currentFrame, 1);
    QTest::keyClick(&stage, Qt::Key_Home);
    QCOMPARE(level.currentFrame, 0);
    QTest::keyClick(&stage, Qt::Key_Space);
    QVERIFY(level.Playing());
    QTest::keyClick(&stage, Qt::Key_Space);
    QVERIFY(!level.Playing());
    QTest::keyClick(&stage, Qt::Key_Equal, Qt::ControlModifier); // Zoom In (Ctrl++ / Ctrl+=)
    QTest::keyClick(&stage, Qt::Key_Plus, Qt::ControlModifier);
    QVERIFY(!w.Host().ZoomRect().IsEmpty());
}

void PlayerWindowTest::zoomCommandsAndTheContextMenu() {
    QtPlayerWindow& w = Open(StoppedMovie());
    const Rect frame = w.Host().Level0().frameRect;
    w.Action(ControlCommand::ZoomIn)->trigger();
    Rect zoom = w.Host().ZoomRect();
    QCOMPARE(zoom, Rect(1000, 3000, 500, 1500)); // half of each side, around the centre
    QVERIFY(w.Action(ControlCommand::ZoomOut)->isEnabled());
    QVERIFY(!w.Action(ControlCommand::ShowAll)->isChecked());
    w.Action(ControlCommand::ZoomOut)->trigger();
    QVERIFY(w.Host().ZoomRect().IsEmpty()); // back to the whole frame
    QVERIFY(w.Action(ControlCommand::ShowAll)->isChecked());

    // The context menu zooms around the point that was clicked (the corner stays in view).
    std::unique_ptr<QMenu> menu(w.BuildContextMenu(QPoint(1, 1)));
    const QStringList texts = Texts(*menu);
    for (const char* t :
         {"Zoom &In", "Zoom &Out", "Show &All", "&100 %", "&High Quality", "&Play", "&Rewind",
          "Step &Forward", "Step &Back", "&Loop", "&Full Screen", "&Open...", "&Quit"})
        QVERIFY2(texts.contains(QString::fromLatin1(t)), t);
    for (QAction* a : menu->actions())
        if (a->text() == QStringLiteral("Zoom &In"))
            a->trigger();
    zoom = w.Host().ZoomRect();
    QCOMPARE(zoom, Rect(frame.xmin, 2000, frame.ymin, 1000));
    // A pan by dragging moves the zoomed view, and the frame keeps covering it.
    QtPlayerStage& stage = w.Stage();
    QTest::mousePress(&stage, Qt::LeftButton, {}, QPoint(100, 50));
    QTest::mouseMove(&stage, QPoint(60, 30));
    QTest::mouseRelease(&stage, Qt::LeftButton, {}, QPoint(60, 30));
    QCOMPARE(w.Host().ZoomRect(), Rect(400, 2400, 200, 1200));
}

void PlayerWindowTest::allowscaleFollowsTheArgumentRule() {
    // Through the movie: "allowscale" "false" shows one pixel per 20 twips.
    QtPlayerWindow& w = Open(StoppedMovie(GetUrl("FSCommand:allowscale", "false")));
    QCOMPARE(w.Host().ScaleMode(), 3);
    QTRY_VERIFY(w.Action(ControlCommand::ActualSize)->isChecked());
    const DisplayList& dl = w.Host().GetDisplayList();
    const int k = dl.antiAlias ? 4 : 1;
    Point16 p = dl.viewMatrix.MapDelta(2000, 1000);
    QCOMPARE(p.x, 100 * k);
    QCOMPARE(p.y, 50 * k);
    // The argument is true only as a non-zero number or "true" / "yes" in any case.
    for (const char* arg : {"true", "YES", "1", "-0.5"}) {
        w.Host().FsCommand("allowscale", arg);
        QCOMPARE(w.Host().ScaleMode(), 0);
        QTRY_VERIFY(w.Action(ControlCommand::ShowAll)->isChecked());
        w.Host().FsCommand("allowscale", "false");
        QCOMPARE(w.Host().ScaleMode(), 3);
    }
    for (const char* arg : {"false", "0", "", "no", "on", "maybe", "1x"}) {
        w.Host().FsCommand("allowscale", "true");
        w.Host().FsCommand("allowscale", arg);
        QVERIFY2(w.Host().ScaleMode() == 3, arg);
    }
}

void PlayerWindowTest::showmenuHidesTheMenusAndPlaybackEntries() {
    QtPlayerWindow& w = Open(StoppedMovie(GetUrl("FSCommand:showmenu", "false")));
    QTRY_VERIFY(!w.MenusShown());
    QVERIFY(!w.menuBar()->isVisibleTo(&w));
    std::unique_ptr<QMenu> menu(w.BuildContextMenu(QPoint(5, 5)));
    QCOMPARE(Texts(*menu), QStringList({"&Full Screen", "&Open...", "&Quit"}));
    // Shortcuts still work without the menu bar.
    Activate();
    QTest::keyClick(&w.Stage(), Qt::Key_Right);
    QCOMPARE(w.Host().Level0().currentFrame, 1);
    w.Host().FsCommand("showmenu", "true");
    QTRY_VERIFY(w.MenusShown());
    QVERIFY(w.menuBar()->isVisibleTo(&w));
}

void PlayerWindowTest::fullScreenFromTheMovieF11AndEscape() {
    QtPlayerWindow& w = Open(StoppedMovie(GetUrl("FSCommand:fullscreen", "true")));
    QTRY_VERIFY(w.isFullScreen());
    QVERIFY(!w.menuBar()->isVisibleTo(&w));
    QVERIFY(w.FullScreenAction()->isChecked());
    w.Host().FsCommand("fullscreen", "false");
    QTRY_VERIFY(!w.isFullScreen());
    QVERIFY(w.menuBar()->isVisibleTo(&w));

    Activate();
    QTest::keyClick(&w.Stage(), Qt::Key_F11);
    QTRY_VERIFY(w.isFullScreen());
    QTest::keyClick(&w.Stage(), Qt::Key_Escape); // the stage passes it on to the window
    QTRY_VERIFY(!w.isFullScreen());
    QVERIFY(!w.FullScreenAction()->isChecked());
}

void PlayerWindowTest::quitFromTheMovieClosesTheWindow() {
    QtPlayerWindow& w = Open(StoppedMovie(GetUrl("FSCommand:QUIT", "")));
    QTRY_VERIFY(!w.isVisible());
    QVERIFY(settings_->contains(QStringLiteral("Window/Geometry")));
}

void PlayerWindowTest::execRunsOnlyProgramsBesideTheMovie() {
    // fscommand/tool beside the movie may run; a program outside that folder may not.
    QVERIFY(QDir(dir_->path()).mkpath(QStringLiteral("fscommand")));
    const QString ran = dir_->filePath(QStringLiteral("ran")),
                  escaped = dir_->filePath(QStringLiteral("escaped"));
    auto script = [&](const QString& path, const QString& marker) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("#!/bin/sh\ntouch '%1'\n").arg(marker).toUtf8());
        f.close();
        QVERIFY(f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    };
    script(dir_->filePath(QStringLiteral("fscommand/tool")), ran);
    script(dir_->filePath(QStringLiteral("outside")), escaped);
    Open(StoppedMovie(Cat(
        {GetUrl("FSCommand:exec", "../outside"), GetUrl("FSCommand:exec", "tool and arguments")})));
    QTRY_VERIFY(QFile::exists(ran));
    QTest::qWait(200);
    QVERIFY(!QFile::exists(escaped));
}

void PlayerWindowTest::openingFilesThroughDialogRecentFilesAndDrops() {
    QtPlayerWindow& w = *window_;
    const QString first = Write(QStringLiteral("first.swf"), StoppedMovie());
    // The compressed form of the same movie opens too.
    Bytes plain = StoppedMovie();
    uLongf size = compressBound(uLong(plain.size()));
    Bytes packed(8 + size);
    std::copy(plain.begin(), plain.begin() + 8, packed.begin());
    packed[0] = 'C';
    QCOMPARE(compress(packed.data() + 8, &size, plain.data() + 8, uLong(plain.size() - 8)), Z_OK);
    packed.resize(8 + size);
    const QString second = Write(QStringLiteral("second.swf"), packed);

    dialogs_->answers = {first};
    w.OpenAction()->trigger();
    QCOMPARE(w.MoviePath(), first);
    QVERIFY(w.Host().Loaded());
    QCOMPARE(w.windowTitle(), QStringLiteral("first.swf - Tavro Player"));
    QCOMPARE(dialogs_->openFolders.size(), 1);

    dialogs_->answers = {second};
    w.OpenAction()->trigger();
    QCOMPARE(w.MoviePath(), second);
    QVERIFY(w.Host().Loaded());
    QCOMPARE(dialogs_->openFolders.last(), dir_->path()); // where the last movie came from
    QCOMPARE(w.RecentFiles(), QStringList({second, first}));

    // A cancelled dialog changes nothing.
    w.OpenAction()->trigger();
    QCOMPARE(w.MoviePath(), second);

    // The recent menu opens its entries; one whose file is gone is reported and forgotten.
    emit w.RecentMenu()->aboutToShow();
    QList<QAction*> entries = w.RecentMenu()->actions();
    QCOMPARE(entries.size(), 4); // two files, a separator, Clear Menu
    QCOMPARE(entries[1]->data().toString(), first);
    entries[1]->trigger();
    QCOMPARE(w.MoviePath(), first);
    QCOMPARE(w.RecentFiles(), QStringList({first, second}));
    QFile::remove(second);
    emit w.RecentMenu()->aboutToShow();
    w.RecentMenu()->actions()[1]->trigger();
    QCOMPARE(dialogs_->errors.size(), 1);
    QVERIFY(dialogs_->errors[0].startsWith(QStringLiteral("Cannot open \"second.swf\".")));
    QCOMPARE(w.RecentFiles(), QStringList({first}));
    QCOMPARE(w.MoviePath(), first); // still showing what it showed
    QVERIFY(w.Host().Loaded());

    // Not a movie: a clear message, and the recent files stay as they were.
    const QString text =
        Write(QStringLiteral("notes.swf"), Bytes{'h', 'e', 'l', 'l', 'o', '!', '!', '!', '!'});
    QVERIFY(!w.OpenFile(text));
    QVERIFY(dialogs_->errors.last().contains(QStringLiteral("not an SWF movie")));
    QCOMPARE(w.RecentFiles(), QStringList({first}));

    // A file dropped onto the window opens.
    const QString dropped = Write(QStringLiteral("dropped.swf"), StoppedMovie());
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(dropped)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &drop);
    QCOMPARE(w.MoviePath(), dropped);

    w.RecentMenu()->actions().last()->trigger(); // Clear Menu
    QVERIFY(w.RecentFiles().isEmpty());
}

void PlayerWindowTest::windowTakesTheMovieSizeAndKeepsItsAspect() {
    QtPlayerWindow& w = Open(StoppedMovie());
    QCOMPARE(w.Stage().size(), QSize(200, 100));
    w.resize(w.width() + 100, w.height());
    // Once the resize settles, the stage has the movie's aspect again.
    QTRY_COMPARE(w.Stage().size(), QSize(300, 150));

    // The placement is kept for the next window.
    w.move(40, 30);
    const QRect geometry = w.geometry();
    w.close();
    QtPlayerWindow again(*settings_, *dialogs_);
    QCOMPARE(again.geometry(), geometry);
}

void PlayerWindowTest::typingGoesToTheFocusedFieldBeforeShortcuts() {
    Bytes tags = DefineFont2(2, "Test", "abcde ");
    FieldSpec field;
    field.fontId = 2;
    field.variable = "name";
    field.initial = "abc";
    Append(tags, DefineEditText(10, field));
    Append(tags, Place2(2, 10));
    QtPlayerWindow& w = Open(StoppedMovie({}, tags));
    Activate();
    QtPlayerStage& stage = w.Stage();
    MovieLevel& level = w.Host().Level0();
    QVERIFY(!w.Host().EditingText());
    QTest::mouseClick(&stage, Qt::LeftButton, {}, QPoint(40, 7)); // beyond the text: its end
    QVERIFY(w.Host().EditingText());

    QTest::keyClicks(&stage, QStringLiteral("d e"));
    QTest::keyClick(&stage, Qt::Key_Left);                    // the caret, not Step Back
    QTest::keyClick(&stage, Qt::Key_Home, Qt::ShiftModifier); // a selection, not Rewind
    QTest::keyClick(&stage, Qt::Key_Backspace);
    const std::string* value = FindVariable(level, "name");
    QVERIFY(value);
    QCOMPARE(QString::fromStdString(*value), QStringLiteral("e"));
    QCOMPARE(level.currentFrame, 0);
    QVERIFY(!level.Playing()); // Space was typed, not Play

    // Copy and paste through the clipboard.
    QTest::keyClick(&stage, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&stage, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("e"));
    QTest::keyClick(&stage, Qt::Key_End);
    QTest::keyClick(&stage, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(QString::fromStdString(*FindVariable(level, "name")), QStringLiteral("ee"));

    // Away from the field the keys are the window's again.
    QTest::mouseClick(&stage, Qt::LeftButton, {}, QPoint(150, 80));
    QVERIFY(!w.Host().EditingText());
    QTest::keyClick(&stage, Qt::Key_Right);
    QCOMPARE(level.currentFrame, 1);
}

void PlayerWindowTest::getUrlToTheWebGoesToTheBrowserSeam() {
    std::vector<std::pair<QString, QString>> opened;
    QtPlayerHost::SetUrlOpener(
        [&](const QString& url, const QString& target) { opened.emplace_back(url, target); });
    // URL and target pushed in one record, as other tools write them.
    Bytes push{0x96};
    const std::string url = "http://example.org/a", target = "BLANK";
    U16(push, uint32_t(url.size() + target.size() + 4));
    push.push_back(0);
    push.insert(push.end(), url.begin(), url.end());
    push.push_back(0);
    push.push_back(0);
    push.insert(push.end(), target.begin(), target.end());
    push.push_back(0);
    Bytes actions =
        Cat({push, Bytes{0x9A, 1, 0, 0}, GetUrl("http://example.org/b", "_Blank"),
             GetUrl("http://example.org/c", "self"), GetUrl("file:///tmp/local.html", "_blank")});
    Open(StoppedMovie(actions));
    QCOMPARE(opened.size(), size_t(3));
    QCOMPARE(opened[0],
             std::make_pair(QStringLiteral("http://example.org/a"), QStringLiteral("_blank")));
    QCOMPARE(opened[1].second, QStringLiteral("_blank"));
    QCOMPARE(opened[2],
             std::make_pair(QStringLiteral("http://example.org/c"), QStringLiteral("self")));
}

} // namespace
} // namespace tavro::player::test

QTEST_MAIN(tavro::player::test::PlayerWindowTest)
#include "PlayerWindowTest.moc"
