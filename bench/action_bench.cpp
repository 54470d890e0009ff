// Frame actions whose gotos jump back and forth on a stage of 300 shapes, loaded into a headless
// player (the load runs the first frame and its actions):
// - PrevNextList: one list of PreviousFrame, NextFrame, PreviousFrame, NextFrame in frame 1;
// - CrossFrameLoop: frame 1 goes on to frame 2, whose actions go back to frame 1, for ever,
//   until the limits of the run stop the actions.
#include "../tests/player/SwfBuilder.h"

#include "player/DisplayList.h"
#include "player/host/HeadlessHost.h"

#include <benchmark/benchmark.h>

namespace {

using namespace tavro::player;
using namespace tavro::player::test;

constexpr int kShapes = 300;

Bytes Stage() {
    Bytes b = DefineShape(1);
    for (int i = 0; i < kShapes; ++i)
        Append(b, Place2(uint16_t(i + 1), 1, {}, (i * 37) % 2000, (i * 11) % 1000));
    return b;
}

void LoadAndCount(benchmark::State& state, const Bytes& movie) {
    uint64_t tags = 0;
    for (auto _ : state) {
        HeadlessHost host;
        uint64_t before = host.GetDisplayList().tagsExecuted;
        host.Load(movie.data(), movie.size());
        tags += host.GetDisplayList().tagsExecuted - before;
    }
    state.counters["tags"] = benchmark::Counter(double(tags), benchmark::Counter::kAvgIterations);
}

void BM_PrevNextList(benchmark::State& state) {
    Bytes movie = Movie(
        Cat({Stage(), DoAction({0x05, 0x04, 0x05, 0x04}), ShowFrame(), ShowFrame(), End()}), 2);
    LoadAndCount(state, movie);
}
BENCHMARK(BM_PrevNextList)->Unit(benchmark::kMillisecond);

void BM_CrossFrameLoop(benchmark::State& state) {
    Bytes movie = Movie(
        Cat({Stage(), DoAction({0x04}), ShowFrame(), DoAction({0x05}), ShowFrame(), End()}), 2);
    LoadAndCount(state, movie);
}
BENCHMARK(BM_CrossFrameLoop)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
