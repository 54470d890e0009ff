// libFuzzer entry of the doc_load target (the harness is shared with the corpus replay test).
#include "harness/doc_load.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!tavro::fuzz::RunDocLoad(data, size))
        std::abort();
    return 0;
}
