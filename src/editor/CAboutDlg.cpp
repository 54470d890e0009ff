#include "editor/CAboutDlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

namespace tavro::editor {

QString CAboutDlg::AboutText() {
    return QStringLiteral("<h3>Tavro v0.06</h3>"
                          "<p>Short text animations for web pages.</p>"
                          "<p>Built with:</p><ul>"
                          "<li>Qt %1 &mdash; GNU LGPL version 3</li>"
                          "<li>FreeType &mdash; FreeType License (BSD-style)</li>"
                          "<li>Fontconfig &mdash; MIT-style licence</li>"
                          "<li>zlib &mdash; zlib licence</li>"
                          "<li>libjpeg-turbo (IJG JPEG library) &mdash; IJG licence and BSD-style "
                          "licences</li>"
                          "<li>mpg123 &mdash; GNU LGPL version 2.1</li>"
                          "<li>SDL2 &mdash; zlib licence</li>"
                          "<li>nlohmann/json &mdash; MIT licence</li>"
                          "<li>FFmpeg (libavformat, libavcodec, libavfilter, libswscale, "
                          "libswresample) with libx264, libvpx, libopus and libwebp, for video "
                          "export &mdash; GNU LGPL version 2.1 or later; Debian builds them "
                          "under the GNU GPL</li>"
                          "</ul>")
        .arg(QString::fromLatin1(qVersion()));
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Tavro"));
    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/tavro/icons/tavro.svg")).pixmap(64, 64));
    icon->setAlignment(Qt::AlignTop);
    auto* text = new QLabel(AboutText(), this);
    text->setObjectName(QStringLiteral("AboutText"));
    text->setTextFormat(Qt::RichText);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addWidget(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
}

} // namespace tavro::editor
