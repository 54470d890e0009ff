// Test In Player's opener: a movie goes to the tavro-player beside the editor when one is there,
// anything else (and a movie without such a player) to the desktop's registered program.
#include "editor/DesktopShellOpener.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <string>

namespace tavro::editor {
namespace {

class ShellOpenerTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void moviesGoToThePlayerBesideTheEditor();
};

void ShellOpenerTest::moviesGoToThePlayerBesideTheEditor() {
    QTemporaryDir programs, tests;
    const QString marker = tests.filePath(QStringLiteral("opened.txt"));
    const QString player = programs.filePath(QStringLiteral("tavro-player"));

    DesktopShellOpener opener(programs.path());
    QVERIFY(opener.PlayerFor("movie.swf").isEmpty()); // no player there yet

    QFile script(player);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\necho \"$PWD|$1\" > '%1'\n").arg(marker).toUtf8());
    script.close();
    QVERIFY(opener.PlayerFor("movie.swf").isEmpty()); // not executable
    QVERIFY(QFile::setPermissions(player, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QCOMPARE(opener.PlayerFor("movie.swf"), player);
    QCOMPARE(opener.PlayerFor("MOVIE.SWF"), player);
    QVERIFY(opener.PlayerFor("page.html").isEmpty());

    const std::string folder = QDir(tests.path()).canonicalPath().toStdString() + "/";
    std::string error;
    QVERIFY(opener.Open(folder, "Untitled.swf", error));
    // The player runs detached: wait for the line it writes.
    QTRY_VERIFY(QFileInfo(marker).size() > 0);
    QFile result(marker);
    QVERIFY(result.open(QIODevice::ReadOnly));
    const QString line = QString::fromUtf8(result.readAll()).trimmed();
    QCOMPARE(line, QString::fromStdString(folder.substr(0, folder.size() - 1) + "|" + folder +
                                          "Untitled.swf"));
}

} // namespace
} // namespace tavro::editor

QTEST_MAIN(tavro::editor::ShellOpenerTest)
#include "ShellOpenerTest.moc"
