// File dialogs and message boxes behind one seam, so that tests answer them from a script
// without a modal loop. QtDialogService shows the real ones; ScriptedDialogService answers from
// queues and records what was asked.
#pragma once

#include <QString>
#include <QStringList>

#include <deque>
#include <vector>

class QWidget;

namespace tavro::editor {

struct FileDialogRequest {
    QString title;
    // Filters in the "Text (*.a)|*.a|All Files (*.*)|*.*||" form of the command tables.
    QString filter;
    QString defaultSuffix; // without the dot: "swi"
    QString folder;        // where the dialog opens
    QString fileName;      // proposed name (save dialogs)
};

// Qt's filter list for a "text|pattern|...||" filter string. "*.*" means every file.
QStringList QtNameFilters(const QString& pipeFilter);

class DialogService {
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~DialogService() = default;
    // The chosen path, or empty when the dialog was cancelled.
    virtual QString GetOpenFileName(QWidget* parent, const FileDialogRequest& request) = 0;
    virtual QString GetSaveFileName(QWidget* parent, const FileDialogRequest& request) = 0;
    // A Yes / No / Cancel question.
    virtual Answer Question(QWidget* parent, const QString& text) = 0;
    virtual void Information(QWidget* parent, const QString& text) = 0;
    virtual void Error(QWidget* parent, const QString& text) = 0;
};

class ScriptedDialogService : public DialogService {
public:
    struct Shown {
        enum class Kind { Open, Save, Question, Information, Error } kind;
        QString text; // the message, or the dialog's title
        FileDialogRequest request;
    };

    QString GetOpenFileName(QWidget*, const FileDialogRequest& request) override;
    QString GetSaveFileName(QWidget*, const FileDialogRequest& request) override;
    Answer Question(QWidget*, const QString& text) override;
    void Information(QWidget*, const QString& text) override;
    void Error(QWidget*, const QString& text) override;

    // Answers in order; an empty queue answers "cancel" (no file) and Cancel.
    std::deque<QString> fileAnswers;
    std::deque<Answer> questionAnswers;
    std::vector<Shown> shown;

    // The texts of the messages shown of one kind.
    QStringList Texts(Shown::Kind kind) const;
};

} // namespace tavro::editor
