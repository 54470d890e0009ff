#include "editor/CVideoExportDlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>

namespace tavro::editor {

namespace {

using video::VideoFormat;

constexpr VideoFormat kFormats[] = {VideoFormat::Mp4,  VideoFormat::WebM, VideoFormat::Gif,
                                    VideoFormat::WebP, VideoFormat::Apng, VideoFormat::PngFolder};
constexpr const char* kFormatNames[] = {"MP4 video (H.264 + AAC)",
                                        "WebM video (VP9 + Opus)",
                                        "Animated GIF",
                                        "Animated WebP",
                                        "Animated PNG",
                                        "PNG files, one a frame (folder)"};
constexpr int kMaxSide = 8192;

QString RateText(double rate) {
    return QString::number(rate, 'g', 6);
}

} // namespace

CVideoExportDlg::CVideoExportDlg(int movieWidth, int movieHeight, double movieRate, QWidget* parent)
    : QDialog(parent), movieWidth_(std::max(movieWidth, 1)),
      movieHeight_(std::max(movieHeight, 1)) {
    setWindowTitle(QStringLiteral("Export Video"));
    setObjectName(QStringLiteral("VideoExportDialog"));

    format_ = new QComboBox(this);
    format_->setObjectName(QStringLiteral("Format"));
    for (const char* name : kFormatNames)
        format_->addItem(QString::fromLatin1(name));

    width_ = new QSpinBox(this);
    width_->setObjectName(QStringLiteral("Width"));
    height_ = new QSpinBox(this);
    height_->setObjectName(QStringLiteral("Height"));
    for (QSpinBox* box : {width_, height_}) {
        box->setRange(1, kMaxSide);
        box->setSuffix(QStringLiteral(" px"));
    }
    width_->setValue(std::min(movieWidth_, kMaxSide));
    height_->setValue(std::min(movieHeight_, kMaxSide));
    keep_ = new QCheckBox(QStringLiteral("&Keep proportions"), this);
    keep_->setObjectName(QStringLiteral("KeepProportions"));
    keep_->setChecked(true);
    auto* size = new QHBoxLayout;
    size->addWidget(width_);
    size->addWidget(new QLabel(QStringLiteral("\u00d7"), this));
    size->addWidget(height_);
    size->addWidget(keep_);
    size->addStretch(1);

    rate_ = new QComboBox(this);
    rate_->setObjectName(QStringLiteral("FrameRate"));
    rate_->setEditable(true);
    rate_->addItem(RateText(movieRate) + QStringLiteral(" (the movie's)"), RateText(movieRate));
    for (const char* r : {"24", "25", "30", "50", "60"})
        rate_->addItem(QString::fromLatin1(r), QString::fromLatin1(r));
    auto* rateRow = new QHBoxLayout;
    rateRow->addWidget(rate_);
    rateRow->addWidget(new QLabel(QStringLiteral("frames a second"), this));
    rateRow->addStretch(1);

    untilStop_ =
        new QRadioButton(QStringLiteral("Until the movie &stops or has played once"), this);
    untilStop_->setObjectName(QStringLiteral("UntilStop"));
    loopsChoice_ = new QRadioButton(QStringLiteral("&Times through the movie:"), this);
    loopsChoice_->setObjectName(QStringLiteral("LoopsChoice"));
    framesChoice_ = new QRadioButton(QStringLiteral("&Number of frames:"), this);
    framesChoice_->setObjectName(QStringLiteral("FramesChoice"));
    auto* lengthGroup = new QButtonGroup(this);
    for (QRadioButton* b : {untilStop_, loopsChoice_, framesChoice_})
        lengthGroup->addButton(b);
    untilStop_->setChecked(true);
    loops_ = new QSpinBox(this);
    loops_->setObjectName(QStringLiteral("Loops"));
    loops_->setRange(1, 10000);
    frames_ = new QSpinBox(this);
    frames_->setObjectName(QStringLiteral("Frames"));
    frames_->setRange(1, 10000000);
    frames_->setValue(100);
    auto* length = new QGridLayout;
    length->addWidget(untilStop_, 0, 0, 1, 2);
    length->addWidget(loopsChoice_, 1, 0);
    length->addWidget(loops_, 1, 1);
    length->addWidget(framesChoice_, 2, 0);
    length->addWidget(frames_, 2, 1);
    length->setColumnStretch(2, 1);

    quality_ = new QComboBox(this);
    quality_->setObjectName(QStringLiteral("Quality"));
    quality_->addItem(QStringLiteral("High"));
    quality_->addItem(QStringLiteral("Low (smaller file)"));
    sound_ = new QCheckBox(QStringLiteral("Include the movie's &sound"), this);
    sound_->setObjectName(QStringLiteral("Sound"));
    sound_->setChecked(true);
    transparent_ = new QCheckBox(QStringLiteral("&Transparent background"), this);
    transparent_->setObjectName(QStringLiteral("Transparent"));

    problem_ = new QLabel(this);
    problem_->setObjectName(QStringLiteral("Problem"));
    problem_->setStyleSheet(QStringLiteral("color: #b00000"));
    problem_->setWordWrap(true);

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons_->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Export..."));
    connect(buttons_, &QDialogButtonBox::accepted, this, [this] {
        if (Problem().isEmpty())
            accept();
    });
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout;
    auto row = [this, form](const char* text, QWidget* buddy, auto* field) {
        auto* label = new QLabel(QString::fromLatin1(text), this);
        label->setBuddy(buddy);
        form->addRow(label, field);
    };
    row("&Format:", format_, format_);
    row("Si&ze:", width_, size);
    row("Frame &rate:", rate_, rateRow);
    row("&Quality:", quality_, quality_);
    auto* lengthBox = new QGroupBox(QStringLiteral("Length"), this);
    lengthBox->setLayout(length);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(lengthBox);
    layout->addWidget(sound_);
    layout->addWidget(transparent_);
    layout->addWidget(problem_);
    layout->addWidget(buttons_);

    connect(format_, &QComboBox::currentIndexChanged, this, &CVideoExportDlg::OnFormatChanged);
    connect(width_, &QSpinBox::valueChanged, this, &CVideoExportDlg::OnWidthChanged);
    connect(height_, &QSpinBox::valueChanged, this, &CVideoExportDlg::OnHeightChanged);
    connect(rate_, &QComboBox::currentTextChanged, this, &CVideoExportDlg::UpdateState);
    for (QRadioButton* b : {untilStop_, loopsChoice_, framesChoice_})
        connect(b, &QRadioButton::toggled, this, &CVideoExportDlg::UpdateState);
    connect(transparent_, &QCheckBox::toggled, this, &CVideoExportDlg::UpdateState);
    OnFormatChanged();
}

VideoFormat CVideoExportDlg::Format() const {
    const int i = std::clamp(format_->currentIndex(), 0, int(std::size(kFormats)) - 1);
    return kFormats[i];
}

void CVideoExportDlg::SetFormat(VideoFormat format) {
    for (size_t i = 0; i < std::size(kFormats); ++i)
        if (kFormats[i] == format)
            format_->setCurrentIndex(int(i));
}

QString CVideoExportDlg::Extension(VideoFormat format) {
    return QString::fromLatin1(video::TraitsOf(format).extension).mid(1);
}

QString CVideoExportDlg::FileFilter(VideoFormat format) {
    switch (format) {
    case VideoFormat::Mp4:
        return QStringLiteral("MP4 Video (*.mp4)|*.mp4||");
    case VideoFormat::WebM:
        return QStringLiteral("WebM Video (*.webm)|*.webm||");
    case VideoFormat::Gif:
        return QStringLiteral("Animated GIF (*.gif)|*.gif||");
    case VideoFormat::WebP:
        return QStringLiteral("Animated WebP (*.webp)|*.webp||");
    case VideoFormat::Apng:
        return QStringLiteral("Animated PNG (*.apng)|*.apng||");
    case VideoFormat::PngFolder:
        break;
    }
    return QStringLiteral("New Folder (*)|*||");
}

void CVideoExportDlg::OnFormatChanged() {
    const video::VideoFormatTraits& traits = video::TraitsOf(Format());
    sound_->setEnabled(traits.sound);
    transparent_->setEnabled(traits.alpha);
    if (!traits.alpha)
        transparent_->setChecked(false);
    UpdateState();
}

void CVideoExportDlg::OnWidthChanged(int width) {
    if (syncing_ || !keep_->isChecked())
        return UpdateState();
    syncing_ = true;
    height_->setValue(
        std::clamp(int(std::lround(double(width) * movieHeight_ / movieWidth_)), 1, kMaxSide));
    syncing_ = false;
    UpdateState();
}

void CVideoExportDlg::OnHeightChanged(int height) {
    if (syncing_ || !keep_->isChecked())
        return UpdateState();
    syncing_ = true;
    width_->setValue(
        std::clamp(int(std::lround(double(height) * movieWidth_ / movieHeight_)), 1, kMaxSide));
    syncing_ = false;
    UpdateState();
}

QString CVideoExportDlg::RateChoice() const {
    // A listed rate by its value; a typed one as typed.
    const QString text = rate_->currentText().trimmed();
    const int i = rate_->findText(text);
    return i >= 0 ? rate_->itemData(i).toString() : text;
}

QString CVideoExportDlg::Problem() const {
    const video::VideoFormatTraits& traits = video::TraitsOf(Format());
    const std::optional<video::VideoRate> rate = video::ParseVideoRate(RateChoice().toStdString());
    if (!rate)
        return QStringLiteral("The frame rate must be a number of frames a second, like 30 or "
                              "29.97.");
    if (rate->Value() < 1 || rate->Value() > traits.maxRate)
        return QStringLiteral("%1 takes 1 to %2 frames a second.")
            .arg(QString::fromLatin1(traits.name))
            .arg(traits.maxRate);
    return {};
}

void CVideoExportDlg::UpdateState() {
    loops_->setEnabled(loopsChoice_->isChecked());
    frames_->setEnabled(framesChoice_->isChecked());
    const QString problem = Problem();
    problem_->setText(problem);
    problem_->setVisible(!problem.isEmpty());
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(problem.isEmpty());
}

video::VideoExportOptions CVideoExportDlg::Options() const {
    video::VideoExportOptions o;
    o.format = Format();
    o.width = width_->value();
    o.height = height_->value();
    if (const std::optional<video::VideoRate> rate =
            video::ParseVideoRate(RateChoice().toStdString()))
        o.rate = *rate;
    if (loopsChoice_->isChecked()) {
        o.length = video::VideoExportOptions::Length::Loops;
        o.loops = loops_->value();
    } else if (framesChoice_->isChecked()) {
        o.length = video::VideoExportOptions::Length::Frames;
        o.frames = frames_->value();
    }
    o.highQuality = quality_->currentIndex() == 0;
    o.sound = sound_->isChecked();
    o.transparent = transparent_->isEnabled() && transparent_->isChecked();
    return o;
}

} // namespace tavro::editor
