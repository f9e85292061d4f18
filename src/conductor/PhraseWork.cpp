// What makes the song breathe: once per phrase the lanes mutate, thin out
// when they are too busy for the energy, avoid repeating a recent phrase and
// may lose one lane for a phrase; every bar the lanes are gated by energy and
// phase and each lane's four timbre macros take a slow random walk.

#include "Conductor.h"

#include <algorithm>
#include <cmath>

namespace grum
{

namespace
{
// Lanes that may be cut for a phrase: never the kick or the bass.
constexpr int kCuttable[4] = { HAT, CLICK, PERC, STAB };

// Periods in bars of the timbre sine drifts; primes, so the lanes never line up.
constexpr float kPrimes[kNumLanes][4] = {
    /* KICK  */ { 7.0f, 23.0f, 29.0f, 31.0f },
    /* HAT   */ { 11.0f, 13.0f, 37.0f, 41.0f },
    /* CLICK */ { 13.0f, 17.0f, 43.0f, 47.0f },
    /* PERC  */ { 17.0f, 19.0f, 53.0f, 59.0f },
    /* BAS   */ { 19.0f, 7.0f, 61.0f, 67.0f },
    /* STAB  */ { 23.0f, 11.0f, 71.0f, 73.0f },
};

float clamp01 (float x) noexcept
{
    return std::min (std::max (x, 0.0f), 1.0f);
}

} // namespace

void laneGates (float e, Phase phase, bool laneOn[kNumLanes]) noexcept
{
    const bool dropp = phase == Phase::DROPP;
    laneOn[KICK] = e > 0.12f && ! dropp;
    laneOn[HAT] = e > 0.28f;
    laneOn[CLICK] = e > 0.2f;
    laneOn[PERC] = phase == Phase::SPANNING || e > 0.55f;
    laneOn[BAS] = e > 0.36f && ! dropp;
    laneOn[STAB] = true;
}

//==============================================================================
void Conductor::phraseWork (std::int64_t n) noexcept
{
    const int phrase = phraseOf (settings);
    const float chaos = settings.chaos;
    Rng r (derive ((std::uint64_t) (std::int64_t) settings.seed, (std::uint64_t) n, 0x77));

    // Below 0.55 chaos there is one mutation and no draw for the count.
    int m = 1;
    if (chaos > 0.55f)
        m = chaos > r.unit() ? 2 : 1;
    if (chaos > 0.85f && chaos > r.unit())
        ++m;

    // Notes change only in every fourth phrase, and only by its first mutation.
    const bool notesPhrase = (n / phrase) % 4 == 3;
    for (int i = 0; i < m; ++i)
        mutateOnce (r, chaos, i == 0 && notesPhrase, false);

    const int target = (int) std::lround (6.0f * chaos + (15.0f * state.energy + 9.0f));
    state.densityTarget = target;
    thin (r, target);

    // Novelty: a phrase that repeats one of the last sixteen is mutated again.
    std::uint64_t f = fingerprint();
    const auto seen = [this] (std::uint64_t x)
    {
        for (int i = 0; i < std::min (historyCount, 16); ++i)
            if (history[i] == x)
                return true;
        return false;
    };
    if (historyCount > 0)
        for (int extra = 0; extra < 3 && seen (f); ++extra)
        {
            mutateOnce (r, std::max (chaos, 0.5f), false, true);
            f = fingerprint();
        }
    history[historyCount % 16] = f;
    ++historyCount;

    // Lane cut for one phrase; a locked lane is not cut but the draw is made.
    const float x = r.unit();
    if ((chaos + 0.5f) * governing->cutChance > x)
    {
        const int lane = kCuttable[r.below (4)];
        if (! settings.locked[lane])
        {
            state.cutLane = lane;
            state.cutUntil = n + phrase;
        }
    }
}

void Conductor::thin (Rng& r, int target) noexcept
{
    for (int removals = 0; removals < 24 && densityOf() > target; ++removals)
    {
        // The busiest of HAT, CLICK and PERC; the earlier lane wins a tie.
        int lane = -1;
        int busiest = 0;
        for (int candidate : { HAT, CLICK, PERC })
        {
            if (settings.locked[candidate])
                continue;
            const LaneGenome& g = state.lanes[candidate];
            const int length = lengthOf (g);
            const int d = (16 * soundingSteps (g) + length / 2) / length;
            if (d > busiest)
            {
                lane = candidate;
                busiest = d;
            }
        }
        if (lane < 0)
            break;

        LaneGenome& g = state.lanes[lane];
        const LaneGenome& b = base[lane];
        const int length = lengthOf (g);
        const int baseLength = lengthOf (b);

        // Steps the mutations added go first, the quietest of them first; the
        // coin flip breaks ties between equal velocities.
        int chosen = -1;
        int lowest = 0;
        for (int pass = 0; pass < 2 && chosen < 0; ++pass)
            for (int j = 0; j < length; ++j)
            {
                if (! g.steps[j].on)
                    continue;
                if (pass == 0 && j < baseLength && b.steps[j].on)
                    continue;
                const int score = g.steps[j].velocity + (r.unit() < 0.5f ? 1 : 0);
                if (chosen < 0 || score < lowest)
                {
                    chosen = j;
                    lowest = score;
                }
            }
        if (chosen < 0)
            break;

        if (soundingSteps (g) < 2)
            break;      // a lane never loses its last step
        g.steps[chosen].on = false;
    }
}

//==============================================================================
void Conductor::gatesWalkAndWaves (std::int64_t n, bool full) noexcept
{
    if (! (n < state.cutUntil))
        state.cutLane = -1;

    const float e = state.energy;
    const float a = (float) n * 6.2831855f;

    // The walk itself always runs; its read-out (with the sine drifts) only
    // when this bar is the one asked for.
    Rng w (derive ((std::uint64_t) (std::int64_t) settings.seed, (std::uint64_t) n, 0x3A));
    const float s = (settings.chaos + 0.4f) * 0.025f;

    for (int lane = 0; lane < kNumLanes; ++lane)
    {
        float* v = walk[lane];
        if (! settings.locked[lane])
        {
            const float u0 = w.unit();
            const float u1 = w.unit();
            float w0 = v[0] + (2.0f * u0 - 1.0f) * s;
            float w1 = v[1] + (2.0f * u1 - 1.0f) * s;
            w0 += (e - w0) * 0.08f;                     // macro 1 follows the energy
            w1 += (targets[lane][1] - w1) * 0.03f;      // the others follow the style
            w0 = clamp01 (w0);
            w1 = clamp01 (w1);

            const float u2 = w.unit();
            const float u3 = w.unit();
            float w2 = v[2] + (2.0f * u2 - 1.0f) * s;
            float w3 = v[3] + (2.0f * u3 - 1.0f) * s;
            w2 += (targets[lane][2] - w2) * 0.03f;
            w3 += (targets[lane][3] - w3) * 0.03f;
            w2 = clamp01 (w2);
            w3 = clamp01 (w3);

            v[0] = w0;
            v[1] = w1;
            v[2] = w2;
            v[3] = w3;

            if (full)
                for (int i = 0; i < 4; ++i)
                    state.timbre[lane][i] = clamp01 (v[i] + 0.07f * std::sin (a / kPrimes[lane][i]));
        }
        else if (full)
        {
            for (int i = 0; i < 4; ++i)
                state.timbre[lane][i] = clamp01 (v[i]);
        }
    }

    if (! full)
        return;

    laneGates (e, state.phase, state.laneOn);
    if (state.cutLane >= 0 && state.cutLane < kNumLanes)
        state.laneOn[state.cutLane] = false;

    if (state.phase == Phase::DROPP)
        state.timbre[STAB][1] = std::max (0.8f, state.timbre[STAB][1]);     // the STAB echo swells

    state.stabDelay = governing->shiftMax * (0.5f * std::sin (a / 11.0f) + 0.5f);
    state.swingBoost = 0.12f * std::max (0.0f, std::sin (a / 13.0f));
    state.density = densityOf();
}

} // namespace grum
