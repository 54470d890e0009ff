// Whole-number boxes of the Timeline and Actions pages: a line edit read as a decimal integer
// within a range. A box that holds anything else keeps its text, and the user is told the range.
#pragma once

#include <QString>

#include <optional>

class QLineEdit;
class QWidget;

namespace tavro::editor {

class DialogService;

// "Please enter an integer between %1 and %2."
QString IntegerRangeMessage(int min, int max);

// The text as a decimal integer (blanks around it allowed) when it lies in min..max.
std::optional<int> ParseInteger(const QString& text, int min, int max);

// A line edit that takes a decimal integer of min..max: digits only (and a sign when min < 0),
// no longer than the range needs.
void SetUpIntegerEdit(QLineEdit& edit, int min, int max);

// The box's value; when it holds none in range the range message is shown, the box keeps its
// text, gets the focus with the text selected, and the result is empty.
std::optional<int> ReadIntegerOrComplain(QLineEdit& edit, int min, int max, DialogService& dialogs,
                                         QWidget* parent);

} // namespace tavro::editor
