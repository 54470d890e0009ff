// Key handling of the main window: every shortcut key goes to the window's commands first,
// except that Ctrl+C, Ctrl+X, Ctrl+V and Ctrl+Z stay with a focused text field, so that the
// field keeps its own clipboard and undo keys. Ctrl+Y is not excepted: it always runs Redo.
#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>

class QWidget;

namespace tavro::editor {

class EditorShortcutFilter : public QObject {
    Q_OBJECT
public:
    explicit EditorShortcutFilter(QObject* parent = nullptr) : QObject(parent) {}

    void SetAccelerators(QList<QKeySequence> keys) { accelerators_ = std::move(keys); }

    // Line edits, text edits, spin boxes and editable combo boxes.
    static bool IsTextField(const QWidget* widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<QKeySequence> accelerators_;
};

} // namespace tavro::editor
