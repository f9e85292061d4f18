#pragma once

namespace grum
{

constexpr int kNumBanor = 8;

// One modulation lane's settings as read from its eight parameters once per block.
struct LaneValues
{
    int target = 0;     // 0 Av ... 11 Rotera nästa
    int track = 0;      // 0..5, or 6 for all tracks
    int steps = 16;     // 1..32
    int hits = 0;       // 0..32
    int rotation = 0;   // 0..31
    int rate = 1;       // index into the rate table, 0..8
    float depth = 0.0f; // -1..1
    float decay = 0.3f; // 0..1
};

} // namespace grum
