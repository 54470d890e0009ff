// The object archive. The byte layout is fixed by the movie file format; this file adds the
// checks that make loading safe on damaged input:
// - every read goes through ReadRaw, which fails with EndOfFile instead of reading past the end;
// - counts and string lengths are compared with the bytes left before anything is allocated;
// - class and object indexes are looked up in a table that tells classes from objects, so a
//   reference of the wrong kind is a bad index rather than a wrong cast;
// - owned objects (child lists) must be new objects of the expected class, so a hostile
//   reference cannot give one object two owners or put a colour where a movie object belongs;
// - nesting of objects is bounded, so a deep chain cannot exhaust the stack.
#include "model/Archive.h"

#include "base/Cp1252.h"

#include "model/ArchiveStream.h"
#include "model/ArchiveWire.h"

#include <bit>
#include <cstring>
#include <new>

namespace tavro {

namespace {

static_assert(std::endian::native == std::endian::little,
              "archive primitives assume little-endian");

[[noreturn]] void Fail(ArchiveError::Cause cause, const std::string& message) {
    throw ArchiveError(cause, message);
}

// A UTF-16 code unit as a Windows-1252 byte: the one code-page rule of base/Cp1252.h (the five
// undefined bytes travel as the C1 controls of the same value); '?' where the code page has no
// byte for it.
char WideToSingleByte(uint16_t c) {
    const int byte = UnicodeToCp1252(c);
    return byte < 0 ? '?' : static_cast<char>(byte);
}

} // namespace

const char* ArchiveCauseName(ArchiveError::Cause cause) {
    switch (cause) {
    case ArchiveError::Cause::EndOfFile:
        return "end of file";
    case ArchiveError::Cause::BadClass:
        return "bad class";
    case ArchiveError::Cause::BadIndex:
        return "bad index";
    case ArchiveError::Cause::BadSchema:
        return "bad schema";
    case ArchiveError::Cause::NotSupported:
        return "not supported";
    case ArchiveError::Cause::OutOfMemory:
        return "out of memory";
    case ArchiveError::Cause::FileError:
        return "file error";
    }
    return "archive error";
}

Archive::Archive() : mode_(Mode::Store), stream_(ArchiveStream::MemoryStore()) {}

Archive::Archive(std::span<const uint8_t> bytes)
    : mode_(Mode::Load), stream_(ArchiveStream::MemoryLoad(bytes)) {
    loaded_.push_back({});
}

Archive::Archive(std::vector<uint8_t>&& bytes)
    : mode_(Mode::Load), ownedBytes_(std::move(bytes)),
      stream_(ArchiveStream::MemoryLoad(ownedBytes_)) {
    loaded_.push_back({});
}

Archive::Archive(const std::filesystem::path& path, Mode mode)
    : mode_(mode), stream_(mode == Mode::Store ? ArchiveStream::FileStore(path)
                                               : ArchiveStream::FileLoad(path)) {
    if (mode == Mode::Load)
        loaded_.push_back({});
}

Archive::~Archive() = default;

void Archive::Close() {
    stream_->Close();
}

const std::vector<uint8_t>& Archive::GetBuffer() const {
    const std::vector<uint8_t>* buffer = stream_->Buffer();
    if (buffer == nullptr)
        Fail(ArchiveError::Cause::NotSupported, "archive has no memory buffer");
    return *buffer;
}

std::vector<uint8_t> Archive::TakeBuffer() {
    std::vector<uint8_t>* buffer = stream_->Buffer();
    if (buffer == nullptr)
        Fail(ArchiveError::Cause::NotSupported, "archive has no memory buffer");
    return std::move(*buffer);
}

uint64_t Archive::GetRemaining() const {
    return IsLoading() ? stream_->Remaining() : 0;
}

void Archive::CheckLoading() const {
    if (!IsLoading())
        Fail(ArchiveError::Cause::NotSupported, "reading from a storing archive");
}

void Archive::CheckStoring() const {
    if (!IsStoring())
        Fail(ArchiveError::Cause::NotSupported, "writing to a loading archive");
}

void Archive::ReadRaw(void* data, size_t size) {
    CheckLoading();
    stream_->Read(data, size);
}

void Archive::WriteRaw(const void* data, size_t size) {
    CheckStoring();
    stream_->Write(data, size);
}

// Primitives: the host is little-endian (checked above), so values go out as they are in memory.
void Archive::WriteByte(uint8_t v) {
    WriteRaw(&v, 1);
}
void Archive::WriteWord(uint16_t v) {
    WriteRaw(&v, 2);
}
void Archive::WriteInt(int32_t v) {
    WriteRaw(&v, 4);
}
void Archive::WriteDword(uint32_t v) {
    WriteRaw(&v, 4);
}
void Archive::WriteDouble(double v) {
    WriteRaw(&v, 8);
}
void Archive::WriteBytes(const void* data, size_t size) {
    WriteRaw(data, size);
}

uint8_t Archive::ReadByte() {
    uint8_t v;
    ReadRaw(&v, 1);
    return v;
}
uint16_t Archive::ReadWord() {
    uint16_t v;
    ReadRaw(&v, 2);
    return v;
}
int32_t Archive::ReadInt() {
    int32_t v;
    ReadRaw(&v, 4);
    return v;
}
uint32_t Archive::ReadDword() {
    uint32_t v;
    ReadRaw(&v, 4);
    return v;
}
double Archive::ReadDouble() {
    double v;
    ReadRaw(&v, 8);
    return v;
}
void Archive::ReadBytes(void* data, size_t size) {
    ReadRaw(data, size);
}

void Archive::WriteCount(uint64_t count) {
    if (wire::CountFitsWord(count)) {
        WriteWord(static_cast<uint16_t>(count));
        return;
    }
    if (count > 0xFFFFFFFFu)
        Fail(ArchiveError::Cause::NotSupported, "count too large for the archive");
    WriteWord(wire::kCountEscape);
    WriteDword(static_cast<uint32_t>(count));
}

uint32_t Archive::ReadCount(size_t minBytesPerItem) {
    uint32_t count = ReadWord();
    if (count == wire::kCountEscape)
        count = ReadDword();
    if (static_cast<uint64_t>(count) * minBytesPerItem > stream_->Remaining())
        Fail(ArchiveError::Cause::EndOfFile, "count exceeds the data left");
    return count;
}

void Archive::WriteString(std::string_view s) {
    const uint64_t len = s.size();
    if (len < wire::kLengthEscape) {
        WriteByte(static_cast<uint8_t>(len));
    } else if (len <= wire::kMaxWordLength) {
        WriteByte(wire::kLengthEscape);
        WriteWord(static_cast<uint16_t>(len));
    } else {
        // 0xFFFFFFFF is left free, as readers of this format treat it as a wider marker.
        if (len >= 0xFFFFFFFFu)
            Fail(ArchiveError::Cause::NotSupported, "string too long for the archive");
        WriteByte(wire::kLengthEscape);
        WriteWord(wire::kLongLengthEscape);
        WriteDword(static_cast<uint32_t>(len));
    }
    WriteRaw(s.data(), s.size());
}

uint64_t Archive::ReadStringLength() {
    const uint8_t b = ReadByte();
    if (b < wire::kLengthEscape)
        return b;
    const uint16_t w = ReadWord();
    if (w < wire::kLongLengthEscape)
        return w;
    return ReadDword();
}

std::string Archive::ReadString() {
    bool wide = false;
    uint64_t len;
    const uint8_t b = ReadByte();
    if (b < wire::kLengthEscape) {
        len = b;
    } else {
        const uint16_t w = ReadWord();
        if (w == wire::kWideMarker) {
            wide = true;
            len = ReadStringLength();
        } else if (w < wire::kLongLengthEscape) {
            len = w;
        } else {
            len = ReadDword();
        }
    }
    const uint64_t bytes = wide ? len * 2 : len;
    if (bytes > stream_->Remaining())
        Fail(ArchiveError::Cause::EndOfFile, "string exceeds the data left");
    std::string s(static_cast<size_t>(len), '\0');
    if (!wide) {
        ReadRaw(s.data(), s.size());
        return s;
    }
    std::vector<uint16_t> units(static_cast<size_t>(len));
    ReadRaw(units.data(), units.size() * 2);
    size_t out = 0;
    for (size_t i = 0; i < units.size(); ++i) {
        const uint16_t c = units[i];
        // A surrogate pair stands for one character outside the code page: one '?'.
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF)
            ++i;
        s[out++] = WideToSingleByte(c);
    }
    s.resize(out);
    return s;
}

void Archive::WriteByteArray(const std::vector<uint8_t>& bytes) {
    WriteCount(bytes.size());
    WriteRaw(bytes.data(), bytes.size());
}

std::vector<uint8_t> Archive::ReadByteArray() {
    std::vector<uint8_t> bytes(ReadCount(1));
    ReadRaw(bytes.data(), bytes.size());
    return bytes;
}

void Archive::WriteVersion(const ClassInfo& cls) {
    WriteByte(static_cast<uint8_t>(cls.Version() & 0xFF));
}

uint8_t Archive::SerializeVersion(const ClassInfo& cls) {
    if (IsLoading())
        return ReadByte();
    WriteVersion(cls);
    return static_cast<uint8_t>(cls.Version() & 0xFF);
}

uint16_t Archive::GetStoredSchema(const ClassInfo& cls) const {
    auto it = storedSchemas_.find(&cls);
    return it != storedSchemas_.end() ? it->second : cls.Version();
}

void Archive::CheckCounter(size_t count) const {
    if (count >= kMaxMapCount)
        Fail(ArchiveError::Cause::BadIndex, "too many objects in one archive");
}

void Archive::WriteObject(const CRootObj* obj) {
    CheckStoring();
    if (obj == nullptr) {
        WriteWord(wire::kNullTag);
        return;
    }
    if (auto it = storedObjects_.find(obj); it != storedObjects_.end()) {
        if (it->second < wire::kBigTag) {
            WriteWord(static_cast<uint16_t>(it->second));
        } else {
            WriteWord(wire::kBigTag);
            WriteDword(it->second);
        }
        return;
    }
    const ClassInfo* cls = obj->GetRuntimeClass();
    if (!cls->IsSerializable())
        Fail(ArchiveError::Cause::NotSupported,
             std::string("class ") + cls->className + " cannot be archived");

    if (auto it = storedClasses_.find(cls); it != storedClasses_.end()) {
        if (it->second < wire::kBigTag) {
            WriteWord(static_cast<uint16_t>(wire::kClassTag | it->second));
        } else {
            WriteWord(wire::kBigTag);
            WriteDword(wire::kBigClassFlag | it->second);
        }
    } else {
        CheckCounter(storeCount_);
        const size_t nameLength = std::strlen(cls->className);
        WriteWord(wire::kNewClassTag);
        WriteWord(cls->Version());
        WriteWord(static_cast<uint16_t>(nameLength));
        WriteRaw(cls->className, nameLength);
        storedClasses_.emplace(cls, storeCount_++);
    }
    CheckCounter(storeCount_);
    storedObjects_.emplace(obj, storeCount_++);
    const_cast<CRootObj*>(obj)->Serialize(*this);
}

const ClassInfo* Archive::ReadClassDescriptor() {
    const uint16_t schema = ReadWord();
    const uint16_t nameLength = ReadWord();
    if (nameLength > wire::kMaxClassNameLength)
        Fail(ArchiveError::Cause::BadClass, "class name too long");
    char name[wire::kMaxClassNameLength];
    ReadRaw(name, nameLength);
    const std::string_view nameView(name, nameLength);
    const ClassInfo* cls = ClassInfo::FromName(nameView);
    if (cls == nullptr)
        Fail(ArchiveError::Cause::BadClass, "unknown class " + std::string(nameView));
    if (schema != cls->Version() && !cls->IsVersionable())
        Fail(ArchiveError::Cause::BadSchema,
             "class " + std::string(nameView) + " stored with another schema");
    storedSchemas_[cls] = schema;
    CheckCounter(loaded_.size());
    loaded_.push_back({cls, nullptr});
    return cls;
}

const ClassInfo* Archive::ClassAt(uint32_t index) const {
    if (index >= loaded_.size() || loaded_[index].cls == nullptr)
        Fail(ArchiveError::Cause::BadIndex, "class index refers to no class");
    return loaded_[index].cls;
}

CRootObj* Archive::ReadObjectImpl(const ClassInfo* expected, bool owned,
                                  std::unique_ptr<CRootObj>* ownedOut) {
    CheckLoading();
    const uint16_t tag = ReadWord();
    if (tag == wire::kNullTag)
        return nullptr;

    const ClassInfo* cls = nullptr;
    uint32_t objectIndex = 0;
    if (tag == wire::kNewClassTag) {
        cls = ReadClassDescriptor();
    } else if (tag == wire::kBigTag) {
        const uint32_t big = ReadDword();
        if (big & wire::kBigClassFlag)
            cls = ClassAt(big & ~wire::kBigClassFlag);
        else
            objectIndex = big;
    } else if (tag & wire::kClassTag) {
        cls = ClassAt(tag & ~wire::kClassTag);
    } else {
        objectIndex = tag;
    }

    if (cls == nullptr) {
        if (objectIndex >= loaded_.size() || loaded_[objectIndex].obj == nullptr)
            Fail(ArchiveError::Cause::BadIndex, "object index refers to no object");
        if (owned)
            Fail(ArchiveError::Cause::BadIndex, "an owned object refers back to an earlier one");
        CRootObj* earlier = loaded_[objectIndex].obj;
        if (expected != nullptr && !earlier->IsKindOf(expected))
            Fail(ArchiveError::Cause::BadClass,
                 std::string("object of class ") + earlier->GetRuntimeClass()->className +
                     " where " + expected->className + " was expected");
        return earlier;
    }

    if (expected != nullptr && !cls->IsDerivedFrom(expected))
        Fail(ArchiveError::Cause::BadClass, std::string("object of class ") + cls->className +
                                                " where " + expected->className + " was expected");
    if (cls->factory == nullptr)
        Fail(ArchiveError::Cause::BadClass,
             std::string("class ") + cls->className + " cannot be created by name");
    if (nesting_ >= kMaxNesting)
        Fail(ArchiveError::Cause::OutOfMemory, "objects nest too deeply");
    CheckCounter(loaded_.size());

    std::unique_ptr<CRootObj> obj;
    try {
        obj.reset(cls->CreateObject());
    } catch (const std::bad_alloc&) {
    }
    if (!obj)
        Fail(ArchiveError::Cause::OutOfMemory,
             std::string("cannot create an object of class ") + cls->className);
    loaded_.push_back({nullptr, obj.get()});

    ++nesting_;
    obj->Serialize(*this); // on an exception the object is destroyed and the archive is dead
    --nesting_;

    CRootObj* result = obj.get();
    *ownedOut = std::move(obj);
    return result;
}

CRootObj* Archive::ReadObject(const ClassInfo* expected) {
    std::unique_ptr<CRootObj> created;
    CRootObj* obj = ReadObjectImpl(expected, false, &created);
    created.release(); // a new object now belongs to the caller
    return obj;
}

std::unique_ptr<CRootObj> Archive::ReadOwnedObject(const ClassInfo* expected) {
    std::unique_ptr<CRootObj> created;
    ReadObjectImpl(expected, true, &created);
    return created;
}

void Archive::ThrowNullInList() {
    Fail(ArchiveError::Cause::BadIndex, "null object in an object list");
}

void SaveObjectToFile(const std::filesystem::path& path, const CRootObj& root) {
    Archive ar(path, Archive::Mode::Store);
    const_cast<CRootObj&>(root).Serialize(ar);
    ar.Close();
}

void LoadObjectFromFile(const std::filesystem::path& path, CRootObj& root) {
    Archive ar(path, Archive::Mode::Load);
    root.Serialize(ar);
    ar.Close();
}

std::vector<uint8_t> SaveObjectToMemory(const CRootObj& root) {
    Archive ar;
    const_cast<CRootObj&>(root).Serialize(ar);
    return ar.TakeBuffer();
}

void LoadObjectFromMemory(std::span<const uint8_t> bytes, CRootObj& root) {
    Archive ar(bytes);
    root.Serialize(ar);
}

} // namespace tavro
