#include "editor/IntegerField.h"

#include "editor/DialogService.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include <algorithm>

namespace tavro::editor {

QString IntegerRangeMessage(int min, int max) {
    return QStringLiteral("Please enter an integer between %1 and %2.").arg(min).arg(max);
}

std::optional<int> ParseInteger(const QString& text, int min, int max) {
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok, 10);
    if (!ok || value < min || value > max)
        return std::nullopt;
    return static_cast<int>(value);
}

void SetUpIntegerEdit(QLineEdit& edit, int min, int max) {
    const int digits =
        static_cast<int>(std::max(QString::number(min).size(), QString::number(max).size()));
    // The validator only keeps letters out; the range is checked when the value is read, so
    // that a value out of range is answered with the range instead of refused silently.
    const QString pattern = min < 0 ? QStringLiteral("-?\\d*") : QStringLiteral("\\d*");
    edit.setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), &edit));
    edit.setMaxLength(digits + 1);
}

std::optional<int> ReadIntegerOrComplain(QLineEdit& edit, int min, int max, DialogService& dialogs,
                                         QWidget* parent) {
    if (const auto value = ParseInteger(edit.text(), min, max))
        return value;
    dialogs.Error(parent, IntegerRangeMessage(min, max));
    edit.setFocus(Qt::OtherFocusReason);
    edit.selectAll();
    return std::nullopt;
}

} // namespace tavro::editor
