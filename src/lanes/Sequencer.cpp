#include "lanes/Sequencer.h"

#include <algorithm>
#include <cmath>

#include "conductor/Styles.h"

namespace grum
{

namespace
{
// Gate length of each track's notes in sixteenths; HAT has its open and closed gate.
constexpr double kGateSteps[kNumLanes] = { 1.0, 0.3, 0.25, 0.25, 0.8, 1.0 };
constexpr double kOpenHatGateSteps = 1.0;

// Stable in place: events of equal offset keep their generation order (by
// step, then by track). At most 256 entries, so no buffer is needed.
void sortByOffset (Event* e, int count) noexcept
{
    for (int i = 1; i < count; ++i)
    {
        const Event x = e[i];
        int j = i;
        for (; j > 0 && e[j - 1].offset > x.offset; --j)
            e[j] = e[j - 1];
        e[j] = x;
    }
}
} // namespace

void Sequencer::prepare() noexcept
{
    haveNextStep = false;
    sinceAnchor = 0;
    invalidateCache();
}

void Sequencer::invalidateCache() noexcept
{
    cache[0].bar = cache[1].bar = -2;
    ++invalidations;
}

void Sequencer::anchorAt (double x0, double stepsPerSample) noexcept
{
    const double expected = anchorStep + (double) sinceAnchor * anchorStepsPerSample;
    if (haveNextStep && std::abs (x0 - expected) < 0.001)
    {
        if (stepsPerSample != anchorStepsPerSample)
        {
            // A new tempo counts on from where the old one ended.
            anchorStep = expected;
            anchorStepsPerSample = stepsPerSample;
            sinceAnchor = 0;
        }
    }
    else
    {
        anchorStep = x0;
        anchorStepsPerSample = stepsPerSample;
        sinceAnchor = 0;
    }
    haveNextStep = true;
}

ChunkClock Sequencer::place (double x0, int n, double stepsPerSample) noexcept
{
    anchorAt (x0, stepsPerSample);
    ChunkClock c;
    c.n = n;
    c.stepsPerSample = stepsPerSample;
    c.anchorStep = anchorStep;
    c.start = sinceAnchor;
    sinceAnchor += n;
    return c;
}

ChunkClock Sequencer::placeOnGrid (double x0, int maxN, double stepsPerSample) noexcept
{
    anchorAt (x0, stepsPerSample);
    ChunkClock c;
    c.stepsPerSample = stepsPerSample;
    c.anchorStep = anchorStep;
    c.start = sinceAnchor;

    const std::int64_t start = c.start;
    const std::int64_t cell = start - (start % ChunkClock::kGrid);     // start is never negative
    const std::int64_t to = cell + ChunkClock::kGrid;

    // The segment takes the timbre of the bar that holds the last step its
    // window reaches, as schedule() picks the current bar for a whole chunk.
    c.segmentStart = cell;
    c.segmentLength = ChunkClock::kGrid;
    c.segmentBar = (std::int64_t) std::floor (c.stepAt (to)) / 16;
    c.n = (int) std::clamp<std::int64_t> (to - start, 1, std::max (1, maxN));
    sinceAnchor += c.n;
    return c;
}

const BarState& Sequencer::barState (std::int64_t bar, const Settings& s) noexcept
{
    auto& slot = cache[bar & 1];
    if (slot.bar != bar || slot.bar < 0)
        slot = conductor.stateForBar (bar, s);
    return slot;
}

int Sequencer::schedule (const ChunkClock& chunk, const Settings& s, int rootNote, float swing, Event* out) noexcept
{
    const double x0 = chunk.startStep();
    const double x1 = chunk.endStep();
    const double stepsPerSample = chunk.stepsPerSample;
    const int n = chunk.n;

    std::int64_t first = (std::int64_t) std::floor (x0 - 1.0);
    if (first <= 0)
        first = 0;
    const std::int64_t last = (std::int64_t) std::floor (x1);

    if (first > last)
    {
        // Before the song's start (a host's count-in): nothing plays yet.
        current = barState (last / 16, s);
        return 0;
    }

    int count = 0;
    for (std::int64_t k = first; k <= last && count < kMaxEvents; ++k)
    {
        const BarState& bar = barState (k / 16, s);
        const StyleDef& style = styleRow (bar.style, s.learned);
        const int root = rootNote + bar.keyOffset;
        const double e = bar.energy;

        for (int t = 0; t < kNumLanes; ++t)
        {
            if (! bar.laneOn[t])
                continue;
            const LaneGenome& g = bar.lanes[t];
            const int len = std::clamp ((int) g.length, 1, kMaxSteps);
            const Step& step = g.steps[k % len];
            if (! step.on)
                continue;

            // The roll depends only on seed, step and track: the same pass
            // over a step always gives the same answer.
            if (step.chance < 0.999f)
            {
                const float u = Rng (derive ((std::uint64_t) s.seed, (std::uint64_t) k, (std::uint64_t) (t + 991))).unit();
                if (! (step.chance > u))
                    continue;
            }

            double d = step.shift;
            if ((k & 1) != 0 && t != KICK)
                d += 0.25 * std::min (1.0f, swing + style.swing + bar.swingBoost);
            if (t == STAB)
                d += bar.stabDelay;

            const std::int64_t at = chunk.sampleContaining ((double) k + d);
            if (at < chunk.start || at >= chunk.start + n)
                continue;
            if (count >= kMaxEvents)
                break;

            const double v = step.velocity / 127.0;
            Event ev;
            ev.offset = (std::int32_t) std::clamp<std::int64_t> (at - chunk.start, 0, n - 1);
            ev.lane = t;
            ev.open = step.open;
            double velocity = v;
            double gate = kGateSteps[t];
            switch (t)
            {
                case KICK:  ev.note = 36; break;
                case HAT:
                    ev.note = step.open ? 46 : 42;
                    velocity = v * (0.75 + 0.35 * e);
                    if (step.open)
                        gate = kOpenHatGateSteps;
                    break;
                case CLICK: ev.note = 37; break;
                case PERC:
                    ev.note = std::clamp (75 + step.note, 40, 110);
                    velocity = v * (0.6 + 0.4 * e);
                    break;
                case BAS:   ev.note = std::clamp (root + step.note, 24, 72); break;
                default:    ev.note = std::clamp (root, 24, 72) + 12; break;
            }
            ev.velocity = (float) std::clamp (velocity, 0.05, 1.0);
            ev.length = (std::int32_t) (gate / stepsPerSample);
            out[count++] = ev;
        }
    }

    sortByOffset (out, count);
    current = barState (last / 16, s);
    return count;
}

} // namespace grum
