#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "AllocationCounter.h"
#include "StateCompare.h"
#include "conductor/Conductor.h"
#include "conductor/PinList.h"

using namespace grum;
using grum::test::sameGenome;
using grum::test::sameState;
using grum::test::sounding;

namespace
{
// The reference song: seed 126, AUTO, phrase 8, length 128, chaos 0.35, auto
// energy, endless, style and key wander, nothing locked, no pins.
Settings referenceSong()
{
    return Settings {};
}

LaneGenome parsed (const char* pattern)
{
    LaneGenome g;
    Conductor::parse (g, pattern);
    return g;
}

std::unique_ptr<Conductor> makeConductor()
{
    return std::make_unique<Conductor>();
}

// Bars first..last stepped one at a time, as playback asks for them.
std::vector<BarState> stepThrough (const Settings& s, std::int64_t last)
{
    auto c = makeConductor();
    std::vector<BarState> bars;
    bars.reserve ((std::size_t) last + 1);
    for (std::int64_t bar = 0; bar <= last; ++bar)
        bars.push_back (c->stateForBar (bar, s));
    return bars;
}
} // namespace

TEST (ReferenceSong, FigureByFigure)
{
    auto c = makeConductor();
    const Settings s = referenceSong();
    const BarState bar0 = c->stateForBar (0, s);

    // Arc 0 and the start style.
    EXPECT_EQ (bar0.style, 6);
    EXPECT_STREQ (kStyles[bar0.style].name, "PERLON SKEV");
    const Section expected[] = {
        { Phase::INTRO, 0, 16 }, { Phase::GROOVE, 16, 24 }, { Phase::GROOVE, 40, 24 }, { Phase::GROOVE, 64, 16 },
        { Phase::SPANNING, 80, 8 }, { Phase::DROPP, 88, 8 }, { Phase::GROOVE, 96, 32 }, { Phase::SLAPP, 128, 16 },
    };
    ASSERT_EQ (c->arc0Count, 8);
    for (int i = 0; i < 8; ++i)
    {
        EXPECT_EQ (c->arc0[i].phase, expected[i].phase) << i;
        EXPECT_EQ (c->arc0[i].start, expected[i].start) << i;
        EXPECT_EQ (c->arc0[i].bars, expected[i].bars) << i;
    }
    EXPECT_EQ (c->arc0Bars, 144);

    // The two initial mutations: PERC takes length 11, CLICK step 9 lays back.
    const StyleDef& row = kStyles[6];
    LaneGenome perc = parsed (row.patterns[PERC]);
    setLength (perc, 11);
    EXPECT_TRUE (sameGenome (bar0.lanes[PERC], perc));
    EXPECT_EQ (bar0.lanes[PERC].length, 11);
    EXPECT_NEAR (bar0.lanes[CLICK].steps[9].shift, 0.0461f, 0.00005f);
    LaneGenome click = bar0.lanes[CLICK];
    click.steps[9].shift = 0.0f;
    EXPECT_TRUE (sameGenome (click, parsed (row.patterns[CLICK])));
    for (int lane : { KICK, HAT, BAS, STAB })
        EXPECT_TRUE (sameGenome (bar0.lanes[lane], parsed (row.patterns[lane]))) << laneName (lane);

    // Bar 0: the quiet start.
    EXPECT_EQ (bar0.energy, 0.15f);
    EXPECT_EQ (bar0.density, 21);
    const bool kickAndStab[6] = { true, false, false, false, false, true };
    for (int lane = 0; lane < kNumLanes; ++lane)
        EXPECT_EQ (bar0.laneOn[lane], kickAndStab[lane]) << laneName (lane);

    // Bar 88: the drop.
    const BarState bar88 = c->stateForBar (88, s);
    EXPECT_EQ (bar88.phase, Phase::DROPP);
    EXPECT_EQ (bar88.energy, 0.34f);
    EXPECT_FALSE (bar88.laneOn[KICK]);
    EXPECT_FALSE (bar88.laneOn[PERC]);
    EXPECT_FALSE (bar88.laneOn[BAS]);

    // Bar 143: the last bar of the outro.
    const BarState bar143 = c->stateForBar (143, s);
    EXPECT_EQ (bar143.phase, Phase::SLAPP);
    EXPECT_NEAR (bar143.energy, 0.225f, 1e-6f);
    const bool outro[6] = { true, false, true, false, false, true };
    for (int lane = 0; lane < kNumLanes; ++lane)
        EXPECT_EQ (bar143.laneOn[lane], outro[lane]) << laneName (lane);

    // The first endless arc follows at once.
    const BarState bar144 = c->stateForBar (144, s);
    EXPECT_EQ (bar144.arcIndex, 1);
    EXPECT_EQ (bar144.arcStart, 144);
    EXPECT_EQ (bar144.arcBars, 128);
    const BarState bar272 = c->stateForBar (272, s);
    EXPECT_EQ (bar272.arcIndex, 2);
    EXPECT_EQ (bar272.arcStart, 272);
}

TEST (Replay, AnyJumpEqualsSteppingThere)
{
    Settings looping = referenceSong();
    looping.endless = false;
    Settings shortPhrases = referenceSong();
    shortPhrases.seed = 9999;
    shortPhrases.phraseBars = 4;
    shortPhrases.songBars = 64;
    shortPhrases.chaos = 0.9f;
    Settings manual = referenceSong();
    manual.seed = 1;
    manual.style = 12;
    manual.energyAuto = false;
    manual.energy = 0.8f;
    manual.locked[PERC] = true;

    const std::vector<std::int64_t> jumps[] = {
        { 99, 100 },                        // one step
        { 150, 100 },                       // backwards
        { 10, 500, 37, 37, 38, 600, 0 },    // forwards, backwards, repeated, next, back to 0
        { 599, 1, 300, 299, 301 },
    };
    for (const Settings& s : { referenceSong(), looping, shortPhrases, manual })
    {
        SCOPED_TRACE (s.seed);
        const std::vector<BarState> stepped = stepThrough (s, 600);
        for (const auto& pattern : jumps)
        {
            auto c = makeConductor();
            for (std::int64_t bar : pattern)
                ASSERT_TRUE (sameState (c->stateForBar (bar, s), stepped[(std::size_t) bar]));
        }
    }

    // Bars before the song start are bar 0.
    auto c = makeConductor();
    EXPECT_TRUE (sameState (c->stateForBar (-5, referenceSong()), stepThrough (referenceSong(), 0)[0]));
}

TEST (Replay, CountsBarsOnlyWhereItMust)
{
    auto c = makeConductor();
    const Settings s = referenceSong();
    c->stateForBar (99, s);
    EXPECT_EQ (c->barsComputed(), 100);
    c->stateForBar (100, s);
    EXPECT_EQ (c->barsComputed(), 101);     // one bar
    c->stateForBar (100, s);
    EXPECT_EQ (c->barsComputed(), 101);     // the same bar again: nothing
    c->stateForBar (50, s);
    EXPECT_EQ (c->barsComputed(), 152);     // backwards: bars 0..50 again
}

TEST (Replay, LiveControlsApplyFromTheNextBarWithoutReplaying)
{
    struct Case { const char* what; void (*edit) (Settings&); };
    const Case cases[] = {
        { "chaos", [] (Settings& s) { s.chaos = 1.0f; } },
        { "energy", [] (Settings& s) { s.energyAuto = false; s.energy = 0.05f; } },
        { "energyAuto", [] (Settings& s) { s.energyAuto = false; } },
        { "locks", [] (Settings& s) { for (bool& l : s.locked) l = true; } },
    };
    const Settings before = referenceSong();
    const std::vector<BarState> stepped = stepThrough (before, 64);

    for (const Case& k : cases)
    {
        SCOPED_TRACE (k.what);
        Settings after = before;
        k.edit (after);

        auto c = makeConductor();
        c->stateForBar (63, before);
        const std::int64_t computed = c->barsComputed();
        const BarState bar64 = c->stateForBar (64, after);
        EXPECT_EQ (c->barsComputed(), computed + 1);

        // The history up to bar 63 is the old one: bar 64 differs from a
        // replay under the new settings, and from bar 64 under the old ones.
        auto replay = makeConductor();
        EXPECT_FALSE (sameState (bar64, replay->stateForBar (64, after)));
        EXPECT_FALSE (sameState (bar64, stepped[64]));
    }

    // A change of what the song is replays it.
    auto c = makeConductor();
    Settings other = before;
    c->stateForBar (63, before);
    other.seed = 127;
    c->stateForBar (64, other);
    EXPECT_EQ (c->barsComputed(), 64 + 65);
}

TEST (Replay, AllocatesNothing)
{
    auto c = makeConductor();
    const Settings s = referenceSong();
    c->stateForBar (0, s);      // the first call builds arc 0; it must not allocate either

    grum::test::AllocationScope scope;
    c->stateForBar (2000, s);
    for (std::int64_t bar = 2001; bar < 2100; ++bar)
        c->stateForBar (bar, s);
    c->stateForBar (10, s);
    Settings other = s;
    other.seed = 5;
    other.endless = false;
    c->stateForBar (700, other);
    EXPECT_EQ (scope.count(), 0u);
}

TEST (Arcs, ShapeForEveryPhraseAndLength)
{
    for (int phrase : { 4, 8, 16, 32 })
        for (int songBars : { 64, 128, 192, 256, 512 })
            for (int seed : { 1, 126, 4242, 9999 })
            {
                SCOPED_TRACE (testing::Message() << "P " << phrase << " songBars " << songBars << " seed " << seed);
                Settings s = referenceSong();
                s.phraseBars = phrase;
                s.songBars = songBars;
                s.seed = seed;
                auto c = makeConductor();
                c->stateForBar (0, s);

                const int endlessBars = std::max ((std::max (songBars, 64) / phrase) * phrase, 8 * phrase);
                for (int k = 0; k < 4; ++k)
                {
                    Section arc[kMaxSections];
                    std::int32_t count = 0, bars = 0;
                    c->buildArc (k, arc, count, bars);
                    ASSERT_GE (count, 2);
                    ASSERT_LE (count, kMaxSections);
                    int sum = 0;
                    for (int i = 0; i < count; ++i)
                    {
                        EXPECT_EQ (arc[i].start, sum);
                        EXPECT_GE (arc[i].bars, 1);
                        sum += arc[i].bars;
                    }
                    EXPECT_EQ (bars, sum);

                    if (k == 0)
                    {
                        const int intro = arc[0].bars;
                        EXPECT_EQ (arc[0].phase, Phase::INTRO);
                        EXPECT_TRUE (intro == std::max (16, 2 * phrase) || intro == std::max (16, 3 * phrase)) << intro;
                        EXPECT_EQ (arc[count - 1].phase, Phase::SLAPP);
                        EXPECT_GE (arc[count - 1].bars, 16);
                        EXPECT_GE (bars, std::max (songBars, 4 * phrase));
                    }
                    else
                    {
                        EXPECT_EQ (bars, endlessBars);
                        const Phase last = arc[count - 1].phase;
                        EXPECT_TRUE (last == Phase::SLAPP || last == Phase::GROOVE);
                    }
                }

                // Endless arcs start right after arc 0 and follow each other.
                const std::int64_t l0 = c->arc0Bars;
                const BarState& first = c->stateForBar (l0, s);
                EXPECT_EQ (first.arcIndex, 1);
                EXPECT_EQ (first.arcStart, l0);
                EXPECT_EQ (first.arcBars, endlessBars);
                EXPECT_EQ (c->stateForBar (l0 + 2 * endlessBars + 3, s).arcStart, l0 + 2 * endlessBars);
            }

    Settings s = referenceSong();
    s.songBars = 64;
    s.phraseBars = 32;
    auto c = makeConductor();
    EXPECT_EQ (c->stateForBar (c->arc0Bars + 1000, s).arcBars, 256);
}

TEST (Arcs, LoopingSongRepeatsArcZeroAfterItsIntro)
{
    Settings s = referenceSong();
    s.endless = false;
    const std::vector<BarState> bars = stepThrough (s, 800);
    auto c = makeConductor();
    c->stateForBar (0, s);
    const std::int64_t l0 = c->arc0Bars;
    const std::int64_t g0 = c->arc0[1].start;
    const std::int64_t w = l0 - g0;

    int evolved = 0;
    for (std::int64_t j = 0; l0 + j <= 800; ++j)
    {
        const BarState& later = bars[(std::size_t) (l0 + j)];
        const BarState& firstPass = bars[(std::size_t) (g0 + j % w)];
        EXPECT_EQ (later.arcIndex, 0);
        EXPECT_EQ (later.arcBars, l0);
        EXPECT_EQ (later.bar - later.arcStart, g0 + j % w);
        EXPECT_EQ (later.phase, firstPass.phase);
        EXPECT_EQ (later.energy, firstPass.energy);
        EXPECT_EQ (later.keyOffset, 0);
        EXPECT_EQ (later.pendingStyle, -1);
        bool same = true;
        for (int lane = 0; lane < kNumLanes; ++lane)
            same = same && sameGenome (later.lanes[lane], firstPass.lanes[lane]);
        evolved += same ? 0 : 1;
    }
    EXPECT_GT (evolved, 0);     // the patterns keep evolving across the loop
}

TEST (Drift, KeyWrapsWithinItsRange)
{
    struct Case { int from, move, to; };
    const Case cases[] = { { 6, 5, -1 }, { -5, -7, 0 }, { 0, 7, -5 }, { 0, -5, -5 }, { 6, 7, 1 }, { -5, 5, 0 } };
    for (const Case& k : cases)
        EXPECT_EQ (wrapKeyOffset (k.from + k.move), k.to) << k.from << " + " << k.move;

    int moves = 0;
    for (int seed : { 2, 126, 3000 })
    {
        Settings s = referenceSong();
        s.seed = seed;
        s.songBars = 64;
        auto c = makeConductor();
        int key = 0;
        for (std::int64_t bar = 0; bar < 144 + 64 * 30; ++bar)
        {
            const BarState& b = c->stateForBar (bar, s);
            ASSERT_GE (b.keyOffset, -5);
            ASSERT_LE (b.keyOffset, 6);
            if (b.keyOffset != key)
            {
                EXPECT_EQ (b.bar, b.arcStart);      // the key moves only as an arc begins
                key = b.keyOffset;
                ++moves;
            }
        }
    }
    EXPECT_GT (moves, 10);
}

TEST (Drift, StyleWandersOnlyFromAutoAndBuiltInStyles)
{
    LearnedStyle learned;
    learned.setPattern (KICK, "X...x...x...x...");
    struct Case { int style; bool wander; bool drifts; };
    const Case cases[] = { { -1, true, true }, { -1, false, false }, { 3, true, false }, { kLearnedStyle, true, false } };
    for (const Case& k : cases)
    {
        SCOPED_TRACE (k.style);
        Settings s = referenceSong();
        s.style = k.style;
        s.styleWander = k.wander;
        s.learned = &learned.def;
        s.songBars = 64;
        auto c = makeConductor();
        const int start = c->stateForBar (0, s).style;
        bool drifted = false;
        for (std::int64_t bar = 0; bar < 144 + 64 * 20; ++bar)
            drifted = drifted || c->stateForBar (bar, s).pendingStyle >= 0 || c->state.style != start;
        EXPECT_EQ (drifted, k.drifts);
    }
}

TEST (Drift, TransitionMovesOneLanePerPhrase)
{
    Settings s = referenceSong();
    s.songBars = 64;
    const int p = s.phraseBars;
    auto c = makeConductor();

    int transitions = 0;
    for (std::int64_t bar = 0; bar < 144 + 64 * 12 && transitions < 3; ++bar)
    {
        const int before = c->stateForBar (bar, s).style;
        if (c->state.pendingStyle < 0)
            continue;

        // A transition begins as an arc does; follow it phrase by phrase.
        ++transitions;
        const std::int64_t a = c->state.arcStart;
        ASSERT_EQ (bar, a);
        const int target = c->state.pendingStyle;
        const StyleDef* row = &kStyles[target];
        const int order[6] = { KICK, PERC, CLICK, HAT, STAB, BAS };
        for (int i = 0; i < 6; ++i)
        {
            const BarState& b = c->stateForBar (a + i * p, s);
            for (int j = 0; j < 6; ++j)
                EXPECT_EQ (c->laneStyle[order[j]] == row, j <= i) << "phrase " << i << " lane " << laneName (order[j]);
            EXPECT_TRUE (sameGenome (c->base[order[i]], parsed (row->patterns[order[i]])));
            EXPECT_EQ (b.style, i >= 2 ? target : before);      // the governing style changes with the third phrase
            EXPECT_EQ (b.pendingStyle, i == 5 ? -1 : target);
            if (i < 5)
            {
                EXPECT_EQ (c->stateForBar (a + i * p + p - 1, s).pendingStyle, target);
            }
        }
        bar = a + 5 * p;
    }
    EXPECT_GT (transitions, 0);
}

TEST (Pins, APinPlaysFromItsBarAndEarlierBarsStay)
{
    const Settings plain = referenceSong();
    const std::vector<BarState> without = stepThrough (plain, 120);

    // GILLA during bar 40 (a different bar's patterns, so the pin is audible).
    BarState current = without[40];
    current.lanes[HAT] = parsed ("x.x.x.x.x.x.x.x.");
    current.lanes[KICK] = parsed ("X..X..X..X..X...");
    auto pins = std::make_unique<PinList>();
    ASSERT_TRUE (pins->pinNow (current));
    ASSERT_EQ (pins->count(), 1);
    EXPECT_EQ (pins->pins()[0].bar, 41);

    Settings pinned = plain;
    pinned.locked[KICK] = true;     // pins reach locked lanes too
    pins->describe (pinned);
    const std::vector<BarState> with = stepThrough (pinned, 120);

    for (std::int64_t bar = 0; bar <= 40; ++bar)
        for (int lane = 0; lane < kNumLanes; ++lane)
            ASSERT_TRUE (sameGenome (with[(std::size_t) bar].lanes[lane], without[(std::size_t) bar].lanes[lane])) << bar;
    for (int lane = 0; lane < kNumLanes; ++lane)
        EXPECT_TRUE (sameGenome (with[41].lanes[lane], current.lanes[lane])) << laneName (lane);
    EXPECT_TRUE (sameGenome (with[120].lanes[KICK], current.lanes[KICK]));     // the base moved too

    // A conductor that was playing replays when the pins change.
    auto c = makeConductor();
    c->stateForBar (45, plain);
    EXPECT_TRUE (sameState (c->stateForBar (46, pinned), with[46]));
}

TEST (PhraseWork, StartsAtTheFirstPhraseNotAtBarZero)
{
    const std::vector<BarState> bars = stepThrough (referenceSong(), 16);
    for (std::int64_t bar = 0; bar < 8; ++bar)
        EXPECT_EQ (bars[(std::size_t) bar].densityTarget, 0) << bar;
    // Chaos 0.35 and the intro's energy 0.325 at bar 8 ask for about 16 sixteenths.
    EXPECT_EQ (bars[8].energy, 0.325f);
    EXPECT_EQ (bars[8].densityTarget, 16);
    EXPECT_EQ (bars[15].densityTarget, bars[8].densityTarget);
}

TEST (PhraseWork, ACutLastsExactlyOnePhrase)
{
    Settings s = referenceSong();
    s.seed = 77;
    s.style = 1;                // cut chance 0.5
    s.chaos = 0.8f;
    const int p = s.phraseBars;
    const std::vector<BarState> bars = stepThrough (s, 1200);

    int cuts = 0;
    for (std::size_t n = (std::size_t) p; n + (std::size_t) p < bars.size(); n += (std::size_t) p)
    {
        const BarState& start = bars[n];
        if (start.cutUntil != (std::int64_t) n + p)
            continue;
        ++cuts;
        for (std::size_t k = n; k < n + (std::size_t) p; ++k)
        {
            EXPECT_EQ (bars[k].cutLane, start.cutLane);
            EXPECT_FALSE (bars[k].laneOn[start.cutLane]) << k;
        }
        const BarState& next = bars[n + (std::size_t) p];
        if (next.cutUntil != start.cutUntil + p)
        {
            EXPECT_EQ (next.cutLane, -1);
        }
    }
    EXPECT_GT (cuts, 10);
}

TEST (PhraseWork, ThinningTakesAddedQuietStepsAndSparesTheRest)
{
    auto c = makeConductor();
    c->stateForBar (0, referenceSong());
    for (int lane = 0; lane < kNumLanes; ++lane)
        c->base[lane] = c->state.lanes[lane] = parsed (kStyles[6].patterns[lane]);
    c->base[PERC] = c->state.lanes[PERC] = parsed ("x...x...x...x...");     // quieter than HAT

    // HAT of row 6 is "..g..g.g..g...g." (velocity 66); add louder and quieter steps.
    LaneGenome& hat = c->state.lanes[HAT];
    const int added[4] = { 0, 1, 3, 4 };
    const int velocity[4] = { 80, 50, 50, 90 };
    for (int i = 0; i < 4; ++i)
    {
        hat.steps[added[i]].on = true;
        hat.steps[added[i]].velocity = (std::uint8_t) velocity[i];
    }
    const BarState before = c->state;

    // Two removals: the two quiet added steps, whatever the coin flips say.
    Rng r (5);
    c->thin (r, c->densityOf() - 2);
    EXPECT_FALSE (hat.steps[1].on);
    EXPECT_FALSE (hat.steps[3].on);
    EXPECT_TRUE (hat.steps[0].on);
    EXPECT_TRUE (hat.steps[4].on);

    // Down to nothing: every thinned lane keeps a step; KICK, BAS and STAB are untouched.
    c->thin (r, 0);
    c->thin (r, 0);
    for (int lane : { HAT, CLICK, PERC })
        EXPECT_GE (sounding (c->state.lanes[lane]), 1) << laneName (lane);
    for (int lane : { KICK, BAS, STAB })
        EXPECT_TRUE (sameGenome (c->state.lanes[lane], before.lanes[lane])) << laneName (lane);
    // Only silencing: no other field of a thinned step moved.
    for (int j = 0; j < hat.length; ++j)
        EXPECT_EQ (hat.steps[j].velocity, before.lanes[HAT].steps[j].velocity);
}

TEST (Gates, EnergyAndPhaseDecideWhatSounds)
{
    struct Case { float energy; Phase phase; const char* on; };   // KICK HAT CLICK PERC BAS STAB
    const Case cases[] = {
        { 0.1f, Phase::GROOVE, "000001" },
        { 0.12f, Phase::GROOVE, "000001" },     // thresholds are strict
        { 0.13f, Phase::INTRO, "100001" },
        { 0.21f, Phase::GROOVE, "101001" },
        { 0.3f, Phase::SPANNING, "111101" },    // PERC always sounds in SPÄNNING
        { 0.37f, Phase::GROOVE, "111011" },
        { 0.56f, Phase::GROOVE, "111111" },
        { 0.9f, Phase::DROPP, "011101" },       // the drop silences KICK and BAS
    };
    for (const Case& k : cases)
    {
        bool on[kNumLanes];
        laneGates (k.energy, k.phase, on);
        std::string got;
        for (bool b : on)
            got += b ? '1' : '0';
        EXPECT_EQ (got, k.on) << k.energy << " " << phaseName (k.phase);
    }
}

TEST (Timbre, WalksWithinRangeFreezesWhenLockedAndSwellsInTheDrop)
{
    const std::vector<BarState> bars = stepThrough (referenceSong(), 300);
    int drops = 0;
    for (const BarState& b : bars)
    {
        for (int lane = 0; lane < kNumLanes; ++lane)
            for (float t : b.timbre[lane])
                ASSERT_TRUE (t >= 0.0f && t <= 1.0f);
        if (b.phase == Phase::DROPP)
        {
            ++drops;
            EXPECT_GE (b.timbre[STAB][1], 0.8f);
        }
        EXPECT_GE (b.stabDelay, 0.0f);
        EXPECT_LE (b.stabDelay, kStyles[b.style].shiftMax);
        EXPECT_GE (b.swingBoost, 0.0f);
        EXPECT_LE (b.swingBoost, 0.12f);
    }
    EXPECT_GT (drops, 0);

    // Timbre moves from bar to bar, except on locked lanes, which hold the walk.
    Settings locked = referenceSong();
    for (bool& l : locked.locked)
        l = true;
    const std::vector<BarState> frozen = stepThrough (locked, 80);
    for (std::size_t n = 1; n < frozen.size(); ++n)
        for (int lane = 0; lane < kNumLanes; ++lane)
            for (int i = 0; i < 4; ++i)
            {
                if (lane == STAB && i == 1 && frozen[n].phase == Phase::DROPP)
                    continue;
                ASSERT_EQ (frozen[n].timbre[lane][i], frozen[0].timbre[lane][i]) << n;
                EXPECT_NE (bars[n].timbre[lane][i], bars[n - 1].timbre[lane][i]);
            }
}
