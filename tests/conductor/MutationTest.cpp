#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "StateCompare.h"
#include "conductor/Conductor.h"

using namespace grum;
using grum::test::sameGenome;
using grum::test::sounding;

namespace
{
// A conductor at bar 0 whose governing style can only pick one lane and one
// kind (kind -1: none), with every lane's style row set to `laneRow`.
struct Rig
{
    std::unique_ptr<Conductor> c = std::make_unique<Conductor>();
    StyleDef steering {};

    Rig (int lane, int kind, const StyleDef& laneRow)
    {
        c->stateForBar (0, Settings {});
        steering = laneRow;
        for (float& w : steering.laneWeights)
            w = 0.0f;
        for (float& w : steering.kindWeights)
            w = 0.0f;
        steering.laneWeights[lane] = 1.0f;
        if (kind >= 0)
            steering.kindWeights[kind] = 1.0f;
        c->governing = &steering;
        for (auto& style : c->laneStyle)
            style = &laneRow;
    }

    LaneGenome& lane (int l) { return c->state.lanes[l]; }

    void setLane (int l, const char* pattern)
    {
        Conductor::parse (c->state.lanes[l], pattern);
        Conductor::parse (c->base[l], pattern);
    }
};

// Draws taken between two states of one generator.
int drawsBetween (Rng before, const Rng& after)
{
    for (int n = 0; n < 1000; ++n)
    {
        if (before.state == after.state)
            return n;
        before.next();
    }
    return -1;
}
} // namespace

TEST (Mutation, SpendsExactlyItsDraws)
{
    struct Case
    {
        const char* what;
        int lane, kind, row;
        const char* pattern;    // the lane's live and base pattern
        bool allowNotes, lockAll;
        int draws;
    };
    const Case cases[] = {
        { "every mutable lane locked", HAT, 1, 0, "..x...x.", true, true, 0 },
        { "no kind has weight", HAT, -1, 0, "..x...x.", true, false, 1 },
        { "rotate on HAT spends its draw", HAT, 0, 0, "..x...x.", true, false, 3 },
        { "length on BAS draws nothing", BAS, 3, 0, ".x..x...", true, false, 2 },
        { "timing without a sounding step", HAT, 2, 0, "........", true, false, 2 + 16 },
        { "chance without a sounding step", CLICK, 4, 0, "........", true, false, 2 + 16 },
        { "note without a sounding step", PERC, 5, 0, "........", true, false, 2 + 16 },
        { "STAB move with an empty mask", STAB, 5, 13, "...x....", false, false, 2 + 16 },
        { "ghost add with an empty mask", STAB, 1, 13, "........", false, false, 2 + 24 },
    };
    for (const Case& k : cases)
    {
        SCOPED_TRACE (k.what);
        Rig rig (k.lane, k.kind, kStyles[k.row]);
        rig.setLane (k.lane, k.pattern);
        for (int l = 0; l < kNumLanes; ++l)
            rig.c->settings.locked[l] = k.lockAll;
        const BarState before = rig.c->state;

        Rng r (99);
        const Rng start = r;
        rig.c->mutateOnce (r, 0.35f, k.allowNotes, true);
        EXPECT_EQ (drawsBetween (start, r), k.draws);
        for (int l = 0; l < kNumLanes; ++l)
            EXPECT_TRUE (sameGenome (rig.c->state.lanes[l], before.lanes[l])) << laneName (l);
    }
}

TEST (Mutation, LengthsComeFromTheLaneStyle)
{
    struct Case { int row, lane; std::set<int> lengths; };
    const Case cases[] = {
        { 0, PERC, { 5, 7, 3, 9 } },
        { 5, PERC, { 16 } },
        { 7, HAT, { 15, 16, 17 } },
        { 1, CLICK, { 12, 16, 10 } },
    };
    for (const Case& k : cases)
    {
        SCOPED_TRACE (k.row);
        Rig rig (k.lane, 3, kStyles[k.row]);
        rig.setLane (k.lane, kStyles[k.row].patterns[k.lane]);
        const LaneGenome original = rig.lane (k.lane);
        std::set<int> seen;
        for (std::uint64_t seed = 0; seed < 200; ++seed)
        {
            rig.lane (k.lane) = original;
            Rng r (seed);
            rig.c->mutateOnce (r, 0.35f, false, true);
            seen.insert (rig.lane (k.lane).length);
        }
        EXPECT_EQ (seen, k.lengths);
    }
}

TEST (Mutation, SettingALengthKeepsOneStepSounding)
{
    LaneGenome g;
    Conductor::parse (g, "..........x.....");
    setLength (g, 5);                   // step 10 lies beyond: nothing sounds
    EXPECT_EQ (g.length, 5);
    EXPECT_TRUE (g.steps[0].on);
    EXPECT_EQ (g.steps[0].velocity, 90);
    EXPECT_EQ (sounding (g), 1);

    setLength (g, 16);                  // cells coming back into use are cleared
    EXPECT_FALSE (g.steps[10].on);
    EXPECT_EQ (sounding (g), 1);
}

TEST (Mutation, PullBackGrowsWithDistanceFromTheBase)
{
    // With no kind to apply, a lane changes only when it is pulled back.
    struct Case { int extraSteps; float chaos; float expected; };
    const Case cases[] = {
        { 0, 0.35f, 0.0f },     // nothing differs, so nothing is restored
        { 2, 1.0f, (0.08f + 0.18f) * 0.6f },
        { 8, 0.0f, 0.85f },     // (0.08 + 0.72) * 1.2 is capped at 0.85
    };
    const int extra[8] = { 0, 1, 3, 4, 5, 7, 8, 9 };
    for (const Case& k : cases)
    {
        SCOPED_TRACE (k.extraSteps);
        Rig rig (HAT, -1, kStyles[0]);
        rig.setLane (HAT, "..x...x...x..xO.");
        for (int i = 0; i < k.extraSteps; ++i)
            rig.lane (HAT).steps[extra[i]].on = true;
        const LaneGenome wandered = rig.lane (HAT);

        const int trials = 4000;
        int pulled = 0;
        for (int t = 0; t < trials; ++t)
        {
            rig.lane (HAT) = wandered;
            Rng r ((std::uint64_t) t);
            rig.c->mutateOnce (r, k.chaos, false, false);
            if (! sameGenome (rig.lane (HAT), wandered))
            {
                ++pulled;
                EXPECT_EQ (sounding (rig.lane (HAT)), sounding (wandered) - 1);   // one step goes back
            }
        }
        EXPECT_NEAR ((float) pulled / trials, k.expected, 0.025f);
    }
}

TEST (Ghosts, AStabChordGoesOnAHighDrawOtherwiseAnotherIsTried)
{
    Rig rig (STAB, 1, kStyles[0]);
    int removed = 0, kept = 0;
    for (std::uint64_t seed = 0; seed < 200; ++seed)
    {
        LaneGenome g;
        Conductor::parse (g, "......x.........");
        Rng r (seed);
        Rng peek = r;
        const bool high = peek.unit() >= 0.55f;
        rig.c->toggleGhost (g, r, STAB);
        if (high)
        {
            // A removal: 24 tries may all miss the one chord, but none adds.
            EXPECT_LE (sounding (g), 1);
            removed += sounding (g) == 0 ? 1 : 0;
        }
        else
        {
            EXPECT_GE (sounding (g), 1);
            EXPECT_TRUE (g.steps[6].on);
            ++kept;
        }
    }
    EXPECT_GT (removed, 0);
    EXPECT_GT (kept, 0);
}

TEST (Ghosts, BassNeverLandsOnTheBeat)
{
    StyleDef open = kStyles[0];
    open.fillMasks[BAS] = "xxxxxxxxxxxxxxxx";
    Rig rig (BAS, 1, open);

    LaneGenome g;
    Conductor::parse (g, "................");
    Rng r (7);
    int mostSounding = 0;
    for (int i = 0; i < 300; ++i)
    {
        rig.c->toggleGhost (g, r, BAS);
        for (int beat = 0; beat < 16; beat += 4)
            ASSERT_FALSE (g.steps[beat].on);
        mostSounding = std::max (mostSounding, sounding (g));
        for (int j = 0; j < g.length; ++j)
        {
            if (g.steps[j].on)
            {
                EXPECT_TRUE (g.steps[j].velocity >= 58 && g.steps[j].velocity <= 84);
            }
        }
    }
    EXPECT_GE (mostSounding, 3);
    EXPECT_LE (mostSounding, 6);    // a full bass removes before it adds
}

TEST (StabMove, ChordMovesOnlyToAllowedPlaces)
{
    Rig rig (STAB, 5, kStyles[0]);      // STAB mask "...x..x...x...x."
    const std::string mask = kStyles[0].fillMasks[STAB];
    int moved = 0;
    for (std::uint64_t seed = 0; seed < 100; ++seed)
    {
        for (const char* pattern : { "......x.........", "................" })
        {
            rig.setLane (STAB, pattern);
            Rng r (seed);
            rig.c->mutateOnce (r, 0.35f, false, true);
            const LaneGenome& g = rig.lane (STAB);
            ASSERT_EQ (sounding (g), 1);
            for (int j = 0; j < g.length; ++j)
                if (g.steps[j].on && j != 6)
                {
                    EXPECT_EQ (mask[(std::size_t) j], 'x') << j;
                    EXPECT_EQ (g.steps[j].velocity, pattern[6] == 'x' ? 100 : 96);
                    ++moved;
                }
        }
    }
    EXPECT_GT (moved, 150);
}

TEST (Fingerprint, HashesOnlyWhatSoundsAndWhere)
{
    Rig rig (HAT, 1, kStyles[0]);
    const std::uint64_t original = rig.c->fingerprint();

    auto after = [&] (auto edit)
    {
        const BarState saved = rig.c->state;
        edit (rig.c->state.lanes[HAT]);
        const std::uint64_t f = rig.c->fingerprint();
        rig.c->state = saved;
        return f;
    };
    const int on = 2;       // a sounding HAT step of row 0
    ASSERT_TRUE (rig.lane (HAT).steps[on].on);
    EXPECT_EQ (after ([&] (LaneGenome& g) { g.steps[on].velocity = 12; }), original);
    EXPECT_EQ (after ([&] (LaneGenome& g) { g.steps[on].open = true; g.steps[on].chance = 0.5f; g.steps[on].shift = 0.2f; }), original);
    EXPECT_EQ (after ([&] (LaneGenome& g) { g.steps[20].on = true; }), original);     // beyond the length
    EXPECT_NE (after ([&] (LaneGenome& g) { g.steps[on].note = 3; }), original);
    EXPECT_NE (after ([&] (LaneGenome& g) { g.steps[on].on = false; }), original);
    EXPECT_NE (after ([&] (LaneGenome& g) { g.steps[1].on = true; }), original);
    EXPECT_NE (after ([&] (LaneGenome& g) { g.length = 15; }), original);
}

TEST (PickWeighted, OverflowNeverPicksAWeightOfZero)
{
    const float weights[5] = { 1.0f, 1.0f, 1.0f, 1.0f, 0.0f };     // STAB locked
    EXPECT_EQ (pickWeighted (weights, 5, 0.0f), 0);
    EXPECT_EQ (pickWeighted (weights, 5, 1.0f), 1);
    EXPECT_EQ (pickWeighted (weights, 5, 3.999f), 3);
    EXPECT_EQ (pickWeighted (weights, 5, 4.0f), 3);     // rounding left u at the sum

    const float withStab[5] = { 1.0f, 0.0f, 1.0f, 0.0f, 1.0f };
    EXPECT_EQ (pickWeighted (withStab, 5, 1.5f), 2);
    EXPECT_EQ (pickWeighted (withStab, 5, 3.0f), 4);
}
