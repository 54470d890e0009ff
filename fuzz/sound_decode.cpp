// libFuzzer entry of the sound_decode target (the harness is shared with the corpus replay
// test).
#include "harness/sound_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tavro::fuzz::RunSoundDecode(data, size);
    return 0;
}
