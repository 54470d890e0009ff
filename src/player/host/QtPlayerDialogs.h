// The dialogs of the player window behind one seam, so that tests answer them without a modal
// loop: QtPlayerStandardDialogs shows the real ones, ScriptedPlayerDialogs answers from a queue
// and records what was asked.
#pragma once

#include <QString>
#include <QStringList>

#include <deque>

class QWidget;

namespace tavro::player {

class QtPlayerDialogs {
public:
    virtual ~QtPlayerDialogs() = default;
    // The movie file chosen in an Open dialog that starts in `folder`; empty when cancelled.
    virtual QString OpenMovie(QWidget* parent, const QString& folder) = 0;
    virtual void Error(QWidget* parent, const QString& text) = 0;
};

class QtPlayerStandardDialogs : public QtPlayerDialogs {
public:
    QString OpenMovie(QWidget* parent, const QString& folder) override;
    void Error(QWidget* parent, const QString& text) override;
};

class ScriptedPlayerDialogs : public QtPlayerDialogs {
public:
    QString OpenMovie(QWidget*, const QString& folder) override {
        openFolders << folder;
        if (answers.empty())
            return {};
        QString answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void Error(QWidget*, const QString& text) override { errors << text; }

    // Open answers in order; an empty queue cancels.
    std::deque<QString> answers;
    QStringList openFolders;
    QStringList errors;
};

} // namespace tavro::player
