#include "editor/VideoExportCommand.h"

#include "editor/CVideoExportDlg.h"
#include "editor/DialogService.h"
#include "editor/QtText.h"
#include "export/AppSettings.h"
#include "export/CFilePath.h"
#include "export/ExportCommands.h"
#include "export/MovieExport.h"
#include "model/CDocObj.h"

#include <QProgressDialog>

#include <cmath>

namespace tavro::editor {

namespace {

constexpr const char* kSection = "Video";

QString FrameText(const video::VideoProgress& p) {
    if (p.passes > 1 && p.pass == 0)
        return QStringLiteral("Gathering the colours: frame %1 of %2").arg(p.frame).arg(p.frames);
    return QStringLiteral("Writing frame %1 of %2").arg(p.frame).arg(p.frames);
}

} // namespace

VideoExportCommand::VideoExportCommand(QWidget* parent, DialogService& dialogs,
                                       AppSettings& settings)
    : parent_(parent), dialogs_(dialogs), settings_(settings) {}

bool VideoExportCommand::Run(CDocObj& doc) {
    const CDoublePoint size = doc.GetMovieSize();
    CVideoExportDlg dialog(int(std::lround(size.x)), int(std::lround(size.y)), doc.GetFrameRate(),
                           parent_);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QString path = ChooseOutput(dialog, doc);
    if (path.isEmpty())
        return false;
    video::VideoExportOptions options = dialog.Options();
    options.output = ToFilePath(path);
    const std::vector<uint8_t> swf = ExportMovieToMemory(doc);
    return Export(swf, options).ok;
}

QString VideoExportCommand::ChooseOutput(const CVideoExportDlg& dialog, const CDocObj& doc) {
    const video::VideoFormat format = dialog.Format();
    const QString extension = CVideoExportDlg::Extension(format);
    FileDialogRequest request;
    request.title = QStringLiteral("Export Video");
    request.filter = CVideoExportDlg::FileFilter(format);
    request.defaultSuffix = extension;
    const std::string fallback =
        CFilePath::FromLocation(CFilePath::Location::ProgramFolder).GetFolder();
    request.folder = FromFilePath(settings_.GetString(kSection, "Folder", fallback));
    request.fileName = FromFilePath(ExportCommands::BaseName(doc)) +
                       (extension.isEmpty() ? QString() : QStringLiteral(".") + extension);
    QString path = dialogs_.GetSaveFileName(parent_, request);
    if (path.isEmpty())
        return {};
    // The format is the one chosen in the dialog, whatever the name ends with.
    if (!extension.isEmpty() &&
        !path.endsWith(QStringLiteral(".") + extension, Qt::CaseInsensitive) &&
        video::VideoFormatForPath(ToFilePath(path)) != format)
        path += QStringLiteral(".") + extension;
    const CFilePath split(ToFilePath(path));
    if (!split.GetDirectory().empty())
        settings_.SetString(kSection, "Folder", split.GetDirectory());
    return path;
}

video::VideoExportResult VideoExportCommand::Export(std::span<const uint8_t> swf,
                                                    const video::VideoExportOptions& options) {
    QProgressDialog progress(QStringLiteral("Preparing the movie..."), QStringLiteral("Cancel"), 0,
                             1, parent_);
    progress.setWindowTitle(QStringLiteral("Export Video"));
    progress.setObjectName(QStringLiteral("VideoExportProgress"));
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setValue(0);
    const video::VideoExportResult result =
        video::ExportVideo(swf, options, [&](const video::VideoProgress& p) {
            const int scale = p.total > 1000000 ? 1000 : 1;
            progress.setMaximum(int(p.total / scale));
            progress.setLabelText(FrameText(p));
            // Shows the dialog's changes and lets Cancel be pressed.
            progress.setValue(int(p.done / scale));
            return !progress.wasCanceled();
        });
    progress.close();
    if (!result.ok && !result.cancelled)
        dialogs_.Error(parent_,
                       QStringLiteral("Export Video failed.\n\n") + FromFilePath(result.message));
    return result;
}

} // namespace tavro::editor
