#pragma once

// Turns the conductor's bar states into the sample-accurate events of one
// render chunk: the step clock with its continuity across blocks, the
// two-slot bar cache, the per-step chance rolls, swing, micro-timing and the
// STAB delay, and the event table (notes, velocities, gates).
//
// Audio thread only. Fixed-size members, never allocates; nothing here draws
// from an unseeded source, so the same song position gives the same events.

#include <cstdint>

#include "conductor/Conductor.h"
#include "conductor/Types.h"
#include "lanes/ChunkClock.h"

namespace grum
{

class Sequencer
{
public:
    // The note each track plays when it has no pitch of its own (BAS and STAB
    // at the default root G).
    static constexpr int noteForLane (int lane) noexcept
    {
        return lane >= 0 && lane < kNumLanes ? kLaneDefaultNote[lane] : 0;
    }

    // Forgets the step clock and empties both cache slots (prepareToPlay).
    void prepare() noexcept;

    // Empties both cache slots, so the next chunk asks the conductor again.
    void invalidateCache() noexcept;

    // Places a playing chunk of n samples whose start the host gives as step
    // position x0 (4 x beats). When x0 continues the previous chunk (within
    // 0.001 steps) the chunk keeps counting on from it, so floating-point
    // drift between blocks neither drops nor doubles a step.
    ChunkClock place (double x0, int n, double stepsPerSample) noexcept;

    // Like place(), but the chunk (at most maxN samples) also ends at the end
    // of its control segment: the next multiple of ChunkClock::kGrid samples
    // from the anchor. The segment and its bar are filled in.
    ChunkClock placeOnGrid (double x0, int maxN, double stepsPerSample) noexcept;

    // Samples counted from the anchor up to the end of the last placed chunk,
    // and whether the step clock is running (a chunk was placed since the
    // last stop()).
    std::int64_t samplesSinceAnchor() const noexcept { return sinceAnchor; }
    bool running() const noexcept { return haveNextStep; }

    // A chunk without scheduling (stopped, or no usable tempo): the next
    // playing chunk starts the step clock afresh from the host's position.
    void stop() noexcept { haveNextStep = false; }

    // Schedules the events of a placed chunk into out (room for kMaxEvents),
    // sorted by offset, and returns their count. Also refreshes the
    // current-bar copy.
    int schedule (const ChunkClock& chunk, const Settings& s, int rootNote, float swing, Event* out) noexcept;

    // The state of bar b through the cache: the conductor is asked only when
    // slot (b & 1) does not hold b.
    const BarState& barState (std::int64_t bar, const Settings& s) noexcept;

    // The bar that holds the last step of the last chunk's window.
    const BarState& currentBar() const noexcept { return current; }

    std::int64_t cacheKey (int slot) const noexcept { return cache[slot & 1].bar; }
    std::uint64_t cacheInvalidations() const noexcept { return invalidations; }

    Conductor conductor;

private:
    // Moves the anchor when x0 does not continue the last chunk or the tempo changed.
    void anchorAt (double x0, double stepsPerSample) noexcept;

    BarState cache[2] {};
    BarState current {};
    std::uint64_t invalidations = 0;

    // The step clock: the anchor and how far the chunks have counted from it.
    bool haveNextStep = false;
    double anchorStep = 0.0;
    double anchorStepsPerSample = 0.0;
    std::int64_t sinceAnchor = 0;
};

} // namespace grum
