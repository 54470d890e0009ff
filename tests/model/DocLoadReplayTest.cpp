// Replays the doc_load fuzz corpus and the committed reproducers through the fuzz target's own
// checks: load, save and reload agree, and so does the JSON form.
#include "ReplayFiles.h"
#include "fuzz/harness/doc_load.h"

#include <gtest/gtest.h>

TEST(DocLoadReplay, CorpusAndReproducersKeepTheirChecks) {
    const auto files = tavro::test::ReplayFiles("doc_load", "doc_load");
    ASSERT_FALSE(files.empty());
    for (const auto& file : files) {
        SCOPED_TRACE(file.path.string());
        EXPECT_TRUE(tavro::fuzz::RunDocLoad(file.bytes.data(), file.bytes.size()));
        if (file.seed) { // the seeds are documents the reader takes
            tavro::CDocObj doc;
            EXPECT_NO_THROW(tavro::LoadObjectFromMemory(file.bytes, doc));
        }
    }
}
