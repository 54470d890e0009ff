#include "editor/DesktopShellOpener.h"

#include "editor/QtText.h"

#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>

#include <optional>

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

bool DesktopShellOpener::Open(const std::string& folder, const std::string& fileName,
                              std::string& error) {
    const QString path = FromFilePath(folder + fileName);
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    if (type.isValid() && !type.isDefault()) {
        const std::optional<QString> program = DefaultApplication(type.name());
        if (program && program->isEmpty()) {
            const QString suffix = QFileInfo(path).suffix();
            error = "no program is registered to open ." + ToFilePath(suffix) + " files";
            return false;
        }
    }
    return xdg_.Open(folder, fileName, error);
}

} // namespace tavro::editor
