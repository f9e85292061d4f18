#pragma once

// What the rack reads of the modulation lanes: whether any lane drives a target
// on a track, and the lanes' summed pull on it across the chunk. One call per
// target and track per chunk, so the per-sample loops stay free of calls.
// Audio thread only; valid for the chunk after the lanes' clock has run.

namespace grum
{

// Lane targets the rack applies itself (the order of the lanes' MÅL choices).
enum LaneTarget : int
{
    kLaneFilter = 1,     // "Filter"
    kLaneEchoThrow = 3,  // "Eko-kast"
    kLaneCrush = 4,      // "Kross"
    kLaneChop = 5        // "Hacka"
};

class LaneSource
{
public:
    virtual ~LaneSource() = default;

    // True when a lane with this target reaches the track (its track or ALLA).
    virtual bool any (int target, int track) const noexcept = 0;

    // out[i] = the summed lane value for this target and track at sample i of
    // the current chunk, for i = 0 .. n - 1 (n <= 512); zeros when none.
    virtual void mod (int target, int track, float* out, int n) const noexcept = 0;
};

} // namespace grum
