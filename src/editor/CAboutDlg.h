// The about box: the program's version and the libraries it is built on, with their licences.
#pragma once

#include <QDialog>

namespace tavro::editor {

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    // The text shown, as rich text.
    static QString AboutText();
};

} // namespace tavro::editor
