// Replays the archive fuzz corpus and every committed reproducer through the same load, save and
// reload cycle as the fuzz target.
#include "model/Archive.h"
#include "model/CColor.h"
#include "model/CFillStyleColor.h"
#include "model/CLineStyle.h"
#include "model/CMatrix3.h"
#include "model/CTavroObj.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace tavro;

namespace {

const ClassInfo* const kLinkedClasses[] = {&CColor::classInfo, &CMatrix3::classInfo,
                                           &CFillStyle::classInfo, &CFillStyleColor::classInfo,
                                           &CLineStyle::classInfo};

struct Tree {
    CTavroObj root;
    std::vector<std::unique_ptr<CRootObj>> loose;

    void Load(std::span<const uint8_t> bytes) {
        Archive ar(bytes);
        root.Serialize(ar);
        while (ar.GetRemaining() > 0 && loose.size() < 64) {
            std::unique_ptr<CRootObj> obj = ar.ReadOwnedObject();
            if (obj)
                loose.push_back(std::move(obj));
        }
    }
    std::vector<uint8_t> Save() {
        Archive ar;
        root.Serialize(ar);
        for (const auto& obj : loose)
            ar.WriteObject(obj.get());
        return ar.TakeBuffer();
    }
};

std::vector<std::filesystem::path> FilesIn(const std::filesystem::path& dir) {
    std::vector<std::filesystem::path> files;
    if (std::filesystem::is_directory(dir)) {
        for (const auto& entry : std::filesystem::directory_iterator(dir)) {
            if (entry.is_regular_file())
                files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

TEST(ArchiveReplay, CorpusAndReproducersLoadOrFailCleanly) {
    (void)kLinkedClasses;
    const auto reproducers = FilesIn(std::filesystem::path(TAVRO_TEST_DATA_DIR) / "archive");
    const auto seeds = FilesIn(std::filesystem::path(TAVRO_SOURCE_DIR) / "fuzz/corpus/archive");
    ASSERT_FALSE(seeds.empty());
    std::vector<std::filesystem::path> files = reproducers;
    files.insert(files.end(), seeds.begin(), seeds.end());

    for (const auto& file : files) {
        const bool isSeed = file.string().find("fuzz/corpus") != std::string::npos;
        SCOPED_TRACE(file.string());
        std::ifstream in(file, std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
        std::vector<uint8_t> saved;
        try {
            Tree tree;
            tree.Load(bytes);
            saved = tree.Save();
        } catch (const ArchiveError&) {
            // The seeds are valid archives; reproducers may fail, but only this way.
            EXPECT_FALSE(isSeed);
            continue;
        }
        if (isSeed) {
            EXPECT_EQ(saved, bytes); // the seeds are in the form the writer produces
        }
        Tree again;
        ASSERT_NO_THROW(again.Load(saved));
        EXPECT_EQ(again.Save(), saved);
    }
}
