// The Actions page of the property sheet: the events of the current object (button events of a
// text, frame events of a scene) with their actions in a tree, the "Add Action" menu, "X"
// (delete), "U" and "D" (move up and down), and below the tree the panel of the selected item.
#pragma once

#include "editor/CTextPropPage.h"

#include <memory>

class QLabel;
class QMenu;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class QVBoxLayout;

namespace tavro {
class CEventObj;
class CSymbolObj;
class CTavroObj;
} // namespace tavro

namespace tavro::editor {

class CActionPanel;

class CActionPage : public CTextPropPage {
    Q_OBJECT
public:
    explicit CActionPage(CMainDlg& mainWnd, QWidget* parent = nullptr);

    void Load() override;
    void Commit(int flags) override;

    // A command of the "Add Action" menu (an event or an action command identifier).
    void OnCommand(int id);
    // "X", "U", "D".
    void OnDelete();
    void OnMoveUp() { Move(true); }
    void OnMoveDown() { Move(false); }

    QTreeWidget* Tree() const { return tree_; }
    QPushButton* AddButton() const { return add_; }
    QPushButton* DeleteButton() const { return delete_; }
    QPushButton* UpButton() const { return up_; }
    QPushButton* DownButton() const { return down_; }
    QMenu* AddMenu() const { return addMenu_; }
    QLabel* TitleLabel() const { return title_; }
    // The panel of the selected item, or null.
    CActionPanel* Panel() const { return panel_; }

private:
    // The current object as a symbol (a text or a scene), or null.
    CSymbolObj* Object() const;
    // The selected event of the current object, and its selected action (or null).
    CEventObj* SelectedEvent() const;
    CTavroObj* SelectedAction() const;
    CTavroObj* SelectedItem() const;

    void RebuildTree();
    void ShowPanel();
    void UpdateControls();
    void OnTreeSelectionChanged();
    void OnPanelStored();
    void Move(bool up);
    bool CanMove(bool up) const;
    void FillAddMenu();

    QTreeWidget* tree_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* delete_ = nullptr;
    QPushButton* up_ = nullptr;
    QPushButton* down_ = nullptr;
    QMenu* addMenu_ = nullptr;
    QLabel* title_ = nullptr;
    QWidget* panelHost_ = nullptr; // holds the panel, keeps its place when there is none
    QVBoxLayout* panelArea_ = nullptr;
    CActionPanel* panel_ = nullptr;
    // False once the main window is being destroyed.
    std::shared_ptr<const bool> mainAlive_;
    bool menuForScene_ = false;
    bool menuFilled_ = false;
};

} // namespace tavro::editor
