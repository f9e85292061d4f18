#pragma once

// Field-by-field comparison of bar states (a byte compare would also compare
// padding). Floats must be bit-for-bit equal: the conductor is exact.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "conductor/Types.h"

namespace grum::test
{

inline bool sameFloat (float a, float b)
{
    return std::memcmp (&a, &b, sizeof (float)) == 0;
}

inline bool sameStep (const Step& a, const Step& b)
{
    return a.on == b.on && a.open == b.open && a.velocity == b.velocity
        && sameFloat (a.chance, b.chance) && sameFloat (a.shift, b.shift) && a.note == b.note;
}

inline bool sameGenome (const LaneGenome& a, const LaneGenome& b)
{
    if (a.length != b.length)
        return false;
    for (int i = 0; i < kMaxSteps; ++i)
        if (! sameStep (a.steps[i], b.steps[i]))
            return false;
    return true;
}

inline ::testing::AssertionResult sameState (const BarState& a, const BarState& b)
{
    auto differ = [&] (const char* field) { return ::testing::AssertionFailure() << "bar " << a.bar << " vs " << b.bar << ": " << field << " differs"; };
    if (a.bar != b.bar) return differ ("bar");
    if (a.style != b.style) return differ ("style");
    if (a.pendingStyle != b.pendingStyle) return differ ("pendingStyle");
    for (int lane = 0; lane < kNumLanes; ++lane)
    {
        if (! sameGenome (a.lanes[lane], b.lanes[lane])) return differ ("lanes");
        if (a.laneOn[lane] != b.laneOn[lane]) return differ ("laneOn");
        for (int i = 0; i < 4; ++i)
            if (! sameFloat (a.timbre[lane][i], b.timbre[lane][i])) return differ ("timbre");
    }
    if (! sameFloat (a.energy, b.energy)) return differ ("energy");
    if (a.phase != b.phase) return differ ("phase");
    if (a.arcIndex != b.arcIndex) return differ ("arcIndex");
    if (a.arcStart != b.arcStart) return differ ("arcStart");
    if (a.arcBars != b.arcBars) return differ ("arcBars");
    if (! sameFloat (a.stabDelay, b.stabDelay)) return differ ("stabDelay");
    if (! sameFloat (a.swingBoost, b.swingBoost)) return differ ("swingBoost");
    if (a.keyOffset != b.keyOffset) return differ ("keyOffset");
    if (a.cutLane != b.cutLane) return differ ("cutLane");
    if (a.cutUntil != b.cutUntil) return differ ("cutUntil");
    if (a.density != b.density) return differ ("density");
    if (a.densityTarget != b.densityTarget) return differ ("densityTarget");
    return ::testing::AssertionSuccess();
}

// Counts the sounding steps among a lane's first `length` cells.
inline int sounding (const LaneGenome& g)
{
    int n = 0;
    for (int i = 0; i < g.length; ++i)
        n += g.steps[i].on ? 1 : 0;
    return n;
}

} // namespace grum::test
