// Lists arbitrary bytes as an SWF tag stream, the way `tavro-cli info` does. Damage must end in
// SwfTagReader::Error, never a crash, an endless loop or a read outside the input.
#include "swf/SwfTagReader.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    try {
        const auto header = tavro::SwfTagReader::ReadHeader(bytes);
        size_t fieldChars = 0;
        tavro::SwfTagReader::ListMovie(bytes, header, [&](const tavro::SwfTagReader::Entry& e) {
            fieldChars += e.fields.size();
        });
        (void)fieldChars;
    } catch (const tavro::SwfTagReader::Error&) {
    }
    return 0;
}
