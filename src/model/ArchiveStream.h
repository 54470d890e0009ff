// The byte streams under an Archive: memory and buffered files. Private to the archive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <vector>

namespace tavro {

class ArchiveStream {
public:
    virtual ~ArchiveStream() = default;
    // Reads exactly `size` bytes or throws ArchiveError (EndOfFile, or FileError on a read
    // failure).
    virtual void Read(void* data, size_t size) = 0;
    virtual void Write(const void* data, size_t size) = 0;
    // Loading: bytes not yet read.
    virtual uint64_t Remaining() const = 0;
    // Storing: makes everything written durable at its destination. Loading: releases.
    virtual void Close() {}
    // Memory storing only.
    virtual std::vector<uint8_t>* Buffer() { return nullptr; }

    static std::unique_ptr<ArchiveStream> MemoryStore();
    static std::unique_ptr<ArchiveStream> MemoryLoad(std::span<const uint8_t> bytes);
    static std::unique_ptr<ArchiveStream> FileStore(const std::filesystem::path& path);
    static std::unique_ptr<ArchiveStream> FileLoad(const std::filesystem::path& path);

    static constexpr size_t kFileBufferSize = 4096;
};

} // namespace tavro
