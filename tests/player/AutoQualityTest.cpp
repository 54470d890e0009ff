// Auto quality: slow frames turn anti-aliasing off, fast frames turn it back on, and a switch
// restarts only the age of the current quality, never the tick counts.
#include "PlayerTestSupport.h"

#include <gtest/gtest.h>

namespace tavro::player::test {
namespace {

// A host whose clock moves by `cost` ms every time the player reads it, so a tick takes as long
// as the test wants.
class TimedHost : public HeadlessHost {
public:
    uint32_t CurrentTimeMs() override {
        uint32_t now = Clock();
        AdvanceClock(cost);
        return now;
    }
    uint32_t cost = 0;
};

using Counters = PlayerCore::QualityCounters;

void ExpectCounters(const PlayerCore& core, int slow, int fast, int ticks, int age) {
    const Counters& c = core.AutoQualityCounters();
    EXPECT_EQ(c.slowTicks, slow);
    EXPECT_EQ(c.fastTicks, fast);
    EXPECT_EQ(c.tickCount, ticks);
    EXPECT_EQ(c.qualityAge, age);
}

TEST(AutoQuality, SwitchesBothWaysAndKeepsCountingAcrossASwitch) {
    TimedHost host;
    Bytes movie = Movie(Cat({ShowFrame(), ShowFrame(), ShowFrame(), End()}), 3, 10 << 8);
    host.Load(movie.data(), movie.size());
    ASSERT_TRUE(host.Running());
    const int period = host.Level0().frameMs; // 100 ms
    ASSERT_EQ(period, 100);
    host.SetAutoQuality(true);
    ASSERT_TRUE(host.HighQuality());

    // Ticks slower than a frame period: after five, more than a third were slow.
    host.cost = uint32_t(period) + 1;
    for (int i = 0; i < 4; ++i)
        host.Tick(false);
    EXPECT_TRUE(host.HighQuality());
    ExpectCounters(host, 4, 0, 4, 1004);
    host.Tick(false);
    EXPECT_FALSE(host.HighQuality());
    EXPECT_FALSE(host.GetDisplayList().antiAlias);
    ExpectCounters(host, 5, 0, 5, 1);

    // Ticks of a tenth of the period are fast, a half period is neither. The new quality holds
    // for ten ticks whatever they measure; after that a third of all ticks so far must have
    // been fast.
    host.cost = uint32_t(period / 2);
    host.Tick(false);
    ExpectCounters(host, 5, 0, 6, 2);
    host.cost = uint32_t(period / 10);
    for (int i = 0; i < 9; ++i)
        host.Tick(false);
    EXPECT_FALSE(host.HighQuality());
    ExpectCounters(host, 5, 9, 15, 11);
    host.Tick(false); // 3 x 10 fast ticks > 16 ticks
    EXPECT_TRUE(host.HighQuality());
    EXPECT_TRUE(host.GetDisplayList().antiAlias);
    ExpectCounters(host, 5, 10, 16, 1);

    // A menu or script choosing the quality ends auto quality.
    host.SetQuality(false, false);
    EXPECT_FALSE(host.AutoQuality());
    host.cost = uint32_t(period) + 1;
    for (int i = 0; i < 20; ++i)
        host.Tick(false);
    EXPECT_FALSE(host.HighQuality());
    ExpectCounters(host, 5, 10, 16, 1);
}

TEST(AutoQuality, TheCountsSinceTheStartDecideTheSwitchBack) {
    TimedHost host;
    Bytes movie = Movie(Cat({ShowFrame(), ShowFrame(), ShowFrame(), End()}), 3, 10 << 8);
    host.Load(movie.data(), movie.size());
    host.SetAutoQuality(true);
    host.cost = 101;
    for (int i = 0; i < 5; ++i)
        host.Tick(false);
    ASSERT_FALSE(host.HighQuality());
    // Eleven ticks later, four fast ones are a third of the eleven since the switch, but not of
    // the sixteen since the start: the quality stays low.
    host.cost = 50;
    for (int i = 0; i < 7; ++i)
        host.Tick(false);
    host.cost = 5;
    for (int i = 0; i < 4; ++i)
        host.Tick(false);
    EXPECT_FALSE(host.HighQuality());
    ExpectCounters(host, 5, 4, 16, 12);
}

} // namespace
} // namespace tavro::player::test
