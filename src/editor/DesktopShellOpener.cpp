#include "editor/DesktopShellOpener.h"

#include "editor/QtText.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>

#include <optional>
#include <utility>

namespace tavro::editor {

namespace {

// The desktop file of the default program for `mimeType`: empty when none is registered, none
// when the question cannot be asked (no xdg-mime).
std::optional<QString> DefaultApplication(const QString& mimeType) {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (tool.isEmpty())
        return std::nullopt;
    QProcess query;
    query.start(tool, {QStringLiteral("query"), QStringLiteral("default"), mimeType});
    if (!query.waitForFinished(5000) || query.exitStatus() != QProcess::NormalExit) {
        query.kill();
        query.waitForFinished(1000);
        return std::nullopt;
    }
    return QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
}

} // namespace

DesktopShellOpener::DesktopShellOpener(QString programFolder)
    : programFolder_(std::move(programFolder)) {}

QString DesktopShellOpener::PlayerFor(const std::string& fileName) const {
    if (!FromFilePath(fileName).endsWith(QStringLiteral(".swf"), Qt::CaseInsensitive))
        return {};
    const QString folder =
        programFolder_.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder_;
    const QFileInfo player(QDir(folder).filePath(QStringLiteral("tavro-player")));
    return player.isFile() && player.isExecutable() ? player.absoluteFilePath() : QString();
}

bool DesktopShellOpener::Open(const std::string& folder, const std::string& fileName,
                              std::string& error) {
    if (const QString player = PlayerFor(fileName); !player.isEmpty())
        return XdgShellOpener(ToFilePath(player)).Open(folder, fileName, error);
    const QString path = FromFilePath(folder + fileName);
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    if (type.isValid() && !type.isDefault()) {
        // A program may be registered under an alias of the type's name.
        std::optional<QString> program = DefaultApplication(type.name());
        for (const QString& alias : type.aliases()) {
            if (!program || !program->isEmpty())
                break;
            program = DefaultApplication(alias);
        }
        if (program && program->isEmpty()) {
            const QString suffix = QFileInfo(path).suffix();
            error = "no program is registered to open ." + ToFilePath(suffix) + " files";
            return false;
        }
    }
    return xdg_.Open(folder, fileName, error);
}

} // namespace tavro::editor
