// The real file dialogs and message boxes.
#pragma once

#include "editor/DialogService.h"

namespace tavro::editor {

class QtDialogService : public DialogService {
public:
    QString GetOpenFileName(QWidget* parent, const FileDialogRequest& request) override;
    QString GetSaveFileName(QWidget* parent, const FileDialogRequest& request) override;
    Answer Question(QWidget* parent, const QString& text) override;
    void Information(QWidget* parent, const QString& text) override;
    void Error(QWidget* parent, const QString& text) override;
    void Warning(QWidget* parent, const QString& text) override;
    std::optional<QColor> GetColor(QWidget* parent, const QColor& initial,
                                   const QString& title) override;
};

} // namespace tavro::editor
