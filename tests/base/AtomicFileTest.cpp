#include "base/AtomicFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavro {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteText(const fs::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
}

unsigned ModeOf(const fs::path& p) {
    struct stat st {};
    EXPECT_EQ(::stat(p.c_str(), &st), 0) << p;
    return st.st_mode & 07777;
}

size_t EntriesIn(const fs::path& dir) {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir), {}));
}

class AtomicFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(TAVRO_BINARY_DIR) / "atomic-file-test" /
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(dir_, ec);
    }
    fs::path dir_;
};

TEST_F(AtomicFileTest, NewFileGetsTheUsualModeAndReplacedFileKeepsItsMode) {
    const mode_t oldMask = ::umask(027);
    std::string error;
    const bool saved = SaveFileAtomically(dir_ / "new.swf", "fresh", error);
    ::umask(oldMask);
    ASSERT_TRUE(saved) << error;
    EXPECT_EQ(ReadText(dir_ / "new.swf"), "fresh");
    EXPECT_EQ(ModeOf(dir_ / "new.swf"), 0640u); // 0666 less the umask

    const fs::path old = dir_ / "old.swi";
    WriteText(old, "an older and longer file");
    ASSERT_EQ(::chmod(old.c_str(), 0604), 0);
    ASSERT_TRUE(SaveFileAtomically(old, "short", error)) << error;
    EXPECT_EQ(ReadText(old), "short");
    EXPECT_EQ(ModeOf(old), 0604u);
    EXPECT_EQ(EntriesIn(dir_), 2u); // no temporary file left
}

TEST_F(AtomicFileTest, SavingThroughALinkReplacesTheFileItNamesAndKeepsTheLink) {
    // outer -> inner -> real/movie.swf, both links relative to their own folder.
    fs::create_directories(dir_ / "real");
    fs::create_directories(dir_ / "links");
    WriteText(dir_ / "real" / "movie.swf", "old movie");
    ASSERT_EQ(::chmod((dir_ / "real" / "movie.swf").c_str(), 0640), 0);
    fs::create_symlink("../real/movie.swf", dir_ / "links" / "inner");
    fs::create_symlink("links/inner", dir_ / "outer");

    AtomicFile file;
    std::string error;
    ASSERT_TRUE(file.Open(dir_ / "outer", error)) << error;
    EXPECT_EQ(file.Target(), dir_ / "links" / ".." / "real" / "movie.swf");
    ASSERT_TRUE(file.Write("new ", 4, error) && file.Write("movie", 5, error)) << error;
    ASSERT_TRUE(file.Commit(error)) << error;

    EXPECT_TRUE(fs::is_symlink(dir_ / "outer"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "links" / "inner"));
    EXPECT_EQ(fs::read_symlink(dir_ / "outer"), "links/inner");
    EXPECT_EQ(ReadText(dir_ / "real" / "movie.swf"), "new movie");
    EXPECT_EQ(ModeOf(dir_ / "real" / "movie.swf"), 0640u);
    EXPECT_EQ(EntriesIn(dir_ / "real"), 1u);

    // A link to a file not yet there creates that file.
    fs::create_symlink("real/later.swf", dir_ / "dangling");
    ASSERT_TRUE(SaveFileAtomically(dir_ / "dangling", "later", error)) << error;
    EXPECT_TRUE(fs::is_symlink(dir_ / "dangling"));
    EXPECT_EQ(ReadText(dir_ / "real" / "later.swf"), "later");

    // A loop of links is an error naming the file.
    fs::create_symlink("loop-b", dir_ / "loop-a");
    fs::create_symlink("loop-a", dir_ / "loop-b");
    EXPECT_FALSE(SaveFileAtomically(dir_ / "loop-a", "x", error));
    EXPECT_NE(error.find((dir_ / "loop-a").string()), std::string::npos) << error;
    EXPECT_NE(error.find(std::strerror(ELOOP)), std::string::npos) << error;
}

TEST_F(AtomicFileTest, UnwritableFolderNamesTheFileAndLeavesTheOldOne) {
    // A folder without write permission stops everyone but a privileged user; for one of those
    // a file of /proc stands in, where no new file can be created at all.
    const fs::path locked = dir_ / "locked";
    fs::create_directories(locked);
    WriteText(locked / "movie.swi", "previous");
    ASSERT_EQ(::chmod(locked.c_str(), 0555), 0);
    const int probe = ::open((locked / "probe").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (probe >= 0)
        ::close(probe);
    const fs::path target = probe < 0 ? locked / "movie.swi" : fs::path("/proc/version");
    ASSERT_TRUE(probe < 0 || fs::exists(target)) << "no folder that refuses new files";
    ::unlink((locked / "probe").c_str());
    const std::string before = ReadText(target);
    const size_t entries = EntriesIn(target.parent_path());

    std::string error;
    EXPECT_FALSE(SaveFileAtomically(target, "replacement", error));
    EXPECT_EQ(error.rfind(target.string() + ": cannot write the file (", 0), 0u) << error;
    if (probe < 0) {
        EXPECT_NE(error.find(std::strerror(EACCES)), std::string::npos) << error;
    }
    EXPECT_EQ(ReadText(target), before);
    EXPECT_EQ(EntriesIn(target.parent_path()), entries);
}

TEST_F(AtomicFileTest, FailureAfterTheTemporaryFileExistsRemovesIt) {
    const fs::path target = dir_ / "movie.swf";
    WriteText(target, "previous");
    std::string error;

    // A write the system refuses, whoever runs the test: a file size limit below the new size.
    struct rlimit limit {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit small{16, limit.rlim_max};
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved = SaveFileAtomically(target, std::string(4096, 'x'), error);
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved);
    EXPECT_EQ(error, target.string() + ": cannot write the file (" + std::strerror(EFBIG) + ")");
    EXPECT_EQ(ReadText(target), "previous");
    EXPECT_EQ(EntriesIn(dir_), 1u);

    // A folder in the target's place: the rename fails.
    fs::create_directory(dir_ / "taken");
    EXPECT_FALSE(SaveFileAtomically(dir_ / "taken", "x", error));
    EXPECT_NE(error.find(std::strerror(EISDIR)), std::string::npos) << error;
    EXPECT_TRUE(fs::is_directory(dir_ / "taken"));

    // Abandoned before the commit.
    {
        AtomicFile file;
        ASSERT_TRUE(file.Open(target, error)) << error;
        ASSERT_TRUE(file.Write("half", 4, error)) << error;
        EXPECT_EQ(EntriesIn(dir_), 3u);
    }
    EXPECT_EQ(ReadText(target), "previous");
    EXPECT_EQ(EntriesIn(dir_), 2u);
}

} // namespace
} // namespace tavro
