#include "export/ExportCommands.h"

#include "export/AppSettings.h"
#include "export/CFilePath.h"
#include "export/ShellOpener.h"
#include "model/CDocObj.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

namespace tavro {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

bool IsSwf3(const fs::path& p) {
    return ReadText(p).substr(0, 4) == std::string("FWS\x03", 4);
}

class ExportCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::path(TAVRO_BINARY_DIR) / "export-commands-test" /
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(root_);
        fs::create_directories(root_);
        doc_.SetMovieSize(550, 400);
        doc_.SetBackgroundColor(255, 0, 0);
        doc_.NewMovie();
    }
    std::string Private() const {
        return (root_ / ("tavro-" + std::to_string(::getuid()))).string() + "/";
    }

    fs::path root_;
    CDocObj doc_;
    MemorySettings settings_;
    RecordingShellOpener shell_;
};

TEST_F(ExportCommandsTest, UnsavedMovieIsTestedAsUntitled) {
    ExportCommands commands(settings_, shell_, root_.string());
    EXPECT_EQ(ExportCommands::BaseName(doc_), "Untitled");
    EXPECT_EQ(ExportCommands::ExportFileName(doc_), "Untitled.swf");
    EXPECT_EQ(ExportCommands::PublishFileName(doc_), "Untitled.html");

    const ExportResult player = commands.TestInPlayer(doc_);
    ASSERT_TRUE(player.ok) << player.message;
    EXPECT_TRUE(IsSwf3(Private() + "Untitled.swf"));
    ASSERT_EQ(shell_.requests.size(), 1u);
    EXPECT_EQ(shell_.requests[0].folder, Private());
    EXPECT_EQ(shell_.requests[0].fileName, "Untitled.swf");

    const ExportResult browser = commands.TestInBrowser(doc_);
    ASSERT_TRUE(browser.ok) << browser.message;
    EXPECT_NE(ReadText(Private() + "Untitled.html").find("VALUE=\"Untitled.swf\""),
              std::string::npos);
    ASSERT_EQ(shell_.requests.size(), 2u);
    EXPECT_EQ(shell_.requests[1].fileName, "Untitled.html");

    // The folder is private to the user.
    struct stat st {};
    ASSERT_EQ(::lstat(Private().c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(ExportCommandsTest, SavedMovieTestsUnderItsNameAndOverwrites) {
    doc_.SetName("/somewhere/movies/intro.swi");
    ExportCommands commands(settings_, shell_, root_.string());
    ASSERT_TRUE(commands.TestInPlayer(doc_).ok);
    const std::string first = ReadText(Private() + "intro.swf");
    doc_.SetMovieSize(100, 100);
    ASSERT_TRUE(commands.TestInPlayer(doc_).ok);
    EXPECT_NE(ReadText(Private() + "intro.swf"), first);
    EXPECT_EQ(shell_.requests.back().fileName, "intro.swf");
}

TEST_F(ExportCommandsTest, PrivateFolderRefusesLinksAndOpenFolders) {
    std::string error;
    // A link planted where the folder goes, pointing at a folder the user owns.
    fs::create_directories(root_ / "elsewhere");
    fs::permissions(root_ / "elsewhere", fs::perms::owner_all);
    fs::create_directory_symlink(root_ / "elsewhere", Private().substr(0, Private().size() - 1));
    EXPECT_EQ(PrivateTestFolder(root_.string(), error), "");
    EXPECT_NE(error.find("link"), std::string::npos) << error;

    ExportCommands commands(settings_, shell_, root_.string());
    const ExportResult refused = commands.TestInBrowser(doc_);
    EXPECT_FALSE(refused.ok);
    EXPECT_TRUE(shell_.requests.empty());
    EXPECT_TRUE(fs::is_empty(root_ / "elsewhere"));

    // A real folder that others may enter.
    fs::remove(Private().substr(0, Private().size() - 1));
    ASSERT_EQ(::mkdir(Private().c_str(), 0700), 0);
    ASSERT_EQ(::chmod(Private().c_str(), 0755), 0);
    error.clear();
    EXPECT_EQ(PrivateTestFolder(root_.string(), error), "");
    EXPECT_NE(error.find("other users"), std::string::npos) << error;

    // Once private again it is used.
    ASSERT_EQ(::chmod(Private().c_str(), 0700), 0);
    EXPECT_EQ(PrivateTestFolder(root_.string(), error), Private());

    // A plain file in its place.
    fs::remove(Private().substr(0, Private().size() - 1));
    std::ofstream(Private().substr(0, Private().size() - 1)) << "x";
    EXPECT_EQ(PrivateTestFolder(root_.string(), error), "");
}

TEST_F(ExportCommandsTest, ExportRemembersFolderAndReportsFailure) {
    ExportCommands commands(settings_, shell_, root_.string());
    // Without a stored folder the dialogs open in the program's folder.
    const std::string programFolder =
        CFilePath::FromLocation(CFilePath::Location::ProgramFolder).GetFolder();
    EXPECT_EQ(commands.ExportFolder(), programFolder);
    EXPECT_EQ(commands.PublishFolder(), programFolder);

    const std::string out = (root_ / "out.swf").string();
    const ExportResult ok = commands.ExportToSwf(doc_, out);
    ASSERT_TRUE(ok.ok) << ok.message;
    EXPECT_TRUE(IsSwf3(out));
    EXPECT_EQ(commands.ExportFolder(), root_.string() + "/");
    EXPECT_EQ(commands.PublishFolder(), programFolder);
    EXPECT_TRUE(shell_.requests.empty());

    const std::string missing = (root_ / "no-dir" / "x.swf").string();
    const ExportResult failed = commands.ExportToSwf(doc_, missing);
    EXPECT_FALSE(failed.ok);
    EXPECT_NE(failed.message.find(missing), std::string::npos) << failed.message;
    EXPECT_NE(failed.message.find("No such file or directory"), std::string::npos)
        << failed.message;
    EXPECT_FALSE(commands.ExportToSwf(doc_, "").ok);
}

TEST_F(ExportCommandsTest, PublishForcesHtmlAndWritesMovieBeside) {
    settings_.SetString("Publish", "PluginsPageHost", "plugins.example.net");
    ExportCommands commands(settings_, shell_, root_.string());
    const ExportResult r = commands.Publish(doc_, (root_ / "site.htm").string());
    ASSERT_TRUE(r.ok) << r.message;
    ASSERT_EQ(r.files.size(), 2u);
    EXPECT_EQ(r.files[0], (root_ / "site.swf").string());
    EXPECT_EQ(r.files[1], (root_ / "site.html").string());
    EXPECT_FALSE(fs::exists(root_ / "site.htm"));
    EXPECT_TRUE(IsSwf3(root_ / "site.swf"));
    const std::string page = ReadText(root_ / "site.html");
    EXPECT_EQ(page.rfind("<html>\r\n<head>\r\n<title>Tavro [site.swi]</title>\r\n", 0), 0u);
    EXPECT_NE(page.find("\tID=site WIDTH=550 HEIGHT=400>\r\n"), std::string::npos);
    EXPECT_NE(page.find("bgcolor=#FF0000\r\n"), std::string::npos);
    EXPECT_NE(page.find("http://plugins.example.net/shockwave/"), std::string::npos);
    EXPECT_EQ(settings_.GetString("Publish", "Folder"), root_.string() + "/");
}

TEST_F(ExportCommandsTest, PageThatCannotBeWrittenIsReported) {
    // A folder in the page's place: the movie is written, the page is not.
    fs::create_directory(root_ / "page.html");
    const ExportResult r = ExportCommands::PublishTo(doc_, (root_ / "page.html").string());
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find((root_ / "page.html").string() + ": cannot write the file ("),
              std::string::npos)
        << r.message;
    EXPECT_TRUE(IsSwf3(root_ / "page.swf"));
    EXPECT_TRUE(fs::is_directory(root_ / "page.html"));

    // A movie that cannot be written leaves no page.
    const ExportResult noDir = ExportCommands::PublishTo(doc_, (root_ / "x" / "p.html").string());
    EXPECT_FALSE(noDir.ok);
    EXPECT_NE(noDir.message.find("p.swf: cannot write the file"), std::string::npos);
}

TEST_F(ExportCommandsTest, MovieAndPageSavedOverLinksKeepTheLinks) {
    // The exported movie and the published page are links into a site folder.
    fs::create_directories(root_ / "site");
    std::ofstream(root_ / "site" / "intro.swf") << "old movie";
    std::ofstream(root_ / "site" / "page.html") << "old page";
    fs::create_symlink("site/intro.swf", root_ / "intro.swf");
    fs::create_symlink("site/intro.swf", root_ / "page.swf");
    fs::create_symlink("site/page.html", root_ / "page.html");
    ExportCommands commands(settings_, shell_, root_.string());

    const ExportResult exported = commands.ExportToSwf(doc_, (root_ / "intro.swf").string());
    ASSERT_TRUE(exported.ok) << exported.message;
    EXPECT_TRUE(fs::is_symlink(root_ / "intro.swf"));
    EXPECT_TRUE(IsSwf3(root_ / "site" / "intro.swf"));

    std::ofstream(root_ / "site" / "intro.swf") << "old movie";
    const ExportResult published = commands.Publish(doc_, (root_ / "page.html").string());
    ASSERT_TRUE(published.ok) << published.message;
    EXPECT_TRUE(fs::is_symlink(root_ / "page.swf"));
    EXPECT_TRUE(fs::is_symlink(root_ / "page.html"));
    EXPECT_TRUE(IsSwf3(root_ / "site" / "intro.swf"));
    EXPECT_EQ(ReadText(root_ / "site" / "page.html").rfind("<html>\r\n", 0), 0u);
    EXPECT_EQ(std::distance(fs::directory_iterator(root_ / "site"), {}), 2);
}

TEST_F(ExportCommandsTest, ShellFailureIsReported) {
    shell_.succeed = false;
    ExportCommands commands(settings_, shell_, root_.string());
    const ExportResult r = commands.TestInPlayer(doc_);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find("Untitled.swf: cannot be opened (no program"), std::string::npos)
        << r.message;
    EXPECT_TRUE(fs::exists(Private() + "Untitled.swf"));
}

TEST_F(ExportCommandsTest, PlayKeepsTheImageInMemory) {
    const PlayImage play = ExportCommands::Play(doc_);
    ASSERT_GE(play.image.size(), 8u);
    EXPECT_EQ(std::string(play.image.begin(), play.image.begin() + 4), std::string("FWS\x03", 4));
    EXPECT_EQ(play.sizeText, std::to_string(play.image.size()) + " bytes");
    EXPECT_TRUE(fs::is_empty(root_));
}

TEST_F(ExportCommandsTest, XdgOpenerStartsTheProgramWithThePath) {
    // A stand-in for the desktop's opener: it records its working folder and arguments.
    const fs::path fake = root_ / "fake-open";
    const fs::path log = root_ / "log.txt";
    {
        std::ofstream out(fake);
        out << "#!/bin/sh\npwd > '" << log.string() << ".part'\nprintf '%s|' \"$@\" >> '"
            << log.string() << ".part'\nmv '" << log.string() << ".part' '" << log.string()
            << "'\n";
    }
    fs::permissions(fake, fs::perms::owner_all);
    fs::create_directory(root_ / "dir $(x)");

    XdgShellOpener opener(fake.string());
    std::string error;
    const std::string folder = (root_ / "dir $(x)").string() + "/";
    ASSERT_TRUE(opener.Open(folder, "a b;c.html", error)) << error;
    for (int i = 0; i < 500 && !fs::exists(log); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(ReadText(log), (root_ / "dir $(x)").string() + "\n" + folder + "a b;c.html|");

    XdgShellOpener missing((root_ / "no-such-program").string());
    EXPECT_FALSE(missing.Open(folder, "x", error));
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;
    XdgShellOpener notInPath("tavro-no-such-opener");
    EXPECT_FALSE(notInPath.Open(folder, "x", error));
    EXPECT_NE(error.find("not found"), std::string::npos) << error;
}

} // namespace
} // namespace tavro
