// libFuzzer entry of the bitmap_decode target (the harness is shared with the corpus replay
// test).
#include "harness/bitmap_decode.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!tavro::fuzz::RunBitmapDecode(data, size))
        std::abort();
    return 0;
}
