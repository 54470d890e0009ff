// The Export Video dialog: the kind of file, the picture size, the frame rate, the length, the
// quality, the sound and a transparent background of a video or animated image of the movie.
#pragma once

#include "export/video/VideoExport.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QRadioButton;
class QSpinBox;

namespace tavro::editor {

class CVideoExportDlg : public QDialog {
    Q_OBJECT
public:
    // The movie's own size in pixels and frame rate, the defaults of the dialog.
    CVideoExportDlg(int movieWidth, int movieHeight, double movieRate, QWidget* parent = nullptr);

    video::VideoFormat Format() const;
    void SetFormat(video::VideoFormat format);
    // The choices as export options; the output is left empty.
    video::VideoExportOptions Options() const;
    // Why the choices cannot be exported, or empty.
    QString Problem() const;

    // The extension of a format's files without the dot ("mp4"), empty for a folder.
    static QString Extension(video::VideoFormat format);
    // The save dialog's filter for a format ("MP4 Video (*.mp4)|*.mp4||").
    static QString FileFilter(video::VideoFormat format);

    QComboBox* FormatBox() const { return format_; }
    QSpinBox* WidthBox() const { return width_; }
    QSpinBox* HeightBox() const { return height_; }
    QCheckBox* KeepProportionsBox() const { return keep_; }
    QComboBox* RateBox() const { return rate_; }
    QRadioButton* UntilStopButton() const { return untilStop_; }
    QRadioButton* LoopsButton() const { return loopsChoice_; }
    QRadioButton* FramesButton() const { return framesChoice_; }
    QSpinBox* LoopsBox() const { return loops_; }
    QSpinBox* FramesBox() const { return frames_; }
    QComboBox* QualityBox() const { return quality_; }
    QCheckBox* SoundBox() const { return sound_; }
    QCheckBox* TransparentBox() const { return transparent_; }
    QDialogButtonBox* Buttons() const { return buttons_; }

private:
    void OnFormatChanged();
    void OnWidthChanged(int width);
    void OnHeightChanged(int height);
    void UpdateState();
    // The frame rate chosen, as text for ParseVideoRate.
    QString RateChoice() const;

    int movieWidth_;
    int movieHeight_;
    QComboBox* format_ = nullptr;
    QSpinBox* width_ = nullptr;
    QSpinBox* height_ = nullptr;
    QCheckBox* keep_ = nullptr;
    QComboBox* rate_ = nullptr;
    QRadioButton* untilStop_ = nullptr;
    QRadioButton* loopsChoice_ = nullptr;
    QRadioButton* framesChoice_ = nullptr;
    QSpinBox* loops_ = nullptr;
    QSpinBox* frames_ = nullptr;
    QComboBox* quality_ = nullptr;
    QCheckBox* sound_ = nullptr;
    QCheckBox* transparent_ = nullptr;
    QLabel* problem_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
    bool syncing_ = false;
};

} // namespace tavro::editor
