#pragma once

// The deterministic song conductor: turns a Settings snapshot into the
// BarState of any bar. It keeps the state of the last bar it computed and
// steps forward one bar at a time; any other request replays the song from
// bar 0, so the same settings always give the same bar at the same position.
//
// Audio thread only. Plain data, created once, never allocates.

#include <cstdint>

#include "Styles.h"
#include "Types.h"

namespace grum
{

class Conductor
{
public:
    Conductor() noexcept;

    // The state of bar max(bar, 0). A request for the bar after the current one
    // computes one bar; a request for the current bar computes nothing; any
    // other request (or a change of the song's identity, see sameSong) replays
    // from bar 0. Chaos, energy, energyAuto and the locks never cause a replay:
    // they apply from the next bar computed. The reference stays valid until
    // the next call.
    const BarState& stateForBar (std::int64_t bar, const Settings& s) noexcept;

    // Back to the song's start (bar -1) under the last settings given.
    void reset() noexcept;

    // Arc k of the current seed, phrase and song length (arc 0 opens the song).
    void buildArc (int k, Section* out, std::int32_t& count, std::int32_t& bars) const noexcept;

    // Makes `style` (0..15, or 16 for the learned style) the governing style.
    void setGlobalStyle (int style) noexcept;

    // Fills g from a pattern in the rhythm grammar; touches nothing else.
    static void parse (LaneGenome& g, const char* pattern) noexcept;

    //==========================================================================
    // Mutation of the live lanes. The number and order of draws from r are part
    // of the music: never add or drop one.
    void mutateOnce (Rng& r, float chaos, bool allowNotes, bool force) noexcept;
    void toggleGhost (LaneGenome& g, Rng& r, int lane) const noexcept;
    void changeNote (LaneGenome& g, Rng& r, int lane) const noexcept;
    int densityOf() const noexcept;
    std::uint64_t fingerprint() const noexcept;

    // Once-per-phrase work at bar n: mutations, thinning, novelty and lane cut.
    void phraseWork (std::int64_t n) noexcept;
    // Thinning of HAT, CLICK and PERC until the density is at most `target`.
    void thin (Rng& r, int target) noexcept;

    // Bars computed since construction; a replay to bar b adds b + 1.
    std::int64_t barsComputed() const noexcept { return computed; }

    //==========================================================================
    // The conductor's data, public so that the header read-outs and the tests
    // can look inside. Only the conductor writes it.
    Settings settings {};
    BarState state {};

    Section arc0[kMaxSections] {};
    std::int32_t arc0Count = 0;
    std::int32_t arc0Bars = 1;

    Section arcN[kMaxSections] {};
    std::int32_t arcNCount = 0;
    std::int32_t arcNBars = 1;
    std::int32_t builtArc = 0;          // index of the arc in arcN; 0 means none

    const StyleDef* laneStyle[kNumLanes] {};
    const StyleDef* governing = &kStyles[0];
    LaneGenome base[kNumLanes] {};

    float walk[kNumLanes][4] {};
    float targets[kNumLanes][4] {};

    std::uint64_t history[16] {};
    std::int32_t historyCount = 0;
    std::int32_t pinCursor = 0;
    bool initialised = false;

private:
    void computeBar (std::int64_t n, bool full) noexcept;
    void locateArc (std::int64_t n) noexcept;
    void styleTransitionStep (std::int64_t p) noexcept;
    void applyPins (std::int64_t n) noexcept;
    void gatesWalkAndWaves (std::int64_t n, bool full) noexcept;
    void restore (LaneGenome& g, int lane, Rng& r) noexcept;
    void stabMove (LaneGenome& g, Rng& r) const noexcept;

    std::int64_t computed = 0;
};

//==============================================================================
// Small pieces of the conductor with rules worth seeing on their own.

// Which lanes sound at energy e in a bar of the given phase (before any cut).
void laneGates (float energy, Phase phase, bool laneOn[kNumLanes]) noexcept;

// Bars in a phrase: the setting, at least 1. Real phrases are 4 to 32 bars;
// the cap only keeps a nonsensical setting from overflowing the arc
// arithmetic, where sections run to four phrases and arcs to eight.
constexpr int kMaxPhraseBars = 1 << 20;
int phraseOf (const Settings& s) noexcept;

// A key offset brought back into -5..+6 by whole octaves.
int wrapKeyOffset (int offset) noexcept;

// Weighted choice among n weights for a draw u in [0, sum): the first index
// whose weight exceeds what is left of u. When rounding leaves u past the
// last weight, the last index with a positive weight, never one that cannot
// be chosen.
int pickWeighted (const float* weights, int n, float u) noexcept;

// Sets a lane's length, clearing new cells; a lane left without a sounding
// step gets step 0 back with velocity 90.
void setLength (LaneGenome& g, int length) noexcept;

} // namespace grum
