#include <gtest/gtest.h>

#include "conductor/Types.h"
#include "lanes/BanaRecipe.h"

#include <deque>
#include <map>
#include <set>
#include <vector>

namespace
{
using grum::Banor;

// Answers from a script and records the range of every integer draw.
struct Scripted final : grum::RandomSource
{
    std::deque<int> ints;
    std::deque<float> floats;
    std::vector<int> ranges;        // k of each nextInt, 0 for a nextFloat, in draw order

    int nextInt (int k) override
    {
        ranges.push_back (k);
        const int v = ints.front();
        ints.pop_front();
        return v;
    }
    float nextFloat() override
    {
        ranges.push_back (0);
        const float v = floats.front();
        floats.pop_front();
        return v;
    }
};

// A seeded source for the properties over many draws.
struct Seeded final : grum::RandomSource
{
    grum::Rng rng { 12345 };
    int nextInt (int k) override { return (int) rng.below ((std::uint32_t) k); }
    float nextFloat() override { return rng.unit(); }
};
} // namespace

TEST (BanaRecipe, DrawsInItsFixedOrder)
{
    struct Case
    {
        std::deque<int> ints;
        std::deque<float> floats;
        std::vector<int> ranges;
        grum::BanaRecipe expected;
    };
    const Case cases[] = {
        // Filter (x 18), track 11 ALLA, steps 16, hits 1 + 7, "5-del" (x 101), depth 0.35 + 0.55 x 0.5 negated, rotation 3, decay 0.1 + 0.5 x 0.4.
        { { 18, 11, 9, 7, 101, 3 }, { 0.5f, 0.2f, 0.4f }, { 96, 12, 10, 8, 102, 0, 0, 16, 0 },
          { Banor::Filter, Banor::kAllTracks, 16, 8, 3, 8, -(0.35f + 0.55f * 0.5f), 0.1f + 0.5f * 0.4f } },
        // Eko-kast (x 17): no sign draw; track 15 BAS; steps 5 so hits draw from 2; rate "1/16" (x 0).
        { { 17, 15, 0, 1, 0, 4 }, { 0.0f, 0.99f }, { 96, 16, 10, 2, 102, 0, 5, 0 },
          { Banor::EchoThrow, grum::BAS, 5, 2, 4, 1, 0.35f, 0.1f + 0.5f * 0.99f } },
        // Rotera nästa (x 95) on HAT (x 9); Ton (x 50) keeps a positive depth at 0.35 or more.
        { { 95, 9, 1, 2, 40, 6 }, { 1.0f, 0.0f }, { 96, 10, 10, 3, 102, 0, 7, 0 },
          { Banor::RotateNext, grum::HAT, 7, 3, 6, 2, 0.9f, 0.1f } },
        { { 50, 12, 2, 0, 39, 0 }, { 0.0f, 0.35f, 0.5f }, { 96, 13, 10, 4, 102, 0, 0, 8, 0 },
          { Banor::Pitch, grum::HAT, 8, 1, 0, 1, 0.35f, 0.35f } },
    };
    for (const auto& c : cases)
    {
        Scripted s;
        s.ints = c.ints;
        s.floats = c.floats;
        const auto r = grum::drawBanaRecipe (s);
        EXPECT_EQ (s.ranges, c.ranges);
        EXPECT_TRUE (s.ints.empty() && s.floats.empty());
        EXPECT_EQ (r.target, c.expected.target);
        EXPECT_EQ (r.track, c.expected.track);
        EXPECT_EQ (r.steps, c.expected.steps);
        EXPECT_EQ (r.hits, c.expected.hits);
        EXPECT_EQ (r.rotation, c.expected.rotation);
        EXPECT_EQ (r.rate, c.expected.rate);
        EXPECT_FLOAT_EQ (r.depth, c.expected.depth);
        EXPECT_FLOAT_EQ (r.decay, c.expected.decay);
    }
}

TEST (BanaRecipe, RangesOverManyDraws)
{
    Seeded random;
    std::map<int, int> steps;
    std::set<int> rates, targets;
    for (int i = 0; i < 20000; ++i)
    {
        const auto r = grum::drawBanaRecipe (random);
        ++steps[r.steps];
        rates.insert (r.rate);
        targets.insert (r.target);
        EXPECT_NE (r.rate, 3);                                        // "1/4" never
        EXPECT_GE (r.hits, 1);
        EXPECT_LE (r.hits, std::max (1, r.steps / 2));
        EXPECT_GE (r.decay, 0.1f);
        EXPECT_LE (r.decay, 0.6f);
        EXPECT_LT (r.rotation, r.steps);
        EXPECT_LE (std::abs (r.depth), 0.9f);
        EXPECT_GE (std::abs (r.depth), 0.35f);
        if (r.target != Banor::Filter && r.target != Banor::Pitch)
        {
            EXPECT_GT (r.depth, 0.0f);
        }
    }
    EXPECT_EQ (rates.size(), 8u);
    EXPECT_EQ (targets.size(), 11u);                                  // every target but "Av"
    EXPECT_EQ (targets.count (Banor::Off), 0u);
    ASSERT_EQ (steps.size(), 8u);
    for (int n : { 5, 7, 8, 9, 11, 12, 13 })
        EXPECT_NEAR (steps[16] / (double) steps[n], 3.0, 0.5) << n;  // 16 three times as likely
}

TEST (BanaRecipe, CountIsThreeToFive)
{
    for (int x = 0; x < 3; ++x)
    {
        Scripted s;
        s.ints = { x };
        EXPECT_EQ (grum::drawBanaCount (s), 3 + x);
        EXPECT_EQ (s.ranges, (std::vector<int> { 3 }));
    }
}
