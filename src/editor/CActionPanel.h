// The base of the property panels of events and actions. A panel edits one item, either live
// inside the Actions page (every change is stored at once) or inside a small dialog (stored on
// OK). It stores a value only when it differs from the item's, recording one undo step first when
// its caller asks for it; then it tells its owner through Stored().
#pragma once

#include <QWidget>

#include <memory>

class QLineEdit;

namespace tavro {
class CTavroObj;
}

namespace tavro::editor {

class CMainDlg;

class CActionPanel : public QWidget {
    Q_OBJECT
public:
    enum class Mode {
        Live,   // inside the Actions page
        Dialog, // inside CActionPanelDlg: nothing is stored before OK
    };

    CActionPanel(CMainDlg& mainWnd, CTavroObj& item, Mode mode, QWidget* parent = nullptr);

    CTavroObj& Item() const { return item_; }
    Mode GetMode() const { return mode_; }
    // The title of the panel's dialog.
    virtual QString Title() const = 0;

    // Fills the controls from the item.
    virtual void Load() = 0;
    // Checks every box; at the first bad one the range message is shown, the box keeps its text
    // and gets the focus, and the result is false.
    virtual bool Validate() { return true; }
    // Writes the values that differ from the item's (values in a box that holds no valid number
    // are left out); with `recordUndo` one undo step is recorded first. True when something
    // was stored.
    bool Store(bool recordUndo);
    // The panel is about to go (its item may be gone already): from now on it stores nothing.
    void Retire() { retired_ = true; }

Q_SIGNALS:
    // The item was changed by Store.
    void Stored();

protected:
    CMainDlg& MainWnd() const { return mainWnd_; }
    // The controls hold a value that differs from the item's.
    virtual bool Differs() const = 0;
    // Copies the controls' values into the item.
    virtual void Apply() = 0;

    // Live wiring. A click (check box, radio button, list choice) stores at once with its own undo
    // step; typing in a box stores on every change, the first change after the box gains the
    // focus recording the undo step; leaving a box with a bad number shows the range.
    void StoreOnClick();
    // `focusWidget`: the widget that takes the focus for the box (an editable combo box).
    void WatchTyping(QLineEdit& edit, QWidget* focusWidget = nullptr);
    bool eventFilter(QObject* watched, QEvent* event) override;

    // True while Load fills the controls, so that their change signals store nothing.
    bool loading_ = false;

private:
    CMainDlg& mainWnd_;
    // False once the main window is being destroyed: a box losing the focus then checks nothing.
    std::shared_ptr<const bool> mainAlive_;
    CTavroObj& item_;
    Mode mode_;
    bool editing_ = false;
    bool validating_ = false;
    bool retired_ = false;
};

// The panel of an event or action, or null for an item without one (Play, Stop).
CActionPanel* CreateActionPanel(CMainDlg& mainWnd, CTavroObj& item, CActionPanel::Mode mode,
                                QWidget* parent);

} // namespace tavro::editor
