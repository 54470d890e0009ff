// The doc_load fuzz target, shared with the test that replays its corpus. Loads .swi bytes
// through the movie document, and the JSON form of whatever loads.
//
// Checks, for any input: loading never crashes; what loads saves to bytes that load and save
// again to the same bytes; the JSON form accepts exactly the bytes the document reader accepts,
// and converts each of them back to the very same bytes, through the JSON tree and its text.
#pragma once

#include "model/Archive.h"
#include "model/CDocObj.h"
#include "model/JsonForm.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tavro::fuzz {

// False when one of the checks above fails.
inline bool RunDocLoad(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    bool accepted = true;
    try {
        CDocObj doc;
        LoadObjectFromMemory(bytes, doc);
        const std::vector<uint8_t> saved = SaveObjectToMemory(doc);
        CDocObj again;
        LoadObjectFromMemory(saved, again);
        if (SaveObjectToMemory(again) != saved)
            return false;
    } catch (const ArchiveError&) {
        accepted = false;
    }

    const ArchiveLevelTables& tables = ArchiveLevelTables::Registered();
    try {
        const nlohmann::ordered_json json = ArchiveToJson(bytes, tables);
        if (!accepted)
            return false; // the JSON form took bytes the reader refuses
        if (JsonToArchive(json, tables) != std::vector<uint8_t>(bytes.begin(), bytes.end()))
            return false;
        if (MovieJsonTextToArchive(json.dump()) != std::vector<uint8_t>(bytes.begin(), bytes.end()))
            return false;
    } catch (const ArchiveError&) {
        if (accepted)
            return false; // the reader took bytes the JSON form refuses
    }
    return true;
}

} // namespace tavro::fuzz
