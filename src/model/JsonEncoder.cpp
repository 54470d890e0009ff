// The JSON form, JSON -> archive. The encoder writes the encoding this system's writer produces
// unless a note left by the decoder asks otherwise, and checks the JSON as strictly as the decoder
// checks bytes: unknown keys, missing fields, fields beyond a level's version, values out of range
// and characters a movie cannot store are errors that name the JSON pointer of the value.
#include "base/Cp1252.h"
#include "model/Archive.h"
#include "model/ArchiveWire.h"
#include "model/JsonForm.h"
#include "model/JsonFormTables.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <unordered_map>

namespace tavro {

namespace {

using namespace json_form;
using Field = ArchiveField;
using FieldType = ArchiveFieldType;
using Form = ArchiveLevelForm;

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

    // The form of a count of `n`: the one the archive writes for it, unless a note on a list or
    // byte array (`value` as an object) names another.
    static PrefixForm CountForm(const Json& value, uint64_t n, const std::string& path) {
        const PrefixForm canonical = CanonicalCountForm(n);
        return value.is_object() ? FormValue(value, "countForm", path, canonical) : canonical;
    }

    void CountPrefix(uint64_t n, PrefixForm form, const std::string& path) {
        if (n > 0xFFFFFFFFu)
            Fail(path, "too many entries for the archive");
        if (form == PrefixForm::Byte)
            Fail(path + "/countForm", "a count is a \"word\" or a \"dword\"");
        if (form == PrefixForm::Word && wire::CountFitsWord(n)) {
            Put<uint16_t>(static_cast<uint16_t>(n));
            return;
        }
        if (form == PrefixForm::Word)
            Fail(path + "/countForm", "a count of 65535 or more takes the \"dword\" form");
        Put<uint16_t>(wire::kCountEscape);
        Put<uint32_t>(static_cast<uint32_t>(n));
    }

    // A length prefix of `form`; `wide` for the inner prefix of a wide string.
    void LengthPrefix(uint64_t length, PrefixForm form, bool wide, const std::string& path) {
        switch (form) {
        case PrefixForm::Byte:
            if (length >= wire::kLengthEscape)
                Fail(path, "the \"byte\" form holds at most 254 characters");
            Put<uint8_t>(static_cast<uint8_t>(length));
            return;
        case PrefixForm::Word:
            if (length > (wide ? wire::kMaxWideWordLength : wire::kMaxWordLength))
                Fail(path,
                     "the \"word\" form holds at most " +
                         std::to_string(wide ? wire::kMaxWideWordLength : wire::kMaxWordLength) +
                         " characters");
            Put<uint8_t>(wire::kLengthEscape);
            Put<uint16_t>(static_cast<uint16_t>(length));
            return;
        case PrefixForm::Dword:
            if (length > 0xFFFFFFFFu)
                Fail(path, "string too long for the archive");
            Put<uint8_t>(wire::kLengthEscape);
            Put<uint16_t>(wire::kLongLengthEscape);
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
            Put<uint8_t>(wire::kLengthEscape);
            Put<uint16_t>(wire::kWideMarker);
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
            std::string hexPath = path;
            if (j.is_object()) {
                CheckKeys(j, path, {"hex", "countForm"});
                hex = Member(j, "hex");
                hexPath += "/hex";
                if (hex == nullptr)
                    Fail(hexPath, "missing");
            }
            const std::vector<uint8_t> bytes = HexValue(*hex, hexPath);
            CountPrefix(bytes.size(), CountForm(j, bytes.size(), path), path);
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
            std::string itemsPath = path;
            if (j.is_object()) {
                CheckKeys(j, path, {"items", "countForm"});
                items = Member(j, "items");
                itemsPath += "/items";
                if (items == nullptr)
                    Fail(itemsPath, "missing");
            }
            if (!items->is_array())
                Fail(itemsPath, "expected an array of objects");
            CountPrefix(items->size(), CountForm(j, items->size(), path), path);
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
            Put<uint16_t>(wire::kNewClassTag);
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
            const bool big = bigTagNote.value_or(false) || index >= wire::kBigTag;
            if (big) {
                Put<uint16_t>(wire::kBigTag);
                Put<uint32_t>(wire::kBigClassFlag | index);
            } else {
                Put<uint16_t>(static_cast<uint16_t>(wire::kClassTag | index));
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

std::vector<uint8_t> JsonToArchive(const nlohmann::ordered_json& json,
                                   const ArchiveLevelTables& tables, std::string_view rootClass) {
    return ArchiveEncoder(tables).Encode(json, rootClass);
}

} // namespace tavro
