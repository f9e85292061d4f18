#include "Conductor.h"

#include <algorithm>
#include <cmath>

namespace grum
{

namespace
{
std::uint64_t seedOf (const Settings& s) noexcept
{
    return (std::uint64_t) (std::int64_t) s.seed;
}

// Length of an endless arc: the song length floored to whole phrases, never
// under 64 bars before flooring nor under eight phrases after.
std::int32_t endlessArcBars (const Settings& s) noexcept
{
    const int p = phraseOf (s);
    return std::max ((std::max (s.songBars, 64) / p) * p, 8 * p);
}

// Lane order of a style transition: the kick moves first and the bass last,
// so the groove changes under a familiar bass line.
constexpr int kTransitionOrder[6] = { KICK, PERC, CLICK, HAT, STAB, BAS };

constexpr int kKeyMoves[4] = { +5, -5, +7, -7 };
} // namespace

int phraseOf (const Settings& s) noexcept
{
    return std::min (std::max (1, s.phraseBars), kMaxPhraseBars);
}

Conductor::Conductor() noexcept
{
    for (auto& style : laneStyle)
        style = &kStyles[0];
}

//==============================================================================
void Conductor::parse (LaneGenome& g, const char* pattern) noexcept
{
    for (auto& step : g.steps)
        step = Step {};

    int n = 0;
    if (pattern != nullptr)
        while (n <= kMaxSteps && pattern[n] != '\0')
            ++n;

    // Empty and very short patterns still make a three-step lane.
    g.length = std::min (std::max (n, 3), kMaxSteps);

    for (int i = 0; i < std::min (n, kMaxSteps); ++i)
    {
        Step& step = g.steps[i];
        const char c = pattern[i];
        if (c == '.')
            continue;

        step.on = true;
        switch (c)
        {
            case 'X': step.velocity = 124; break;
            case 'O': step.open = true; step.velocity = 96; break;
            case 'g': step.velocity = 66; break;
            case 'l': step.shift = 0.15f; break;
            case 'o': step.note = 12; break;
            case '3': step.note = 3; break;
            case '5': step.note = 7; break;
            case '7': step.note = 10; break;
            case 'b': step.note = -2; break;
            default: break;     // "x" and every unlisted character: a plain hit
        }
    }
}

void Conductor::setGlobalStyle (int style) noexcept
{
    state.style = style;
    governing = &styleRow (style, settings.learned);

    for (auto& lane : targets)
        for (auto& t : lane)
            t = 0.5f;

    // Macro indices count from 0 here; the panel calls them M1..M4.
    targets[KICK][3] = governing->timbreDrive;
    targets[BAS][2] = governing->timbreDrive;
    targets[STAB][1] = governing->timbreDub;
    targets[STAB][2] = governing->timbreDub;
    targets[HAT][1] = governing->timbreHat;
    targets[BAS][1] = governing->timbreBass;
    targets[CLICK][3] = governing->timbreDrive * 0.5f + 0.3f;
}

//==============================================================================
const BarState& Conductor::stateForBar (std::int64_t bar, const Settings& s) noexcept
{
    const std::int64_t target = std::max<std::int64_t> (bar, 0);

    if (! initialised || ! sameSong (s, settings))
    {
        settings = s;
        buildArc (0, arc0, arc0Count, arc0Bars);
        reset();
        initialised = true;
    }

    // The live controls always take their latest values, without a replay.
    settings = s;

    if (target == state.bar)
        return state;

    if (target != state.bar + 1)
        reset();

    // Only the requested bar needs its read-outs (gates, timbre, waves); the
    // bars on the way there only carry the song's evolving state forward.
    while (state.bar < target)
        computeBar (state.bar + 1, state.bar + 1 == target);

    return state;
}

void Conductor::reset() noexcept
{
    state = BarState {};
    builtArc = 0;
    for (auto& h : history)
        h = 0;
    historyCount = 0;
    pinCursor = 0;

    int start = 0;
    if (settings.style == kLearnedStyle)
        start = settings.learned != nullptr ? kLearnedStyle : 0;
    else if (settings.style == -1)
        start = (int) (derive (seedOf (settings), 87, 0) & 15);
    else
        start = settings.style & 15;
    setGlobalStyle (start);

    for (int lane = 0; lane < kNumLanes; ++lane)
    {
        laneStyle[lane] = governing;
        parse (base[lane], governing->patterns[lane]);
        state.lanes[lane] = base[lane];
    }

    for (int lane = 0; lane < kNumLanes; ++lane)
        for (int i = 0; i < 4; ++i)
            walk[lane][i] = targets[lane][i];

    // Every seed starts from its own variant of the style.
    Rng first (derive (seedOf (settings), 24301, 0));
    mutateOnce (first, 0.4f, true, true);
    Rng second (derive (seedOf (settings), 0x5EED, 1));
    mutateOnce (second, 0.4f, true, true);

    state.bar = -1;
}

//==============================================================================
void Conductor::buildArc (int k, Section* out, std::int32_t& count, std::int32_t& bars) const noexcept
{
    const int p = phraseOf (settings);
    const auto floorP = [p] (int x) { return (x / p) * p; };
    Rng g (derive (seedOf (settings), 0xA4C, (std::uint64_t) (std::int64_t) k));

    int n = 0;
    int sum = 0;
    int arcLength = 0;

    if (k != 0)
    {
        arcLength = endlessArcBars (settings);
    }
    else
    {
        int h = p * (2 + (int) g.below (2));
        h = std::max (h, 16);
        h = floorP (h);
        h = std::max (h, p);
        out[n++] = { Phase::INTRO, 0, h };
        sum = h;
        arcLength = std::max (settings.songBars, 4 * p);    // not floored: the first arc may run long
    }

    Phase next = Phase::GROOVE;
    while (sum < arcLength - 2 * p && n < kMaxSections - 2)
    {
        const std::uint64_t o = g.next();
        int r = 0;
        Phase following = Phase::GROOVE;

        if (next == Phase::DROPP)
        {
            const float u = (float) (o >> 40) * (1.0f / 16777216.0f);
            r = u < 0.5f ? 8 : 4;
            r = std::max (floorP (r), p);
            following = Phase::GROOVE;
        }
        else if (next == Phase::SPANNING)
        {
            r = p * (((o >> 32) & 1u) != 0 ? 2 : 1);
            r = std::max (r, 8);
            r = std::max (floorP (r), p);
            following = g.unit() < 0.75f ? Phase::DROPP : Phase::GROOVE;
        }
        else
        {
            r = p * ((int) ((o >> 32) % 3u) + 2);
            r = std::max (r, 16);
            r = std::max (floorP (r), p);
            following = g.unit() < 0.7f ? Phase::SPANNING : Phase::GROOVE;
        }

        if (k != 0)
            r = std::min (r, arcLength - sum);

        if (r >= 1)
        {
            out[n++] = { next, sum, r };
            sum += r;
        }
        next = following;
    }

    if (k != 0)
    {
        if (sum < arcLength && n < kMaxSections - 1)
        {
            const Phase phase = g.unit() < 0.5f ? Phase::SLAPP : Phase::GROOVE;
            int len = std::max (floorP (arcLength - sum), p);
            len = std::min (len, arcLength - sum);
            if (len > 0)
            {
                out[n++] = { phase, sum, len };
                sum += len;
            }
        }
    }
    else if (n < kMaxSections - 1)
    {
        int len = std::max (arcLength - sum, 16);
        len = std::max (floorP (len), p);
        out[n++] = { Phase::SLAPP, sum, len };
        sum += len;
    }

    bars = std::max (sum, 1);
    count = n;
}

//==============================================================================
int wrapKeyOffset (int offset) noexcept
{
    while (offset > 6)
        offset -= 12;
    while (offset < -5)
        offset += 12;
    return offset;
}

void Conductor::locateArc (std::int64_t n) noexcept
{
    const std::int64_t l0 = arc0Bars;

    if (n < l0)
    {
        state.arcIndex = 0;
        state.arcStart = 0;
        state.arcBars = arc0Bars;
        return;
    }

    if (settings.endless)
    {
        const std::int32_t l = endlessArcBars (settings);
        const std::int64_t q = (n - l0) / l;
        const int k = (int) (std::min<std::int64_t> (q, 1000000) + 1);
        state.arcIndex = k;
        state.arcStart = l0 + q * l;
        state.arcBars = l;

        if (k != builtArc)
        {
            buildArc (k, arcN, arcNCount, arcNBars);
            builtArc = k;

            // The arc's decisions have their own stream, drawn in this order.
            Rng g (derive (seedOf (settings), (std::uint64_t) k, 0x5717));

            if (settings.style == -1 && settings.styleWander && state.style >= 0 && state.style < kNumStyles)
            {
                if (g.unit() < 0.7f)
                {
                    const int pick = kStyles[state.style].neighbours[g.below (4)];
                    if (pick < kNumStyles && pick != state.style)
                        state.pendingStyle = pick;
                }
            }

            if (settings.keyWander)
            {
                if (g.unit() < 0.6f)
                    state.keyOffset = wrapKeyOffset (state.keyOffset + kKeyMoves[g.below (4)]);
            }
        }
        return;
    }

    // A looping song plays arc 0 once, then repeats it from the end of its
    // intro for ever; nothing drifts.
    const std::int64_t g0 = arc0Count >= 2 ? arc0[1].start : 0;
    const std::int64_t w = std::max<std::int64_t> (1, l0 - g0);
    state.arcIndex = 0;
    state.arcBars = arc0Bars;
    state.arcStart = n - g0 - ((n - l0) % w);
}

void Conductor::styleTransitionStep (std::int64_t p) noexcept
{
    const int phrase = phraseOf (settings);
    if (p % phrase != 0)
        return;

    const std::int64_t i = p / phrase;
    if (i > 5)
    {
        state.pendingStyle = -1;
        return;
    }

    const int s = state.pendingStyle;
    const int lane = kTransitionOrder[i];
    const StyleDef& row = styleRow (s, settings.learned);
    laneStyle[lane] = &row;
    parse (base[lane], row.patterns[lane]);
    if (! settings.locked[lane])
        state.lanes[lane] = base[lane];

    if (i == 5)
        state.pendingStyle = -1;
    if (i == 2)
        setGlobalStyle (s);     // swing, weights, cut chance and timbre follow from the third phrase
}

void Conductor::applyPins (std::int64_t n) noexcept
{
    if (settings.pins == nullptr)
        return;

    const int count = std::min (std::max (settings.pinCount, 0), kMaxPins);
    while (pinCursor < count)
    {
        const Pin& pin = settings.pins[pinCursor];
        if (pin.bar > n)
            break;
        if (pin.bar == n)
        {
            for (int lane = 0; lane < kNumLanes; ++lane)
            {
                LaneGenome g = pin.lanes[lane];
                g.length = std::min (std::max (g.length, 3), kMaxSteps);    // a pin from outside never indexes past the cells
                base[lane] = g;
                state.lanes[lane] = g;
            }
        }
        ++pinCursor;
    }
}

void Conductor::computeBar (std::int64_t n, bool full) noexcept
{
    const int phrase = phraseOf (settings);

    locateArc (n);

    const std::int64_t p = n - state.arcStart;
    const Section* arc = state.arcIndex == 0 ? arc0 : arcN;
    const int count = state.arcIndex == 0 ? arc0Count : arcNCount;
    Section section {};
    if (count > 0)
    {
        section = arc[0];
        for (int i = 1; i < count && arc[i].start <= p; ++i)
            section = arc[i];
    }
    state.phase = section.phase;

    if (settings.energyAuto)
    {
        const float t = (float) (p - section.start) / (float) std::max (1, section.bars);
        switch (section.phase)
        {
            case Phase::INTRO:    state.energy = 0.15f + 0.35f * t; break;
            case Phase::GROOVE:   state.energy = 0.58f + 0.08f * std::sin (3.14159f * t); break;
            case Phase::SPANNING: state.energy = 0.62f + 0.36f * t * t; break;
            case Phase::DROPP:    state.energy = 0.34f; break;
            case Phase::SLAPP:    state.energy = 0.6f - 0.4f * t; break;
            default:              state.energy = 0.5f; break;
        }
    }
    else
    {
        state.energy = std::min (std::max (settings.energy, 0.0f), 1.0f);
    }

    if (state.pendingStyle >= 0)
        styleTransitionStep (p);

    applyPins (n);

    // Phrases count on the absolute bar number, not the position in the arc.
    if (n >= 1 && n % phrase == 0)
        phraseWork (n);

    gatesWalkAndWaves (n, full);

    state.bar = n;
    ++computed;
}

} // namespace grum
