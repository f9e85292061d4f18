#pragma once

// A new recipe for one modulation lane (the dice on the lanes tab): target,
// track, steps, hits, rate, depth, rotation and decay, drawn in a fixed
// order from a random source the caller supplies (the processor passes the
// platform's shared generator; tests pass a scripted one).

#include "lanes/Banor.h"

namespace grum
{

class RandomSource
{
public:
    virtual ~RandomSource() = default;
    virtual int nextInt (int k) = 0;        // 0 ... k - 1
    virtual float nextFloat() = 0;          // [0, 1)
};

struct BanaRecipe
{
    int target = Banor::Off;
    int track = 0;          // 0..5, or Banor::kAllTracks
    int steps = 16;
    int hits = 1;
    int rotation = 0;
    int rate = 1;           // index into Banor::kRateSteps
    float depth = 0.5f;
    float decay = 0.3f;
};

// Draws, in this order: target, track, steps, hits, rate, depth, the sign of
// the depth (Filter and Ton only), rotation, decay.
BanaRecipe drawBanaRecipe (RandomSource& random);

// How many lanes the dice for all lanes switch on: 3, 4 or 5 (one draw).
int drawBanaCount (RandomSource& random);

} // namespace grum
