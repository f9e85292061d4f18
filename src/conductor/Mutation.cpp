// Mutation of the live lanes: one small edit per call, or a step back towards
// the lane's base pattern, with a chance that grows the further the lane has
// wandered. Every draw below is counted: later decisions of the same bar use
// the same generator, so one extra or missing draw changes the song.

#include "Conductor.h"

#include <algorithm>
#include <cstring>

namespace grum
{

namespace
{

// Up to `tries` draws of an index; the first sounding one is taken. When none
// is found the draws are spent and nothing is edited.
bool randomSoundingStep (const LaneGenome& g, Rng& r, int tries, int& index) noexcept
{
    const int length = lengthOf (g);
    for (int t = 0; t < tries; ++t)
    {
        const int i = (int) r.below ((std::uint32_t) length);
        if (g.steps[i].on)
        {
            index = i;
            return true;
        }
    }
    return false;
}

// Only "x" allows a position; an empty (or absent) mask allows nothing.
bool maskAllows (const char* mask, int i) noexcept
{
    if (mask == nullptr || mask[0] == '\0')
        return false;
    const int length = (int) std::strlen (mask);
    return mask[i % length] == 'x';
}

bool isHatClickOrPerc (int lane) noexcept
{
    return lane == HAT || lane == CLICK || lane == PERC;
}

float clampTo (float x, float lo, float hi) noexcept
{
    return std::min (std::max (x, lo), hi);
}

// How far a live lane has wandered from its base: 3 for a different length,
// plus one per position where exactly one sounds or both sound different notes.
int distanceFromBase (const LaneGenome& live, const LaneGenome& base) noexcept
{
    const int lv = lengthOf (live);
    const int lb = lengthOf (base);
    int d = lv != lb ? 3 : 0;
    for (int j = 0; j < std::max (lv, lb); ++j)
    {
        const bool a = j < lv && live.steps[j].on;
        const bool b = j < lb && base.steps[j].on;
        if (a != b || (a && b && live.steps[j].note != base.steps[j].note))
            ++d;
    }
    return d;
}
} // namespace

int pickWeighted (const float* weights, int n, float u) noexcept
{
    int lastPositive = n - 1;
    for (int i = 0; i < n; ++i)
    {
        if (weights[i] > u)
            return i;
        u -= weights[i];
        if (weights[i] > 0.0f)
            lastPositive = i;
    }
    // Rounding can leave u at or past the last weight. Falling through to the
    // last index would pick a locked lane or a forbidden kind when its weight
    // is 0, so the last index that can be chosen takes the overflow.
    return lastPositive;
}

void setLength (LaneGenome& g, int length) noexcept
{
    length = std::min (std::max (length, 1), kMaxSteps);
    for (int i = lengthOf (g); i < length; ++i)
        g.steps[i] = Step {};
    g.length = length;

    for (int i = 0; i < length; ++i)
        if (g.steps[i].on)
            return;

    g.steps[0].on = true;
    g.steps[0].velocity = 90;
}

//==============================================================================
void Conductor::mutateOnce (Rng& r, float chaos, bool allowNotes, bool force) noexcept
{
    // Lane: HAT..STAB by the governing style's weights; the kick never mutates.
    float laneWeights[5];
    float laneSum = 0.0f;
    for (int i = 0; i < 5; ++i)
    {
        const int lane = HAT + i;
        const float w = governing->laneWeights[lane];
        laneWeights[i] = (settings.locked[lane] || ! (w > 0.0f)) ? 0.0f : w;
        laneSum += laneWeights[i];
    }
    if (! (laneSum > 0.0f))
        return;

    const int lane = HAT + pickWeighted (laneWeights, 5, r.unit() * laneSum);

    // Kind: note changes only when allowed, except for the STAB chord move.
    float kindWeights[6];
    float kindSum = 0.0f;
    for (int k = 0; k < 6; ++k)
    {
        const float w = governing->kindWeights[k];
        kindWeights[k] = ! (w > 0.0f) ? 0.0f : w;
        if (k == 5 && ! (allowNotes || lane == STAB))
            kindWeights[k] = 0.0f;
        kindSum += kindWeights[k];
    }
    const int kind = kindSum > 0.0f ? pickWeighted (kindWeights, 6, r.unit() * kindSum) : -1;

    LaneGenome& g = state.lanes[lane];

    if (! force)
    {
        const int d = distanceFromBase (g, base[lane]);
        const float x = r.unit();
        const float p = std::min (0.85f, (0.08f + 0.09f * (float) d) * (1.2f - 0.6f * chaos));
        if (x < p)
        {
            restore (g, lane, r);
            return;
        }
    }

    const StyleDef& style = *laneStyle[lane];

    switch (kind)
    {
        case 0:     // rotate by one step; the draw is spent on every lane
        {
            const float c = r.unit();
            if (lane == CLICK || lane == PERC)
            {
                const int length = lengthOf (g);
                if (c < 0.5f)
                {
                    const Step last = g.steps[length - 1];
                    for (int i = length - 1; i > 0; --i)
                        g.steps[i] = g.steps[i - 1];
                    g.steps[0] = last;
                }
                else
                {
                    const Step first = g.steps[0];
                    for (int i = 0; i < length - 1; ++i)
                        g.steps[i] = g.steps[i + 1];
                    g.steps[length - 1] = first;
                }
            }
            break;
        }

        case 1:
            toggleGhost (g, r, lane);
            break;

        case 2:     // micro-timing: a laid-back nudge within the style's limit
        {
            const float m = std::max (style.shiftMax, 0.02f);
            int i = 0;
            if (randomSoundingStep (g, r, 16, i))
            {
                const float x = r.unit();
                g.steps[i].shift = clampTo (g.steps[i].shift + (chaos * 0.5f + 0.3f) * (2.0f * x - 1.0f) * m, 0.0f, m);
            }
            break;
        }

        case 3:     // polymeter: switch to one of the style's other lengths
        {
            if (! isHatClickOrPerc (lane))
                break;
            int candidates[4];
            std::uint32_t n = 0;
            for (int j = 0; j < 4; ++j)
                if (style.altLengths[lane - HAT][j] >= 3)
                    candidates[n++] = style.altLengths[lane - HAT][j];
            if (n == 0)
                break;
            setLength (g, std::min (std::max (candidates[r.below (n)], 3), kMaxSteps));
            break;
        }

        case 4:     // chance: a certain step becomes a maybe, a maybe becomes certain
        {
            if (! isHatClickOrPerc (lane))
                break;
            int i = 0;
            if (randomSoundingStep (g, r, 16, i))
            {
                if (g.steps[i].chance < 0.99f)
                    g.steps[i].chance = 1.0f;
                else
                    g.steps[i].chance = 0.45f + 0.45f * r.unit();
            }
            break;
        }

        case 5:
            if (lane == STAB)
                stabMove (g, r);
            else if (lane == PERC || lane == BAS)
                changeNote (g, r, lane);
            else
                toggleGhost (g, r, lane);
            break;

        default:    // no kind has weight: nothing to apply
            break;
    }
}

void Conductor::restore (LaneGenome& g, int lane, Rng& r) noexcept
{
    const LaneGenome& b = base[lane];
    const int lv = lengthOf (g);
    const int lb = lengthOf (b);
    const int baseLength = std::min (std::max (b.length, 3), kMaxSteps);

    if (lv != lb)
    {
        if (r.unit() < 0.5f)
        {
            setLength (g, baseLength);
            return;
        }
    }

    const int start = (int) r.below ((std::uint32_t) lv);
    for (int k = 0; k < lv; ++k)
    {
        const int i = (start + k) % lv;
        const Step reference = i < lb ? b.steps[i] : Step {};
        const Step& live = g.steps[i];
        if (live.on != reference.on || (live.on && reference.on && live.note != reference.note))
        {
            g.steps[i] = reference;
            return;
        }
    }

    if (lv != lb)
        setLength (g, baseLength);
}

void Conductor::stabMove (LaneGenome& g, Rng& r) const noexcept
{
    const int length = lengthOf (g);
    int first = -1;
    for (int j = 0; j < length; ++j)
        if (g.steps[j].on)
        {
            first = j;
            break;
        }

    const char* mask = laneStyle[STAB]->fillMasks[STAB];
    for (int t = 0; t < 16; ++t)
    {
        const int a = (int) r.below ((std::uint32_t) length);
        if (a == first || ! maskAllows (mask, a))
            continue;

        if (first < 0)
        {
            g.steps[a] = Step {};
            g.steps[a].on = true;
            g.steps[a].velocity = 96;
        }
        else
        {
            g.steps[a] = g.steps[first];
            g.steps[first] = Step {};
        }
        return;
    }
}

void Conductor::toggleGhost (LaneGenome& g, Rng& r, int lane) const noexcept
{
    const int length = lengthOf (g);
    const int n = soundingSteps (g);
    const int full = lane == STAB ? 2 : lane == BAS ? 6 : length * 3 / 4;

    // A lane keeps its last note, except STAB, whose only chord may go.
    if (lane == STAB ? n > 0 : n > 1)
    {
        const bool remove = n >= full || r.unit() >= 0.55f;
        if (remove)
        {
            for (int t = 0; t < 24; ++t)
            {
                const int i = (int) r.below ((std::uint32_t) length);
                if (g.steps[i].on)
                {
                    g.steps[i].on = false;
                    break;
                }
            }
            return;
        }
    }

    const char* mask = laneStyle[lane]->fillMasks[lane];
    for (int t = 0; t < 24; ++t)
    {
        const int i = (int) r.below ((std::uint32_t) length);
        if (g.steps[i].on || ! maskAllows (mask, i))
            continue;
        if (lane == BAS && i % 4 == 0)
            continue;   // the bass stays off the kick

        g.steps[i] = Step {};
        g.steps[i].on = true;
        g.steps[i].velocity = (std::uint8_t) (58 + r.below (27));
        return;
    }
}

void Conductor::changeNote (LaneGenome& g, Rng& r, int lane) const noexcept
{
    int i = 0;
    if (randomSoundingStep (g, r, 16, i))
        g.steps[i].note = laneStyle[lane]->notes[r.below (8)];
}

int Conductor::densityOf() const noexcept
{
    int density = 0;
    for (int lane = HAT; lane <= STAB; ++lane)
    {
        const LaneGenome& g = state.lanes[lane];
        const int length = lengthOf (g);
        density += (16 * soundingSteps (g) + length / 2) / length;
    }
    return density;
}

std::uint64_t Conductor::fingerprint() const noexcept
{
    std::uint64_t h = 40503;
    for (int lane = 0; lane < kNumLanes; ++lane)
    {
        const LaneGenome& g = state.lanes[lane];
        const int length = lengthOf (g);
        h = derive (h, (std::uint64_t) (std::int64_t) g.length, (std::uint64_t) lane);
        for (int j = 0; j < length; ++j)
            if (g.steps[j].on)
                h = derive (h, (std::uint64_t) j, (std::uint64_t) (std::int64_t) (g.steps[j].note + 64));
    }
    return h;
}

} // namespace grum
