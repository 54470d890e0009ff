// Opens test files with the desktop's program for them. A movie (.swf) goes to the tavro-player
// installed beside the editor (in the same folder) when there is one; everything else, and movies
// without such a player, go to xdg-open. Before starting xdg-open it asks the desktop whether any
// program is registered for the file's type (or one of its aliases), so that a missing player or
// browser is reported at once instead of failing out of sight.
#pragma once

#include "export/ShellOpener.h"

#include <QString>

namespace tavro::editor {

class DesktopShellOpener : public ShellOpener {
public:
    // `programFolder`: where the player is looked for; empty for the editor's own folder.
    explicit DesktopShellOpener(QString programFolder = {});
    bool Open(const std::string& folder, const std::string& fileName, std::string& error) override;

    // The player beside the editor that opens `fileName`, or empty when it goes to the desktop.
    QString PlayerFor(const std::string& fileName) const;

private:
    QString programFolder_;
    XdgShellOpener xdg_;
};

} // namespace tavro::editor
