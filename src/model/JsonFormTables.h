// Shared by the two halves of the JSON form transcoder (JsonDecoder.cpp, JsonEncoder.cpp) and not
// meant for other callers: walking the class level tables, the prefix forms this system's writer
// picks, and the hexadecimal and format constants of the JSON side. The byte layout itself comes
// from model/ArchiveWire.h, the same values the archive reads and writes.
#pragma once

#include "model/JsonForm.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavro::json_form {

using Json = nlohmann::ordered_json;

constexpr const char* kFormatName = "tavro-movie";
constexpr int kFormatVersion = 1;
// The NaN written as "NaN"; every other NaN is written by its bits.
constexpr uint64_t kNoCanonicalNan = 0x7FF8000000000000ull;

bool HasVersionByte(ArchiveLevelForm form);

// The levels of a class from the one next to the root object down to the class itself.
// ArchiveError (BadClass) for a base without a table or a cycle.
std::vector<const ArchiveLevel*> ChainOf(const ArchiveLevelTables& tables, const ArchiveLevel& cls);
bool DerivesFrom(const ArchiveLevelTables& tables, const ArchiveLevel& cls,
                 std::string_view baseName);
// A registered class that cannot be created by name is rejected by the reader as well.
bool IsAbstract(const ArchiveLevel& cls);

// Lower-case hexadecimal digit pairs, and back (either case; nullopt for anything else).
std::string Hex(const uint8_t* data, size_t size);
std::optional<std::vector<uint8_t>> FromHex(std::string_view s);

// The length prefix forms of strings and counts.
enum class PrefixForm { Byte, Word, Dword };

const char* PrefixName(PrefixForm f);

// The form this system's writer uses for a string of `length` characters. Inside a wide string
// the word form reaches one further, as 0xFFFE is no marker there.
PrefixForm CanonicalStringForm(uint64_t length, bool wide);
// The form the archive writes a count of `count` in: a word while it fits, else the long form.
PrefixForm CanonicalCountForm(uint64_t count);

} // namespace tavro::json_form
