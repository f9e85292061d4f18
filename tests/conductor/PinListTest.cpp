#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "StateCompare.h"
#include "conductor/Conductor.h"
#include "conductor/PinList.h"

using namespace grum;
using grum::test::sameGenome;

namespace
{
BarState barWithHat (std::int64_t bar, const char* hat)
{
    BarState s;
    s.bar = bar;
    Conductor::parse (s.lanes[HAT], hat);
    return s;
}
} // namespace

TEST (PinList, PinNowOverwritesThePendingPinAndStopsWhenFull)
{
    auto pins = std::make_unique<PinList>();
    const std::int32_t g0 = pins->generation();

    ASSERT_TRUE (pins->pinNow (barWithHat (40, "x...")));
    EXPECT_EQ (pins->count(), 1);
    EXPECT_EQ (pins->pins()[0].bar, 41);

    // A second GILLA during bar 40 replaces that pin.
    ASSERT_TRUE (pins->pinNow (barWithHat (40, "xx..")));
    EXPECT_EQ (pins->count(), 1);
    EXPECT_TRUE (pins->pins()[0].lanes[HAT].steps[1].on);
    EXPECT_EQ (pins->generation(), g0 + 2);

    // Before the song start the pin is for bar 0; pins stay sorted by bar.
    ASSERT_TRUE (pins->pinNow (barWithHat (-1, "x...")));
    ASSERT_TRUE (pins->pinNow (barWithHat (10, "x...")));
    ASSERT_EQ (pins->count(), 3);
    EXPECT_EQ (pins->pins()[0].bar, 0);
    EXPECT_EQ (pins->pins()[1].bar, 11);
    EXPECT_EQ (pins->pins()[2].bar, 41);

    for (std::int64_t bar = 100; pins->count() < kMaxPins; ++bar)
        ASSERT_TRUE (pins->pinNow (barWithHat (bar, "x...")));
    const std::int32_t full = pins->generation();
    EXPECT_FALSE (pins->pinNow (barWithHat (40, "xxx.")));     // not even an overwrite
    EXPECT_EQ (pins->generation(), full);
    EXPECT_FALSE (pins->pins()[2].lanes[HAT].steps[2].on);
}

TEST (PinList, RemoveLastTakesTheNewestStampAndClearEmpties)
{
    auto pins = std::make_unique<PinList>();
    pins->pinNow (barWithHat (50, "x..."));    // stamp 1, bar 51
    pins->pinNow (barWithHat (10, "x..."));    // stamp 2, bar 11
    pins->pinNow (barWithHat (50, "xx.."));    // overwrites bar 51 with stamp 3

    ASSERT_TRUE (pins->removeLast());          // the overwritten pin is the newest
    ASSERT_EQ (pins->count(), 1);
    EXPECT_EQ (pins->pins()[0].bar, 11);
    ASSERT_TRUE (pins->removeLast());
    EXPECT_FALSE (pins->removeLast());

    pins->pinNow (barWithHat (5, "x..."));
    const std::int32_t g = pins->generation();
    EXPECT_TRUE (pins->clear());
    EXPECT_EQ (pins->count(), 0);
    EXPECT_EQ (pins->generation(), g + 1);
    EXPECT_FALSE (pins->clear());               // nothing to clear: no new generation
    EXPECT_EQ (pins->generation(), g + 1);
}

TEST (PinList, RequestsAreServedInOrderAndWaitForTheLock)
{
    auto pins = std::make_unique<PinList>();
    std::atomic<bool> clearRequested { false }, pinRequested { true }, unpinRequested { false };
    const BarState current = barWithHat (7, "x.x.");

    ASSERT_TRUE (pins->tryLock());              // the message thread is saving
    pins->serveRequests (clearRequested, pinRequested, unpinRequested, current);
    EXPECT_TRUE (pinRequested.load());          // left for the next block
    EXPECT_EQ (pins->count(), 0);
    pins->unlock();

    pins->serveRequests (clearRequested, pinRequested, unpinRequested, current);
    EXPECT_FALSE (pinRequested.load());
    ASSERT_EQ (pins->count(), 1);
    EXPECT_EQ (pins->pins()[0].bar, 8);

    // Clear runs before pin, pin before remove-last: all three leave nothing.
    clearRequested = pinRequested = unpinRequested = true;
    pins->serveRequests (clearRequested, pinRequested, unpinRequested, current);
    EXPECT_EQ (pins->count(), 0);
    EXPECT_FALSE (clearRequested || pinRequested || unpinRequested);
}

TEST (PinList, AssignKeepsBarOrder)
{
    Pin given[3];
    given[0].bar = 30;
    given[1].bar = 10;
    given[2].bar = 30;
    Conductor::parse (given[2].lanes[HAT], "xxx.");
    auto pins = std::make_unique<PinList>();
    pins->assign (given, 3);
    ASSERT_EQ (pins->count(), 3);
    EXPECT_EQ (pins->pins()[0].bar, 10);
    EXPECT_EQ (pins->pins()[1].bar, 30);
    EXPECT_TRUE (sameGenome (pins->pins()[2].lanes[HAT], given[2].lanes[HAT]));
    EXPECT_LT (pins->stamp (1), pins->stamp (2));

    Settings s;
    pins->describe (s);
    EXPECT_EQ (s.pins, pins->pins());
    EXPECT_EQ (s.pinCount, 3);
    EXPECT_EQ (s.pinGeneration, pins->generation());
}
