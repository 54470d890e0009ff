// The files a corpus replay test runs: a fuzz target's seeds (fuzz/corpus/NAME) and the
// committed reproducers (tests/data/DIR), in name order, with their bytes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace tavro::test {

struct ReplayFile {
    std::filesystem::path path;
    bool seed = false; // from fuzz/corpus rather than tests/data
    std::vector<uint8_t> bytes;
};

inline std::vector<ReplayFile> ReplayFiles(const std::string& seedDir,
                                           const std::string& reproducerDir) {
    std::vector<ReplayFile> files;
    const auto add = [&](const std::filesystem::path& dir, bool seed) {
        std::vector<std::filesystem::path> names;
        if (std::filesystem::is_directory(dir)) {
            for (const auto& entry : std::filesystem::directory_iterator(dir))
                if (entry.is_regular_file() && entry.path().extension() != ".md")
                    names.push_back(entry.path());
        }
        std::sort(names.begin(), names.end());
        for (const auto& name : names) {
            std::ifstream in(name, std::ios::binary);
            files.push_back({name, seed,
                             std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                                                  std::istreambuf_iterator<char>())});
        }
    };
    if (!seedDir.empty())
        add(std::filesystem::path(TAVRO_SOURCE_DIR) / "fuzz/corpus" / seedDir, true);
    if (!reproducerDir.empty())
        add(std::filesystem::path(TAVRO_TEST_DATA_DIR) / reproducerDir, false);
    return files;
}

} // namespace tavro::test
