#include "export/CFilePath.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include <unistd.h>

namespace tavro {
namespace {

namespace fs = std::filesystem;
using Location = CFilePath::Location;

// Sets an environment variable for the life of the object, then puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value != nullptr)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

fs::path FreshDir(const std::string& name) {
    const fs::path dir = fs::path(TAVRO_BINARY_DIR) / "filepath-test" / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

TEST(FilePathTest, SplitsIntoDirectoryNameAndExtension) {
    const CFilePath p("/home/ann/movies/hello.world.swi");
    EXPECT_EQ(p.GetDrive(), "");
    EXPECT_EQ(p.GetDirectory(), "/home/ann/movies/");
    EXPECT_EQ(p.GetName(), "hello.world");
    EXPECT_EQ(p.GetExtension(), ".swi");
    EXPECT_EQ(p.GetFolder(), "/home/ann/movies/");
    EXPECT_EQ(p.GetFileName(), "hello.world.swi");
    EXPECT_EQ(p.GetFullPath(), "/home/ann/movies/hello.world.swi");

    const CFilePath bare("movie");
    EXPECT_EQ(bare.GetDirectory(), "");
    EXPECT_EQ(bare.GetName(), "movie");
    EXPECT_EQ(bare.GetExtension(), "");

    // A leading dot belongs to the name; a dot in a folder name is no extension.
    const CFilePath hidden("/home/ann/.profile");
    EXPECT_EQ(hidden.GetName(), ".profile");
    EXPECT_EQ(hidden.GetExtension(), "");
    const CFilePath dotted("/a.b/c");
    EXPECT_EQ(dotted.GetDirectory(), "/a.b/");
    EXPECT_EQ(dotted.GetName(), "c");
    EXPECT_EQ(dotted.GetExtension(), "");

    const CFilePath folder("/tmp/");
    EXPECT_EQ(folder.GetDirectory(), "/tmp/");
    EXPECT_EQ(folder.GetFileName(), "");
    EXPECT_TRUE(CFilePath("").IsEmpty());
}

TEST(FilePathTest, ProgramFileAndFolder) {
    const CFilePath file = CFilePath::FromLocation(Location::ProgramFile);
    EXPECT_EQ(file.GetFileName(), "test_export");
    EXPECT_TRUE(fs::exists(file.GetFullPath()));
    const CFilePath folder = CFilePath::FromLocation(Location::ProgramFolder);
    EXPECT_EQ(folder.GetFileName(), "");
    EXPECT_EQ(folder.GetFolder(), file.GetFolder());
    EXPECT_EQ(folder.GetFolder().back(), '/');
}

TEST(FilePathTest, TemporaryFolderAndNewTemporaryFile) {
    const fs::path dir = FreshDir("tmp");
    const ScopedEnv tmp("TMPDIR", dir.c_str());
    EXPECT_EQ(CFilePath::FromLocation(Location::TempFolder).GetFullPath(), dir.string() + "/");

    const CFilePath a = CFilePath::FromLocation(Location::NewTempFile, "tv");
    const CFilePath b = CFilePath::FromLocation(Location::NewTempFile);
    EXPECT_EQ(a.GetFolder(), dir.string() + "/");
    EXPECT_EQ(a.GetName().rfind("tv", 0), 0u);
    EXPECT_EQ(b.GetName().rfind("~", 0), 0u);
    EXPECT_NE(a.GetFullPath(), b.GetFullPath());
    // The name is reserved by creating the file.
    EXPECT_TRUE(fs::is_regular_file(a.GetFullPath()));
    EXPECT_TRUE(fs::is_regular_file(b.GetFullPath()));
    // A prefix cannot lead out of the temporary folder.
    EXPECT_EQ(CFilePath::FromLocation(Location::NewTempFile, "../x").GetFolder(),
              dir.string() + "/");
}

TEST(FilePathTest, DesktopFromUserDirsElseHomeDesktop) {
    const fs::path dir = FreshDir("desktop");
    const ScopedEnv home("HOME", (dir / "home").c_str());
    const ScopedEnv config("XDG_CONFIG_HOME", (dir / "config").c_str());
    fs::create_directories(dir / "config");

    // No user-dirs.dirs: ~/Desktop.
    EXPECT_EQ(CFilePath::FromLocation(Location::Desktop).GetFullPath(),
              (dir / "home").string() + "/Desktop/");

    {
        std::ofstream out(dir / "config" / "user-dirs.dirs");
        out << "# written by the desktop\n"
               "XDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\n"
               "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n";
    }
    EXPECT_EQ(CFilePath::FromLocation(Location::Desktop).GetFullPath(),
              (dir / "home").string() + "/Schreibtisch/");

    {
        std::ofstream out(dir / "config" / "user-dirs.dirs");
        out << "XDG_DESKTOP_DIR=\"/srv/desk\"\n";
    }
    EXPECT_EQ(CFilePath::FromLocation(Location::Desktop).GetFullPath(), "/srv/desk/");

    // A relative value is not a folder the file may name: the default is used.
    {
        std::ofstream out(dir / "config" / "user-dirs.dirs");
        out << "XDG_DESKTOP_DIR=\"Desk\"\n";
    }
    EXPECT_EQ(CFilePath::FromLocation(Location::Desktop).GetFullPath(),
              (dir / "home").string() + "/Desktop/");
}

} // namespace
} // namespace tavro
