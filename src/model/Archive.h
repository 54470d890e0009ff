// The object archive: a one-directional stream (storing or loading for its whole life) of
// little-endian primitives, length-prefixed strings, counts and tagged object references, over a
// memory buffer or a file.
//
// What it guarantees:
// - Loading never reads past the end and never allocates from a count or length that has not
//   been checked against the bytes that are left; damage raises ArchiveError, never a crash.
// - Object references share one index counter per archive, starting at 1 (0 is null); class
//   descriptors and new objects draw from it in stream order, on both sides alike. A new object
//   gets its index before its own data is read.
// - An object read as owned (ReadOwned, ReadObjectList) is always a new object: a reference back
//   to an object read earlier would give it two owners, so it is rejected as a bad index.
// - Saving to a file writes a temporary file beside the target and renames it over the target
//   only after everything is written and flushed (Close); a failed or abandoned save leaves the
//   previous file untouched.
// After an ArchiveError the archive is unusable and must be discarded.
#pragma once

#include "model/ArchiveError.h"
#include "model/CRootObj.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tavro {

class ArchiveStream;

class Archive {
public:
    enum class Mode { Store, Load };

    // Objects may nest at most this deep inside one another when loading.
    static constexpr int kMaxNesting = 256;
    // The index counter may not reach this many entries.
    static constexpr uint32_t kMaxMapCount = 0x3FFFFFFEu;

    // Storing into a growable memory buffer (see GetBuffer / TakeBuffer).
    Archive();
    // Loading from memory; the bytes must outlive the archive.
    explicit Archive(std::span<const uint8_t> bytes);
    // Loading from memory the archive keeps (a temporary buffer is moved in, not referenced).
    explicit Archive(std::vector<uint8_t>&& bytes);
    // A file with a 4096-byte buffer. Storing writes a temporary file beside `path` that Close()
    // renames over it; loading opens `path` for reading. Throws ArchiveError (FileError).
    Archive(const std::filesystem::path& path, Mode mode);
    ~Archive();

    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    bool IsStoring() const { return mode_ == Mode::Store; }
    bool IsLoading() const { return mode_ == Mode::Load; }

    // Storing: writes out buffered bytes (and for a file, commits it: flush, sync, rename).
    // Loading: releases the file. Called by the destructor of a loading archive; a storing file
    // archive destroyed without Close() discards its temporary file.
    void Close();

    // Memory storing only: the bytes written so far.
    const std::vector<uint8_t>& GetBuffer() const;
    std::vector<uint8_t> TakeBuffer();

    // Loading only: bytes not yet read.
    uint64_t GetRemaining() const;

    // Primitives.
    void WriteByte(uint8_t v);
    void WriteWord(uint16_t v);
    void WriteInt(int32_t v);
    void WriteDword(uint32_t v);
    void WriteDouble(double v);
    void WriteBytes(const void* data, size_t size);
    uint8_t ReadByte();
    uint16_t ReadWord();
    int32_t ReadInt();
    uint32_t ReadDword();
    double ReadDouble();
    void ReadBytes(void* data, size_t size);

    // A count: a word below 0xFFFF, else word 0xFFFF then a dword.
    void WriteCount(uint64_t count);
    // Reads a count and checks that count * minBytesPerItem bytes are left (EndOfFile if not).
    uint32_t ReadCount(size_t minBytesPerItem = 1);

    // Strings: length prefix (byte below 255; 0xFF + word up to 0xFFFD; 0xFF, 0xFFFF + dword
    // beyond), then single-byte characters. Reading also accepts the wide form (0xFF, 0xFFFE,
    // a second prefix, 16-bit characters), converted to single bytes.
    void WriteString(std::string_view s);
    std::string ReadString();

    // A count followed by that many bytes.
    void WriteByteArray(const std::vector<uint8_t>& bytes);
    std::vector<uint8_t> ReadByteArray();

    // Per-class version byte: the low byte of the class's own schema.
    void WriteVersion(const ClassInfo& cls);
    uint8_t ReadVersion() { return ReadByte(); }
    // Storing: writes the class's version byte and returns it. Loading: reads and returns the
    // stored byte. A Serialize level typically starts with
    //   if (ar.SerializeVersion(MyClass::classInfo) == 0) return;
    uint8_t SerializeVersion(const ClassInfo& cls);

    // The schema this archive's data carries for `cls`: the value stored in its class
    // descriptor when that differed from the current version, else the current version.
    uint16_t GetStoredSchema(const ClassInfo& cls) const;

    // A member held by value: its own data only, no tag or descriptor.
    void SerializeMember(CRootObj& member) { member.Serialize(*this); }

    // Object references. Writing null gives word 0; an object written before gives its index.
    void WriteObject(const CRootObj* obj);
    // A new object, a reference to one read earlier, or null. A new object belongs to the caller.
    // With `expected`, an object not of that class (or derived) raises BadClass.
    CRootObj* ReadObject(const ClassInfo* expected = nullptr);
    // A new object owned by the caller, or null; references back raise BadIndex.
    std::unique_ptr<CRootObj> ReadOwnedObject(const ClassInfo* expected = nullptr);
    template <class T> std::unique_ptr<T> ReadOwned() {
        return std::unique_ptr<T>(static_cast<T*>(ReadOwnedObject(&T::classInfo).release()));
    }

    // Object list: a count, then each element as an object reference.
    template <class Container> void WriteObjectList(const Container& list) {
        WriteCount(list.size());
        for (const auto& p : list)
            WriteObject(&*p);
    }
    // Reads an object list of new, non-null objects of class T (or derived), passing each to
    // `append(std::unique_ptr<T>)` as soon as it is read.
    template <class T, class Append> void ReadObjectList(Append&& append) {
        const uint32_t n = ReadCount(2);
        for (uint32_t i = 0; i < n; ++i) {
            std::unique_ptr<T> obj = ReadOwned<T>();
            if (!obj)
                ThrowNullInList();
            append(std::move(obj));
        }
    }

private:
    struct LoadEntry {
        const ClassInfo* cls = nullptr; // set for a class entry
        CRootObj* obj = nullptr;        // set for an object entry
    };

    CRootObj* ReadObjectImpl(const ClassInfo* expected, bool owned,
                             std::unique_ptr<CRootObj>* ownedOut);
    const ClassInfo* ReadClassDescriptor();
    const ClassInfo* ClassAt(uint32_t index) const;
    void CheckCounter(size_t count) const;
    void CheckLoading() const;
    void CheckStoring() const;
    void ReadRaw(void* data, size_t size);
    void WriteRaw(const void* data, size_t size);
    uint64_t ReadStringLength();
    [[noreturn]] static void ThrowNullInList();

    Mode mode_;
    std::vector<uint8_t> ownedBytes_; // loading from a buffer the archive keeps
    std::unique_ptr<ArchiveStream> stream_;

    // Storing.
    std::unordered_map<const CRootObj*, uint32_t> storedObjects_;
    std::unordered_map<const ClassInfo*, uint32_t> storedClasses_;
    uint32_t storeCount_ = 1;

    // Loading: entry i is index i; entry 0 is the null reference.
    std::vector<LoadEntry> loaded_;
    std::unordered_map<const ClassInfo*, uint16_t> storedSchemas_;
    int nesting_ = 0;
};

// The root object written without tag or descriptor: exactly its own Serialize output.
void SaveObjectToFile(const std::filesystem::path& path, const CRootObj& root);
// Reads `root` in place from a file. The caller empties it first if it must start empty.
void LoadObjectFromFile(const std::filesystem::path& path, CRootObj& root);
std::vector<uint8_t> SaveObjectToMemory(const CRootObj& root);
void LoadObjectFromMemory(std::span<const uint8_t> bytes, CRootObj& root);

} // namespace tavro
