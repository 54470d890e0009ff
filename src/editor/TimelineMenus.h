// The command menus of the Timeline and Actions pages: the "Add Effect" menu of an object row,
// the frame-event and action menu of the timeline's scene row, and the "Add Action" menu of the
// Actions page. Every entry carries its command identifier as the action's data.
#pragma once

#include <QString>

#include <span>

class QAction;
class QMenu;
class QWidget;

namespace tavro::editor {

struct EffectMenuEntry {
    int command;      // effect_command identifier
    const char* text; // the menu text
    bool letters;     // only for text objects
};

// Show, Hide, Transform, Fade In, Fade Out, the letter group; the sixteen slides are added by
// BuildEffectMenu as two submenus.
std::span<const EffectMenuEntry> EffectMenuEntries();
// The menu text of an "Add Effect" command (the slides included), or an empty string.
QString EffectCommandText(int command);
// A command of the letter group.
bool IsLetterEffectCommand(int command);

// The command identifier of a menu entry, or 0 for one without.
int CommandOf(const QAction* action);

// Fills `menu` with the "Add Effect" entries; the letter group is disabled unless `textObject`.
void FillEffectMenu(QMenu& menu, bool textObject);
// "At Frame", "At Label", then the four actions.
void FillSceneRowMenu(QMenu& menu);
// The Actions page's "Add Action" menu: the seven button events (for an object) or the two frame
// events (for a scene), then the four actions.
void FillAddActionMenu(QMenu& menu, bool scene);

} // namespace tavro::editor
