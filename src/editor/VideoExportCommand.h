// File > Export Video: the options dialog, the save dialog (through the dialog seam) and the
// export under a progress dialog whose Cancel stops it and removes what it wrote. The folder of
// the last video is remembered under "Video"/"Folder".
#pragma once

#include "export/video/VideoExport.h"

#include <QString>

#include <cstdint>
#include <span>

class QWidget;

namespace tavro {
class AppSettings;
class CDocObj;
} // namespace tavro

namespace tavro::editor {

class CVideoExportDlg;
class DialogService;

class VideoExportCommand {
public:
    VideoExportCommand(QWidget* parent, DialogService& dialogs, AppSettings& settings);

    // The whole command for the movie. True when a file was written.
    bool Run(CDocObj& doc);
    // Asks where to write (the save dialog), remembering the folder. Empty when cancelled.
    QString ChooseOutput(const CVideoExportDlg& dialog, const CDocObj& doc);
    // Exports under the progress dialog; a failure is shown as an error message.
    video::VideoExportResult Export(std::span<const uint8_t> swf,
                                    const video::VideoExportOptions& options);

private:
    QWidget* parent_;
    DialogService& dialogs_;
    AppSettings& settings_;
};

} // namespace tavro::editor
