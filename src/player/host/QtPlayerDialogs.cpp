#include "player/host/QtPlayerDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

namespace tavro::player {

QString QtPlayerStandardDialogs::OpenMovie(QWidget* parent, const QString& folder) {
    QFileDialog dialog(parent, QStringLiteral("Open Movie"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(
        {QStringLiteral("Movies (*.swf *.SWF)"), QStringLiteral("All Files (*)")});
    if (!folder.isEmpty() && QDir(folder).exists())
        dialog.setDirectory(folder);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front();
}

void QtPlayerStandardDialogs::Error(QWidget* parent, const QString& text) {
    QMessageBox::critical(parent, QApplication::applicationDisplayName(), text);
}

} // namespace tavro::player
