// The FSCommand commands a window host carries out, as plain logic the host calls from its
// FsCommand slot: "quit", "fullscreen", "allowscale", "exec" and "showmenu" (names compared
// without case; any other command is ignored).
//
// "exec" runs a program only when it lies inside the folder named "fscommand" beside the movie:
// the name (the argument up to its first blank) is taken relative to that folder, its real path
// must stay inside the folder's real path (so no ".." and no link leads out of it), and it must
// be a regular executable file. It is started directly, never through a shell, without
// arguments. Anything else is refused with a diagnostic line.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tavro::player {

class PlayerCore;

class HostCommands {
public:
    enum class Result { Ignored, Done, Refused };

    // Called from inside the player (while it dispatches requests): a window host posts the
    // close or the resize rather than destroying the player there.
    struct Callbacks {
        std::function<void()> quit;
        std::function<void(bool)> fullscreen;
        std::function<void(std::string_view)> diagnostic;
        // "showmenu": whether the window shows its menus (a host without menus ignores it).
        std::function<void(bool)> showMenu;
    };

    explicit HostCommands(PlayerCore& player) : player_(player) {}

    void SetCallbacks(Callbacks callbacks) { callbacks_ = std::move(callbacks); }
    // The movie file being played; "exec" looks for programs beside it. Empty: no movie file,
    // so "exec" is refused.
    void SetMoviePath(std::filesystem::path path) { moviePath_ = std::move(path); }
    // A host that must never start programs (the command line) turns "exec" off.
    void SetExecAllowed(bool allowed) { execAllowed_ = allowed; }

    Result Handle(std::string_view command, std::string_view args);

    // True when the argument is a non-zero number or "true" / "yes" (any case).
    static bool ArgumentTrue(std::string_view args);
    // The program "exec" would run for `args`, or nullopt with the reason in `why`.
    static std::optional<std::filesystem::path>
    ResolveProgram(const std::filesystem::path& moviePath, std::string_view args, std::string* why);

private:
    Result Exec(std::string_view args);
    void Diagnostic(const std::string& text);

    PlayerCore& player_;
    Callbacks callbacks_;
    std::filesystem::path moviePath_;
    bool execAllowed_ = true;
};

} // namespace tavro::player
