#include "editor/QtDialogService.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

namespace tavro::editor {

namespace {

QString RunFileDialog(QWidget* parent, const FileDialogRequest& request, bool save) {
    QFileDialog dialog(parent, request.title);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(QtNameFilters(request.filter));
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.folder.isEmpty() && QDir(request.folder).exists())
        dialog.setDirectory(request.folder);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front();
}

QString Caption() {
    return QApplication::applicationDisplayName();
}

} // namespace

QString QtDialogService::GetOpenFileName(QWidget* parent, const FileDialogRequest& request) {
    return RunFileDialog(parent, request, false);
}

QString QtDialogService::GetSaveFileName(QWidget* parent, const FileDialogRequest& request) {
    return RunFileDialog(parent, request, true);
}

DialogService::Answer QtDialogService::Question(QWidget* parent, const QString& text) {
    const auto button = QMessageBox::question(
        parent, Caption(), text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
        QMessageBox::Yes);
    if (button == QMessageBox::Yes)
        return Answer::Yes;
    if (button == QMessageBox::No)
        return Answer::No;
    return Answer::Cancel;
}

void QtDialogService::Information(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, Caption(), text);
}

void QtDialogService::Error(QWidget* parent, const QString& text) {
    QMessageBox::critical(parent, Caption(), text);
}

void QtDialogService::Warning(QWidget* parent, const QString& text) {
    QMessageBox::warning(parent, Caption(), text);
}

std::optional<QColor> QtDialogService::GetColor(QWidget* parent, const QColor& initial,
                                                const QString& title) {
    const QColor chosen = QColorDialog::getColor(initial, parent, title);
    if (!chosen.isValid())
        return std::nullopt;
    return chosen;
}

} // namespace tavro::editor
