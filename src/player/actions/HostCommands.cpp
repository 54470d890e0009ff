#include "player/actions/HostCommands.h"

#include "base/AsciiCase.h"
#include "player/PlayerCore.h"
#include "player/RenderBridge.h"
#include "player/actions/NumberText.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <thread>

extern char** environ;

namespace tavro::player {

namespace {

// True when `inner` is `folder` itself or lies below it (both already canonical).
bool IsInside(const std::filesystem::path& inner, const std::filesystem::path& folder) {
    auto f = folder.begin();
    auto i = inner.begin();
    for (; f != folder.end(); ++f, ++i) {
        if (i == inner.end() || *i != *f)
            return false;
    }
    return i != inner.end();
}

} // namespace

bool HostCommands::ArgumentTrue(std::string_view args) {
    if (EqualsNoCase(args, "true") || EqualsNoCase(args, "yes"))
        return true;
    std::optional<double> n = ParseNumber(args);
    return n && *n != 0;
}

void HostCommands::Diagnostic(const std::string& text) {
    if (callbacks_.diagnostic)
        callbacks_.diagnostic(text);
}

HostCommands::Result HostCommands::Handle(std::string_view command, std::string_view args) {
    if (EqualsNoCase(command, "quit")) {
        if (callbacks_.quit)
            callbacks_.quit();
        return Result::Done;
    }
    if (EqualsNoCase(command, "fullscreen")) {
        if (callbacks_.fullscreen)
            callbacks_.fullscreen(ArgumentTrue(args));
        return Result::Done;
    }
    if (EqualsNoCase(command, "allowscale")) {
        // Show all, or one pixel per 20 twips.
        player_.SetScaleMode(ArgumentTrue(args) ? 0 : 3);
        return Result::Done;
    }
    if (EqualsNoCase(command, "showmenu")) {
        if (callbacks_.showMenu)
            callbacks_.showMenu(ArgumentTrue(args));
        return Result::Done;
    }
    if (EqualsNoCase(command, "exec"))
        return Exec(args);
    return Result::Ignored;
}

std::optional<std::filesystem::path>
HostCommands::ResolveProgram(const std::filesystem::path& moviePath, std::string_view args,
                             std::string* why) {
    namespace fs = std::filesystem;
    std::string_view name = args.substr(0, args.find(' '));
    if (moviePath.empty()) {
        *why = "no movie file to look beside";
        return std::nullopt;
    }
    if (name.empty()) {
        *why = "no program named";
        return std::nullopt;
    }
    std::error_code ec;
    fs::path folder = fs::canonical(fs::absolute(moviePath, ec).parent_path() / "fscommand", ec);
    if (ec) {
        *why = "there is no fscommand folder beside the movie";
        return std::nullopt;
    }
    fs::path program = fs::canonical(folder / fs::path(name), ec);
    if (ec) {
        *why = "no such program in the fscommand folder";
        return std::nullopt;
    }
    if (!IsInside(program, folder)) {
        *why = "the program lies outside the fscommand folder";
        return std::nullopt;
    }
    struct stat st;
    if (::stat(program.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
        ::access(program.c_str(), X_OK) != 0) {
        *why = "not an executable file";
        return std::nullopt;
    }
    return program;
}

HostCommands::Result HostCommands::Exec(std::string_view args) {
    std::string quoted = "exec \"" + std::string(args) + "\" refused: ";
    if (!execAllowed_) {
        Diagnostic(quoted + "this host runs no programs");
        return Result::Refused;
    }
    std::string why;
    std::optional<std::filesystem::path> program = ResolveProgram(moviePath_, args, &why);
    if (!program) {
        Diagnostic(quoted + why);
        return Result::Refused;
    }
    std::string path = program->string();
    char* argv[] = {path.data(), nullptr};
    pid_t pid = 0;
    if (::posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ) != 0) {
        Diagnostic("exec \"" + std::string(args) + "\" failed: the program could not be started");
        return Result::Refused;
    }
    // Reap the child when it ends so that it leaves no zombie behind.
    std::thread([pid] {
        int status = 0;
        ::waitpid(pid, &status, 0);
    }).detach();
    return Result::Done;
}

} // namespace tavro::player
