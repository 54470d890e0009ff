// Saving a file as a whole or not at all. The bytes go into a temporary file beside the file they
// replace; only when every byte is written and synced is the temporary file renamed over the
// target and the folder synced, so a reader sees either the old file or the complete new one.
//
// A target that is a symbolic link is followed to the file it finally names: that file is
// replaced and the link stays a link. A replaced file keeps its permission bits; a new file gets
// 0666 less the process umask. On any failure the temporary file is removed, an existing target
// is left as it was, and the error names the file and the system's reason, in the form
// "<path>: cannot write the file (<reason>)".
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace tavro {

// Writes a file incrementally: Open, any number of Write calls, then Commit. Until Commit
// succeeds the target is untouched; destroying the object without a successful Commit removes
// the temporary file.
class AtomicFile {
public:
    AtomicFile() = default;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile() { Discard(); }

    // Resolves `path` and creates the temporary file beside the file it names.
    bool Open(const std::filesystem::path& path, std::string& error);
    // Appends to the temporary file. Fails when the file is not open.
    bool Write(const void* data, size_t size, std::string& error);
    // Syncs the temporary file, renames it over the target and syncs the folder. The object is
    // closed afterwards whether or not it succeeded.
    bool Commit(std::string& error);
    // Drops what was written; the target is left as it was.
    void Discard();

    bool IsOpen() const { return fd_ >= 0; }
    // The file that is replaced: the given path with symbolic links followed.
    const std::filesystem::path& Target() const { return target_; }
    // The temporary file while open, for a writer that must open it by name itself (one that
    // seeks back or reads what it wrote, as a video muxer does). Whatever is written through
    // another descriptor is synced and renamed by Commit like the rest.
    const std::filesystem::path& TemporaryPath() const { return temp_; }

private:
    std::string Failure(int err) const;

    std::filesystem::path path_; // as given, for messages
    std::filesystem::path target_;
    std::filesystem::path temp_;
    int fd_ = -1;
};

// Replaces (or creates) `path` with `bytes` in one step, as AtomicFile does. False with `error`
// set when the file cannot be written.
bool SaveFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> bytes,
                        std::string& error);
bool SaveFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                        std::string& error);

} // namespace tavro
