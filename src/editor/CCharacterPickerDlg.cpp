#include "editor/CCharacterPickerDlg.h"

#include "base/Cp1252.h"

#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace tavro::editor {

namespace {

QString CharacterText(int code) {
    const char32_t cp = Cp1252ToUnicode(static_cast<uint8_t>(code));
    return QString::fromUcs4(&cp, 1);
}

// A button's text: "&" would mark a shortcut instead of showing itself.
QString ButtonText(int code) {
    return code == '&' ? QStringLiteral("&&") : CharacterText(code);
}

} // namespace

std::vector<int> CCharacterPickerDlg::PrintableCodes(const QFont& font) {
    const QFontMetrics metrics(font);
    std::vector<int> codes;
    for (int code = 33; code <= 255; ++code) {
        // DEL, the no-break space and the soft hyphen draw nothing a cursor could show.
        if (code == 0x7F || code == 0xA0 || code == 0xAD)
            continue;
        if (!Cp1252IsDefined(static_cast<uint8_t>(code)))
            continue;
        if (!metrics.inFontUcs4(Cp1252ToUnicode(static_cast<uint8_t>(code))))
            continue;
        codes.push_back(code);
    }
    return codes;
}

CCharacterPickerDlg::CCharacterPickerDlg(const QFont& font, int current, QWidget* parent)
    : QDialog(parent), selected_(current) {
    setWindowTitle(QStringLiteral("Cursor Character"));
    setObjectName(QStringLiteral("CharacterPickerDlg"));
    auto* grid = new QGridLayout;
    grid->setSpacing(2);
    const QFontMetrics metrics(font);
    const int side = std::max(28, metrics.height() + 8);
    int index = 0;
    for (const int code : PrintableCodes(font)) {
        auto* button = new QToolButton(this);
        button->setObjectName(QStringLiteral("Code%1").arg(code));
        button->setText(ButtonText(code));
        button->setFont(font);
        button->setFixedSize(side, side);
        button->setCheckable(true);
        button->setChecked(code == current);
        button->setToolTip(QStringLiteral("%1 (code %2)").arg(CharacterText(code)).arg(code));
        connect(button, &QToolButton::clicked, this, [this, code] {
            selected_ = code;
            accept();
        });
        grid->addWidget(button, index / kColumns, index % kColumns);
        ++index;
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
}

QAbstractButton* CCharacterPickerDlg::ButtonOf(int code) const {
    return findChild<QAbstractButton*>(QStringLiteral("Code%1").arg(code));
}

} // namespace tavro::editor
