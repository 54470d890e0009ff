// The Timeline page of the property sheet: the current scene's "Number of Frames:", the
// "Add Effect" / "Delete Effect" buttons, and the timeline grid with the scene's frame events and
// its objects' effects. With the scene row selected the two buttons become "Add Action" and
// "Delete Action" and work on frame events.
#pragma once

#include "editor/CTextPropPage.h"

#include <memory>

class QLineEdit;
class QMenu;
class QPushButton;

namespace tavro {
class CEffectObj;
class CEventObj;
class CSceneObj;
class CSymbolObj;
} // namespace tavro

namespace tavro::editor {

class CTimelineGrid;

class CTimelinePage : public CTextPropPage {
    Q_OBJECT
public:
    // Commands of the grid's menus that are not in the command tables.
    enum GridCommand {
        kDeleteEffect = 1,
        kEffectProperties,
        kEffectTransform,
        kDeleteFrameEvent,
        kFrameEventProperties,
    };

    explicit CTimelinePage(CMainDlg& mainWnd, QWidget* parent = nullptr);

    void Load() override;
    void Commit(int flags) override;

    // The selection the page works on.
    CSceneObj* Scene() const;
    // The selected object row, or null when the scene row is selected.
    CSymbolObj* SelectedObject() const;
    // The selected object's selected effect.
    CEffectObj* SelectedEffect() const;
    // The scene's selected event, when it has a frame (the ones the grid shows).
    CEventObj* SelectedFrameEvent() const;

    // "Add Effect" for the selected object: the effect starts at the scene's current frame, and
    // the current frame moves to its last frame. Letter effects only for a text object.
    void AddEffect(int command);
    // Deletes the selected effect; the previous one becomes selected, else the next.
    void DeleteEffect();
    // The effect's own settings dialog (Effect Properties when it has none); the effect is put
    // back into start-frame order after OK.
    void EditEffect();
    void EffectProperties();
    void EffectTransform();
    // The scene row's commands: "At Frame", "At Label" and the four actions. An action goes to
    // the selected frame event, or to a new one at the current frame; its panel opens as a
    // dialog at once, and Cancel leaves the movie as it was.
    void SceneRowCommand(int id);
    void DeleteFrameEvent();
    void FrameEventProperties();
    // The "Delete" button and the Delete key: the selected effect, or on the scene row the
    // selected frame event.
    void DeleteSelected();
    // A command of a grid menu: an identifier of the tables or a GridCommand.
    void RunCommand(int id);

    // The grid changed the selection or the current frame.
    void SelectionChanged();

    // The context menu of a grid point (null where there is none): the effect menu on a bar,
    // the frame-event menu on a selected frame event, the "Add Effect" menu elsewhere in an
    // object row, the scene row's menu elsewhere in the scene row.
    std::unique_ptr<QMenu> ContextMenuAt(const QPoint& point);

    CTimelineGrid* Grid() const { return grid_; }
    QLineEdit* FramesEdit() const { return frames_; }
    QPushButton* AddButton() const { return add_; }
    QPushButton* DeleteButton() const { return delete_; }

private:
    void UpdateButtons();
    void FillEffectMenu(QMenu& menu) const;
    // Puts the selected effect back into start-frame order after a dialog changed it.
    void ResortSelectedEffect();

    QLineEdit* frames_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* delete_ = nullptr;
    QMenu* effectMenu_ = nullptr;
    QMenu* sceneMenu_ = nullptr;
    CTimelineGrid* grid_ = nullptr;
    bool committing_ = false;
    // False once the main window is being destroyed: the box losing the focus commits nothing.
    std::shared_ptr<const bool> mainAlive_;
};

} // namespace tavro::editor
