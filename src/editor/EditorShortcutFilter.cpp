#include "editor/EditorShortcutFilter.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace tavro::editor {

bool EditorShortcutFilter::IsTextField(const QWidget* widget) {
    if (widget == nullptr)
        return false;
    if (qobject_cast<const QLineEdit*>(widget) != nullptr ||
        qobject_cast<const QAbstractSpinBox*>(widget) != nullptr ||
        qobject_cast<const QPlainTextEdit*>(widget) != nullptr)
        return true;
    if (const auto* text = qobject_cast<const QTextEdit*>(widget))
        return !text->isReadOnly() || (text->textInteractionFlags() & Qt::TextSelectableByKeyboard);
    if (const auto* combo = qobject_cast<const QComboBox*>(widget))
        return combo->isEditable();
    // The viewport of a text edit can hold the focus as well.
    return widget->parentWidget() != nullptr &&
           (qobject_cast<const QTextEdit*>(widget->parentWidget()) != nullptr ||
            qobject_cast<const QPlainTextEdit*>(widget->parentWidget()) != nullptr);
}

// Qt offers a shortcut key to the focused widget first (ShortcutOverride); an accepted override
// keeps the key for the widget, an ignored one lets the shortcut run. The override event travels
// up from the focused widget to its window, so the answer depends only on the focused widget.
bool EditorShortcutFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ShortcutOverride || QApplication::activeModalWidget() != nullptr)
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const QKeySequence sequence(key->keyCombination());
    if (!accelerators_.contains(sequence))
        return QObject::eventFilter(watched, event);
    const bool textFocus = IsTextField(QApplication::focusWidget());
    const QKeyCombination combo = key->keyCombination();
    const bool textKey = combo.keyboardModifiers() == Qt::ControlModifier &&
                         (combo.key() == Qt::Key_C || combo.key() == Qt::Key_X ||
                          combo.key() == Qt::Key_V || combo.key() == Qt::Key_Z);
    if (textFocus && textKey)
        key->accept();
    else
        key->ignore();
    return true;
}

} // namespace tavro::editor
