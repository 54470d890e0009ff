// File dialogs and message boxes behind one seam, so that tests answer them from a script
// without a modal loop. QtDialogService shows the real ones; ScriptedDialogService answers from
// queues and records what was asked.
#pragma once

#include <QColor>
#include <QString>
#include <QStringList>

#include <deque>
#include <optional>
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
    // A value the user typed cannot be taken (the field keeps its previous value).
    virtual void Warning(QWidget* parent, const QString& text) { Error(parent, text); }
    // The colour chooser, opened on `initial`: the chosen colour, or none when cancelled.
    virtual std::optional<QColor> GetColor(QWidget* parent, const QColor& initial,
                                           const QString& title) {
        (void)parent, (void)initial, (void)title;
        return std::nullopt;
    }
};

class ScriptedDialogService : public DialogService {
public:
    struct Shown {
        enum class Kind { Open, Save, Question, Information, Error, Warning, Color } kind;
        QString text; // the message, or the dialog's title
        FileDialogRequest request;
        QColor color; // the colour a colour chooser opened on
    };

    QString GetOpenFileName(QWidget*, const FileDialogRequest& request) override;
    QString GetSaveFileName(QWidget*, const FileDialogRequest& request) override;
    Answer Question(QWidget*, const QString& text) override;
    void Information(QWidget*, const QString& text) override;
    void Error(QWidget*, const QString& text) override;
    void Warning(QWidget*, const QString& text) override;
    std::optional<QColor> GetColor(QWidget*, const QColor& initial, const QString& title) override;

    // Answers in order; an empty queue answers "cancel" (no file, no colour) and Cancel.
    std::deque<QString> fileAnswers;
    std::deque<Answer> questionAnswers;
    std::deque<std::optional<QColor>> colorAnswers;
    std::vector<Shown> shown;

    // The texts of the messages shown of one kind.
    QStringList Texts(Shown::Kind kind) const;
};

} // namespace tavro::editor
