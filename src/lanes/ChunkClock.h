#pragma once

// Where one render chunk lies on the song clock.
//
// Positions are counted in samples from an anchor (the step position of some
// earlier sample, set when playback starts, jumps or changes tempo) instead of
// by adding up chunk lengths. The same song position therefore gives the same
// arithmetic, bit for bit, whatever the host's block size: events and lane
// hits land on the same sample for blocks of 1 or of 1200 samples.

#include <cmath>
#include <cstdint>

namespace grum
{

struct ChunkClock
{
    double anchorStep = 0.0;        // step position (sixteenths) at the anchor sample
    std::int64_t start = 0;         // first sample of the chunk, counted from the anchor
    int n = 0;                      // samples in the chunk, at most 512
    double stepsPerSample = 0.0;    // (bpm / 60) * 4 / sample rate

    // The control segment holding the chunk: a cell of kGrid samples counted
    // from the anchor. Every per-chunk control value (the lanes' clock, the
    // macros, the bar's timbre) is taken for the segment, so a host block
    // that splits a segment into several chunks, or one that would span
    // several, gives the same controls. A length of 0 means the chunk is its
    // own segment.
    static constexpr int kGrid = 512;
    std::int64_t segmentStart = 0;
    int segmentLength = 0;
    std::int64_t segmentBar = 0;    // the bar whose timbre the segment takes

    std::int64_t firstOfSegment() const noexcept { return segmentLength > 0 ? segmentStart : start; }
    int lengthOfSegment() const noexcept { return segmentLength > 0 ? segmentLength : n; }

    // The step position of a sample counted from the anchor.
    double stepAt (std::int64_t sample) const noexcept { return anchorStep + (double) sample * stepsPerSample; }
    double startStep() const noexcept { return stepAt (start); }
    double endStep() const noexcept { return stepAt (start + n); }

    // The first sample (counted from the anchor) at or after step position x.
    // A position within a millionth of a sample after a sample boundary
    // counts as that sample, so rounding never moves an exact hit by one.
    std::int64_t firstSampleAtOrAfter (double x) const noexcept
    {
        return (std::int64_t) std::ceil ((x - anchorStep) / stepsPerSample - 1.0e-6);
    }

    // The sample (counted from the anchor) in which step position x falls.
    std::int64_t sampleContaining (double x) const noexcept
    {
        return (std::int64_t) std::floor ((x - anchorStep) / stepsPerSample + 1.0e-6);
    }
};

} // namespace grum
