// libFuzzer entry of the actions target (the harness is shared with the corpus replay test).
#include "harness/actions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tavro::fuzz::RunActions(data, size);
    return 0;
}
