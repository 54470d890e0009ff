// The JSON form, archive -> JSON. The decoder accepts what the archive reader accepts and nothing
// more: the same bounds checks before every read and allocation, the same class, index, nesting
// and counter rules. Where the bytes use an encoding other than the one this system's writer
// produces, it leaves a note in the JSON (a "lengthForm", "countForm", "tag" or "trailingBytes")
// for the encoder to reproduce.
#include "base/Cp1252.h"
#include "model/Archive.h"
#include "model/ArchiveError.h"
#include "model/ArchiveWire.h"
#include "model/ClassInfo.h"
#include "model/JsonForm.h"
#include "model/JsonFormTables.h"

#include <bit>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <unordered_map>
#include <utility>

namespace tavro {

namespace {

using namespace json_form;
using Field = ArchiveField;
using FieldType = ArchiveFieldType;
using Form = ArchiveLevelForm;

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
        if (n == wire::kCountEscape) {
            n = Dword();
            longForm = wire::CountFitsWord(n);
        }
        if (uint64_t{n} * minBytesPerItem > Remaining())
            Fail(ArchiveError::Cause::EndOfFile, "count exceeds the data left");
        return {n, longForm};
    }

    Json String() {
        PrefixForm form = PrefixForm::Byte;
        uint64_t length = Byte();
        bool wide = false;
        if (length == wire::kLengthEscape) {
            const uint16_t w = Word();
            if (w == wire::kWideMarker) {
                wide = true;
                length = Byte();
                if (length == wire::kLengthEscape) {
                    form = PrefixForm::Word;
                    length = Word();
                    if (length == wire::kLongLengthEscape) {
                        form = PrefixForm::Dword;
                        length = Dword();
                    }
                }
            } else if (w < wire::kLongLengthEscape) {
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
        if (nameLength > wire::kMaxClassNameLength)
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
        if (tag == wire::kNewClassTag) {
            cls = &Descriptor(note);
        } else if (tag == wire::kBigTag) {
            const uint32_t big = Dword();
            if ((big & wire::kBigClassFlag) == 0)
                Fail(ArchiveError::Cause::BadIndex,
                     "an object in a list refers back to an earlier one");
            const uint32_t index = big & ~wire::kBigClassFlag;
            cls = &ClassAt(index);
            if (index < wire::kBigTag)
                note["bigTag"] = true;
            if (latestIndex_[cls] != index)
                note["classIndex"] = index;
        } else if (tag & wire::kClassTag) {
            const uint32_t index = tag & ~wire::kClassTag;
            cls = &ClassAt(index);
            if (latestIndex_[cls] != index)
                note["classIndex"] = index;
        } else if (tag == wire::kNullTag) {
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

} // namespace

nlohmann::ordered_json ArchiveToJson(std::span<const uint8_t> bytes,
                                     const ArchiveLevelTables& tables, std::string_view rootClass) {
    return ArchiveDecoder(bytes, tables).Decode(rootClass);
}

} // namespace tavro
