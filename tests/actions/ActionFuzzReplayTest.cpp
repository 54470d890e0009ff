// Replays the actions fuzz corpus and the committed reproducers through the fuzz target's own
// harness; the sanitizers report any fault.
#include "ReplayFiles.h"
#include "fuzz/harness/actions.h"

#include <gtest/gtest.h>

TEST(ActionFuzzReplay, CorpusAndReproducersRun) {
    const auto files = tavro::test::ReplayFiles("actions", "actions");
    ASSERT_FALSE(files.empty());
    for (const auto& file : files) {
        SCOPED_TRACE(file.path.string());
        tavro::fuzz::RunActions(file.bytes.data(), file.bytes.size());
    }
}
