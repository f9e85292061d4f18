#pragma once

// The lanes' step of the chunk loop: runs the lane clock, then applies the
// targets to the chunk's events and controls — pitch, the stutter retriggers
// (queued across chunks and blocks), and the macros M1-M4. Echo throw,
// filter, crush and chop are read later by the mixer and the inserts through
// Banor::any and Banor::mod.
//
// Audio thread only. Fixed-size members, never allocates.

#include <cstdint>

#include "conductor/Types.h"
#include "lanes/Banor.h"
#include "lanes/ChunkClock.h"

namespace grum
{

// Where an event of a chunk came from.
enum EventSource : std::uint8_t { Scheduled = 0, Retrigger = 1 };

class LaneStage
{
public:
    static constexpr int kMaxQueued = 128;

    // Sample rate, and a clean start: levels, rotations, the retrigger queue
    // and every track's last event are cleared.
    void prepare (double sampleRate) noexcept;

    // One chunk. The lane clock and the macros run once per control segment
    // (see ChunkClock), at the segment's first chunk; the macros are read at
    // the segment's middle sample from `segmentBar`'s timbre. events holds `count` scheduled events sorted by offset
    // (room for kMaxEvents); sources receives the source of each. Pitch lanes
    // shift the notes, stutter hits queue retriggers, queued retriggers that
    // fall into the chunk join it, and everything is put in offset order
    // (scheduled before retriggers at equal offsets). Returns the new count.
    int apply (const ChunkClock& chunk, bool playing, double bpm, const BarState& segmentBar,
               Event* events, std::uint8_t* sources, int count) noexcept;

    Banor banor;

    // Controls for the engines, set by apply(): the pitch offset in semitones
    // of each track's drum engines and the four macro values of each track.
    float pitchOffset[kNumLanes] {};
    float macros[kNumLanes][4] {};

    int queued() const noexcept { return queueCount; }
    const Event& lastEvent (int track) const noexcept { return last[track]; }

private:
    void applyPitch (Event* events, int count) noexcept;
    void queueStutters (double bpm, int n, const Event* events, int count) noexcept;
    int mergeQueue (int n, Event* events, std::uint8_t* sources, int count) noexcept;

    double sampleRate = 44100.0;
    Event last[kNumLanes] {};
    Event queue[kMaxQueued] {};
    int queueCount = 0;

    // The segment the lane clock last ran for.
    bool segmentValid = false;
    bool segmentPlaying = false;
    std::int64_t segmentStart = 0;
    int segmentLength = 0;
    double segmentAnchor = 0.0;
    double segmentStepsPerSample = 0.0;
};

} // namespace grum
