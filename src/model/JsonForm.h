// The JSON form of a movie: the archive of a document written as a JSON tree that mirrors the
// object tree field for field, and read back into exactly the same archive bytes.
//
// The conversion works on the archive bytes, not on live objects: a table names, for every class
// level, its version byte rule and its fields with their primitive types, in archive order. The
// transcoder walks the bytes (or the JSON) with those tables, so the classes' own Serialize code
// stays the single authority on the file format and the JSON form follows it without a second
// implementation per class. Everything a reader accepts survives .swi -> JSON -> .swi byte for
// byte: version bytes (old, newer, 0), reserved fields, stored class schemas, selections that name
// no child, and the rare encodings a writer of this system never produces (long length prefixes,
// wide strings, repeated class descriptors, big class tags, bytes after the document), which
// appear in the JSON as small annotations only where they occur. docs/json-form.md describes the
// form; classes added later register their tables with ArchiveLevelRegistrar.
#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tavro {

class CDocObj;

// A JSON text that is not a valid JSON form of a movie. The message starts with the JSON pointer
// of the offending value ("/document/CTavroObj/name: expected a string").
class JsonFormError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The primitive kinds of archived fields.
enum class ArchiveFieldType {
    Byte,       // 1 byte, 0..255
    Int,        // 4 bytes, signed
    Dword,      // 4 bytes, unsigned
    Double,     // 8 bytes; JSON strings for infinities and NaN (see docs/json-form.md)
    String,     // length prefix and single-byte characters; UTF-8 in JSON
    ByteArray,  // a count and that many bytes; a hexadecimal string in JSON
    IntArray,   // a dword count and that many ints (a selection)
    Doubles,    // `count` doubles, no count in the archive
    Points,     // `count` points of two doubles each, no count in the archive
    Member,     // an embedded object of class `className`: its data only, no tag
    ObjectList, // a count and that many new objects of class `className` or derived
};

struct ArchiveField {
    const char* name;
    ArchiveFieldType type;
    const char* className = nullptr; // Member and ObjectList
    uint8_t count = 0;               // Doubles and Points
    uint8_t since = 1;               // Versioned levels: read when the version byte is >= this
};

// How a class level begins.
enum class ArchiveLevelForm {
    Versioned,      // a version byte; 0 ends the level; a field is read from its `since` on
    VersionIgnored, // a version byte whose value changes nothing: every field is always read
    Unversioned,    // no version byte: every field is always read
    SchemaGated,    // no version byte: the fields are read only when the object's class
                    // descriptor in the archive carries a schema of at least 1
};

// One class level: the fields a class's Serialize adds after its base class's part.
struct ArchiveLevel {
    const char* className;
    const char* baseName; // null for a class derived directly from the root object
    uint16_t version;     // the class's current version (low word of its schema)
    ArchiveLevelForm form;
    std::vector<ArchiveField> fields;
};

// A set of class level tables, by class name.
class ArchiveLevelTables {
public:
    // Adds a level, replacing one of the same class name.
    void Add(ArchiveLevel level);
    const ArchiveLevel* Find(std::string_view className) const;
    std::vector<const ArchiveLevel*> All() const;

    // The tables of every registered document class (the built-in ones and those added by
    // ArchiveLevelRegistrar).
    static ArchiveLevelTables& Registered();

private:
    std::vector<ArchiveLevel> levels_;
};

// Adds tables to ArchiveLevelTables::Registered() at static-initialisation time:
//   static const ArchiveLevelRegistrar registrar{{ {"CMyClass", "CTavroObj", 1, ...}, ... }};
struct ArchiveLevelRegistrar {
    ArchiveLevelRegistrar(std::initializer_list<ArchiveLevel> levels);
};

// Archive bytes of a root object of class `rootClass` (a .swi file for CDocObj) to the JSON
// form. Throws ArchiveError for damaged bytes, with the byte offset in the message.
nlohmann::ordered_json ArchiveToJson(std::span<const uint8_t> bytes,
                                     const ArchiveLevelTables& tables,
                                     std::string_view rootClass = "CDocObj");
// JSON form to archive bytes. Throws JsonFormError.
std::vector<uint8_t> JsonToArchive(const nlohmann::ordered_json& json,
                                   const ArchiveLevelTables& tables,
                                   std::string_view rootClass = "CDocObj");

// The same with the registered tables, for movies, as text. The text ends with a line feed.
std::string MovieArchiveToJsonText(std::span<const uint8_t> swiBytes);
// Parses the text (JsonFormError for text that is not JSON, with line and column) and converts.
std::vector<uint8_t> MovieJsonTextToArchive(std::string_view jsonText);

// Documents in the JSON form. Loading converts to archive bytes and reads them with the
// document's own classes (JsonFormError or ArchiveError); the document changes only when all of
// it could be read. Saving writes the text atomically (ArchiveError with cause FileError when the
// file cannot be written).
void LoadDocumentJson(const std::filesystem::path& path, CDocObj& doc);
void SaveDocumentJson(const std::filesystem::path& path, const CDocObj& doc);
// Replaces `path` with `text` as a whole (AtomicFile: a link stays a link, the file keeps its
// permissions). ArchiveError with cause FileError, naming the file and the reason, on failure.
void SaveTextFileAtomically(const std::filesystem::path& path, std::string_view text);

} // namespace tavro
