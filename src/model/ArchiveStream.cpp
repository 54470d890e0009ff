// Memory and file streams of the archive. A storing file stream writes through an AtomicFile:
// the target is replaced only in Close(), after the last byte is written and synced; until then
// (and on any failure) it is untouched, and the temporary file is removed when the stream is
// destroyed.
#include "model/ArchiveStream.h"

#include "base/AtomicFile.h"
#include "model/ArchiveError.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
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

class FileStoreStream final : public ArchiveStream {
public:
    explicit FileStoreStream(const std::filesystem::path& path) {
        std::string error;
        if (!file_.Open(path, error))
            throw ArchiveError(ArchiveError::Cause::FileError, error);
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
        FlushBuffer();
        std::string error;
        if (!file_.Commit(error))
            throw ArchiveError(ArchiveError::Cause::FileError, error);
        committed_ = true;
    }

private:
    void FlushBuffer() {
        std::string error;
        if (!file_.Write(buffer_, used_, error))
            throw ArchiveError(ArchiveError::Cause::FileError, error);
        used_ = 0;
    }

    AtomicFile file_; // removes its temporary file when destroyed before the commit
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
