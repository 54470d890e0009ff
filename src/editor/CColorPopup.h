// The popup of a colour button: 20 swatches in four rows of five (greys, bright colours, mixed
// colours, dark colours) and "Other..." below them for the full colour chooser. It closes when a
// swatch is chosen, on Esc, and on a click outside it.
//
// Keys: the arrows move between the swatches, Return, Enter or Space choose the focused one.
#pragma once

#include <QColor>
#include <QFrame>
#include <QString>

#include <array>

class QAbstractButton;
class QPushButton;

namespace tavro::editor {

class CColorPopup : public QFrame {
    Q_OBJECT
public:
    static constexpr int kColumns = 5;
    static constexpr int kSwatchCount = 20;

    struct Swatch {
        const char* name;
        QRgb rgb;
    };
    // The swatches in order, row by row.
    static const std::array<Swatch, kSwatchCount>& Swatches();

    // `current` is marked when it is one of the swatches.
    CColorPopup(const QColor& current, QWidget* parent = nullptr);

    QAbstractButton* SwatchButton(int index) const { return buttons_[index]; }
    QPushButton* OtherButton() const { return other_; }

    // Shows the popup below `anchor` (above it when there is no room below), inside the screen.
    void ShowBelow(const QWidget* anchor);

Q_SIGNALS:
    void colorPicked(const QColor& color);
    void otherRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    int FocusedSwatch() const;

    std::array<QAbstractButton*, kSwatchCount> buttons_{};
    QPushButton* other_ = nullptr;
    int currentIndex_ = -1;
};

} // namespace tavro::editor
