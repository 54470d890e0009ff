#include "base/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavro {
namespace {

namespace fs = std::filesystem;

// Links followed before giving up, as the system does for path lookup.
constexpr int kMaxLinkHops = 40;
// The part of the target's name kept in the temporary file's name, so the name stays within
// the system's limit for one path component.
constexpr size_t kMaxNameInTemp = 200;

// The file `path` finally names: each symbolic link is replaced by what it points to (relative
// links are relative to the link's folder). A link to a file that does not exist yet names that
// file. Returns 0 or the errno of the failure.
int ResolveLinks(const fs::path& path, fs::path& resolved) {
    resolved = path;
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat st {};
        if (::lstat(resolved.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return 0; // not a link (or not there yet): this is the file
        if (hop == kMaxLinkHops)
            break;
        std::error_code ec;
        const fs::path next = fs::read_symlink(resolved, ec);
        if (ec)
            return ec.value();
        resolved = next.is_absolute() ? next : resolved.parent_path() / next;
    }
    return ELOOP;
}

bool WriteAll(int fd, const uint8_t* p, size_t size, int& err) {
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            return false;
        }
        if (n == 0) {
            err = EIO;
            return false;
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

fs::path FolderOf(const fs::path& file) {
    return file.parent_path().empty() ? fs::path(".") : file.parent_path();
}

} // namespace

std::string AtomicFile::Failure(int err) const {
    std::string where = path_.string();
    if (!target_.empty() && target_ != path_)
        where += " (link to " + target_.string() + ")";
    return where + ": cannot write the file (" + (err != 0 ? std::strerror(err) : "write failed") +
           ")";
}

bool AtomicFile::Open(const fs::path& path, std::string& error) {
    Discard();
    path_ = path;
    target_.clear();
    if (const int err = ResolveLinks(path, target_); err != 0) {
        error = Failure(err);
        return false;
    }

    static std::atomic<unsigned> counter{0};
    const std::string name = target_.filename().string().substr(0, kMaxNameInTemp);
    const fs::path dir = FolderOf(target_);
    int err = EEXIST;
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temp_ = dir / ("." + name + "." + std::to_string(::getpid()) + "-" +
                       std::to_string(counter++) + ".tmp");
        // Created new (never through a link), with 0666 less the umask, like any new file.
        fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd_ < 0 && (err = errno) != EEXIST)
            break;
    }
    if (fd_ < 0) {
        temp_.clear();
        error = Failure(err);
        return false;
    }

    // A replaced file keeps its permission bits.
    struct stat old {};
    if (::stat(target_.c_str(), &old) == 0 && S_ISREG(old.st_mode) &&
        ::fchmod(fd_, old.st_mode & 07777) != 0) {
        err = errno;
        Discard();
        error = Failure(err);
        return false;
    }
    return true;
}

bool AtomicFile::Write(const void* data, size_t size, std::string& error) {
    if (fd_ < 0) {
        error = Failure(EBADF);
        return false;
    }
    int err = 0;
    if (!WriteAll(fd_, static_cast<const uint8_t*>(data), size, err)) {
        Discard();
        error = Failure(err);
        return false;
    }
    return true;
}

bool AtomicFile::Commit(std::string& error) {
    if (fd_ < 0) {
        error = Failure(EBADF);
        return false;
    }
    int err = 0;
    if (::fsync(fd_) != 0)
        err = errno;
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && err == 0)
        err = errno;
    if (err == 0 && ::rename(temp_.c_str(), target_.c_str()) != 0)
        err = errno;
    if (err != 0) {
        ::unlink(temp_.c_str());
        temp_.clear();
        error = Failure(err);
        return false;
    }
    temp_.clear();

    // The rename itself becomes durable only when the folder is synced. A folder that cannot
    // be opened for reading (write-only for this user), or a file system that cannot sync a
    // folder (EINVAL), leaves nothing more to do: the new file is in place either way.
    const int dirFd = ::open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return true;
    if (::fsync(dirFd) != 0 && errno != EINVAL)
        err = errno;
    ::close(dirFd);
    if (err != 0) {
        error = Failure(err);
        return false;
    }
    return true;
}

void AtomicFile::Discard() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temp_.empty())
        ::unlink(temp_.c_str());
    temp_.clear();
}

bool SaveFileAtomically(const fs::path& path, std::span<const uint8_t> bytes, std::string& error) {
    AtomicFile file;
    return file.Open(path, error) && file.Write(bytes.data(), bytes.size(), error) &&
           file.Commit(error);
}

bool SaveFileAtomically(const fs::path& path, std::string_view bytes, std::string& error) {
    return SaveFileAtomically(
        path,
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()),
        error);
}

} // namespace tavro
