// A small dialog around the panel of one event or action, with OK and Cancel: the timeline's
// scene row opens it for a new action and for a frame event. OK checks the boxes and stores what
// changed; Cancel stores nothing.
#pragma once

#include <QDialog>

#include <functional>

namespace tavro {
class CTavroObj;
}

namespace tavro::editor {

class CActionPanel;
class CMainDlg;

class CActionPanelDlg : public QDialog {
    Q_OBJECT
public:
    // Runs a dialog in place of its modal loop and answers QDialog::Accepted or Rejected. Tests
    // set one to fill the panel and press a button without a nested event loop.
    using Runner = std::function<int(CActionPanelDlg&)>;
    static void SetRunner(Runner runner);

    // `recordUndo`: OK records one undo step before it stores (when something changed).
    CActionPanelDlg(CMainDlg& mainWnd, CTavroObj& item, bool recordUndo, QWidget* parent = nullptr);

    // Null for an item without a panel.
    CActionPanel* Panel() const { return panel_; }
    // Shows the dialog (or hands it to the runner); true when it was closed with OK.
    bool Run();

    void accept() override;

private:
    CActionPanel* panel_ = nullptr;
    bool recordUndo_;
};

} // namespace tavro::editor
