// The class level tables of the JSON form: the built-in ones for the document model, events and
// actions, the registry of tables, and the helpers both transcoder directions share.
#include "model/JsonFormTables.h"

#include "model/ArchiveError.h"
#include "model/ArchiveWire.h"
#include "model/ClassInfo.h"

#include <cstring>

namespace tavro {

namespace {

using Field = ArchiveField;
using FieldType = ArchiveFieldType;
using Form = ArchiveLevelForm;

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

} // namespace

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

namespace json_form {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

bool HasVersionByte(ArchiveLevelForm form) {
    return form == ArchiveLevelForm::Versioned || form == ArchiveLevelForm::VersionIgnored;
}

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

PrefixForm CanonicalStringForm(uint64_t length, bool wide) {
    if (length < wire::kLengthEscape)
        return PrefixForm::Byte;
    return length <= (wide ? wire::kMaxWideWordLength : wire::kMaxWordLength) ? PrefixForm::Word
                                                                              : PrefixForm::Dword;
}

PrefixForm CanonicalCountForm(uint64_t count) {
    return wire::CountFitsWord(count) ? PrefixForm::Word : PrefixForm::Dword;
}

} // namespace json_form

} // namespace tavro
