#include "export/CFilePath.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

namespace tavro {
namespace {

namespace fs = std::filesystem;

std::string EnvOr(const char* name, std::string fallback) {
    const char* v = std::getenv(name);
    return (v != nullptr && v[0] != '\0') ? std::string(v) : std::move(fallback);
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/')
        return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr)
        return pw->pw_dir;
    return {};
}

// XDG_DESKTOP_DIR from user-dirs.dirs: a quoted value, either "$HOME/..." or an absolute path.
std::string DesktopFromUserDirs(const std::string& home) {
    const std::string configHome = EnvOr("XDG_CONFIG_HOME", home.empty() ? "" : home + "/.config");
    if (configHome.empty())
        return {};
    std::ifstream in(configHome + "/user-dirs.dirs");
    std::string line;
    const std::string key = "XDG_DESKTOP_DIR=";
    std::string found;
    while (std::getline(in, line)) {
        const size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, key.size(), key) != 0)
            continue;
        std::string value = line.substr(start + key.size());
        while (!value.empty() && (value.back() == '\r' || value.back() == ' '))
            value.pop_back();
        if (value.size() < 2 || value.front() != '"' || value.back() != '"')
            continue;
        value = value.substr(1, value.size() - 2);
        if (value.rfind("$HOME", 0) == 0 && (value.size() == 5 || value[5] == '/')) {
            if (home.empty())
                continue;
            value = home + value.substr(5);
        } else if (value.empty() || value.front() != '/') {
            continue;
        }
        found = value; // the last valid line wins, as the shell would read it
    }
    return found;
}

CFilePath FolderPath(std::string folder) {
    if (folder.empty())
        return {};
    return CFilePath(CFilePath::WithTrailingSlash(std::move(folder)));
}

} // namespace

CFilePath::CFilePath(std::string_view fullPath) {
    const size_t slash = fullPath.rfind('/');
    const std::string_view file =
        slash == std::string_view::npos ? fullPath : fullPath.substr(slash + 1);
    if (slash != std::string_view::npos)
        directory_ = std::string(fullPath.substr(0, slash + 1));
    const size_t dot = file.rfind('.');
    if (dot == std::string_view::npos || dot == 0) {
        name_ = std::string(file);
    } else {
        name_ = std::string(file.substr(0, dot));
        extension_ = std::string(file.substr(dot));
    }
}

std::string CFilePath::WithTrailingSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/')
        folder.push_back('/');
    return folder;
}

CFilePath CFilePath::FromLocation(Location location, std::string_view prefix) {
    switch (location) {
    case Location::ProgramFile:
    case Location::ProgramFolder: {
        std::error_code ec;
        const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
        if (ec || exe.empty())
            return {};
        CFilePath path(exe.string());
        if (location == Location::ProgramFolder) {
            path.SetName({});
            path.SetExtension({});
        }
        return path;
    }
    case Location::TempFolder: {
        std::error_code ec;
        const fs::path temp = fs::temp_directory_path(ec);
        return ec ? CFilePath() : FolderPath(temp.string());
    }
    case Location::Desktop: {
        const std::string home = HomeFolder();
        std::string desktop = DesktopFromUserDirs(home);
        if (desktop.empty() && !home.empty())
            desktop = home + "/Desktop";
        return FolderPath(std::move(desktop));
    }
    case Location::Favorites: {
        const std::string home = HomeFolder();
        const std::string dataHome =
            EnvOr("XDG_DATA_HOME", home.empty() ? "" : home + "/.local/share");
        return dataHome.empty() ? CFilePath() : FolderPath(dataHome + "/tavro/Favorites");
    }
    case Location::NewTempFile: {
        const CFilePath folder = FromLocation(Location::TempFolder);
        if (folder.IsEmpty())
            return {};
        std::string name(prefix.empty() ? std::string_view("~") : prefix);
        for (char& c : name)
            if (c == '/')
                c = '_';
        std::string templ = folder.GetFolder() + name + "XXXXXX";
        std::vector<char> buffer(templ.begin(), templ.end());
        buffer.push_back('\0');
        const int fd = ::mkstemp(buffer.data());
        if (fd < 0)
            return {};
        ::close(fd);
        return CFilePath(std::string(buffer.data()));
    }
    }
    return {};
}

} // namespace tavro
