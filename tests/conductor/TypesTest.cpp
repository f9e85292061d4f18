#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "conductor/Types.h"

using namespace grum;

TEST (Mixing, KnownValues)
{
    EXPECT_EQ (mix64 (0), 0xE220A8397B1DCDAFull);

    // AUTO picks its style from the low four bits of derive(seed, 87, 0).
    EXPECT_EQ (derive (126, 87, 0) & 15, 6u);
    EXPECT_EQ (derive (1, 87, 0) & 15, 12u);
    EXPECT_EQ (derive (9999, 87, 0) & 15, 3u);

    // The order of the two small integers matters.
    for (std::uint64_t seed : { 1, 126, 9999 })
        EXPECT_NE (derive (seed, 0x5EED, 1), derive (seed, 1, 0x5EED));
}

TEST (Rng, StateIsNeverZeroAndEveryDrawIsOneStep)
{
    for (std::uint64_t v : { std::uint64_t { 0 }, std::uint64_t { 1 }, std::uint64_t { 2 }, ~std::uint64_t { 0 }, mix64 (0) })
    {
        Rng rng (v);
        EXPECT_EQ (rng.state & 1u, 1u);

        // unit(), below() and chance() each advance exactly one xorshift step.
        Rng reference = rng;
        reference.next();
        EXPECT_EQ (rng.below (1), 0u);
        EXPECT_EQ (rng.state, reference.state);
        reference.next();
        const float u = rng.unit();
        EXPECT_EQ (rng.state, reference.state);
        EXPECT_GE (u, 0.0f);
        EXPECT_LT (u, 1.0f);
        reference.next();
        rng.chance (0.5f);
        EXPECT_EQ (rng.state, reference.state);
    }

    Rng rng (0);
    for (int i = 0; i < 100000; ++i)
        ASSERT_NE (rng.next(), 0u);
}

TEST (Rng, UnitAndBelowUseTheHighBits)
{
    Rng a (126), b (126);
    const std::uint64_t raw = b.next();
    EXPECT_EQ (a.unit(), (float) (raw >> 40) * (1.0f / 16777216.0f));

    Rng c (126), d (126);
    EXPECT_EQ (c.below (7), (std::uint32_t) (d.next() >> 32) % 7u);
}

TEST (Names, TablesAndOutOfRange)
{
    const char* lanes[] = { "KICK", "HAT", "CLICK", "PERC", "BAS", "STAB" };
    for (int i = 0; i < kNumLanes; ++i)
        EXPECT_STREQ (laneName (i), lanes[i]);
    EXPECT_STREQ (laneName (-1), "?");
    EXPECT_STREQ (laneName (6), "?");

    EXPECT_STREQ (phaseName (Phase::SPANNING), "SP\xc3\x84NNING");
    EXPECT_STREQ (phaseName (Phase::SLAPP), "SL\xc3\x84PP");
    EXPECT_STREQ (phaseName (static_cast<Phase> (5)), "?");
}

TEST (Records, DefaultsAndByteCopies)
{
    const Step step;
    EXPECT_FALSE (step.on);
    EXPECT_EQ (step.velocity, 100);
    EXPECT_EQ (step.chance, 1.0f);

    const BarState reset;
    EXPECT_EQ (reset.bar, -1);
    EXPECT_EQ (reset.pendingStyle, -1);
    EXPECT_EQ (reset.energy, 0.5f);
    EXPECT_EQ (reset.arcBars, 1);
    EXPECT_EQ (reset.cutLane, -1);
    EXPECT_EQ (reset.cutUntil, -1);
    EXPECT_EQ (reset.lanes[5].length, 16);

    BarState original;
    original.bar = 4096;
    original.lanes[3].length = 13;
    original.lanes[3].steps[12] = { true, true, 77, 0.5f, -0.25f, -7 };
    original.timbre[5][3] = 0.875f;
    original.cutUntil = 1ll << 40;

    BarState copy;
    std::memcpy (&copy, &original, sizeof (BarState));
    EXPECT_EQ (std::memcmp (&copy, &original, sizeof (BarState)), 0);
    EXPECT_EQ (copy.lanes[3].steps[12].note, -7);
    EXPECT_EQ (copy.timbre[5][3], 0.875f);
    EXPECT_EQ (copy.cutUntil, 1ll << 40);
}

TEST (Settings, SameSongIgnoresLiveControls)
{
    const Settings base;
    Settings live = base;
    live.chaos = 1.0f;
    live.energy = 0.0f;
    live.energyAuto = false;
    live.locked[2] = true;
    live.pinCount = 3;
    EXPECT_TRUE (sameSong (base, live));

    auto changed = [&] (auto edit) { Settings s = base; edit (s); return ! sameSong (base, s); };
    EXPECT_TRUE (changed ([] (Settings& s) { s.seed = 127; }));
    EXPECT_TRUE (changed ([] (Settings& s) { s.style = 3; }));
    EXPECT_TRUE (changed ([] (Settings& s) { s.phraseBars = 16; }));
    EXPECT_TRUE (changed ([] (Settings& s) { s.songBars = 64; }));
    EXPECT_TRUE (changed ([] (Settings& s) { s.endless = false; }));
    EXPECT_TRUE (changed ([] (Settings& s) { s.styleWander = false; }));
    EXPECT_TRUE (changed ([] (Settings& s) { s.keyWander = false; }));
    EXPECT_TRUE (changed ([] (Settings& s) { s.learnedGeneration = 1; }));
    EXPECT_TRUE (changed ([] (Settings& s) { s.pinGeneration = 1; }));
}
