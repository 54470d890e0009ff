// Opens test files with the desktop's program for them. Before starting xdg-open it asks the
// desktop whether any program is registered for the file's type, so that a missing player or
// browser is reported at once instead of failing out of sight.
#pragma once

#include "export/ShellOpener.h"

namespace tavro::editor {

class DesktopShellOpener : public ShellOpener {
public:
    bool Open(const std::string& folder, const std::string& fileName, std::string& error) override;

private:
    XdgShellOpener xdg_;
};

} // namespace tavro::editor
