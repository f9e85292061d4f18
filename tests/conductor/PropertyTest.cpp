// Properties of the conductor that hold for every seed, style and setting: the
// ranges of every bar-state field, the song skeleton, and that any replay
// gives exactly the bar that playing straight through gave.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "AllocationCounter.h"
#include "StateCompare.h"
#include "conductor/Conductor.h"

using namespace grum;
using grum::test::sameState;

namespace
{
// A learned style as a loose MIDI take may leave it: odd lengths, a pattern
// longer than a lane, notes outside the palette of any row.
LearnedStyle quirkyLearned (bool withWeights)
{
    LearnedStyle l;
    l.setPattern (KICK, "X..x");
    l.setPattern (HAT, "..x.x.x.x");
    l.setPattern (CLICK, std::string (33, 'g').c_str());
    l.setPattern (PERC, "x.3x.5.7.b.o");
    l.setPattern (BAS, "");
    l.setPattern (STAB, "x");
    l.setFillMask (HAT, "xxxx");
    l.setFillMask (BAS, "x.x");
    l.setFillMask (STAB, "x.x.");
    if (withWeights)
    {
        for (int lane = HAT; lane <= STAB; ++lane)
            l.def.laneWeights[lane] = 1.0f;
        for (int k = 0; k < 6; ++k)
            l.def.kindWeights[k] = 1.0f;
        l.def.altLengths[2][0] = 7;
        l.def.altLengths[0][1] = 40;     // clamped to 32 when used
        l.def.cutChance = 0.4f;
        l.def.shiftMax = 0.1f;
        l.def.notes[3] = 5;
    }
    return l;
}

// Every range a bar state promises; returns what is wrong, or "" when nothing is.
std::string brokenInvariant (const BarState& b, std::int64_t bar, const Settings& s)
{
    if (b.bar != bar) return "bar";
    if (b.style < 0 || b.style > kLearnedStyle) return "style";
    if (b.pendingStyle < -1 || b.pendingStyle >= kNumStyles) return "pendingStyle";
    if ((std::uint32_t) b.phase > 4) return "phase";
    if (! (b.energy >= 0.0f && b.energy <= 1.0f)) return "energy";
    if (b.keyOffset < -5 || b.keyOffset > 6) return "keyOffset";
    if (b.arcBars < 1 || b.arcStart < 0 || bar - b.arcStart < 0 || bar - b.arcStart >= b.arcBars) return "arc position";
    if (! s.endless && b.arcIndex != 0) return "arcIndex of a looping song";
    if (b.cutLane != -1 && b.cutLane != HAT && b.cutLane != CLICK && b.cutLane != PERC && b.cutLane != STAB) return "cutLane";
    if (b.cutLane >= 0 && (b.laneOn[b.cutLane] || b.cutUntil <= bar)) return "cut";
    if (! b.laneOn[STAB] && b.cutLane != STAB) return "STAB gate";
    if (b.phase == Phase::DROPP && (b.laneOn[KICK] || b.laneOn[BAS])) return "DROPP gates";
    if (! (b.stabDelay >= 0.0f && b.stabDelay <= 0.3f)) return "stabDelay";
    if (! (b.swingBoost >= 0.0f && b.swingBoost <= 0.12f)) return "swingBoost";
    if (b.phase == Phase::DROPP && ! (b.timbre[STAB][1] >= 0.8f)) return "DROPP echo";
    if (b.densityTarget != 0 && (b.densityTarget < 9 || b.densityTarget > 30)) return "densityTarget";

    int density = 0;
    for (int lane = 0; lane < kNumLanes; ++lane)
    {
        for (float t : b.timbre[lane])
            if (! (t >= 0.0f && t <= 1.0f))
                return std::string ("timbre of ") + laneName (lane);
        const LaneGenome& g = b.lanes[lane];
        if (g.length < 3 || g.length > kMaxSteps)
            return std::string ("length of ") + laneName (lane);
        for (int j = 0; j < g.length; ++j)
        {
            const Step& st = g.steps[j];
            if (st.velocity > 127 || ! (st.chance >= 0.45f && st.chance <= 1.0f) || ! (st.shift >= 0.0f && st.shift <= 0.3f))
                return std::string ("step of ") + laneName (lane);
        }
        if (lane != KICK)
            density += (16 * grum::test::sounding (g) + g.length / 2) / g.length;
    }
    if (density != b.density) return "density";
    return {};
}
} // namespace

TEST (Properties, EverySeedStartsInRange)
{
    // The first phrases of every seed, with the style, phrase, chaos and locks
    // varied along with it.
    const LearnedStyle learned = quirkyLearned (true);
    const int phrases[4] = { 4, 8, 16, 32 };
    const float chaos[5] = { 0.0f, 0.35f, 0.6f, 0.9f, 1.0f };
    auto c = std::make_unique<Conductor>();
    grum::test::AllocationScope scope;
    for (int seed = 1; seed <= 9999; ++seed)
    {
        Settings s;
        s.seed = seed;
        s.style = seed % 18 - 1;
        s.learned = seed % 2 == 0 ? &learned.def : nullptr;
        s.phraseBars = phrases[seed % 4];
        s.chaos = chaos[(seed / 4) % 5];
        s.locked[1 + seed % 5] = seed % 3 == 0;
        for (std::int64_t bar = 0; bar <= 12; ++bar)
        {
            const std::string broken = brokenInvariant (c->stateForBar (bar, s), bar, s);
            ASSERT_EQ (broken, "") << "seed " << seed << " bar " << bar;
        }
    }
    EXPECT_EQ (scope.count(), 0u);
}

TEST (Properties, LongSongsStayInRangeAndReplayExactly)
{
    const LearnedStyle zeroWeights = quirkyLearned (false);   // a freshly learned style: every number zero
    const LearnedStyle weighted = quirkyLearned (true);
    const int phrases[4] = { 4, 8, 16, 32 };
    const int lengths[5] = { 64, 128, 192, 256, 512 };
    const float chaos[5] = { 0.0f, 0.35f, 0.6f, 0.9f, 1.0f };

    int drifts = 0, keyMoves = 0, cuts = 0;
    for (int song = 0; song < 120; ++song)
    {
        Settings s;
        s.seed = 1 + (int) (((std::uint32_t) song * 2654435761u) % 9999u);
        s.style = song % 18 - 1;
        s.learned = song % 3 == 0 ? &zeroWeights.def : (song % 3 == 1 ? &weighted.def : nullptr);
        s.phraseBars = phrases[song % 4];
        s.songBars = lengths[(song / 4) % 5];
        s.chaos = chaos[(song / 3) % 5];
        s.endless = song % 7 != 3;
        s.styleWander = song % 5 != 1;
        s.keyWander = song % 6 != 2;
        s.energyAuto = song % 9 != 4;
        s.energy = 0.1f * (float) (song % 11);
        s.locked[song % 6] = song % 4 == 1;
        s.locked[(song + 2) % 6] = song % 8 == 5;
        SCOPED_TRACE (testing::Message() << "song " << song << " seed " << s.seed << " style " << s.style
                                         << " P " << s.phraseBars << " L " << s.songBars << " endless " << s.endless);

        const std::int64_t last = 1500;
        std::vector<BarState> played;
        played.reserve ((std::size_t) last + 1);
        auto c = std::make_unique<Conductor>();
        int key = 0;
        for (std::int64_t bar = 0; bar <= last; ++bar)
        {
            played.push_back (c->stateForBar (bar, s));
            const BarState& b = played.back();
            const std::string broken = brokenInvariant (b, bar, s);
            ASSERT_EQ (broken, "") << "bar " << bar;
            drifts += b.pendingStyle >= 0 && b.bar == b.arcStart ? 1 : 0;
            keyMoves += b.keyOffset != key ? 1 : 0;
            key = b.keyOffset;
            cuts += b.cutLane >= 0 && b.cutUntil == bar + s.phraseBars ? 1 : 0;
        }

        // Jumps backwards, forwards, to the same bar and to before the start,
        // on the conductor that was playing.
        const std::int64_t jumps[] = { 700, 699, 700, 701, 3, 1499, 0, -7, 1, 1200, 450 };
        for (std::int64_t bar : jumps)
        {
            const std::size_t index = (std::size_t) std::max<std::int64_t> (bar, 0);
            ASSERT_TRUE (sameState (c->stateForBar (bar, s), played[index])) << "jump to " << bar;
        }
    }
    // The sweep reaches what it is meant to check.
    EXPECT_GT (drifts, 20);
    EXPECT_GT (keyMoves, 20);
    EXPECT_GT (cuts, 100);
}

TEST (Properties, SettingsOutsideTheirRangesStayDefined)
{
    // The processor never sends these, but a bar must never overflow or index
    // out of bounds whatever a snapshot holds (the sanitizer build checks the
    // arithmetic; every build checks the ranges).
    struct Case { std::int32_t seed, style, phraseBars, songBars; };
    const Case cases[] = {
        { 126, -1, INT32_MAX, 128 },        // a phrase too long for any arc
        { 126, -1, INT32_MIN, 128 },        // a phrase of less than one bar
        { 126, -1, 0, 0 },
        { 126, 3, 3, INT32_MAX },           // an endless song one arc long
        { 126, -1, 1 << 24, INT32_MAX },
        { 0, 17, 8, -1 },
        { -1, -2, 4, 63 },
        { INT32_MAX, INT32_MIN, 16, 1 },
        { INT32_MIN, INT32_MAX, 32, 512 },
    };
    auto c = std::make_unique<Conductor>();
    for (const Case& k : cases)
        for (bool endless : { true, false })
        {
            SCOPED_TRACE (testing::Message() << "seed " << k.seed << " style " << k.style << " P " << k.phraseBars
                                             << " L " << k.songBars << " endless " << endless);
            Settings s;
            s.seed = k.seed;
            s.style = k.style;
            s.phraseBars = k.phraseBars;
            s.songBars = k.songBars;
            s.endless = endless;
            s.chaos = 1.0f;
            for (std::int64_t bar : { 0, 1, 2, 64, 300 })
            {
                const std::string broken = brokenInvariant (c->stateForBar (bar, s), bar, s);
                ASSERT_EQ (broken, "") << "bar " << bar;
            }
        }
}
