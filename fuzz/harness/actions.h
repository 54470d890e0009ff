// The actions fuzz target, shared with the test that replays its corpus. Runs arbitrary bytes
// as action records: they become the DoAction of two frames of a tiny movie that also holds a
// labelled frame and a named sprite (so that targets, Call, clones and gotos have something to
// reach); the movie plays a few frames with mouse input. URL loads stream the fuzzer's own
// bytes instead of reading files. Any crash, leak, hang or sanitizer report is a bug.
#pragma once

#include "player/actions/ActionEngine.h"
#include "player/host/HeadlessHost.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tavro::fuzz {

namespace actions_detail {

using Bytes = std::vector<uint8_t>;

inline void U16(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}

inline void Tag(Bytes& out, int code, const Bytes& body) {
    U16(out, uint32_t(code << 6) | 0x3F);
    U16(out, uint32_t(body.size()) & 0xFFFF);
    U16(out, uint32_t(body.size()) >> 16);
    out.insert(out.end(), body.begin(), body.end());
}

// A RECT record of 13-bit fields: 0..w by 0..h twips.
inline Bytes Rect(uint32_t w, uint32_t h) {
    const uint32_t fields[4] = {0, w, 0, h};
    Bytes out;
    uint32_t acc = 0;
    int used = 0;
    const auto put = [&](uint32_t value, int bits) {
        for (int i = bits - 1; i >= 0; --i) {
            acc = (acc << 1) | ((value >> i) & 1);
            if (++used == 8) {
                out.push_back(uint8_t(acc));
                acc = 0;
                used = 0;
            }
        }
    };
    put(13, 5);
    for (uint32_t f : fields)
        put(f, 13);
    if (used > 0)
        out.push_back(uint8_t(acc << (8 - used)));
    return out;
}

inline Bytes MovieAround(const uint8_t* data, size_t size) {
    Bytes actions(data, data + size);
    actions.push_back(0);
    Bytes sprite{1, 0, 2, 0}; // id 1, two frames
    Tag(sprite, 12, actions);
    Tag(sprite, 1, {});
    Tag(sprite, 1, {});
    Tag(sprite, 0, {});

    Bytes m{'F', 'W', 'S', 4, 0, 0, 0, 0};
    const Bytes frame = Rect(2000, 1000); // 100 x 50 pixels
    m.insert(m.end(), frame.begin(), frame.end());
    U16(m, 12 << 8);
    U16(m, 3);
    Tag(m, 39, sprite);
    Tag(m, 26, {0x22, 1, 0, 1, 0, 's', 0}); // place sprite 1 at depth 1 as "s"
    Tag(m, 12, actions);
    Tag(m, 1, {});
    Tag(m, 43, {'l', 0});
    Tag(m, 12, actions);
    Tag(m, 1, {});
    Tag(m, 1, {});
    Tag(m, 0, {});
    uint32_t len = uint32_t(m.size());
    for (int i = 0; i < 4; ++i)
        m[size_t(4 + i)] = uint8_t(len >> (8 * i));
    return m;
}

class FuzzHost : public tavro::player::HeadlessHost {
public:
    explicit FuzzHost(const Bytes& movie) : HeadlessHost(100, 50), movie_(movie) {}
    void OpenUrlStream(std::string_view url, std::string_view,
                       const tavro::player::StreamTarget& target) override {
        if (++loads_ > 4)
            return;
        tavro::player::PlayerStream stream;
        StreamInNew(&stream, url, &target);
        StreamInWrite(&stream, movie_.data(), movie_.size());
        StreamInDestroy(&stream);
    }

private:
    const Bytes& movie_;
    int loads_ = 0;
};

} // namespace actions_detail

// Inputs above 4 KiB are skipped.
inline void RunActions(const uint8_t* data, size_t size) {
    using namespace actions_detail;
    if (size > 4096)
        return;
    Bytes movie = MovieAround(data, size);
    FuzzHost host(movie);
    if (auto* engine = host.Engine())
        engine->SeedRandom(7);
    host.Load(movie.data(), movie.size());
    for (int i = 0; i < 5; ++i) {
        host.MouseMove(10 * i, 5 * i, i & 1);
        host.MouseDown(10 * i, 5 * i);
        host.MouseUp(10 * i, 5 * i);
        host.StepFrame();
    }
    host.Close();
}

} // namespace tavro::fuzz
