// Writes 32-bit RGBA pictures (as handed out by the headless host) to PNG files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tavro::player {

class HeadlessPngWriter {
public:
    // Writes `rgba` (width * height * 4 bytes, top-down) to `path`. On failure returns false
    // and sets `error` to the reason.
    static bool Write(const std::string& path, const std::vector<uint8_t>& rgba, int width,
                      int height, std::string& error);
};

} // namespace tavro::player
