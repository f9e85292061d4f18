#pragma once

// What the audio thread shows the editor: written once at the end of every
// block, read on the editor's timer without a lock. Every value is its own
// relaxed atomic, so a read is never torn; a reader may see values of two
// neighbouring blocks side by side, which only affects one frame of display.
// Fixed size: publishing never allocates.

#include "conductor/Types.h"
#include "lanes/LaneValues.h"

#include <atomic>
#include <cstdint>

namespace grum
{

struct ArcSectionView
{
    std::int32_t phase = 0;     // Phase as a number
    std::int32_t startBar = 0;  // from the start of the arc
};

// A plain copy of the published values.
struct DisplayValues
{
    std::uint32_t stepMask[kNumLanes] {};       // bit i: step i of the lane's pattern is on (i < min(length, 32))
    std::int32_t laneLength[kNumLanes] {};
    bool laneActive[kNumLanes] {};
    std::int64_t currentStep = 0;               // floor(4 x the beat position at the block's end)
    std::int64_t currentBar = -1;
    std::int32_t phase = 0;
    float energy = 0.0f;
    bool playing = false;
    std::int32_t key = 43;                      // root note + the bar's key offset
    std::int32_t barStyle = 0;
    std::int32_t pendingStyle = -1;
    std::int32_t songId = 0;                    // seed x 64 + style setting (0 AUTO .. 17 learned)
    std::int64_t arcStart = 0;
    std::int32_t arcIndex = 0;
    std::int32_t density = 0;
    std::int32_t densityTarget = 0;
    float cpuLoad = 0.0f;                       // 0..1
    std::int32_t pinCount = 0;
    double bpm = 126.0;
    ArcSectionView arcSections[kMaxSections] {};
    std::int32_t arcSectionCount = 0;
    std::int32_t arcLength = 1;
    float laneLevel[kNumBanor] {};
    std::int64_t laneStep[kNumBanor] {};
    std::int32_t laneRotation[kNumBanor] {};
};

class PublishedValues
{
public:
    // Audio thread, once per block.
    void write (const DisplayValues& v) noexcept
    {
        for (int t = 0; t < kNumLanes; ++t)
        {
            put (stepMask[t], v.stepMask[t]);
            put (laneLength[t], v.laneLength[t]);
            put (laneActive[t], v.laneActive[t]);
        }
        put (currentStep, v.currentStep);
        put (currentBar, v.currentBar);
        put (phase, v.phase);
        put (energy, v.energy);
        put (playing, v.playing);
        put (key, v.key);
        put (barStyle, v.barStyle);
        put (pendingStyle, v.pendingStyle);
        put (songId, v.songId);
        put (arcStart, v.arcStart);
        put (arcIndex, v.arcIndex);
        put (density, v.density);
        put (densityTarget, v.densityTarget);
        put (cpuLoad, v.cpuLoad);
        put (pinCount, v.pinCount);
        put (bpm, v.bpm);
        const int count = v.arcSectionCount < 0 ? 0 : (v.arcSectionCount > kMaxSections ? kMaxSections : v.arcSectionCount);
        for (int s = 0; s < count; ++s)
        {
            put (arcPhase[s], v.arcSections[s].phase);
            put (arcStartBar[s], v.arcSections[s].startBar);
        }
        put (arcSectionCount, count);
        put (arcLength, v.arcLength);
        for (int b = 0; b < kNumBanor; ++b)
        {
            put (laneLevel[b], v.laneLevel[b]);
            put (laneStep[b], v.laneStep[b]);
            put (laneRotation[b], v.laneRotation[b]);
        }
    }

    // Any thread.
    DisplayValues read() const noexcept
    {
        DisplayValues v;
        for (int t = 0; t < kNumLanes; ++t)
        {
            v.stepMask[t] = get (stepMask[t]);
            v.laneLength[t] = get (laneLength[t]);
            v.laneActive[t] = get (laneActive[t]);
        }
        v.currentStep = get (currentStep);
        v.currentBar = get (currentBar);
        v.phase = get (phase);
        v.energy = get (energy);
        v.playing = get (playing);
        v.key = get (key);
        v.barStyle = get (barStyle);
        v.pendingStyle = get (pendingStyle);
        v.songId = get (songId);
        v.arcStart = get (arcStart);
        v.arcIndex = get (arcIndex);
        v.density = get (density);
        v.densityTarget = get (densityTarget);
        v.cpuLoad = get (cpuLoad);
        v.pinCount = get (pinCount);
        v.bpm = get (bpm);
        v.arcSectionCount = get (arcSectionCount);
        for (int s = 0; s < v.arcSectionCount; ++s)
            v.arcSections[s] = { get (arcPhase[s]), get (arcStartBar[s]) };
        v.arcLength = get (arcLength);
        for (int b = 0; b < kNumBanor; ++b)
        {
            v.laneLevel[b] = get (laneLevel[b]);
            v.laneStep[b] = get (laneStep[b]);
            v.laneRotation[b] = get (laneRotation[b]);
        }
        return v;
    }

    // The three the kit choice needs, without copying the rest (any thread).
    bool isPlaying() const noexcept { return get (playing); }
    std::int32_t song() const noexcept { return get (songId); }
    std::int32_t style() const noexcept { return get (barStyle); }

private:
    template <typename T>
    static void put (std::atomic<T>& a, T value) noexcept { a.store (value, std::memory_order_relaxed); }
    template <typename T>
    static T get (const std::atomic<T>& a) noexcept { return a.load (std::memory_order_relaxed); }

    std::atomic<std::uint32_t> stepMask[kNumLanes] {};
    std::atomic<std::int32_t> laneLength[kNumLanes] {};
    std::atomic<bool> laneActive[kNumLanes] {};
    std::atomic<std::int64_t> currentStep { 0 };
    std::atomic<std::int64_t> currentBar { -1 };
    std::atomic<std::int32_t> phase { 0 };
    std::atomic<float> energy { 0.0f };
    std::atomic<bool> playing { false };
    std::atomic<std::int32_t> key { 43 };
    std::atomic<std::int32_t> barStyle { 0 };
    std::atomic<std::int32_t> pendingStyle { -1 };
    std::atomic<std::int32_t> songId { 0 };
    std::atomic<std::int64_t> arcStart { 0 };
    std::atomic<std::int32_t> arcIndex { 0 };
    std::atomic<std::int32_t> density { 0 };
    std::atomic<std::int32_t> densityTarget { 0 };
    std::atomic<float> cpuLoad { 0.0f };
    std::atomic<std::int32_t> pinCount { 0 };
    std::atomic<double> bpm { 126.0 };
    std::atomic<std::int32_t> arcPhase[kMaxSections] {};
    std::atomic<std::int32_t> arcStartBar[kMaxSections] {};
    std::atomic<std::int32_t> arcSectionCount { 0 };
    std::atomic<std::int32_t> arcLength { 1 };
    std::atomic<float> laneLevel[kNumBanor] {};
    std::atomic<std::int64_t> laneStep[kNumBanor] {};
    std::atomic<std::int32_t> laneRotation[kNumBanor] {};

    static_assert (std::atomic<std::int64_t>::is_always_lock_free && std::atomic<double>::is_always_lock_free,
                   "the audio thread publishes without locks");
};

} // namespace grum
