// Loads arbitrary bytes as a movie, plays a few frames (with a backwards goto) and takes a
// small picture. Any crash, leak, hang or sanitizer report is a bug.
#include "player/host/HeadlessHost.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tavro::player::HeadlessHost host(32, 24);
    // Half the inputs arrive in small pieces, as a slow stream would deliver them.
    if (size > 0 && (data[size - 1] & 1)) {
        tavro::player::PlayerStream stream;
        host.StreamInReplacingLevel0(&stream, "fuzz");
        for (size_t off = 0; off < size; off += 7)
            host.StreamInWrite(&stream, data + off, size - off < 7 ? size - off : 7);
        host.StreamInDestroy(&stream);
    } else {
        host.Load(data, size);
    }
    for (int i = 0; i < 4; ++i)
        host.StepFrame();
    host.Level0().Goto(0);
    host.RunActions();
    host.StepFrame();
    std::vector<uint8_t> rgba;
    int w = 0, h = 0;
    host.Snapshot(rgba, w, h);
    host.Close();
    return 0;
}
