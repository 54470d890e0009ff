#include "editor/DialogService.h"

#include <QRegularExpression>

namespace tavro::editor {

QStringList QtNameFilters(const QString& pipeFilter) {
    QStringList parts = pipeFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString text = parts[i].trimmed();
        if (text.isEmpty())
            break;
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns) {
            if (p == QLatin1String("*.*"))
                p = QStringLiteral("*");
        }
        // Qt reads the patterns from the parentheses, so the text gets exactly one pair.
        text.remove(QRegularExpression(QStringLiteral("\\s*\\([^)]*\\)\\s*$")));
        filters << text + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters;
}

QString ScriptedDialogService::GetOpenFileName(QWidget*, const FileDialogRequest& request) {
    shown.push_back({Shown::Kind::Open, request.title, request, {}});
    if (fileAnswers.empty())
        return {};
    QString answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

QString ScriptedDialogService::GetSaveFileName(QWidget*, const FileDialogRequest& request) {
    shown.push_back({Shown::Kind::Save, request.title, request, {}});
    if (fileAnswers.empty())
        return {};
    QString answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

DialogService::Answer ScriptedDialogService::Question(QWidget*, const QString& text) {
    shown.push_back({Shown::Kind::Question, text, {}, {}});
    if (questionAnswers.empty())
        return Answer::Cancel;
    const Answer answer = questionAnswers.front();
    questionAnswers.pop_front();
    return answer;
}

void ScriptedDialogService::Information(QWidget*, const QString& text) {
    shown.push_back({Shown::Kind::Information, text, {}, {}});
}

void ScriptedDialogService::Error(QWidget*, const QString& text) {
    shown.push_back({Shown::Kind::Error, text, {}, {}});
}

void ScriptedDialogService::Warning(QWidget*, const QString& text) {
    shown.push_back({Shown::Kind::Warning, text, {}, {}});
}

std::optional<QColor> ScriptedDialogService::GetColor(QWidget*, const QColor& initial,
                                                      const QString& title) {
    shown.push_back({Shown::Kind::Color, title, {}, initial});
    if (colorAnswers.empty())
        return std::nullopt;
    const std::optional<QColor> answer = colorAnswers.front();
    colorAnswers.pop_front();
    return answer;
}

QStringList ScriptedDialogService::Texts(Shown::Kind kind) const {
    QStringList texts;
    for (const Shown& s : shown) {
        if (s.kind == kind)
            texts << s.text;
    }
    return texts;
}

} // namespace tavro::editor
