// Memory and file streams of the archive. A storing file stream writes into a temporary file
// created beside its target and renames it over the target only in Close(), after the last byte
// is written and synced; until then (and on any failure) the target is untouched and the
// temporary file is removed when the stream is destroyed.
#include "model/ArchiveStream.h"

#include "model/ArchiveError.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace tavro {

namespace {

[[noreturn]] void ThrowEof() {
    throw ArchiveError(ArchiveError::Cause::EndOfFile, "archive data ends too early");
}

[[noreturn]] void ThrowFile(const std::string& what, const std::filesystem::path& path, int err) {
    throw ArchiveError(ArchiveError::Cause::FileError,
                       what + " " + path.string() + ": " + std::strerror(err));
}

class MemoryStoreStream final : public ArchiveStream {
public:
    void Read(void*, size_t) override { ThrowEof(); }
    void Write(const void* data, size_t size) override {
        const auto* p = static_cast<const uint8_t*>(data);
        bytes_.insert(bytes_.end(), p, p + size);
    }
    uint64_t Remaining() const override { return 0; }
    std::vector<uint8_t>* Buffer() override { return &bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

class MemoryLoadStream final : public ArchiveStream {
public:
    explicit MemoryLoadStream(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    void Read(void* data, size_t size) override {
        if (size > bytes_.size() - pos_)
            ThrowEof();
        if (size != 0)
            std::memcpy(data, bytes_.data() + pos_, size);
        pos_ += size;
    }
    void Write(const void*, size_t) override {}
    uint64_t Remaining() const override { return bytes_.size() - pos_; }

private:
    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
};

class FileLoadStream final : public ArchiveStream {
public:
    explicit FileLoadStream(const std::filesystem::path& path) : path_(path) {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0)
            ThrowFile("cannot open", path, errno);
        struct stat st {};
        if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
            const int err = errno != 0 ? errno : EINVAL;
            ::close(fd_);
            fd_ = -1;
            ThrowFile("cannot read", path, err);
        }
        remaining_ = static_cast<uint64_t>(st.st_size);
    }
    ~FileLoadStream() override { Close(); }

    void Read(void* data, size_t size) override {
        if (size > remaining_)
            ThrowEof();
        auto* out = static_cast<uint8_t*>(data);
        while (size > 0) {
            if (pos_ == end_)
                Fill();
            const size_t n = std::min(size, end_ - pos_);
            std::memcpy(out, buffer_ + pos_, n);
            pos_ += n;
            out += n;
            size -= n;
            remaining_ -= n;
        }
    }
    void Write(const void*, size_t) override {}
    uint64_t Remaining() const override { return remaining_; }
    void Close() override {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

private:
    void Fill() {
        if (fd_ < 0)
            ThrowEof();
        ssize_t n;
        do {
            n = ::read(fd_, buffer_, sizeof buffer_);
        } while (n < 0 && errno == EINTR);
        if (n < 0)
            ThrowFile("cannot read", path_, errno);
        if (n == 0)
            ThrowEof(); // the file shrank while it was read
        pos_ = 0;
        end_ = static_cast<size_t>(n);
    }

    std::filesystem::path path_;
    int fd_ = -1;
    uint64_t remaining_ = 0;
    uint8_t buffer_[kFileBufferSize];
    size_t pos_ = 0, end_ = 0;
};

mode_t DefaultFileMode() {
    // The process umask, read without changing it (umask() itself would race other threads).
    mode_t mask = 022;
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) {
            mask = static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8) & 0777);
            break;
        }
    }
    return 0666 & ~mask;
}

class FileStoreStream final : public ArchiveStream {
public:
    explicit FileStoreStream(const std::filesystem::path& path) {
        std::error_code ec;
        // Replace the file a symbolic link points to, not the link.
        target_ =
            std::filesystem::is_symlink(path, ec) ? std::filesystem::canonical(path, ec) : path;
        if (ec || target_.empty())
            target_ = path;
        std::filesystem::path dir = target_.parent_path();
        std::string templ = (dir / ("." + target_.filename().string() + ".XXXXXX")).string();
        fd_ = ::mkostemp(templ.data(), O_CLOEXEC);
        if (fd_ < 0)
            ThrowFile("cannot create", path, errno);
        temp_ = templ;
        struct stat st {};
        const mode_t mode =
            ::stat(target_.c_str(), &st) == 0 ? (st.st_mode & 07777) : DefaultFileMode();
        ::fchmod(fd_, mode);
    }
    ~FileStoreStream() override {
        if (fd_ >= 0)
            ::close(fd_);
        if (!committed_ && !temp_.empty())
            ::unlink(temp_.c_str());
    }

    void Read(void*, size_t) override { ThrowEof(); }
    void Write(const void* data, size_t size) override {
        const auto* p = static_cast<const uint8_t*>(data);
        while (size > 0) {
            if (used_ == kFileBufferSize)
                FlushBuffer();
            const size_t n = std::min(size, kFileBufferSize - used_);
            std::memcpy(buffer_ + used_, p, n);
            used_ += n;
            p += n;
            size -= n;
        }
    }
    uint64_t Remaining() const override { return 0; }
    void Close() override {
        if (committed_)
            return;
        if (fd_ < 0)
            ThrowFile("cannot write", target_, EBADF);
        FlushBuffer();
        if (::fsync(fd_) != 0)
            ThrowFile("cannot write", target_, errno);
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0)
            ThrowFile("cannot write", target_, errno);
        if (::rename(temp_.c_str(), target_.c_str()) != 0)
            ThrowFile("cannot replace", target_, errno);
        committed_ = true;
    }

private:
    void FlushBuffer() {
        size_t done = 0;
        while (done < used_) {
            const ssize_t n = ::write(fd_, buffer_ + done, used_ - done);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                ThrowFile("cannot write", target_, errno);
            }
            done += static_cast<size_t>(n);
        }
        used_ = 0;
    }

    std::filesystem::path target_;
    std::string temp_;
    int fd_ = -1;
    bool committed_ = false;
    uint8_t buffer_[kFileBufferSize];
    size_t used_ = 0;
};

} // namespace

std::unique_ptr<ArchiveStream> ArchiveStream::MemoryStore() {
    return std::make_unique<MemoryStoreStream>();
}
std::unique_ptr<ArchiveStream> ArchiveStream::MemoryLoad(std::span<const uint8_t> bytes) {
    return std::make_unique<MemoryLoadStream>(bytes);
}
std::unique_ptr<ArchiveStream> ArchiveStream::FileStore(const std::filesystem::path& path) {
    return std::make_unique<FileStoreStream>(path);
}
std::unique_ptr<ArchiveStream> ArchiveStream::FileLoad(const std::filesystem::path& path) {
    return std::make_unique<FileLoadStream>(path);
}

} // namespace tavro
