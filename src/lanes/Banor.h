#pragma once

// The eight modulation lanes ("BANOR"): euclidean hit generators on the song
// clock. Each hit restarts a decaying envelope; the envelope times the lane's
// signed depth pulls on one target of one track (or of all tracks).
//
// The effects read the lanes only through any() and mod(); the processor runs
// the clock once per chunk with clock(). Plain fixed-size data, audio thread
// only, never allocates.

#include <cstdint>

#include "conductor/Types.h"
#include "lanes/ChunkClock.h"
#include "lanes/LaneValues.h"

namespace grum
{

class Banor
{
public:
    // What a lane pulls on: the order of the lane's MÅL choices.
    enum Target : int
    {
        Off = 0,        // "Av"
        Filter = 1,     // "Filter"
        Pitch = 2,      // "Ton"
        EchoThrow = 3,  // "Eko-kast"
        Crush = 4,      // "Kross"
        Chop = 5,       // "Hacka"
        Stutter = 6,    // "Stutter"
        M1 = 7,         // "M1"
        M2 = 8,         // "M2"
        M3 = 9,         // "M3"
        M4 = 10,        // "M4"
        RotateNext = 11 // "Rotera nästa"
    };
    static constexpr int kNumTargets = 12;

    static constexpr int kAllTracks = 6;    // the SPÅR choice "ALLA"
    static constexpr int kChunk = 512;      // samples per envelope buffer
    static constexpr int kMaxHits = 16;     // hit positions recorded per lane and chunk

    // Length of one lane step in sixteenth notes for each TAKT choice:
    // "1/32", "1/16", "1/8", "1/4", "1/16T", "1/8T", "3/16", "5/16", "5-del".
    static constexpr int kNumRates = 9;
    static const double kRateSteps[kNumRates];

    //==========================================================================
    // Read by the effects (audio thread, during the chunk after clock()).

    // True when some lane has this non-zero target and reaches the track
    // (its SPÅR is the track or ALLA).
    bool any (int target, int track) const noexcept;

    // Sum over every lane with this non-zero target that reaches the track of
    // its envelope at `sample` of the current chunk times its depth; 0 when no
    // lane matches. `sample` is limited to 0 .. kChunk - 1.
    float mod (int target, int track, int sample) const noexcept;

    // Where the chunk being rendered starts within the segment the last
    // clock() ran for: mod() reads sample `window + sample` of the envelopes.
    // clock() sets it to 0.
    void setWindow (int firstSample) noexcept { window = firstSample; }
    int windowStart() const noexcept { return window; }

    //==========================================================================
    // Driven by the processor (audio thread).

    // Sets the sample rate and clears all running state (levels, steps, extra
    // rotations, the jump expectation). Called from prepareToPlay.
    void prepare (double sampleRate) noexcept;

    // The lane table, refilled from the parameters at every block.
    LaneValues lane[kNumBanor] {};

    // Runs the lane clock for one chunk (at most kChunk samples): detects
    // jumps, finds the lane-step boundaries in the chunk, evaluates hits and
    // fills every envelope buffer. While stopped the envelopes only fade.
    void clock (const ChunkClock& chunk, bool playing) noexcept;

    //==========================================================================
    // What the last clock() left, for the lane targets and the editor (hit
    // positions count from the start of the segment clocked).
    const float* envelope (int bana) const noexcept { return env[bana]; }
    int hitCount (int bana) const noexcept { return run[bana].hitCount; }
    int hit (int bana, int i) const noexcept { return run[bana].hits[i]; }
    float level (int bana) const noexcept { return run[bana].level; }
    std::int64_t laneStep (int bana) const noexcept { return run[bana].step; }
    int extraRotation (int bana) const noexcept { return run[bana].extraRotation; }

    // Whether a lane step is a hit of the euclidean pattern (steps, hits,
    // rotation plus extra rotation), counted from the song start.
    static bool isHit (std::int64_t laneStep, int steps, int hits, int rotation, int extraRotation) noexcept;

private:
    struct Running
    {
        float level = 0.0f;
        float coefficient = 0.0f;
        std::int64_t step = 0;              // current lane-step index
        std::int64_t lastEvaluated = -1;    // -1: none
        int extraRotation = 0;              // 0..63, from "Rotera nästa" of the lane before
        int hits[kMaxHits] {};
        int hitCount = 0;
    };

    bool reaches (const LaneValues& l, int target, int track) const noexcept
    {
        return target != Off && l.target == target && (l.track == track || l.track == kAllTracks);
    }

    void fade (int bana, int from, int to, float factor) noexcept;

    Running run[kNumBanor] {};
    float env[kNumBanor][kChunk] {};
    double sampleRate = 44100.0;
    int window = 0;
    double expectedStart = 0.0;
    bool expectationValid = false;
};

} // namespace grum
