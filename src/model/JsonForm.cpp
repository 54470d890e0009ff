// The JSON form transcoder. Both directions walk the same class level tables, so a table that
// matches a class's Serialize gives byte-exact round trips, and the tests check every registered
// class against its table with real objects.
//
// The decoder (archive -> JSON) accepts what the archive reader accepts and nothing more: the
// same bounds checks before every read and allocation, the same class, index, nesting and counter
// rules. Where the bytes use an encoding other than the one this system's writer produces, the
// decoder leaves a note in the JSON (a "lengthForm", "countForm", "tag" or "trailingBytes"), and
// the encoder (JSON -> archive) writes the writer's own encoding unless such a note asks
// otherwise. The encoder checks the JSON as strictly as the decoder checks bytes: unknown keys,
// missing fields, fields beyond a level's version, values out of range and characters a movie
// cannot store are errors that name the JSON pointer of the value.
#include "model/JsonForm.h"

#include "base/AtomicFile.h"
#include "model/Archive.h"
#include "model/ArchiveError.h"
#include "model/CDocObj.h"
#include "model/ClassInfo.h"
#include "swf/Cp1252.h"

#include <bit>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <unordered_map>

namespace tavro {

namespace {

using Json = nlohmann::ordered_json;
using Field = ArchiveField;
using FieldType = ArchiveFieldType;
using Form = ArchiveLevelForm;

constexpr const char* kFormatName = "tavro-movie";
constexpr int kFormatVersion = 1;

constexpr uint16_t kNewClassTag = 0xFFFF;
constexpr uint16_t kBigTag = 0x7FFF;
constexpr uint16_t kClassTagBit = 0x8000;
constexpr uint32_t kBigClassBit = 0x80000000u;
constexpr size_t kMaxClassNameLength = 63;
constexpr uint64_t kNoCanonicalNan = 0x7FF8000000000000ull;

// ---------------------------------------------------------------------------------------------
// Built-in tables: the document model, events and actions.

std::vector<ArchiveLevel> BuiltInLevels() {
    using T = FieldType;
    const auto member = [](const char* name, const char* cls) {
        return Field{name, T::Member, cls};
    };
    const auto list = [](const char* name, const char* cls) {
        return Field{name, T::ObjectList, cls};
    };
    const auto points = [](uint8_t n) { return Field{"points", T::Points, nullptr, n}; };
    return {
        {"CTavroObj",
         nullptr,
         1,
         Form::Versioned,
         {{"name", T::String}, list("children", "CTavroObj"), {"selection", T::IntArray}}},
        {"CDocObj",
         "CTavroObj",
         1,
         Form::Versioned,
         {{"width", T::Double},
          {"height", T::Double},
          {"frameRate", T::Double},
          member("backgroundColor", "CColor")}},
        {"CSymbolObj",
         "CTavroObj",
         1,
         Form::Versioned,
         {member("matrix", "CMatrix3"), member("effects", "CTavroObj"),
          member("events", "CTavroObj")}},
        {"CSceneObj",
         "CSymbolObj",
         1,
         Form::Versioned,
         {{"reservedA", T::Int},
          {"reservedC", T::Int},
          {"reservedB", T::Int},
          {"link", T::String},
          {"targetFrame", T::String}}},
        {"CTextObj",
         "CSymbolObj",
         1,
         Form::Versioned,
         {{"fontFace", T::String},
          {"fontSize", T::Int},
          {"bold", T::Int},
          {"italic", T::Int},
          {"alignment", T::Int},
          member("color", "CColor")}},
        {"CPath", nullptr, 1, Form::Versioned, {list("nodes", "CPathNode")}},
        {"CPathNode", nullptr, 1, Form::Unversioned, {}},
        {"CNodeMoveTo", "CPathNode", 1, Form::SchemaGated, {points(1)}},
        {"CNodeLineTo", "CPathNode", 1, Form::SchemaGated, {points(1)}},
        {"CNodeCurveTo2", "CPathNode", 1, Form::SchemaGated, {points(2)}},
        {"CNodeCurveTo3", "CPathNode", 1, Form::SchemaGated, {points(3)}},
        {"CNodeClosePath", "CPathNode", 1, Form::Unversioned, {}},
        {"CColor",
         nullptr,
         1,
         Form::Versioned,
         {{"red", T::Int}, {"green", T::Int}, {"blue", T::Int}, {"alpha", T::Int}}},
        {"CFillStyle", nullptr, 1, Form::Unversioned, {}},
        {"CFillStyleColor", "CFillStyle", 1, Form::VersionIgnored, {member("color", "CColor")}},
        {"CLineStyle",
         nullptr,
         1,
         Form::Versioned,
         {{"style", T::Int},
          {"width", T::Double},
          member("color", "CColor"),
          {"pattern", T::ByteArray}}},
        {"CMatrix3", nullptr, 1, Form::Versioned, {{"m", T::Doubles, nullptr, 9}}},
        {"CEventObj", "CTavroObj", 1, Form::Versioned, {{"conditions", T::Int}}},
        {"CEventAtFrame", "CEventObj", 1, Form::Versioned, {{"frame", T::Int}}},
        {"CEventAtLabel", "CEventObj", 1, Form::VersionIgnored, {}},
        {"CActionObj", "CTavroObj", 1, Form::VersionIgnored, {}},
        {"CActionGotoFrame",
         "CActionObj",
         1,
         Form::Versioned,
         {{"scene", T::String},
          {"mode", T::Int},
          {"frame", T::Int},
          {"label", T::String},
          {"play", T::Int}}},
        {"CActionGotoURL",
         "CActionObj",
         1,
         Form::Versioned,
         {{"url", T::String}, {"target", T::String}}},
        {"CActionPlay", "CActionObj", 1, Form::VersionIgnored, {}},
        {"CActionStop", "CActionObj", 1, Form::VersionIgnored, {}},
    };
}

// ---------------------------------------------------------------------------------------------
// Shared helpers.

bool HasVersionByte(Form form) {
    return form == Form::Versioned || form == Form::VersionIgnored;
}

// The levels of a class from the one next to the root object down to the class itself.
std::vector<const ArchiveLevel*> ChainOf(const ArchiveLevelTables& tables,
                                         const ArchiveLevel& cls) {
    std::vector<const ArchiveLevel*> chain;
    for (const ArchiveLevel* level = &cls; level != nullptr;) {
        if (chain.size() > 64)
            throw ArchiveError(ArchiveError::Cause::BadClass,
                               std::string("class ") + cls.className + " has a cyclic table");
        chain.insert(chain.begin(), level);
        if (level->baseName == nullptr)
            break;
        const ArchiveLevel* base = tables.Find(level->baseName);
        if (base == nullptr)
            throw ArchiveError(ArchiveError::Cause::BadClass,
                               std::string("class ") + level->className + ": base class " +
                                   level->baseName + " has no table");
        level = base;
    }
    return chain;
}

bool DerivesFrom(const ArchiveLevelTables& tables, const ArchiveLevel& cls,
                 std::string_view baseName) {
    for (const ArchiveLevel* level : ChainOf(tables, cls))
        if (baseName == level->className)
            return true;
    return false;
}

// A registered class that cannot be created by name is rejected by the reader as well.
bool IsAbstract(const ArchiveLevel& cls) {
    const ClassInfo* info = ClassInfo::FromName(cls.className);
    return info != nullptr && info->factory == nullptr;
}

std::string Hex(const uint8_t* data, size_t size) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string s;
    s.reserve(size * 2);
    for (size_t i = 0; i < size; ++i) {
        s += kDigits[data[i] >> 4];
        s += kDigits[data[i] & 15];
    }
    return s;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<std::vector<uint8_t>> FromHex(std::string_view s) {
    if (s.size() % 2 != 0)
        return std::nullopt;
    std::vector<uint8_t> bytes(s.size() / 2);
    for (size_t i = 0; i < bytes.size(); ++i) {
        const int hi = HexDigit(s[2 * i]);
        const int lo = HexDigit(s[2 * i + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        bytes[i] = static_cast<uint8_t>(hi * 16 + lo);
    }
    return bytes;
}

// The length prefix forms of strings and counts.
enum class PrefixForm { Byte, Word, Dword };

const char* PrefixName(PrefixForm f) {
    switch (f) {
    case PrefixForm::Byte:
        return "byte";
    case PrefixForm::Word:
        return "word";
    case PrefixForm::Dword:
        return "dword";
    }
    return "";
}

// The form this system's writer uses for a string of `length` characters. Inside a wide string
// the word form reaches one further, as 0xFFFE is no marker there.
PrefixForm CanonicalStringForm(uint64_t length, bool wide) {
    if (length < 0xFF)
        return PrefixForm::Byte;
    return length <= (wide ? 0xFFFEu : 0xFFFDu) ? PrefixForm::Word : PrefixForm::Dword;
}

Json DoubleToJson(double v) {
    if (std::isfinite(v))
        return v;
    if (std::isinf(v))
        return v > 0 ? "Infinity" : "-Infinity";
    const uint64_t bits = std::bit_cast<uint64_t>(v);
    if (bits == kNoCanonicalNan)
        return "NaN";
    char text[32];
    std::snprintf(text, sizeof text, "NaN:0x%016" PRIX64, bits);
    return text;
}

// ---------------------------------------------------------------------------------------------
// Archive -> JSON.

class ArchiveDecoder {
public:
    ArchiveDecoder(std::span<const uint8_t> bytes, const ArchiveLevelTables& tables)
        : bytes_(bytes), tables_(tables) {
        entries_.push_back(nullptr); // index 0: the null reference
    }

    Json Decode(std::string_view rootClass) {
        const ArchiveLevel* root = tables_.Find(rootClass);
        if (root == nullptr)
            Fail(ArchiveError::Cause::BadClass,
                 "class " + std::string(rootClass) + " has no JSON table");
        Json out = Json::object();
        out["format"] = kFormatName;
        out["formatVersion"] = kFormatVersion;
        Json doc = Json::object();
        doc["class"] = root->className;
        ObjectBody(*root, doc);
        out["document"] = std::move(doc);
        if (pos_ < bytes_.size())
            out["trailingBytes"] = Hex(bytes_.data() + pos_, bytes_.size() - pos_);
        return out;
    }

private:
    [[noreturn]] void Fail(ArchiveError::Cause cause, const std::string& what) const {
        throw ArchiveError(cause, "at byte " + std::to_string(pos_) + ": " + what);
    }

    size_t Remaining() const { return bytes_.size() - pos_; }

    void Need(uint64_t n) const {
        if (n > Remaining())
            Fail(ArchiveError::Cause::EndOfFile, "the data ends inside a value");
    }

    template <class T> T Read() {
        Need(sizeof(T));
        T v;
        std::memcpy(&v, bytes_.data() + pos_, sizeof(T));
        pos_ += sizeof(T);
        return v;
    }

    uint8_t Byte() { return Read<uint8_t>(); }
    uint16_t Word() { return Read<uint16_t>(); }
    uint32_t Dword() { return Read<uint32_t>(); }

    void CheckCounter() const {
        if (entries_.size() >= Archive::kMaxMapCount)
            Fail(ArchiveError::Cause::BadIndex, "too many objects in one archive");
    }

    // A count: its value, and whether it used the long form although the short one would do.
    std::pair<uint32_t, bool> Count(size_t minBytesPerItem) {
        uint32_t n = Word();
        bool longForm = false;
        if (n == 0xFFFF) {
            n = Dword();
            longForm = n < 0xFFFF;
        }
        if (uint64_t{n} * minBytesPerItem > Remaining())
            Fail(ArchiveError::Cause::EndOfFile, "count exceeds the data left");
        return {n, longForm};
    }

    Json String() {
        PrefixForm form = PrefixForm::Byte;
        uint64_t length = Byte();
        bool wide = false;
        if (length == 0xFF) {
            const uint16_t w = Word();
            if (w == 0xFFFE) {
                wide = true;
                length = Byte();
                if (length == 0xFF) {
                    form = PrefixForm::Word;
                    length = Word();
                    if (length == 0xFFFF) {
                        form = PrefixForm::Dword;
                        length = Dword();
                    }
                }
            } else if (w < 0xFFFF) {
                form = PrefixForm::Word;
                length = w;
            } else {
                form = PrefixForm::Dword;
                length = Dword();
            }
        }
        Need(wide ? length * 2 : length);
        const uint8_t* data = bytes_.data() + pos_;
        pos_ += static_cast<size_t>(wide ? length * 2 : length);
        const bool canonical = form == CanonicalStringForm(length, wide);
        if (!wide) {
            std::string text = Cp1252ToUtf8(
                std::string_view(reinterpret_cast<const char*>(data), static_cast<size_t>(length)));
            if (canonical)
                return text;
            return Json{{"text", std::move(text)}, {"lengthForm", PrefixName(form)}};
        }
        // Code units as four hexadecimal digits each, most significant first.
        std::string units;
        units.reserve(static_cast<size_t>(length) * 4);
        for (uint64_t i = 0; i < length; ++i) {
            const uint8_t unit[2] = {data[2 * i + 1], data[2 * i]};
            units += Hex(unit, 2);
        }
        Json j{{"wide", std::move(units)}};
        if (!canonical)
            j["lengthForm"] = PrefixName(form);
        return j;
    }

    Json FieldValue(const Field& f) {
        switch (f.type) {
        case FieldType::Byte:
            return Byte();
        case FieldType::Int:
            return Read<int32_t>();
        case FieldType::Dword:
            return Dword();
        case FieldType::Double:
            return DoubleToJson(Read<double>());
        case FieldType::String:
            return String();
        case FieldType::ByteArray: {
            const auto [n, longForm] = Count(1);
            std::string hex = Hex(bytes_.data() + pos_, n);
            pos_ += n;
            if (!longForm)
                return hex;
            return Json{{"hex", std::move(hex)}, {"countForm", "dword"}};
        }
        case FieldType::IntArray: {
            const uint32_t n = Dword();
            if (uint64_t{n} * 4 > Remaining())
                Fail(ArchiveError::Cause::EndOfFile, "list exceeds the data left");
            Json a = Json::array();
            for (uint32_t i = 0; i < n; ++i)
                a.push_back(Read<int32_t>());
            return a;
        }
        case FieldType::Doubles: {
            Json a = Json::array();
            for (int i = 0; i < f.count; ++i)
                a.push_back(DoubleToJson(Read<double>()));
            return a;
        }
        case FieldType::Points: {
            Json a = Json::array();
            for (int i = 0; i < f.count; ++i) {
                const double x = Read<double>();
                const double y = Read<double>();
                a.push_back(Json::array({DoubleToJson(x), DoubleToJson(y)}));
            }
            return a;
        }
        case FieldType::Member: {
            Json j = Json::object();
            ObjectBody(TableOf(f.className), j);
            return j;
        }
        case FieldType::ObjectList: {
            const auto [n, longForm] = Count(2);
            Json items = Json::array();
            for (uint32_t i = 0; i < n; ++i)
                items.push_back(ListedObject(f.className));
            if (!longForm)
                return items;
            return Json{{"countForm", "dword"}, {"items", std::move(items)}};
        }
        }
        Fail(ArchiveError::Cause::BadClass, "field of an unknown type");
    }

    const ArchiveLevel& TableOf(const char* className) const {
        const ArchiveLevel* level = tables_.Find(className);
        if (level == nullptr)
            Fail(ArchiveError::Cause::BadClass,
                 std::string("class ") + className + " has no JSON table");
        return *level;
    }

    uint16_t StoredSchema(const ArchiveLevel& cls) const {
        auto it = storedSchemas_.find(&cls);
        return it != storedSchemas_.end() ? it->second : cls.version;
    }

    void LevelData(const ArchiveLevel& level, const ArchiveLevel& objectClass, Json& obj) {
        Json data = Json::object();
        bool readFields = true;
        int version = -1;
        if (HasVersionByte(level.form)) {
            version = Byte();
            data["version"] = version;
            readFields = level.form != Form::Versioned || version != 0;
        } else if (level.form == Form::SchemaGated) {
            readFields = StoredSchema(objectClass) >= 1;
        }
        if (readFields) {
            for (const Field& f : level.fields) {
                if (level.form == Form::Versioned && version < f.since)
                    continue;
                data[f.name] = FieldValue(f);
            }
        }
        if (!data.empty())
            obj[level.className] = std::move(data);
    }

    void ObjectBody(const ArchiveLevel& cls, Json& obj) {
        for (const ArchiveLevel* level : ChainOf(tables_, cls))
            LevelData(*level, cls, obj);
    }

    const ArchiveLevel& ClassAt(uint32_t index) const {
        if (index >= entries_.size() || entries_[index] == nullptr)
            Fail(ArchiveError::Cause::BadIndex, "class index refers to no class");
        return *entries_[index];
    }

    const ArchiveLevel& Descriptor(Json& note) {
        const uint16_t schema = Word();
        const uint16_t nameLength = Word();
        if (nameLength > kMaxClassNameLength)
            Fail(ArchiveError::Cause::BadClass, "class name too long");
        Need(nameLength);
        const std::string name(reinterpret_cast<const char*>(bytes_.data() + pos_), nameLength);
        pos_ += nameLength;
        const ArchiveLevel* cls = tables_.Find(name);
        if (cls == nullptr)
            Fail(ArchiveError::Cause::BadClass, ClassInfo::FromName(name)
                                                    ? "class " + name + " has no JSON table"
                                                    : "unknown class " + name);
        if (latestIndex_.count(cls))
            note["newClass"] = true;
        if (schema != cls->version)
            note["schema"] = schema;
        CheckCounter();
        latestIndex_[cls] = static_cast<uint32_t>(entries_.size());
        storedSchemas_[cls] = schema;
        entries_.push_back(cls);
        return *cls;
    }

    Json ListedObject(const char* expected) {
        const uint16_t tag = Word();
        Json note = Json::object();
        const ArchiveLevel* cls = nullptr;
        if (tag == kNewClassTag) {
            cls = &Descriptor(note);
        } else if (tag == kBigTag) {
            const uint32_t big = Dword();
            if ((big & kBigClassBit) == 0)
                Fail(ArchiveError::Cause::BadIndex,
                     "an object in a list refers back to an earlier one");
            const uint32_t index = big & ~kBigClassBit;
            cls = &ClassAt(index);
            if (index < kBigTag)
                note["bigTag"] = true;
            if (latestIndex_[cls] != index)
                note["classIndex"] = index;
        } else if (tag & kClassTagBit) {
            const uint32_t index = tag & ~kClassTagBit;
            cls = &ClassAt(index);
            if (latestIndex_[cls] != index)
                note["classIndex"] = index;
        } else if (tag == 0) {
            Fail(ArchiveError::Cause::BadIndex, "null object in an object list");
        } else {
            Fail(ArchiveError::Cause::BadIndex,
                 "an object in a list refers back to an earlier one");
        }
        if (!DerivesFrom(tables_, *cls, expected))
            Fail(ArchiveError::Cause::BadClass, std::string("object of class ") + cls->className +
                                                    " where " + expected + " was expected");
        if (IsAbstract(*cls))
            Fail(ArchiveError::Cause::BadClass,
                 std::string("class ") + cls->className + " cannot be created by name");
        if (nesting_ >= Archive::kMaxNesting)
            Fail(ArchiveError::Cause::OutOfMemory, "objects nest too deeply");
        CheckCounter();
        entries_.push_back(nullptr);

        Json obj = Json::object();
        obj["class"] = cls->className;
        if (!note.empty())
            obj["tag"] = std::move(note);
        ++nesting_;
        ObjectBody(*cls, obj);
        --nesting_;
        return obj;
    }

    std::span<const uint8_t> bytes_;
    const ArchiveLevelTables& tables_;
    size_t pos_ = 0;
    std::vector<const ArchiveLevel*> entries_; // class entries; null for objects
    std::unordered_map<const ArchiveLevel*, uint32_t> latestIndex_;
    std::unordered_map<const ArchiveLevel*, uint16_t> storedSchemas_;
    int nesting_ = 0;
};

// ---------------------------------------------------------------------------------------------
// JSON -> archive.

class ArchiveEncoder {
public:
    explicit ArchiveEncoder(const ArchiveLevelTables& tables) : tables_(tables) {
        entries_.push_back(nullptr);
    }

    std::vector<uint8_t> Encode(const Json& top, std::string_view rootClass) {
        const ArchiveLevel* root = tables_.Find(rootClass);
        if (root == nullptr)
            Fail("", "class " + std::string(rootClass) + " has no JSON table");
        RequireObject(top, "");
        CheckKeys(top, "", {"format", "formatVersion", "document", "trailingBytes"});
        const Json* format = Member(top, "format");
        if (format == nullptr || !format->is_string() || *format != kFormatName)
            Fail("/format", std::string("expected \"") + kFormatName +
                                "\": this is not the JSON form of a movie");
        const Json* version = Member(top, "formatVersion");
        if (version == nullptr || !version->is_number_integer() || *version != kFormatVersion)
            Fail("/formatVersion", "expected " + std::to_string(kFormatVersion));
        const Json* doc = Member(top, "document");
        if (doc == nullptr)
            Fail("/document", "missing");
        RequireObject(*doc, "/document");
        if (const Json* cls = Member(*doc, "class")) {
            if (!cls->is_string() || *cls != root->className)
                Fail("/document/class", std::string("expected \"") + root->className + "\"");
        }
        ObjectBody(*root, *doc, "/document", {"class"});
        if (const Json* trailing = Member(top, "trailingBytes")) {
            const std::vector<uint8_t> bytes = HexValue(*trailing, "/trailingBytes");
            out_.insert(out_.end(), bytes.begin(), bytes.end());
        }
        return std::move(out_);
    }

private:
    [[noreturn]] static void Fail(const std::string& path, const std::string& what) {
        throw JsonFormError((path.empty() ? std::string("/") : path) + ": " + what);
    }

    static const Json* Member(const Json& obj, const char* key) {
        auto it = obj.find(key);
        return it == obj.end() ? nullptr : &*it;
    }

    static void RequireObject(const Json& j, const std::string& path) {
        if (!j.is_object())
            Fail(path, "expected an object");
    }

    static void CheckKeys(const Json& obj, const std::string& path,
                          std::initializer_list<std::string_view> allowed) {
        for (auto it = obj.begin(); it != obj.end(); ++it) {
            bool ok = false;
            for (std::string_view a : allowed)
                ok = ok || it.key() == a;
            if (!ok)
                Fail(path + "/" + it.key(), "unknown key");
        }
    }

    template <class T> void Put(T v) {
        uint8_t raw[sizeof(T)];
        std::memcpy(raw, &v, sizeof(T));
        out_.insert(out_.end(), raw, raw + sizeof(T));
    }

    static int64_t Integer(const Json& j, const std::string& path, int64_t min, int64_t max) {
        int64_t v = 0;
        if (j.is_number_integer()) {
            if (j.is_number_unsigned() && j.get<uint64_t>() > uint64_t(INT64_MAX))
                Fail(path, "number out of range");
            v = j.get<int64_t>();
        } else if (j.is_number_float()) {
            const double d = j.get<double>();
            if (!(d >= double(min) && d <= double(max)) || d != std::trunc(d))
                Fail(path, "expected a whole number from " + std::to_string(min) + " to " +
                               std::to_string(max));
            v = static_cast<int64_t>(d);
        } else {
            Fail(path, "expected a number");
        }
        if (v < min || v > max)
            Fail(path, "expected a whole number from " + std::to_string(min) + " to " +
                           std::to_string(max));
        return v;
    }

    static double DoubleValue(const Json& j, const std::string& path) {
        if (j.is_number())
            return j.get<double>();
        if (j.is_string()) {
            const std::string& s = j.get_ref<const std::string&>();
            if (s == "Infinity")
                return std::numeric_limits<double>::infinity();
            if (s == "-Infinity")
                return -std::numeric_limits<double>::infinity();
            if (s == "NaN")
                return std::bit_cast<double>(kNoCanonicalNan);
            if (s.size() == 22 && s.compare(0, 6, "NaN:0x") == 0) {
                if (auto bits = FromHex(std::string_view(s).substr(6))) {
                    uint64_t v = 0;
                    for (uint8_t b : *bits)
                        v = (v << 8) | b;
                    const double d = std::bit_cast<double>(v);
                    if (std::isnan(d))
                        return d;
                }
            }
        }
        Fail(path, "expected a number, \"Infinity\", \"-Infinity\", \"NaN\" or \"NaN:0x\" with "
                   "16 hexadecimal digits of a NaN");
    }

    static std::vector<uint8_t> HexValue(const Json& j, const std::string& path) {
        if (j.is_string())
            if (auto bytes = FromHex(j.get_ref<const std::string&>()))
                return *bytes;
        Fail(path, "expected a string of hexadecimal digit pairs");
    }

    static PrefixForm FormValue(const Json& obj, const char* key, const std::string& path,
                                PrefixForm canonical) {
        const Json* j = Member(obj, key);
        if (j == nullptr)
            return canonical;
        for (PrefixForm f : {PrefixForm::Byte, PrefixForm::Word, PrefixForm::Dword})
            if (j->is_string() && *j == PrefixName(f))
                return f;
        Fail(path + "/" + key, "expected \"byte\", \"word\" or \"dword\"");
    }

    void CountPrefix(uint64_t n, PrefixForm form, const std::string& path) {
        if (n > 0xFFFFFFFFu)
            Fail(path, "too many entries for the archive");
        if (form == PrefixForm::Byte)
            Fail(path + "/countForm", "a count is a \"word\" or a \"dword\"");
        if (form == PrefixForm::Word && n < 0xFFFF) {
            Put<uint16_t>(static_cast<uint16_t>(n));
            return;
        }
        if (form == PrefixForm::Word)
            Fail(path + "/countForm", "a count of 65535 or more takes the \"dword\" form");
        Put<uint16_t>(0xFFFF);
        Put<uint32_t>(static_cast<uint32_t>(n));
    }

    // A length prefix of `form`; `wide` for the inner prefix of a wide string.
    void LengthPrefix(uint64_t length, PrefixForm form, bool wide, const std::string& path) {
        switch (form) {
        case PrefixForm::Byte:
            if (length >= 0xFF)
                Fail(path, "the \"byte\" form holds at most 254 characters");
            Put<uint8_t>(static_cast<uint8_t>(length));
            return;
        case PrefixForm::Word:
            if (length > (wide ? 0xFFFEu : 0xFFFDu))
                Fail(path, "the \"word\" form holds at most " +
                               std::to_string(wide ? 0xFFFE : 0xFFFD) + " characters");
            Put<uint8_t>(0xFF);
            Put<uint16_t>(static_cast<uint16_t>(length));
            return;
        case PrefixForm::Dword:
            if (length > 0xFFFFFFFFu)
                Fail(path, "string too long for the archive");
            Put<uint8_t>(0xFF);
            Put<uint16_t>(0xFFFF);
            Put<uint32_t>(static_cast<uint32_t>(length));
            return;
        }
    }

    void StringValue(const Json& j, const std::string& path) {
        const Json* text = &j;
        const Json* wideUnits = nullptr;
        PrefixForm form;
        if (j.is_object()) {
            CheckKeys(j, path, {"text", "wide", "lengthForm"});
            text = Member(j, "text");
            wideUnits = Member(j, "wide");
            if ((text == nullptr) == (wideUnits == nullptr))
                Fail(path, "expected either \"text\" or \"wide\"");
        } else if (!j.is_string()) {
            Fail(path, "expected a string");
        }
        if (wideUnits != nullptr) {
            const std::vector<uint8_t> bytes = HexValue(*wideUnits, path + "/wide");
            if (bytes.size() % 2 != 0)
                Fail(path + "/wide", "expected four hexadecimal digits per code unit");
            const uint64_t units = bytes.size() / 2;
            form = FormValue(j, "lengthForm", path, CanonicalStringForm(units, true));
            Put<uint8_t>(0xFF);
            Put<uint16_t>(0xFFFE);
            LengthPrefix(units, form, true, path);
            for (size_t i = 0; i < bytes.size(); i += 2) {
                out_.push_back(bytes[i + 1]);
                out_.push_back(bytes[i]);
            }
            return;
        }
        if (!text->is_string())
            Fail(path + (text == &j ? "" : "/text"), "expected a string");
        const std::optional<std::string> bytes = Utf8ToCp1252(text->get_ref<const std::string&>());
        if (!bytes)
            Fail(path, "the text holds a character that a movie cannot store (movies keep "
                       "Windows-1252 text)");
        form = j.is_object()
                   ? FormValue(j, "lengthForm", path, CanonicalStringForm(bytes->size(), false))
                   : CanonicalStringForm(bytes->size(), false);
        LengthPrefix(bytes->size(), form, false, path);
        out_.insert(out_.end(), bytes->begin(), bytes->end());
    }

    void FieldValue(const Field& f, const Json& j, const std::string& path) {
        switch (f.type) {
        case FieldType::Byte:
            Put<uint8_t>(static_cast<uint8_t>(Integer(j, path, 0, 255)));
            return;
        case FieldType::Int:
            Put<int32_t>(static_cast<int32_t>(Integer(j, path, INT32_MIN, INT32_MAX)));
            return;
        case FieldType::Dword:
            Put<uint32_t>(static_cast<uint32_t>(Integer(j, path, 0, UINT32_MAX)));
            return;
        case FieldType::Double:
            Put<double>(DoubleValue(j, path));
            return;
        case FieldType::String:
            StringValue(j, path);
            return;
        case FieldType::ByteArray: {
            const Json* hex = &j;
            PrefixForm form = PrefixForm::Word;
            std::string hexPath = path;
            if (j.is_object()) {
                CheckKeys(j, path, {"hex", "countForm"});
                hex = Member(j, "hex");
                hexPath += "/hex";
                if (hex == nullptr)
                    Fail(hexPath, "missing");
                form = FormValue(j, "countForm", path, PrefixForm::Word);
            }
            const std::vector<uint8_t> bytes = HexValue(*hex, hexPath);
            CountPrefix(bytes.size(), form, path);
            out_.insert(out_.end(), bytes.begin(), bytes.end());
            return;
        }
        case FieldType::IntArray: {
            if (!j.is_array())
                Fail(path, "expected an array of whole numbers");
            if (j.size() > 0xFFFFFFFFu)
                Fail(path, "too many entries for the archive");
            Put<uint32_t>(static_cast<uint32_t>(j.size()));
            for (size_t i = 0; i < j.size(); ++i)
                Put<int32_t>(static_cast<int32_t>(
                    Integer(j[i], path + "/" + std::to_string(i), INT32_MIN, INT32_MAX)));
            return;
        }
        case FieldType::Doubles:
            if (!j.is_array() || j.size() != f.count)
                Fail(path, "expected an array of " + std::to_string(f.count) + " numbers");
            for (size_t i = 0; i < j.size(); ++i)
                Put<double>(DoubleValue(j[i], path + "/" + std::to_string(i)));
            return;
        case FieldType::Points:
            if (!j.is_array() || j.size() != f.count)
                Fail(path, "expected an array of " + std::to_string(f.count) + " points");
            for (size_t i = 0; i < j.size(); ++i) {
                const std::string p = path + "/" + std::to_string(i);
                if (!j[i].is_array() || j[i].size() != 2)
                    Fail(p, "expected a point [x, y]");
                Put<double>(DoubleValue(j[i][0], p + "/0"));
                Put<double>(DoubleValue(j[i][1], p + "/1"));
            }
            return;
        case FieldType::Member:
            RequireObject(j, path);
            ObjectBody(TableOf(f.className, path), j, path, {});
            return;
        case FieldType::ObjectList: {
            const Json* items = &j;
            PrefixForm form = PrefixForm::Word;
            std::string itemsPath = path;
            if (j.is_object()) {
                CheckKeys(j, path, {"items", "countForm"});
                items = Member(j, "items");
                itemsPath += "/items";
                if (items == nullptr)
                    Fail(itemsPath, "missing");
                form = FormValue(j, "countForm", path, PrefixForm::Word);
            }
            if (!items->is_array())
                Fail(itemsPath, "expected an array of objects");
            CountPrefix(items->size(), form, path);
            for (size_t i = 0; i < items->size(); ++i)
                ListedObject(f.className, (*items)[i], itemsPath + "/" + std::to_string(i));
            return;
        }
        }
        Fail(path, "field of an unknown type");
    }

    const ArchiveLevel& TableOf(const char* className, const std::string& path) const {
        const ArchiveLevel* level = tables_.Find(className);
        if (level == nullptr)
            Fail(path, std::string("class ") + className + " has no JSON table");
        return *level;
    }

    uint16_t StoredSchema(const ArchiveLevel& cls) const {
        auto it = storedSchemas_.find(&cls);
        return it != storedSchemas_.end() ? it->second : cls.version;
    }

    void LevelData(const ArchiveLevel& level, const ArchiveLevel& objectClass, const Json* data,
                   const std::string& path) {
        static const Json kEmpty = Json::object();
        if (data == nullptr)
            data = &kEmpty; // an absent level: current version, and no fields unless required
        RequireObject(*data, path);
        bool writeFields = true;
        int version = -1;
        if (HasVersionByte(level.form)) {
            const Json* v = Member(*data, "version");
            version = v ? static_cast<int>(Integer(*v, path + "/version", 0, 255))
                        : static_cast<int>(level.version & 0xFF);
            Put<uint8_t>(static_cast<uint8_t>(version));
            writeFields = level.form != Form::Versioned || version != 0;
        } else if (level.form == Form::SchemaGated) {
            writeFields = StoredSchema(objectClass) >= 1;
        }
        size_t used = 0;
        for (auto it = data->begin(); it != data->end(); ++it) {
            if (it.key() == "version" && HasVersionByte(level.form)) {
                ++used;
                continue;
            }
            const Field* field = nullptr;
            for (const Field& f : level.fields)
                if (it.key() == f.name)
                    field = &f;
            if (field == nullptr)
                Fail(path + "/" + it.key(), "unknown key");
            if (!writeFields || (level.form == Form::Versioned && version < field->since))
                Fail(path + "/" + it.key(),
                     level.form == Form::SchemaGated
                         ? std::string("not stored: the class is stored with schema 0")
                         : "not part of version " + std::to_string(version) + " of " +
                               level.className);
        }
        (void)used;
        if (!writeFields)
            return;
        for (const Field& f : level.fields) {
            if (level.form == Form::Versioned && version < f.since)
                continue;
            const Json* value = Member(*data, f.name);
            if (value == nullptr)
                Fail(path + "/" + f.name, "missing");
            FieldValue(f, *value, path + "/" + f.name);
        }
    }

    void ObjectBody(const ArchiveLevel& cls, const Json& obj, const std::string& path,
                    std::initializer_list<std::string_view> extraKeys) {
        const std::vector<const ArchiveLevel*> chain = ChainOf(tables_, cls);
        for (auto it = obj.begin(); it != obj.end(); ++it) {
            bool ok = false;
            for (std::string_view k : extraKeys)
                ok = ok || it.key() == k;
            for (const ArchiveLevel* level : chain)
                ok = ok || it.key() == level->className;
            if (!ok)
                Fail(path + "/" + it.key(), std::string("unknown key (the levels of ") +
                                                cls.className + " are " + LevelNames(chain) + ")");
        }
        for (const ArchiveLevel* level : chain)
            LevelData(*level, cls, Member(obj, level->className), path + "/" + level->className);
    }

    static std::string LevelNames(const std::vector<const ArchiveLevel*>& chain) {
        std::string names;
        for (const ArchiveLevel* level : chain)
            names += (names.empty() ? "" : ", ") + std::string(level->className);
        return names;
    }

    void CheckCounter(const std::string& path) const {
        if (entries_.size() >= Archive::kMaxMapCount)
            Fail(path, "too many objects for one archive");
    }

    void ListedObject(const char* expected, const Json& obj, const std::string& path) {
        RequireObject(obj, path);
        const Json* name = Member(obj, "class");
        if (name == nullptr || !name->is_string())
            Fail(path + "/class", "expected the class name");
        const ArchiveLevel* cls = tables_.Find(name->get_ref<const std::string&>());
        if (cls == nullptr)
            Fail(path + "/class", "unknown class " + name->get<std::string>());
        if (!DerivesFrom(tables_, *cls, expected))
            Fail(path + "/class",
                 std::string("a ") + cls->className + " where a " + expected + " is expected");
        if (IsAbstract(*cls))
            Fail(path + "/class",
                 std::string("class ") + cls->className + " cannot be created by name");
        if (nesting_ >= Archive::kMaxNesting)
            Fail(path, "objects nest too deeply");

        static const Json kNoNote = Json::object();
        const Json* note = Member(obj, "tag");
        const std::string notePath = path + "/tag";
        if (note == nullptr)
            note = &kNoNote;
        RequireObject(*note, notePath);
        CheckKeys(*note, notePath, {"newClass", "schema", "classIndex", "bigTag"});
        const auto flag = [&](const char* key) -> std::optional<bool> {
            const Json* j = Member(*note, key);
            if (j == nullptr)
                return std::nullopt;
            if (!j->is_boolean())
                Fail(notePath + "/" + key, "expected true or false");
            return j->get<bool>();
        };
        const std::optional<bool> newClassNote = flag("newClass");
        const std::optional<bool> bigTagNote = flag("bigTag");
        const Json* schemaNote = Member(*note, "schema");
        const Json* indexNote = Member(*note, "classIndex");

        auto latest = latestIndex_.find(cls);
        const bool known = latest != latestIndex_.end();
        if (newClassNote == false && !known)
            Fail(notePath + "/newClass",
                 std::string("no earlier descriptor of ") + cls->className + " to refer to");
        CheckCounter(path);
        if (!known || newClassNote == true) {
            if (indexNote != nullptr || bigTagNote.has_value())
                Fail(notePath, "a new class descriptor has no class index or big tag");
            const uint16_t schema =
                schemaNote
                    ? static_cast<uint16_t>(Integer(*schemaNote, notePath + "/schema", 0, 0xFFFF))
                    : cls->version;
            const size_t nameLength = std::strlen(cls->className);
            Put<uint16_t>(kNewClassTag);
            Put<uint16_t>(schema);
            Put<uint16_t>(static_cast<uint16_t>(nameLength));
            out_.insert(out_.end(), cls->className, cls->className + nameLength);
            latestIndex_[cls] = static_cast<uint32_t>(entries_.size());
            storedSchemas_[cls] = schema;
            entries_.push_back(cls);
        } else {
            if (schemaNote != nullptr)
                Fail(notePath + "/schema", "a schema belongs to a new class descriptor");
            uint32_t index = latest->second;
            if (indexNote != nullptr) {
                index = static_cast<uint32_t>(
                    Integer(*indexNote, notePath + "/classIndex", 1, Archive::kMaxMapCount));
                if (index >= entries_.size() || entries_[index] != cls)
                    Fail(notePath + "/classIndex", std::string("index ") + std::to_string(index) +
                                                       " names no descriptor of " + cls->className);
            }
            const bool big = bigTagNote.value_or(false) || index >= kBigTag;
            if (big) {
                Put<uint16_t>(kBigTag);
                Put<uint32_t>(kBigClassBit | index);
            } else {
                Put<uint16_t>(static_cast<uint16_t>(kClassTagBit | index));
            }
        }
        CheckCounter(path);
        entries_.push_back(nullptr);
        ++nesting_;
        ObjectBody(*cls, obj, path, {"class", "tag"});
        --nesting_;
    }

    const ArchiveLevelTables& tables_;
    std::vector<uint8_t> out_;
    std::vector<const ArchiveLevel*> entries_;
    std::unordered_map<const ArchiveLevel*, uint32_t> latestIndex_;
    std::unordered_map<const ArchiveLevel*, uint16_t> storedSchemas_;
    int nesting_ = 0;
};

} // namespace

// -------------------------------------------------------------------------------------------------

void ArchiveLevelTables::Add(ArchiveLevel level) {
    for (ArchiveLevel& existing : levels_) {
        if (std::strcmp(existing.className, level.className) == 0) {
            existing = std::move(level);
            return;
        }
    }
    levels_.push_back(std::move(level));
}

const ArchiveLevel* ArchiveLevelTables::Find(std::string_view className) const {
    for (const ArchiveLevel& level : levels_)
        if (className == level.className)
            return &level;
    return nullptr;
}

std::vector<const ArchiveLevel*> ArchiveLevelTables::All() const {
    std::vector<const ArchiveLevel*> all;
    all.reserve(levels_.size());
    for (const ArchiveLevel& level : levels_)
        all.push_back(&level);
    return all;
}

ArchiveLevelTables& ArchiveLevelTables::Registered() {
    static ArchiveLevelTables tables = [] {
        ArchiveLevelTables t;
        for (ArchiveLevel& level : BuiltInLevels())
            t.Add(std::move(level));
        return t;
    }();
    return tables;
}

ArchiveLevelRegistrar::ArchiveLevelRegistrar(std::initializer_list<ArchiveLevel> levels) {
    for (const ArchiveLevel& level : levels)
        ArchiveLevelTables::Registered().Add(level);
}

nlohmann::ordered_json ArchiveToJson(std::span<const uint8_t> bytes,
                                     const ArchiveLevelTables& tables, std::string_view rootClass) {
    return ArchiveDecoder(bytes, tables).Decode(rootClass);
}

std::vector<uint8_t> JsonToArchive(const nlohmann::ordered_json& json,
                                   const ArchiveLevelTables& tables, std::string_view rootClass) {
    return ArchiveEncoder(tables).Encode(json, rootClass);
}

std::string MovieArchiveToJsonText(std::span<const uint8_t> swiBytes) {
    return ArchiveToJson(swiBytes, ArchiveLevelTables::Registered()).dump(2) + "\n";
}

std::vector<uint8_t> MovieJsonTextToArchive(std::string_view jsonText) {
    Json json;
    try {
        json = Json::parse(jsonText);
    } catch (const Json::parse_error& e) {
        // The library's message starts with its own error code in brackets.
        std::string what = e.what();
        if (const size_t end = what.find("] ");
            !what.empty() && what[0] == '[' && end != std::string::npos)
            what.erase(0, end + 2);
        throw JsonFormError("not valid JSON: " + what);
    }
    return JsonToArchive(json, ArchiveLevelTables::Registered());
}

void LoadDocumentJson(const std::filesystem::path& path, CDocObj& doc) {
    std::string text;
    {
        Archive file(path, Archive::Mode::Load);
        text.resize(static_cast<size_t>(file.GetRemaining()));
        file.ReadBytes(text.data(), text.size());
    }
    const std::vector<uint8_t> bytes = MovieJsonTextToArchive(text);
    CDocObj loaded;
    LoadObjectFromMemory(bytes, loaded);
    doc.TakeContentFrom(loaded);
}

void SaveDocumentJson(const std::filesystem::path& path, const CDocObj& doc) {
    SaveTextFileAtomically(path, MovieArchiveToJsonText(SaveObjectToMemory(doc)));
}

void SaveTextFileAtomically(const std::filesystem::path& path, std::string_view text) {
    std::string error;
    if (!SaveFileAtomically(path, text, error))
        throw ArchiveError(ArchiveError::Cause::FileError, error);
}

} // namespace tavro
